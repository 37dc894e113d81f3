// CInfoDlg: the small modeless window (template 1109) that tells the user which file is being
// moved while the database moves into the data directory.
#pragma once

#include "platform/framework/afxwin.h"
#include "resources/resource.h"

class CInfoDlg : public CDialog {
 public:
  CInfoDlg() = default;
  ~CInfoDlg() override;

  virtual void SetText(const CString& text);
  virtual void Show(CWnd* parent);
  virtual void Hide();

  bool OnInitDialog() override;

 private:
  bool m_bShown = false;
  UINT m_nTemplateId = IDD_INFO_DIALOG;
  CStatic m_Text;
  CString m_strText;
};
