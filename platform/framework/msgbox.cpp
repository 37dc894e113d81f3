// Message boxes and the system menu popup: dialogs built at run time.
#include "platform/framework/msgbox.h"

#include <algorithm>

#include "platform/framework/app.h"
#include "platform/framework/dialog.h"
#include "platform/framework/internal.h"
#include "platform/framework/strings.h"

using framework::ControlTemplate;
using framework::DialogTemplate;
using framework::Window;
using framework::WindowKind;
using framework::WindowRole;

namespace {

constexpr int kColumn = 4;  // dialog units of one character cell
constexpr int kRow = 8;
// A box higher than the screen would lose its buttons: the text area stops at 18 lines, and
// the front end scrolls a longer text. It then shows where the rest lies, which needs a box
// wide enough for a line such as "Lines 1-18 of 40, more below (PgDn)".
constexpr size_t kMaxTextRows = 18;
constexpr int kMinScrolledTextCols = 44;

struct ButtonSpec {
  int id;
  const char* label;
};

std::vector<ButtonSpec> ButtonsOf(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_YESNOCANCEL:
      return {{IDYES, "&Yes"}, {IDNO, "&No"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO:
      return {{IDYES, "&Yes"}, {IDNO, "&No"}};
    default:
      return {{IDOK, "OK"}};
  }
}

int LabelColumns(const char* label) {
  return static_cast<int>(framework::StripMnemonic(label).size()) + 4;  // "[ " label " ]"
}

// Text at the top, the buttons centred below it, a blank cell around everything.
DialogTemplate MessageBoxTemplate(const CString& text, UINT type) {
  int wrap = 60;
  std::vector<std::string> lines = framework::WrapText(text, wrap);
  if (lines.size() > 12) {
    wrap = 72;
    lines = framework::WrapText(text, wrap);
  }
  const bool scrolled = lines.size() > kMaxTextRows;
  lines.resize(std::min(lines.size(), kMaxTextRows));
  int textCols = scrolled ? kMinScrolledTextCols : 20;
  for (const auto& line : lines) {
    textCols = std::max(textCols, static_cast<int>(line.size()));
  }
  const std::vector<ButtonSpec> buttons = ButtonsOf(type);
  int buttonCols = 0;
  for (const ButtonSpec& b : buttons) {
    buttonCols += LabelColumns(b.label) + 2;
  }
  buttonCols -= 2;
  const int cols = std::max(textCols, buttonCols) + 6;
  const int textRows = static_cast<int>(lines.size());

  DialogTemplate t;
  t.caption = AfxGetApp() != nullptr ? AfxGetApp()->m_pszAppName : CString();
  t.cx = cols * kColumn;
  t.cy = (textRows + 4) * kRow;
  t.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_CENTER;
  ControlTemplate label;
  label.id = framework::kMessageTextId;
  label.kind = WindowKind::Static;
  label.text = text;
  label.x = 3 * kColumn;
  label.y = kRow;
  label.cx = (cols - 6) * kColumn;
  label.cy = textRows * kRow;
  t.controls.push_back(label);
  int col = (cols - buttonCols) / 2;
  for (size_t i = 0; i < buttons.size(); ++i) {
    ControlTemplate b;
    b.id = buttons[i].id;
    b.kind = WindowKind::Button;
    b.text = buttons[i].label;
    b.x = col * kColumn;
    b.y = (textRows + 2) * kRow;
    b.cx = LabelColumns(buttons[i].label) * kColumn;
    b.cy = kRow;
    b.style = (i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP;
    t.controls.push_back(b);
    col += LabelColumns(buttons[i].label) + 2;
  }
  return t;
}

// Ends with the id of the button pressed.
class MessageBoxDialog : public CDialog {
 public:
  explicit MessageBoxDialog(UINT type) : type_(type) {}

 protected:
  int OnCreate(LPCREATESTRUCT) override {
    m_hWnd->messageBoxType = type_;
    return 0;
  }
  bool OnCommand(UINT id) override {
    if (m_hWnd != nullptr && m_hWnd->FindChild(static_cast<int>(id)) != nullptr) {
      EndDialog(static_cast<int>(id));
      return true;
    }
    return false;
  }

 private:
  UINT type_;
};

// Ends with the command chosen, or 0.
class MenuDialog : public CDialog {
 public:
  explicit MenuDialog(CWnd* owner) { m_pParentWnd = owner; }

 protected:
  bool OnCommand(UINT id) override {
    Window* item = m_hWnd != nullptr ? m_hWnd->FindChild(static_cast<int>(id)) : nullptr;
    EndDialog(item != nullptr && item->IsButton() ? static_cast<int>(id) : 0);
    return true;
  }
};

}  // namespace

int AfxMessageBox(const CString& text, UINT type, UINT /*helpId*/) {
  MessageBoxDialog box(type);
  box.InitModalIndirect(MessageBoxTemplate(text, type), WindowRole::MessageBox);
  return box.DoModal();
}

int AfxMessageBox(UINT idPrompt, UINT type, UINT helpId) {
  return AfxMessageBox(LoadString(idPrompt), type, helpId);
}

namespace framework::detail {

UINT TrackSystemMenu(Window* dialog) {
  DialogTemplate t;
  int cols = 12;
  for (const MenuItem& item : dialog->systemMenu) {
    cols = std::max(cols, static_cast<int>(StripMnemonic(item.text).size()) + 4);
  }
  int row = 0;
  for (const MenuItem& item : dialog->systemMenu) {
    ControlTemplate c;
    c.kind = item.flags == MF_SEPARATOR ? WindowKind::Static : WindowKind::Button;
    c.id = item.flags == MF_SEPARATOR ? IDC_STATIC : static_cast<int>(item.id);
    c.text = item.text;
    c.style = item.flags == MF_SEPARATOR ? SS_ETCHEDHORZ : BS_PUSHBUTTON;
    c.x = kColumn;
    c.y = row * kRow;
    c.cx = (cols - 2) * kColumn;
    c.cy = kRow;
    t.controls.push_back(c);
    ++row;
  }
  t.x = dialog->rect.x + kColumn;
  t.y = dialog->rect.y + kRow;
  t.cx = cols * kColumn;
  t.cy = std::max(1, row) * kRow;
  t.style = WS_POPUP;
  MenuDialog menu(CWnd::FromHandle(dialog));
  menu.InitModalIndirect(t, WindowRole::Menu);
  const int chosen = menu.DoModal();
  return chosen > 0 ? static_cast<UINT>(chosen) : 0;
}

}  // namespace framework::detail
