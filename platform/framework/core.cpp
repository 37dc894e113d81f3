// The windows of the thread, the message queue, focus and the front end in use.
#include <algorithm>

#include "platform/framework/dialog.h"
#include "platform/framework/internal.h"

namespace framework::detail {

State& S() {
  static State* state = [] {
    auto* s = new State;
    s->desktop.kind = WindowKind::Desktop;
    s->desktop.rect = {0, 0, kDesktopWidth, kDesktopHeight};
    s->desktop.visible = true;
    return s;
  }();
  return *state;
}

bool IsLive(const Window* window) {
  return window != nullptr && (window == &S().desktop || S().live.count(window) != 0);
}

Window* NewWindow(WindowKind kind, Window* parent) {
  auto window = std::make_unique<Window>();
  window->kind = kind;
  window->parent = parent;
  Window* raw = window.get();
  S().live.insert(raw);
  S().windows.push_back(std::move(window));
  if (parent != nullptr) {
    parent->children.push_back(raw);
  } else {
    S().topLevels.push_back(raw);
  }
  return raw;
}

namespace {

void Detach(Window* window) {
  if (window->object != nullptr) {
    window->object->m_hWnd = nullptr;
    window->object = nullptr;
  }
  auto standIn = S().standIns.find(window);
  if (standIn != S().standIns.end()) {
    standIn->second->m_hWnd = nullptr;
    S().standIns.erase(standIn);
  }
  window->standIn = nullptr;
}

void DropMessagesFor(const Window* window) {
  auto& q = S().queue;
  q.erase(std::remove_if(q.begin(), q.end(), [&](const MSG& m) { return m.hwnd == window; }),
          q.end());
}

void Free(Window* window) {
  S().live.erase(window);
  auto& all = S().windows;
  all.erase(std::remove_if(all.begin(), all.end(),
                           [&](const std::unique_ptr<Window>& w) { return w.get() == window; }),
            all.end());
}

}  // namespace

void DestroyTree(Window* window, int result) {
  if (!IsLive(window) || window == &S().desktop || window->destroyed) {
    return;
  }
  window->destroyed = true;
  if (window->parent == nullptr) {
    if (S().frontEnd != nullptr) {
      S().frontEnd->WindowClosed(*window, result);
    }
    auto& tops = S().topLevels;
    tops.erase(std::remove(tops.begin(), tops.end(), window), tops.end());
    // Windows it owns go with it.
    for (const auto& w : S().windows) {
      if (w->parent == nullptr && w->owner == window && !w->destroyed) {
        w->owner = nullptr;
      }
    }
  } else {
    auto& siblings = window->parent->children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), window), siblings.end());
    if (window->parent->focus == window) {
      window->parent->focus = nullptr;
    }
  }
  std::vector<Window*> children = window->children;
  for (Window* child : children) {
    DestroyTree(child, 0);
  }
  Detach(window);
  DropMessagesFor(window);
  Free(window);
  if (S().frontEnd != nullptr && !S().topLevels.empty()) {
    Invalidate(S().topLevels.back());
  }
}

void Invalidate(Window* window) {
  if (window != nullptr) {
    window->TopLevel()->needsPaint = true;
  }
}

void NotifyText(Window* window) {
  Invalidate(window);
  if (S().frontEnd != nullptr) {
    S().frontEnd->TextChanged(*window);
  }
}

void NotifyBar(Window* window) {
  Invalidate(window);
  if (S().frontEnd != nullptr) {
    S().frontEnd->BarChanged(*window);
  }
}

void NotifyState(Window* window) {
  Invalidate(window);
  if (S().frontEnd != nullptr) {
    S().frontEnd->StateChanged(*window);
  }
}

void NotifyOpened(Window* window) {
  Invalidate(window);
  if (S().frontEnd != nullptr) {
    S().frontEnd->WindowOpened(*window);
  }
}

void PaintNow(Window* window) {
  window->TopLevel()->needsPaint = false;
  if (S().frontEnd != nullptr) {
    S().frontEnd->Paint();
  }
}

namespace {

bool Pressable(const Window* control) {
  return control != nullptr && control->IsButton() && control->enabled && control->visible;
}

}  // namespace

void SetFocusTo(Window* dialog, Window* control) {
  if (dialog->focus == control) {
    return;
  }
  dialog->focus = control;
  NotifyState(dialog);
}

Window* FirstEnabledButton(Window* dialog) {
  for (Window* child : dialog->children) {
    if (Pressable(child)) {
      return child;
    }
  }
  return nullptr;
}

Window* NextEnabledButton(Window* dialog, Window* from, int direction) {
  const auto& list = dialog->children;
  const int n = static_cast<int>(list.size());
  if (n == 0) {
    return nullptr;
  }
  int start = static_cast<int>(std::find(list.begin(), list.end(), from) - list.begin());
  if (start >= n) {
    start = direction > 0 ? n - 1 : 0;
  }
  for (int step = 1; step <= n; ++step) {
    Window* candidate = list[static_cast<size_t>(((start + direction * step) % n + n) % n)];
    if (Pressable(candidate)) {
      return candidate;
    }
  }
  return nullptr;
}

Window* DefaultButton(Window* dialog) {
  for (Window* child : dialog->children) {
    if (child->IsDefaultButton()) {
      return child;
    }
  }
  return dialog->FindChild(IDOK);
}

void PressButton(Window* button) {
  Window* dialog = button->parent;
  if (dialog == nullptr || !Pressable(button) || !dialog->enabled) {
    return;
  }
  SetFocusTo(dialog, button);
  SendMessage(dialog, WM_COMMAND, static_cast<WPARAM>(button->id), 0);
}

CDialog* DialogOf(Window* window) {
  if (window == nullptr || window->object == nullptr) {
    return nullptr;
  }
  return dynamic_cast<CDialog*>(window->object);
}

LRESULT DefaultProc(Window* window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      PaintNow(window);
      return 0;
    case WM_LBUTTONDOWN:
      if (window->parent != nullptr && window->parent == ActiveWindow()) {
        PressButton(window);
      }
      return 0;
    case WM_KEYDOWN:
      // Keys reach the dialog whichever control they were meant for.
      if (window->parent != nullptr) {
        return SendMessage(window->parent, message, wParam, lParam);
      }
      return 0;
    default:
      return 0;
  }
}

}  // namespace framework::detail

namespace framework {

using detail::S;

void SetFrontEnd(FrontEnd* frontEnd) {
  S().frontEnd = frontEnd;
}
FrontEnd* CurrentFrontEnd() {
  return S().frontEnd;
}

std::vector<Window*> VisibleTopLevelWindows() {
  std::vector<Window*> visible;
  for (Window* w : S().topLevels) {
    if (w->visible) {
      visible.push_back(w);
    }
  }
  return visible;
}

Window* ActiveWindow() {
  const auto& tops = S().topLevels;
  for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
    if ((*it)->visible && (*it)->enabled) {
      return *it;
    }
  }
  return nullptr;
}

void PostKey(int key, LPARAM modifiers) {
  Window* active = ActiveWindow();
  if (active != nullptr) {
    PostMessage(active, WM_KEYDOWN, static_cast<WPARAM>(key), modifiers);
  }
}

void EndActiveWindow() {
  Window* active = ActiveWindow();
  CDialog* dialog = detail::DialogOf(active);
  if (dialog == nullptr) {
    return;
  }
  int result = IDCANCEL;
  if (active->role == WindowRole::MessageBox) {
    if (active->FindChild(IDNO) != nullptr) {
      result = IDNO;
    } else if (active->FindChild(IDCANCEL) == nullptr) {
      result = IDOK;
    }
  } else if (active->role == WindowRole::Menu) {
    result = 0;
  }
  dialog->EndDialog(result);
  PostMessage(active, 0, 0, 0);  // wakes the modal loop
}

Window* ActiveButton(int id) {
  Window* active = ActiveWindow();
  if (active == nullptr) {
    return nullptr;
  }
  Window* button = active->FindChild(id);
  if (button == nullptr || !button->IsButton() || !button->enabled || !button->visible) {
    return nullptr;
  }
  return button;
}

bool PostClick(Window* control) {
  Window* active = ActiveWindow();
  if (control == nullptr || active == nullptr || control->parent != active ||
      !control->IsButton() || !control->enabled) {
    return false;
  }
  return PostMessage(control, WM_LBUTTONDOWN, 0, 0);
}

}  // namespace framework

// The queue.

using framework::Window;
using framework::detail::S;

namespace {

bool TakeQueued(MSG* msg, HWND hwnd, bool remove) {
  auto& q = S().queue;
  for (auto it = q.begin(); it != q.end(); ++it) {
    if (hwnd == nullptr || it->hwnd == hwnd) {
      *msg = *it;
      if (remove) {
        q.erase(it);
      }
      return true;
    }
  }
  return false;
}

bool TakePaint(MSG* msg, HWND hwnd) {
  for (Window* w : S().topLevels) {
    if (w->visible && w->needsPaint && (hwnd == nullptr || hwnd == w)) {
      *msg = MSG{w, WM_PAINT, 0, 0};
      return true;
    }
  }
  return false;
}

}  // namespace

bool PeekMessage(MSG* msg, HWND hwnd, UINT /*filterMin*/, UINT /*filterMax*/, UINT removeMsg) {
  if (S().frontEnd != nullptr) {
    S().frontEnd->PollInput();
  }
  if (TakeQueued(msg, hwnd, (removeMsg & PM_REMOVE) != 0)) {
    return true;
  }
  if (S().quit) {
    *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(S().quitCode), 0};
    if ((removeMsg & PM_REMOVE) != 0) {
      S().quit = false;
    }
    return true;
  }
  return TakePaint(msg, hwnd);
}

bool GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  while (true) {
    if (TakeQueued(msg, hwnd, true)) {
      return true;
    }
    if (S().quit) {
      S().quit = false;
      *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(S().quitCode), 0};
      return false;
    }
    if (TakePaint(msg, hwnd)) {
      return true;
    }
    if (S().frontEnd == nullptr) {
      framework::EndActiveWindow();
      if (S().queue.empty()) {
        // Nothing left that could end the wait.
        *msg = MSG{nullptr, WM_QUIT, 0, 0};
        return false;
      }
      continue;
    }
    S().frontEnd->WaitInput();
    (void)filterMin;
    (void)filterMax;
  }
}

LRESULT DispatchMessage(const MSG* msg) {
  Window* window = msg->hwnd;
  if (!framework::detail::IsLive(window)) {
    return 0;
  }
  if (msg->message == WM_KEYDOWN) {
    // Keys typed ahead belong to the window that is active when they are taken: an Esc and a Y
    // typed together cancel and then answer the question the Esc raised.
    window = framework::ActiveWindow();
    if (window == nullptr) {
      return 0;
    }
  }
  if (msg->message == WM_PAINT) {
    // Cleared before the handler runs, so a handler that draws nothing does not loop.
    window->needsPaint = false;
  }
  return SendMessage(window, msg->message, msg->wParam, msg->lParam);
}

bool PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!framework::detail::IsLive(hwnd)) {
    return false;
  }
  S().queue.push_back(MSG{hwnd, message, wParam, lParam});
  return true;
}

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!framework::detail::IsLive(hwnd)) {
    return 0;
  }
  if (hwnd->object != nullptr) {
    return hwnd->object->WindowProc(message, wParam, lParam);
  }
  return framework::detail::DefaultProc(hwnd, message, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
  S().quit = true;
  S().quitCode = exitCode;
}

bool PumpOneMessage() {
  MSG msg;
  if (!PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    return false;
  }
  if (msg.message == WM_QUIT) {
    PostQuitMessage(static_cast<int>(msg.wParam));  // left for the loop that owns the thread
    return false;
  }
  DispatchMessage(&msg);
  return true;
}

bool IsWindow(HWND hwnd) {
  return framework::detail::IsLive(hwnd);
}
HWND GetDesktopWindow() {
  return &S().desktop;
}
HWND GetActiveWindow() {
  return framework::ActiveWindow();
}

int GetSystemMetrics(int index) {
  return index == SM_CXICON || index == SM_CYICON ? 32 : 0;
}
