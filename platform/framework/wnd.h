// CWnd: a C++ object attached to a window of the framework (m_hWnd), with the operations the
// dialogs use, and the handlers that messages reach. A window that is destroyed detaches its
// object; a top-level window's object that is destroyed while attached destroys its window
// (controls go with their dialog).
//
// Command routing: WM_COMMAND reaches OnCommand(id), which looks the id up in the class's
// message map (ON_BN_CLICKED / ON_COMMAND entries, base classes last). CDialog adds IDOK ->
// OnOK and IDCANCEL -> OnCancel. The ON_WM_* entries only document which handlers a class
// overrides: OnCreate, OnPaint, OnSysCommand and OnQueryDragIcon are virtual.
#pragma once

#include <memory>
#include <vector>

#include "platform/framework/message.h"
#include "platform/framework/object.h"
#include "platform/framework/window.h"
#include "platform/framework/wintypes.h"

class CWnd;

struct AFX_MSGMAP_ENTRY {
  UINT message;  // WM_COMMAND; 0 ends the table
  UINT id;
  void (*handler)(CWnd* target);
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();
  const AFX_MSGMAP_ENTRY* lpEntries;
};

#define afx_msg

#define DECLARE_MESSAGE_MAP()                   \
 protected:                                     \
  static const AFX_MSGMAP* GetThisMessageMap(); \
  const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)        \
  const AFX_MSGMAP* theClass::GetMessageMap() const { \
    return GetThisMessageMap();                       \
  }                                                   \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {   \
    using ThisClass [[maybe_unused]] = theClass;      \
    using TheBaseClass = baseClass;                   \
    static const AFX_MSGMAP_ENTRY entries[] = {
// memberFxn in the form &CMyDlg::OnSomething.
#define ON_COMMAND(id, memberFxn)     \
  {WM_COMMAND, static_cast<UINT>(id), \
   [](CWnd* target) { (static_cast<ThisClass*>(target)->*(memberFxn))(); }},
#define ON_BN_CLICKED(id, memberFxn) ON_COMMAND(id, memberFxn)
#define ON_WM_CREATE()
#define ON_WM_PAINT()
#define ON_WM_SYSCOMMAND()
#define ON_WM_QUERYDRAGICON()
#define END_MESSAGE_MAP()                                                           \
  { 0, 0, nullptr }                                                                 \
  }                                                                                 \
  ;                                                                                 \
  static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, entries}; \
  return &messageMap;                                                               \
  }

// The system menu of a window (GetSystemMenu).
class CMenu {
 public:
  explicit CMenu(HWND window = nullptr) : window_(window) {}
  // MF_SEPARATOR, or MF_STRING with a command id and its text ("&" marks the mnemonic).
  bool AppendMenu(UINT flags, UINT id = 0, const CString& text = CString());
  int GetMenuItemCount() const;
  UINT GetMenuItemID(int pos) const;  // 0 for a separator

 private:
  HWND window_;
};

class CWnd : public CObject {
 public:
  CWnd();
  ~CWnd() override;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd = nullptr;
  HWND GetSafeHwnd() const { return m_hWnd; }

  // The object attached to `hwnd`, or a stand-in that the framework keeps for the window's
  // lifetime. nullptr for nullptr.
  static CWnd* FromHandle(HWND hwnd);
  bool Attach(HWND hwnd);
  HWND Detach();
  // Attaches this object to control `id` of `parent`.
  bool SubclassDlgItem(UINT id, CWnd* parent);

  // Returns true when the window was disabled before. Disabling the control that has the focus
  // hands the focus to the dialog's default button; while that is disabled too, the focus waits
  // for the next button to be enabled (the default one always takes it).
  bool EnableWindow(bool enable = true);
  bool IsWindowEnabled() const;
  bool ShowWindow(int nCmdShow);
  bool IsWindowVisible() const;
  bool IsIconic() const { return false; }

  void SetWindowText(const CString& text);
  void GetWindowText(CString& text) const;
  int GetWindowTextLength() const;
  void SetDlgItemText(int id, const CString& text);

  // Gives this control the focus within its dialog and returns the control that had it; a
  // top-level window is brought to the top instead.
  CWnd* SetFocus();
  // The control that has the focus in the active window.
  static CWnd* GetFocus();
  CWnd* GetDlgItem(int id) const;
  CWnd* GetParent() const;
  static CWnd* GetDesktopWindow();

  // Centres a top-level window on `alternateOwner`, else its owner, else the application's main
  // window, else the desktop.
  void CenterWindow(CWnd* alternateOwner = nullptr);
  void GetClientRect(LPRECT rect) const;  // dialog units
  HICON SetIcon(HICON icon, bool bigIcon);
  HICON GetIcon(bool bigIcon) const;
  // nullptr when the window has no system menu.
  CMenu* GetSystemMenu(bool revert);

  // Marks the window for repainting; UpdateWindow paints it now when it needs it.
  void Invalidate(bool erase = true);
  void UpdateWindow();
  virtual bool DestroyWindow();

  int MessageBox(const CString& text, const CString& caption = CString(), UINT type = MB_OK);
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

  // The window procedure: routes messages to the handlers below.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

 protected:
  // Handlers; the defaults do the window's default processing.
  virtual int OnCreate(LPCREATESTRUCT createStruct);  // -1 fails the creation
  virtual void OnPaint();
  virtual void OnSysCommand(UINT nID, LPARAM lParam);
  virtual HCURSOR OnQueryDragIcon();
  // True when the command was handled.
  virtual bool OnCommand(UINT id);
  // Called after the window is destroyed and the object detached.
  virtual void PostNcDestroy() {}

  static const AFX_MSGMAP* GetThisMessageMap();
  virtual const AFX_MSGMAP* GetMessageMap() const;
  // Looks `id` up in the message maps of this class and its bases and runs the handler.
  bool RouteCommand(UINT id);

 private:
  friend struct WindowAccess;
  std::unique_ptr<CMenu> systemMenu_;
};

// Painting of a window; DrawIcon only matters to a front end that draws minimised windows.
class CPaintDC {
 public:
  explicit CPaintDC(CWnd* wnd) : wnd_(wnd) {}
  WPARAM GetSafeHdc() const { return 0; }
  bool DrawIcon(int x, int y, HICON icon);

 private:
  CWnd* wnd_;
};
