// CWnd, CMenu and CPaintDC.
#include "platform/framework/wnd.h"

#include <algorithm>

#include "platform/framework/app.h"
#include "platform/framework/internal.h"
#include "platform/framework/msgbox.h"

using framework::Window;
using framework::WindowKind;
namespace detail = framework::detail;

// CMenu

bool CMenu::AppendMenu(UINT flags, UINT id, const CString& text) {
  if (!detail::IsLive(window_) || !window_->hasSystemMenu) {
    return false;
  }
  framework::MenuItem item;
  item.flags = flags & MF_SEPARATOR;
  item.id = item.flags == MF_SEPARATOR ? 0 : id;
  item.text = item.flags == MF_SEPARATOR ? CString() : text;
  window_->systemMenu.push_back(item);
  return true;
}

int CMenu::GetMenuItemCount() const {
  return detail::IsLive(window_) ? static_cast<int>(window_->systemMenu.size()) : -1;
}

UINT CMenu::GetMenuItemID(int pos) const {
  if (!detail::IsLive(window_) || pos < 0 || pos >= static_cast<int>(window_->systemMenu.size())) {
    return static_cast<UINT>(-1);
  }
  return window_->systemMenu[static_cast<size_t>(pos)].id;
}

// CWnd

CWnd::CWnd() = default;

CWnd::~CWnd() {
  if (m_hWnd != nullptr && m_hWnd->object == this) {
    HWND window = m_hWnd;
    window->object = nullptr;
    m_hWnd = nullptr;
    // A control goes with its dialog; only a top-level window is destroyed with its object.
    if (window->parent == nullptr) {
      detail::DestroyTree(window, 0);
    }
  }
}

namespace {

// The object of a window known to be live: the attached one, else its stand-in.
CWnd* ObjectOf(HWND hwnd) {
  if (hwnd->object != nullptr) {
    return hwnd->object;
  }
  if (hwnd->standIn == nullptr) {
    auto& slot = detail::S().standIns[hwnd];
    slot = std::make_unique<CWnd>();
    slot->m_hWnd = hwnd;  // not attached: hwnd->object stays empty
    hwnd->standIn = slot.get();
  }
  return hwnd->standIn;
}

}  // namespace

CWnd* CWnd::FromHandle(HWND hwnd) {
  return detail::IsLive(hwnd) ? ObjectOf(hwnd) : nullptr;
}

bool CWnd::Attach(HWND hwnd) {
  if (m_hWnd != nullptr || !detail::IsLive(hwnd) || hwnd->object != nullptr) {
    return false;
  }
  auto standIn = detail::S().standIns.find(hwnd);
  if (standIn != detail::S().standIns.end()) {
    standIn->second->m_hWnd = nullptr;
    detail::S().standIns.erase(standIn);
  }
  hwnd->standIn = nullptr;
  m_hWnd = hwnd;
  hwnd->object = this;
  return true;
}

HWND CWnd::Detach() {
  HWND hwnd = m_hWnd;
  if (hwnd != nullptr && hwnd->object == this) {
    hwnd->object = nullptr;
  }
  m_hWnd = nullptr;
  return hwnd;
}

bool CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  if (parent == nullptr || parent->m_hWnd == nullptr) {
    return false;
  }
  return Attach(parent->m_hWnd->FindChild(static_cast<int>(id)));
}

bool CWnd::EnableWindow(bool enable) {
  if (m_hWnd == nullptr) {
    return false;
  }
  Window* w = m_hWnd;
  const bool wasDisabled = !w->enabled;
  if (w->enabled == enable) {
    return wasDisabled;
  }
  w->enabled = enable;
  // The focus never rests on a disabled button: it goes to the default button, or, while that
  // is disabled too, to the next button that is enabled (the default first).
  Window* dialog = w->parent;
  if (dialog != nullptr) {
    Window* defaultButton = detail::DefaultButton(dialog);
    if (!enable && dialog->focus == w) {
      const bool usable = defaultButton != nullptr && defaultButton->enabled;
      detail::SetFocusTo(dialog, usable ? defaultButton : nullptr);
    } else if (enable && w->IsButton() && dialog->focus == nullptr && dialog->visible &&
               (w == defaultButton || defaultButton == nullptr || !defaultButton->enabled)) {
      detail::SetFocusTo(dialog, w);
    }
  }
  detail::NotifyState(w);
  return wasDisabled;
}

bool CWnd::IsWindowEnabled() const {
  return m_hWnd != nullptr && m_hWnd->enabled;
}

bool CWnd::ShowWindow(int nCmdShow) {
  if (m_hWnd == nullptr) {
    return false;
  }
  const bool wasVisible = m_hWnd->visible;
  const bool show = nCmdShow != SW_HIDE;
  if (wasVisible != show) {
    m_hWnd->visible = show;
    detail::NotifyState(m_hWnd);
  }
  return wasVisible;
}

bool CWnd::IsWindowVisible() const {
  return m_hWnd != nullptr && m_hWnd->visible;
}

void CWnd::SetWindowText(const CString& text) {
  if (m_hWnd == nullptr || m_hWnd->text == text) {
    return;
  }
  m_hWnd->text = text;
  detail::NotifyText(m_hWnd);
}

void CWnd::GetWindowText(CString& text) const {
  text = m_hWnd != nullptr ? m_hWnd->text : "";
}

int CWnd::GetWindowTextLength() const {
  return m_hWnd != nullptr ? static_cast<int>(m_hWnd->text.size()) : 0;
}

void CWnd::SetDlgItemText(int id, const CString& text) {
  if (CWnd* item = GetDlgItem(id)) {
    item->SetWindowText(text);
  }
}

CWnd* CWnd::SetFocus() {
  if (m_hWnd == nullptr) {
    return nullptr;
  }
  if (m_hWnd->parent == nullptr) {
    // A top-level window comes to the top, where it takes the keys.
    auto& tops = detail::S().topLevels;
    tops.erase(std::remove(tops.begin(), tops.end(), m_hWnd), tops.end());
    tops.push_back(m_hWnd);
    detail::NotifyState(m_hWnd);
    return nullptr;
  }
  Window* dialog = m_hWnd->parent;
  CWnd* previous = FromHandle(dialog->focus);
  detail::SetFocusTo(dialog, m_hWnd);
  return previous;
}

CWnd* CWnd::GetFocus() {
  Window* active = framework::ActiveWindow();
  return active != nullptr ? FromHandle(active->focus) : nullptr;
}

CWnd* CWnd::GetDlgItem(int id) const {
  Window* item = m_hWnd != nullptr ? m_hWnd->FindChild(id) : nullptr;
  return item != nullptr ? ObjectOf(item) : nullptr;
}

CWnd* CWnd::GetParent() const {
  if (m_hWnd == nullptr) {
    return nullptr;
  }
  return FromHandle(m_hWnd->parent != nullptr ? m_hWnd->parent : m_hWnd->owner);
}

CWnd* CWnd::GetDesktopWindow() {
  return FromHandle(::GetDesktopWindow());
}

void CWnd::CenterWindow(CWnd* alternateOwner) {
  if (m_hWnd == nullptr || m_hWnd->parent != nullptr) {
    return;
  }
  Window* reference = alternateOwner != nullptr ? alternateOwner->m_hWnd : nullptr;
  if (reference == nullptr && m_hWnd->owner != nullptr &&
      m_hWnd->owner->kind != WindowKind::Desktop) {
    reference = m_hWnd->owner;
  }
  if (reference == nullptr && AfxGetApp() != nullptr && AfxGetApp()->m_pMainWnd != nullptr &&
      AfxGetApp()->m_pMainWnd != this) {
    reference = AfxGetApp()->m_pMainWnd->m_hWnd;
  }
  if (reference == nullptr) {
    reference = ::GetDesktopWindow();
  }
  // Heights with the caption row and the bottom border (8 units each) that a window's frame
  // adds to its client area; the desktop has none.
  auto outerHeight = [](const Window* w) {
    return w->kind == WindowKind::Desktop ? w->rect.cy : w->rect.cy + 16;
  };
  framework::Rect& r = m_hWnd->rect;
  r.x = reference->rect.x + (reference->rect.cx - r.cx) / 2;
  r.y = reference->rect.y + (outerHeight(reference) - outerHeight(m_hWnd)) / 2;
  r.x = std::max(0, std::min(r.x, detail::kDesktopWidth - r.cx));
  r.y = std::max(0, std::min(r.y, detail::kDesktopHeight - outerHeight(m_hWnd)));
  detail::NotifyState(m_hWnd);
}

void CWnd::GetClientRect(LPRECT rect) const {
  *rect = CRect{};
  if (m_hWnd != nullptr) {
    rect->right = m_hWnd->rect.cx;
    rect->bottom = m_hWnd->rect.cy;
  }
}

HICON CWnd::SetIcon(HICON icon, bool /*bigIcon*/) {
  if (m_hWnd == nullptr) {
    return nullptr;
  }
  HICON previous = m_hWnd->icon;
  m_hWnd->icon = icon;
  return previous;
}

HICON CWnd::GetIcon(bool /*bigIcon*/) const {
  return m_hWnd != nullptr ? m_hWnd->icon : nullptr;
}

CMenu* CWnd::GetSystemMenu(bool /*revert*/) {
  if (m_hWnd == nullptr || !m_hWnd->hasSystemMenu) {
    return nullptr;
  }
  systemMenu_ = std::make_unique<CMenu>(m_hWnd);
  return systemMenu_.get();
}

void CWnd::Invalidate(bool /*erase*/) {
  detail::Invalidate(m_hWnd);
}

void CWnd::UpdateWindow() {
  if (m_hWnd != nullptr && m_hWnd->TopLevel()->needsPaint) {
    ::SendMessage(m_hWnd->TopLevel(), WM_PAINT, 0, 0);
  }
}

bool CWnd::DestroyWindow() {
  if (m_hWnd == nullptr) {
    return false;
  }
  detail::DestroyTree(m_hWnd, 0);
  PostNcDestroy();
  return true;
}

int CWnd::MessageBox(const CString& text, const CString& caption, UINT type) {
  (void)caption;  // message boxes carry the application's name
  return AfxMessageBox(text, type);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::SendMessage(m_hWnd, message, wParam, lParam);
}

bool CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::PostMessage(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(reinterpret_cast<LPCREATESTRUCT>(lParam));
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_SYSCOMMAND:
      OnSysCommand(static_cast<UINT>(wParam), lParam);
      return 0;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<LRESULT>(OnQueryDragIcon());
    case WM_COMMAND:
      return OnCommand(static_cast<UINT>(wParam)) ? 1 : 0;
    default:
      return detail::DefaultProc(m_hWnd, message, wParam, lParam);
  }
}

int CWnd::OnCreate(LPCREATESTRUCT /*createStruct*/) {
  return 0;
}

void CWnd::OnPaint() {
  if (m_hWnd != nullptr) {
    detail::PaintNow(m_hWnd);
  }
}

void CWnd::OnSysCommand(UINT nID, LPARAM /*lParam*/) {
  if ((nID & 0xFFF0) == SC_CLOSE) {
    SendMessage(WM_CLOSE);
  }
}

HCURSOR CWnd::OnQueryDragIcon() {
  return GetIcon(true);
}

bool CWnd::OnCommand(UINT id) {
  return RouteCommand(id);
}

const AFX_MSGMAP* CWnd::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, nullptr}};
  static const AFX_MSGMAP map = {nullptr, entries};
  return &map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const {
  return GetThisMessageMap();
}

bool CWnd::RouteCommand(UINT id) {
  for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr;
       map = map->pfnGetBaseMap != nullptr ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->message != 0; ++e) {
      if (e->message == WM_COMMAND && e->id == id) {
        e->handler(this);
        return true;
      }
    }
  }
  return false;
}

bool CPaintDC::DrawIcon(int /*x*/, int /*y*/, HICON icon) {
  return wnd_ != nullptr && icon != nullptr;
}
