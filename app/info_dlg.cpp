// CInfoDlg: see info_dlg.h.
#include "app/info_dlg.h"

#include "resources/resource.h"

CInfoDlg::~CInfoDlg() {
  Hide();
}

void CInfoDlg::SetText(const CString& text) {
  m_strText = text;
  if (m_bShown) {
    SetDlgItemText(IDC_INFO_TEXT, m_strText);
    UpdateWindow();
  }
}

void CInfoDlg::Show(CWnd* parent) {
  if (m_bShown) {
    SetFocus();
    return;
  }
  if (Create(m_nTemplateId, parent)) {
    m_bShown = true;
    SetDlgItemText(IDC_INFO_TEXT, m_strText);
  }
}

void CInfoDlg::Hide() {
  if (m_bShown) {
    DestroyWindow();
    m_bShown = false;
  }
}

bool CInfoDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  CenterWindow();
  return true;
}
