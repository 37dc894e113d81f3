// CDialog, the dialog manager's keys, the controls and data exchange.
#include "platform/framework/dialog.h"

#include <cctype>
#include <cstdlib>

#include "platform/framework/app.h"
#include "platform/framework/internal.h"

using framework::Window;
using framework::WindowKind;
using framework::WindowRole;
namespace detail = framework::detail;

CDialog::CDialog() = default;

CDialog::CDialog(UINT templateId, CWnd* parent)
    : m_lpszTemplateName(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() = default;

void CDialog::InitModalIndirect(const framework::DialogTemplate& tmpl, WindowRole role) {
  indirect_ = std::make_unique<framework::DialogTemplate>(tmpl);
  role_ = role;
}

namespace {

Window* OwnerWindow(CWnd* parent) {
  Window* owner = parent != nullptr ? parent->m_hWnd : framework::ActiveWindow();
  if (owner != nullptr && owner->kind == WindowKind::Desktop) {
    return nullptr;
  }
  return owner != nullptr ? owner->TopLevel() : nullptr;
}

void CreateControls(Window* dialog, const framework::DialogTemplate& tmpl) {
  for (const framework::ControlTemplate& ct : tmpl.controls) {
    Window* c = detail::NewWindow(ct.kind, dialog);
    c->id = ct.id;
    c->text = ct.text;
    c->rect = {ct.x, ct.y, ct.cx, ct.cy};
    c->style = ct.style;
    c->enabled = (ct.style & WS_DISABLED) == 0;
    c->visible = true;
    if (ct.kind == WindowKind::Icon) {
      c->icon = framework::Resources().FindIcon(ct.iconId);
    }
  }
}

}  // namespace

bool CDialog::CreateFromTemplate(CWnd* owner) {
  const framework::DialogTemplate* tmpl =
      indirect_ ? indirect_.get()
                : framework::Resources().FindDialog(static_cast<int>(m_lpszTemplateName));
  if (tmpl == nullptr || m_hWnd != nullptr) {
    return false;
  }
  Window* w = detail::NewWindow(WindowKind::Dialog, nullptr);
  w->role = role_;
  w->id = tmpl->id;
  w->text = tmpl->caption;
  w->rect = {tmpl->x, tmpl->y, tmpl->cx, tmpl->cy};
  w->style = tmpl->style;
  w->owner = OwnerWindow(owner);
  w->hasSystemMenu = (tmpl->style & WS_SYSMENU) != 0;
  if (w->hasSystemMenu) {
    w->systemMenu.push_back({MF_STRING, SC_CLOSE, "&Close"});
  }
  Attach(w);
  if ((tmpl->style & DS_CENTER) != 0) {
    CenterWindow();
  }
  CREATESTRUCT cs{w->owner, w->rect.x, w->rect.y, w->rect.cx, w->rect.cy};
  if (SendMessage(WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    detail::DestroyTree(w, -1);
    return false;
  }
  if (!detail::IsLive(w)) {
    return false;
  }
  CreateControls(w, *tmpl);
  return true;
}

// Runs OnInitDialog, gives the first enabled button the focus and shows the window, unless the
// dialog ended during its initialisation.
void CDialog::InitAndShow() {
  Window* self = m_hWnd;
  const bool focusFirst = SendMessage(WM_INITDIALOG) != 0;
  if (endRequested_ || !detail::IsLive(self) || m_hWnd != self) {
    return;
  }
  if (focusFirst) {
    detail::SetFocusTo(self, detail::FirstEnabledButton(self));
  }
  self->visible = true;
  detail::NotifyOpened(self);
}

int CDialog::DoModal() {
  Window* owner = OwnerWindow(m_pParentWnd);
  endRequested_ = false;
  result_ = -1;
  if (!CreateFromTemplate(m_pParentWnd)) {
    return -1;
  }
  modal_ = true;
  Window* self = m_hWnd;
  const bool disableOwner = owner != nullptr && owner->enabled;
  if (disableOwner) {
    owner->enabled = false;
    detail::NotifyState(owner);
  }
  InitAndShow();
  while (!endRequested_ && detail::IsLive(self)) {
    MSG msg;
    if (!GetMessage(&msg, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // for the loops further out
      if (!endRequested_) {
        result_ = IDCANCEL;
      }
      break;
    }
    DispatchMessage(&msg);
  }
  if (disableOwner && detail::IsLive(owner)) {
    owner->enabled = true;
    detail::NotifyState(owner);
  }
  modal_ = false;
  const int result = result_;
  if (detail::IsLive(self)) {
    detail::DestroyTree(self, result);
  }
  return result;
}

bool CDialog::Create(UINT templateId, CWnd* parent) {
  m_lpszTemplateName = templateId;
  m_pParentWnd = parent;
  endRequested_ = false;
  modal_ = false;
  if (!CreateFromTemplate(parent)) {
    return false;
  }
  InitAndShow();
  return m_hWnd != nullptr;
}

void CDialog::EndDialog(int result) {
  result_ = result;
  endRequested_ = true;
  if (!modal_ && m_hWnd != nullptr) {
    ShowWindow(SW_HIDE);
  }
}

bool CDialog::UpdateData(bool saveAndValidate) {
  if (m_hWnd == nullptr) {
    return false;
  }
  CDataExchange dx(this, saveAndValidate);
  DoDataExchange(&dx);
  return true;
}

void CDialog::GotoDlgCtrl(CWnd* control) {
  if (control != nullptr && control->m_hWnd != nullptr && control->m_hWnd->parent == m_hWnd) {
    detail::SetFocusTo(m_hWnd, control->m_hWnd);
  }
}

void CDialog::NextDlgCtrl() {
  if (m_hWnd == nullptr) {
    return;
  }
  if (Window* next = detail::NextEnabledButton(m_hWnd, m_hWnd->focus, +1)) {
    detail::SetFocusTo(m_hWnd, next);
  }
}

void CDialog::PrevDlgCtrl() {
  if (m_hWnd == nullptr) {
    return;
  }
  if (Window* prev = detail::NextEnabledButton(m_hWnd, m_hWnd->focus, -1)) {
    detail::SetFocusTo(m_hWnd, prev);
  }
}

int CDialog::GetDefID() const {
  if (m_hWnd != nullptr) {
    for (Window* child : m_hWnd->children) {
      if (child->IsDefaultButton()) {
        return child->id;
      }
    }
  }
  return IDOK;
}

bool CDialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void CDialog::OnOK() {
  if (!UpdateData(true)) {
    return;
  }
  EndDialog(IDOK);
}

void CDialog::OnCancel() {
  EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange* /*pDX*/) {}

bool CDialog::OnCommand(UINT id) {
  if (RouteCommand(id)) {
    return true;
  }
  if (id == static_cast<UINT>(IDOK)) {
    OnOK();
    return true;
  }
  if (id == static_cast<UINT>(IDCANCEL)) {
    OnCancel();
    return true;
  }
  return false;
}

void CDialog::OnSysCommand(UINT nID, LPARAM lParam) {
  CWnd::OnSysCommand(nID, lParam);
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog() ? 1 : 0;
    case WM_KEYDOWN:
      return HandleKey(static_cast<int>(wParam), lParam) ? 1 : 0;
    case WM_CLOSE:
      SendEscape();
      return 0;
    default:
      return CWnd::WindowProc(message, wParam, lParam);
  }
}

// Esc and the close command: IDCANCEL, unless a Cancel button exists and is disabled. A message
// box without a Cancel button answers Esc only when OK is its one button.
void CDialog::SendEscape() {
  Window* w = m_hWnd;
  Window* cancel = w->FindChild(IDCANCEL);
  if (w->role == WindowRole::MessageBox && cancel == nullptr) {
    if ((w->messageBoxType & MB_TYPEMASK) == MB_OK) {
      SendMessage(WM_COMMAND, IDOK);
    }
    return;
  }
  if (cancel != nullptr && !cancel->enabled) {
    return;
  }
  SendMessage(WM_COMMAND, IDCANCEL);
}

bool CDialog::HandleKey(int key, LPARAM modifiers) {
  Window* w = m_hWnd;
  if (w == nullptr || !w->enabled || !w->visible) {
    return false;
  }
  const bool shift = (modifiers & KF_SHIFT) != 0;
  const bool alt = (modifiers & KF_ALT) != 0;
  if (key == VK_F10 || (alt && key == VK_SPACE)) {
    if (w->hasSystemMenu) {
      const UINT command = detail::TrackSystemMenu(w);
      if (command != 0 && detail::IsLive(w)) {
        SendMessage(WM_SYSCOMMAND, command);
      }
    }
    return true;
  }
  Window* focus = w->focus;
  switch (key) {
    case VK_ESCAPE:
      SendEscape();
      return true;
    case VK_RETURN: {
      Window* button = focus != nullptr && focus->IsButton() ? focus : detail::DefaultButton(w);
      if (button != nullptr) {
        detail::PressButton(button);
      }
      return true;
    }
    case VK_SPACE:
      if (focus != nullptr) {
        detail::PressButton(focus);
      }
      return true;
    case VK_TAB:
    case VK_RIGHT:
    case VK_DOWN:
    case VK_LEFT:
    case VK_UP: {
      const bool back = key == VK_LEFT || key == VK_UP || (key == VK_TAB && shift);
      if (Window* next = detail::NextEnabledButton(w, focus, back ? -1 : +1)) {
        detail::SetFocusTo(w, next);
      }
      return true;
    }
    default:
      break;
  }
  const char wanted = static_cast<char>(std::toupper(key));
  for (Window* child : w->children) {
    if (child->IsButton() && child->enabled && framework::MnemonicOf(child->text) == wanted) {
      detail::PressButton(child);
      return true;
    }
  }
  return false;
}

// Controls.

void CProgressCtrl::SetRange32(int lower, int upper) {
  if (m_hWnd == nullptr) {
    return;
  }
  Window* w = m_hWnd;
  const int pos = std::max(std::min(lower, upper), std::min(w->pos, std::max(lower, upper)));
  if (w->rangeLow == lower && w->rangeHigh == upper && w->pos == pos) {
    return;
  }
  w->rangeLow = lower;
  w->rangeHigh = upper;
  w->pos = pos;
  detail::NotifyBar(w);
}

void CProgressCtrl::GetRange(int& lower, int& upper) const {
  lower = m_hWnd != nullptr ? m_hWnd->rangeLow : 0;
  upper = m_hWnd != nullptr ? m_hWnd->rangeHigh : 0;
}

int CProgressCtrl::SetPos(int pos) {
  if (m_hWnd == nullptr) {
    return 0;
  }
  Window* w = m_hWnd;
  const int previous = w->pos;
  const int low = std::min(w->rangeLow, w->rangeHigh);
  const int high = std::max(w->rangeLow, w->rangeHigh);
  const int clamped = std::max(low, std::min(pos, high));
  if (clamped != previous) {
    w->pos = clamped;
    detail::NotifyBar(w);
  }
  return previous;
}

int CProgressCtrl::GetPos() const {
  return m_hWnd != nullptr ? m_hWnd->pos : 0;
}

int CProgressCtrl::OffsetPos(int delta) {
  return SetPos(GetPos() + delta);
}

// Data exchange.

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
  if (control.m_hWnd == nullptr) {
    control.SubclassDlgItem(static_cast<UINT>(id), pDX->m_pDlgWnd);
  }
}

void DDX_Text(CDataExchange* pDX, int id, CString& value) {
  CWnd* item = pDX->m_pDlgWnd->GetDlgItem(id);
  if (item == nullptr) {
    return;
  }
  if (pDX->m_bSaveAndValidate) {
    item->GetWindowText(value);
  } else {
    item->SetWindowText(value);
  }
}

void DDX_Text(CDataExchange* pDX, int id, int& value) {
  CString text = std::to_string(value);
  DDX_Text(pDX, id, text);
  if (pDX->m_bSaveAndValidate) {
    value = static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
  }
}
