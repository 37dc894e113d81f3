// The ncurses front end.
#include "platform/terminal/terminal_front_end.h"

#include <ncurses.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <unordered_map>

#include "platform/framework/resource_table.h"
#include "platform/terminal/layout.h"

namespace terminal {

using framework::Window;
using framework::WindowKind;
using framework::WindowRole;
using Clock = std::chrono::steady_clock;

namespace {

constexpr auto kInputInterval = std::chrono::milliseconds(5);
constexpr auto kBannerTime = std::chrono::seconds(1);

// A signal that ends the program gives the terminal back first, then takes its usual course. The
// record files stay consistent whenever the program ends; the screen would not. A handler may
// call only async-signal-safe functions, so it cannot ask ncurses (endwin): everything it needs
// is prepared when the screen starts, the escape sequences that leave the screen's modes and the
// terminal modes of the shell, and the handler only writes and sets them.
constexpr int kEndingSignals[] = {SIGHUP, SIGINT, SIGTERM, SIGQUIT};
constexpr size_t kSignalCount = sizeof kEndingSignals / sizeof kEndingSignals[0];
struct sigaction previousActions[kSignalCount];
bool handlerInstalled[kSignalCount];

char resetSequence[512];
size_t resetLength = 0;
struct termios shellModes;
bool haveShellModes = false;

void AppendReset(const char* text) {
  // Padding ("$<5>") is for the terminal's timing and is not sent.
  for (const char* p = text; p != nullptr && *p != '\0'; ++p) {
    if (p[0] == '$' && p[1] == '<') {
      const char* end = std::strchr(p, '>');
      if (end != nullptr) {
        p = end;
        continue;
      }
    }
    if (resetLength + 1 < sizeof resetSequence) {
      resetSequence[resetLength++] = *p;
    }
  }
}

// A string capability of the terminal in use, or nullptr when it has none.
const char* Capability(const char* name) {
  char* value = tigetstr(name);
  return value == reinterpret_cast<char*>(-1) ? nullptr : value;
}

// What endwin would send: attributes off, cursor shown, keypad and mouse reports off, back from
// the alternate screen.
void PrepareReset() {
  resetLength = 0;
  AppendReset(Capability("sgr0"));
  AppendReset(Capability("cnorm"));
  AppendReset(Capability("rmkx"));
  if (const char* mouse = Capability("XM")) {
    AppendReset(tiparm(mouse, 0));
  } else if (Capability("kmous") != nullptr) {
    AppendReset("\033[?1000l");
  }
  AppendReset(Capability("rmcup"));
}

void RestoreAndReraise(int sig) {
  const int savedErrno = errno;
  size_t done = 0;
  while (done < resetLength) {
    const ssize_t n = write(STDOUT_FILENO, resetSequence + done, resetLength - done);
    if (n <= 0 && errno != EINTR) {
      break;
    }
    done += n > 0 ? static_cast<size_t>(n) : 0;
  }
  if (haveShellModes) {
    tcsetattr(STDIN_FILENO, TCSANOW, &shellModes);
  }
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(sig, &fallback, nullptr);
  raise(sig);  // blocked while the handler runs; it ends the program once the handler returns
  errno = savedErrno;
}

void InstallSignalHandlers() {
  struct sigaction action {};
  action.sa_handler = RestoreAndReraise;
  sigemptyset(&action.sa_mask);
  for (size_t i = 0; i < kSignalCount; ++i) {
    handlerInstalled[i] = false;
    if (sigaction(kEndingSignals[i], nullptr, &previousActions[i]) != 0 ||
        previousActions[i].sa_handler == SIG_IGN) {
      continue;  // a signal ignored from the start (nohup) stays ignored
    }
    handlerInstalled[i] = sigaction(kEndingSignals[i], &action, nullptr) == 0;
  }
}

void RemoveSignalHandlers() {
  for (size_t i = 0; i < kSignalCount; ++i) {
    if (handlerInstalled[i]) {
      sigaction(kEndingSignals[i], &previousActions[i], nullptr);
      handlerInstalled[i] = false;
    }
  }
}

int ToMillis(Clock::duration d) {
  return static_cast<int>(
      std::max<int64_t>(0, std::chrono::duration_cast<std::chrono::milliseconds>(d).count() + 1));
}

}  // namespace

struct TerminalFrontEnd::State {
  SCREEN* screen = nullptr;
  RedrawThrottle throttle;
  Clock::time_point lastPoll{};
  std::vector<std::string> banner;
  Clock::time_point bannerEnd{};
  Cells origin;
  // Message boxes whose text is longer than their text area: the first line in view.
  std::unordered_map<const Window*, int> scrollTop;

  bool TooSmall() const { return origin.col < 0; }
  void Put(int row, int col, const std::string& text, attr_t attrs = A_NORMAL);
  void PutLabel(int row, int col, const std::string& label, attr_t attrs);
  void Fill(const Cells& c);
  void DrawAll();
  void DrawNotice();
  void DrawWindow(const Window& w, bool active);
  void DrawControl(const Window& c, const Cells& window, bool active);
  void DrawStatic(const Window& c, const Cells& cells, const Cells& window);
  void DrawFrame(const Cells& c, const std::string& caption, bool withCaption, bool active);
  void DrawBanner();
  void FlushIfDue(Clock::time_point now);
  void ExpireBanner(Clock::time_point now);
  bool HandleKey(int ch);
  bool ScrollMessage(int ch);
  bool HandleMouse();
  int failedWaits = 0;
  int inputTimeout = -1;  // the getch timeout in force
  void SetTimeout(int ms) {
    inputTimeout = ms;
    timeout(ms);
  }
};

namespace {

Cells Offset(Cells c, const Cells& origin) {
  c.col += origin.col;
  c.row += origin.row;
  return c;
}

}  // namespace

void TerminalFrontEnd::State::Put(int row, int col, const std::string& text, attr_t attrs) {
  if (row < 0 || row >= LINES || col >= COLS || col + static_cast<int>(text.size()) <= 0) {
    return;
  }
  std::string shown = col < 0 ? text.substr(static_cast<size_t>(-col)) : text;
  col = std::max(0, col);
  shown = shown.substr(0, static_cast<size_t>(COLS - col));
  attron(attrs);
  mvaddnstr(row, col, shown.c_str(), static_cast<int>(shown.size()));
  attroff(attrs);
}

// A label with its mnemonic letter underlined.
void TerminalFrontEnd::State::PutLabel(int row, int col, const std::string& label, attr_t attrs) {
  int x = col;
  for (size_t i = 0; i < label.size(); ++i) {
    attr_t a = attrs;
    if (label[i] == '&' && i + 1 < label.size()) {
      ++i;
      if (label[i] != '&') {
        a |= A_UNDERLINE;
      }
    }
    Put(row, x++, std::string(1, label[i]), a);
  }
}

void TerminalFrontEnd::State::Fill(const Cells& c) {
  const std::string blank(static_cast<size_t>(std::max(0, c.cols)), ' ');
  for (int r = 0; r < c.rows; ++r) {
    Put(c.row + r, c.col, blank);
  }
}

void TerminalFrontEnd::State::DrawFrame(const Cells& c, const std::string& caption,
                                        bool withCaption, bool active) {
  const int right = c.col + c.cols - 1;
  const int bottom = c.row + c.rows - 1;
  mvaddch(c.row, c.col, ACS_ULCORNER);
  mvaddch(c.row, right, ACS_URCORNER);
  mvaddch(bottom, c.col, ACS_LLCORNER);
  mvaddch(bottom, right, ACS_LRCORNER);
  mvhline(c.row, c.col + 1, ACS_HLINE, c.cols - 2);
  mvhline(bottom, c.col + 1, ACS_HLINE, c.cols - 2);
  mvvline(c.row + 1, c.col, ACS_VLINE, c.rows - 2);
  mvvline(c.row + 1, right, ACS_VLINE, c.rows - 2);
  if (withCaption && !caption.empty()) {
    std::string title = " " + caption + " ";
    title = title.substr(0, static_cast<size_t>(std::max(0, c.cols - 4)));
    Put(c.row, c.col + 2, title, active ? A_BOLD | A_REVERSE : A_BOLD);
  }
}

namespace {

bool IsMessageText(const Window& c) {
  return c.id == framework::kMessageTextId && c.parent != nullptr &&
         c.parent->role == WindowRole::MessageBox;
}

}  // namespace

// A static text, wrapped into its cells. A message box's text may be longer than the screen:
// it shows from its scrolled line, with arrows beside it and a marker in the bottom border
// while there is more above or below.
void TerminalFrontEnd::State::DrawStatic(const Window& c, const Cells& cells, const Cells& window) {
  if ((c.style & 0xFF) == SS_ETCHEDHORZ) {
    mvhline(cells.row, cells.col, ACS_HLINE, cells.cols);
    return;
  }
  const std::vector<std::string> lines = framework::WrapText(c.text, cells.cols);
  const int total = static_cast<int>(lines.size());
  int top = 0;
  if (IsMessageText(c)) {
    const auto it = scrollTop.find(c.parent);
    top = std::clamp(it != scrollTop.end() ? it->second : 0, 0, std::max(0, total - cells.rows));
  }
  const bool centred = (c.style & 0xF) == SS_CENTER;
  for (int r = 0; r < cells.rows && top + r < total; ++r) {
    const std::string& line = lines[static_cast<size_t>(top + r)];
    const int indent = centred ? (cells.cols - static_cast<int>(line.size())) / 2 : 0;
    Put(cells.row + r, cells.col + indent, line);
  }
  if (!IsMessageText(c) || total <= cells.rows) {
    return;
  }
  const int arrowCol = cells.col + cells.cols + 1;
  if (arrowCol < window.col + window.cols - 1) {
    if (top > 0) {
      mvaddch(cells.row, arrowCol, ACS_UARROW);
    }
    if (top + cells.rows < total) {
      mvaddch(cells.row + cells.rows - 1, arrowCol, ACS_DARROW);
    }
  }
  const std::string marker = MoreMarker(top, total, cells.rows, window.cols - 4);
  Put(window.row + window.rows - 1, window.col + window.cols - 2 - static_cast<int>(marker.size()),
      marker, A_BOLD);
}

void TerminalFrontEnd::State::DrawControl(const Window& c, const Cells& window, bool active) {
  const Cells cells = ControlCells(window, c.rect);
  if (cells.cols <= 0 || cells.rows <= 0 || !c.visible) {
    return;
  }
  switch (c.kind) {
    case WindowKind::Static:
      DrawStatic(c, cells, window);
      return;
    case WindowKind::Icon:
      if (c.icon != nullptr) {
        for (int r = 0; r < cells.rows && r < static_cast<int>(c.icon->picture.size()); ++r) {
          Put(cells.row + r, cells.col, c.icon->picture[static_cast<size_t>(r)]);
        }
      }
      return;
    case WindowKind::Progress: {
      const int inner = cells.cols - 2;
      const int fill = BarFill(c.rangeLow, c.rangeHigh, c.pos, inner);
      const int row = cells.row + (cells.rows - 1) / 2;
      mvaddch(row, cells.col, '[');
      for (int i = 0; i < inner; ++i) {
        mvaddch(row, cells.col + 1 + i, i < fill ? ACS_BLOCK : ACS_CKBOARD);
      }
      mvaddch(row, cells.col + inner + 1, ']');
      return;
    }
    case WindowKind::Button: {
      // The focus shows only in the window that takes the keys.
      const bool focused = active && c.parent != nullptr && c.parent->focus == &c;
      attr_t attrs = c.enabled ? A_NORMAL : A_DIM;
      if (focused) {
        attrs |= A_REVERSE;
      }
      const std::string shown = framework::StripMnemonic(c.text);
      const int row = cells.row + (cells.rows - 1) / 2;
      const bool listRow =
          c.parent != nullptr &&
          (c.parent->role == WindowRole::Menu ||
           (c.parent->role == WindowRole::Chooser && c.id >= framework::kChoiceFirstId));
      if (listRow) {
        Put(row, cells.col, std::string(static_cast<size_t>(cells.cols), ' '), attrs);
        PutLabel(row, cells.col + 1, c.text, attrs);
        return;
      }
      // "[label]", or ">label<" with the focus; centred on the button, spilling evenly over its
      // edges when the label is wider than the button.
      const int width = static_cast<int>(shown.size()) + 2;
      const int col = cells.col + (cells.cols - width) / 2;
      Put(row, col, focused ? ">" : "[", attrs);
      PutLabel(row, col + 1, c.text, attrs);
      Put(row, col + 1 + static_cast<int>(shown.size()), focused ? "<" : "]", attrs);
      return;
    }
    default:
      return;
  }
}

void TerminalFrontEnd::State::DrawWindow(const Window& w, bool active) {
  const Cells cells = Offset(WindowCells(w.rect), origin);
  Fill(cells);
  const bool caption = (w.style & WS_CAPTION) != 0;
  std::string title = w.text;
  DrawFrame(cells, title, caption, active);
  for (const Window* c : w.children) {
    DrawControl(*c, cells, active);
  }
}

void TerminalFrontEnd::State::DrawBanner() {
  int width = 0;
  for (const auto& line : banner) {
    width = std::max(width, static_cast<int>(line.size()));
  }
  Cells c;
  c.cols = width + 6;
  c.rows = static_cast<int>(banner.size()) + 4;
  c.col = origin.col + (kDesktopColumns - c.cols) / 2;
  c.row = origin.row + (kDesktopRows - c.rows) / 2;
  Fill(c);
  DrawFrame(c, "", false, false);
  for (size_t i = 0; i < banner.size(); ++i) {
    const int indent = (width - static_cast<int>(banner[i].size())) / 2;
    Put(c.row + 2 + static_cast<int>(i), c.col + 3 + indent, banner[i], A_BOLD);
  }
}

void TerminalFrontEnd::State::DrawNotice() {
  char text[128];
  std::snprintf(text, sizeof text, "Please make the terminal at least %d by %d (it is %d by %d).",
                kDesktopColumns, kDesktopRows, COLS, LINES);
  const std::vector<std::string> lines = framework::WrapText(text, std::max(1, COLS));
  for (size_t i = 0; i < lines.size(); ++i) {
    const int col = std::max(0, (COLS - static_cast<int>(lines[i].size())) / 2);
    Put(LINES / 2 + static_cast<int>(i), col, lines[i]);
  }
}

void TerminalFrontEnd::State::DrawAll() {
  erase();
  origin = DesktopOrigin(COLS, LINES);
  if (TooSmall()) {
    DrawNotice();
  } else {
    const std::vector<Window*> windows = framework::VisibleTopLevelWindows();
    const Window* active = framework::ActiveWindow();
    for (const Window* w : windows) {
      DrawWindow(*w, w == active);
    }
    if (!banner.empty()) {
      DrawBanner();
    }
  }
  refresh();
}

void TerminalFrontEnd::State::FlushIfDue(Clock::time_point now) {
  if (throttle.ShouldDraw(now)) {
    DrawAll();
  }
}

void TerminalFrontEnd::State::ExpireBanner(Clock::time_point now) {
  if (!banner.empty() && now >= bannerEnd) {
    banner.clear();
    throttle.Request();
  }
}

bool TerminalFrontEnd::State::HandleMouse() {
  MEVENT event;
  if (getmouse(&event) != OK || TooSmall()) {
    return false;
  }
  if ((event.bstate & (BUTTON1_PRESSED | BUTTON1_CLICKED)) == 0) {
    return false;
  }
  Window* active = framework::ActiveWindow();
  if (active == nullptr) {
    return false;
  }
  const Cells window = Offset(WindowCells(active->rect), origin);
  for (Window* c : active->children) {
    if (!c->IsButton()) {
      continue;
    }
    const Cells cells = ControlCells(window, c->rect);
    if (event.y >= cells.row && event.y < cells.row + cells.rows && event.x >= cells.col &&
        event.x < cells.col + cells.cols) {
      return framework::PostClick(c);
    }
  }
  return false;
}

// Arrows, Page Up, Page Down, Home and End scroll a message box whose text is longer than its
// area; true when the key was taken for that. Elsewhere the arrows move between buttons.
bool TerminalFrontEnd::State::ScrollMessage(int ch) {
  ScrollKey key;
  switch (ch) {
    case KEY_UP:
      key = ScrollKey::LineUp;
      break;
    case KEY_DOWN:
      key = ScrollKey::LineDown;
      break;
    case KEY_PPAGE:
      key = ScrollKey::PageUp;
      break;
    case KEY_NPAGE:
      key = ScrollKey::PageDown;
      break;
    case KEY_HOME:
      key = ScrollKey::Home;
      break;
    case KEY_END:
      key = ScrollKey::End;
      break;
    default:
      return false;
  }
  const Window* box = framework::ActiveWindow();
  const Window* text = box != nullptr && box->role == WindowRole::MessageBox
                           ? box->FindChild(framework::kMessageTextId)
                           : nullptr;
  if (text == nullptr) {
    return false;
  }
  const Cells cells = ControlCells(Offset(WindowCells(box->rect), origin), text->rect);
  const int total = static_cast<int>(framework::WrapText(text->text, cells.cols).size());
  if (total <= cells.rows) {
    return false;
  }
  int& top = scrollTop[box];
  top = Scrolled(top, total, cells.rows, key);
  throttle.Request();
  return true;
}

// Turns one key into a message for the active window; true when one was posted.
bool TerminalFrontEnd::State::HandleKey(int ch) {
  if (ch == KEY_RESIZE) {
    throttle.Request();
    return false;
  }
  if (!banner.empty()) {  // the first key puts the banner away and still counts
    banner.clear();
    throttle.Request();
  }
  if (TooSmall()) {
    return false;
  }
  if (ch == KEY_MOUSE) {
    return HandleMouse();
  }
  if (ScrollMessage(ch)) {
    return false;
  }
  int key = 0;
  LPARAM modifiers = 0;
  switch (ch) {
    case '\t':
      key = VK_TAB;
      break;
    case KEY_BTAB:
      key = VK_TAB;
      modifiers = KF_SHIFT;
      break;
    case '\n':
    case '\r':
    case KEY_ENTER:
      key = VK_RETURN;
      break;
    case 3:  // Ctrl+C
      key = VK_ESCAPE;
      break;
    case 27: {
      // Alt+key arrives as Esc followed by the key; a lone Esc has nothing behind it.
      timeout(0);
      const int next = getch();
      timeout(inputTimeout);
      if (next == ERR) {
        key = VK_ESCAPE;
      } else if (next == ' ') {
        key = VK_SPACE;
        modifiers = KF_ALT;
      } else {
        key = std::toupper(next);
        modifiers = KF_ALT;
      }
      break;
    }
    case KEY_LEFT:
      key = VK_LEFT;
      break;
    case KEY_RIGHT:
      key = VK_RIGHT;
      break;
    case KEY_UP:
      key = VK_UP;
      break;
    case KEY_DOWN:
      key = VK_DOWN;
      break;
    case KEY_F(10):
      key = VK_F10;
      break;
    case ' ':
      key = VK_SPACE;
      break;
    default:
      if (ch > 0 && ch < 128 && std::isalnum(ch)) {
        key = std::toupper(ch);
      }
      break;
  }
  if (key == 0) {
    return false;
  }
  framework::PostKey(key, modifiers);
  return true;
}

TerminalFrontEnd::TerminalFrontEnd() : state_(std::make_unique<State>()) {}

TerminalFrontEnd::~TerminalFrontEnd() {
  Close();
}

bool TerminalFrontEnd::Open() {
  if (state_->screen != nullptr) {
    return true;
  }
  if (isatty(STDIN_FILENO) == 0 || isatty(STDOUT_FILENO) == 0) {
    error_ = "standard input and output must be a terminal";
    return false;
  }
  std::setlocale(LC_ALL, "");
  haveShellModes = tcgetattr(STDIN_FILENO, &shellModes) == 0;
  state_->screen = newterm(nullptr, stdout, stdin);
  if (state_->screen == nullptr) {
    error_ = "cannot start the terminal screen";
    return false;
  }
  set_term(state_->screen);
  raw();
  noecho();
  nonl();
  keypad(stdscr, TRUE);
  set_escdelay(25);
  curs_set(0);
  mousemask(BUTTON1_PRESSED | BUTTON1_CLICKED, nullptr);
  mouseinterval(0);
  PrepareReset();
  InstallSignalHandlers();
  state_->throttle.Request();
  return true;
}

void TerminalFrontEnd::Close() {
  if (state_->screen == nullptr) {
    return;
  }
  RemoveSignalHandlers();
  endwin();
  delscreen(state_->screen);
  state_->screen = nullptr;
}

void TerminalFrontEnd::WindowOpened(const Window&) {
  state_->throttle.Request();
}
void TerminalFrontEnd::WindowClosed(const Window& window, int) {
  state_->scrollTop.erase(&window);
  state_->throttle.Request();
}
void TerminalFrontEnd::TextChanged(const Window&) {
  state_->throttle.Request();
}
void TerminalFrontEnd::BarChanged(const Window&) {
  state_->throttle.Request();
}
void TerminalFrontEnd::StateChanged(const Window&) {
  state_->throttle.Request();
}

void TerminalFrontEnd::Paint() {
  if (state_->screen == nullptr) {
    return;
  }
  state_->throttle.Request();
  state_->FlushIfDue(Clock::now());
}

void TerminalFrontEnd::PollInput() {
  if (state_->screen == nullptr) {
    return;
  }
  const Clock::time_point now = Clock::now();
  if (now - state_->lastPoll < kInputInterval) {
    return;
  }
  state_->lastPoll = now;
  state_->ExpireBanner(now);
  state_->FlushIfDue(now);
  state_->SetTimeout(0);
  for (int i = 0; i < 16; ++i) {
    const int ch = getch();
    if (ch == ERR) {
      break;
    }
    state_->HandleKey(ch);
  }
  state_->SetTimeout(-1);
  state_->FlushIfDue(Clock::now());
}

void TerminalFrontEnd::WaitInput() {
  if (state_->screen == nullptr) {
    framework::EndActiveWindow();  // nothing can answer
    return;
  }
  while (true) {
    const Clock::time_point now = Clock::now();
    state_->ExpireBanner(now);
    state_->FlushIfDue(now);
    int waitMs = -1;
    if (state_->throttle.Pending()) {
      waitMs = ToMillis(state_->throttle.NextDraw() - now);
    }
    if (!state_->banner.empty()) {
      const int bannerMs = ToMillis(state_->bannerEnd - now);
      waitMs = waitMs < 0 ? bannerMs : std::min(waitMs, bannerMs);
    }
    state_->SetTimeout(waitMs);
    const int ch = getch();
    state_->SetTimeout(-1);
    if (ch == ERR && waitMs < 0 && ++state_->failedWaits > 100) {
      // The terminal is gone: nothing will ever answer.
      framework::EndActiveWindow();
      return;
    }
    if (ch != ERR) {
      state_->failedWaits = 0;
    }
    if (ch != ERR && state_->HandleKey(ch)) {
      state_->FlushIfDue(Clock::now());
      return;
    }
  }
}

void TerminalFrontEnd::ShowBanner(const std::vector<std::string>& lines) {
  state_->banner = lines;
  state_->bannerEnd = Clock::now() + kBannerTime;
  state_->throttle.Request();
  if (state_->screen != nullptr) {
    state_->FlushIfDue(Clock::now());
  }
}

}  // namespace terminal
