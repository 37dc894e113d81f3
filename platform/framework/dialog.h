// CDialog and its controls. A dialog is built from a template of the installed resource table:
// WM_CREATE (OnCreate), then the controls, then OnInitDialog. When OnInitDialog returns true the
// first enabled button in template order takes the focus. Keys reach the dialog whichever of
// its controls has the focus, and the dialog manager handles them:
//   Enter      presses the focused button, else the default button;
//   Esc        IDCANCEL (OnCancel), unless control 2 exists and is disabled;
//   Tab, Right, Down / Shift+Tab, Left, Up   next / previous enabled button;
//   a letter   the button whose label marks it with "&";
//   F10, Alt+Space   the system menu, when the dialog has one.
// A mouse click on an enabled button of the active window presses it (WM_COMMAND with its id).
#pragma once

#include <memory>

#include "platform/framework/resource_table.h"
#include "platform/framework/wnd.h"

class CDataExchange {
 public:
  CDataExchange(CWnd* dlgWnd, bool saveAndValidate)
      : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dlgWnd) {}
  bool m_bSaveAndValidate;  // true: controls -> members; false: members -> controls
  CWnd* m_pDlgWnd;
};

class CDialog : public CWnd {
 public:
  CDialog();
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);
  ~CDialog() override;

  // Creates the dialog, runs it until EndDialog and returns the result (-1 when the template
  // is missing or OnCreate failed). The owner is disabled meanwhile.
  virtual int DoModal();
  // Uses `tmpl` (kept by the dialog) instead of a template of the resource table, for windows
  // built at run time: message boxes, menus, choosers.
  void InitModalIndirect(const framework::DialogTemplate& tmpl,
                         framework::WindowRole role = framework::WindowRole::Normal);
  // Creates a modeless dialog (shown at once); DestroyWindow ends it.
  virtual bool Create(UINT templateId, CWnd* parent = nullptr);
  // Ends a modal dialog: its loop returns `result` once the current handler returns.
  void EndDialog(int result);

  // Runs DoDataExchange: saveAndValidate true reads the controls into the members.
  bool UpdateData(bool saveAndValidate = true);

  void GotoDlgCtrl(CWnd* control);
  void NextDlgCtrl();
  void PrevDlgCtrl();
  // The id of the default button (BS_DEFPUSHBUTTON in the template), else IDOK.
  int GetDefID() const;

  virtual bool OnInitDialog();  // the default runs UpdateData(false) and returns true
  virtual void OnOK();          // UpdateData(true), then EndDialog(IDOK)
  virtual void OnCancel();      // EndDialog(IDCANCEL)

 protected:
  virtual void DoDataExchange(CDataExchange* pDX);
  bool OnCommand(UINT id) override;
  void OnSysCommand(UINT nID, LPARAM lParam) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  UINT m_nIDHelp = 0;
  UINT m_lpszTemplateName = 0;  // the template id
  CWnd* m_pParentWnd = nullptr;

 private:
  friend struct DialogAccess;
  bool CreateFromTemplate(CWnd* owner);
  void InitAndShow();
  bool HandleKey(int key, LPARAM modifiers);
  void SendEscape();
  std::unique_ptr<framework::DialogTemplate> indirect_;
  framework::WindowRole role_ = framework::WindowRole::Normal;
  bool modal_ = false;
  bool endRequested_ = false;
  int result_ = 0;
};

class CStatic : public CWnd {};

class CButton : public CWnd {};

class CProgressCtrl : public CWnd {
 public:
  // The position is kept within the range (clamped when the range changes).
  void SetRange(short lower, short upper) { SetRange32(lower, upper); }
  void SetRange32(int lower, int upper);
  void GetRange(int& lower, int& upper) const;
  int SetPos(int pos);  // returns the previous position
  int GetPos() const;
  int OffsetPos(int delta);
};

// Binds `control` to the dialog's control `id` (once).
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
// Exchanges the text of control `id` with `value`. Setting an unchanged text changes nothing.
void DDX_Text(CDataExchange* pDX, int id, CString& value);
void DDX_Text(CDataExchange* pDX, int id, int& value);
