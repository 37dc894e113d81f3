// A dialog over template 102 that behaves as the upgrade dialog does towards the framework: data
// exchange of its bars, buttons and texts, a run in OnOK that pumps one message per record, and
// a cancel that asks first. The tests of the framework drive it through the scripted front end.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/framework/afxwin.h"
#include "resources/remold_resources.h"

class UpgradeDialogDouble : public CDialog {
 public:
  explicit UpgradeDialogDouble(int records = 100, bool backoutOffered = false)
      : CDialog(IDD_REMOLD_DIALOG), records_(records), backoutOffered_(backoutOffered) {}

  CProgressCtrl overall_, files_;
  CButton backout_, start_;
  CString intro_ = "intro", status_;
  bool running_ = false, cancel_ = false;
  int runs_ = 0, backouts_ = 0, abouts_ = 0, recordsDone_ = 0;

  bool OnInitDialog() override {
    CDialog::OnInitDialog();
    CMenu* menu = GetSystemMenu(false);
    if (menu != nullptr) {
      menu->AppendMenu(MF_SEPARATOR);
      menu->AppendMenu(MF_STRING, IDM_ABOUTBOX, LoadString(IDS_ABOUTBOX));
    }
    overall_.SetRange(1, 100);
    files_.SetRange(0, 5);
    start_.EnableWindow(!backoutOffered_);
    backout_.EnableWindow(backoutOffered_);
    status_ = LoadString(IDS_WAITING);
    UpdateData(false);
    return true;
  }

  void OnOK() override {
    if (running_) {
      return;
    }
    ++runs_;
    running_ = true;
    cancel_ = false;
    for (recordsDone_ = 1; recordsDone_ <= records_ && !cancel_; ++recordsDone_) {
      AfxFormatString1(status_, IDS_WORKING_ON, "Record " + std::to_string(recordsDone_));
      overall_.SetPos(recordsDone_ * 100 / records_);
      files_.SetPos(recordsDone_ * 5 / records_);
      UpdateData(false);
      if (recordsDone_ % 10 != 0) {
        PumpOneMessage();
      }
    }
    running_ = false;
    if (!cancel_) {
      CDialog::OnOK();
      return;
    }
    status_ = LoadString(IDS_WAITING);
    UpdateData(false);
  }

  void OnCancel() override {
    const bool yes = AfxMessageBox(running_ ? IDS_CONFIRM_CANCEL_RUN : IDS_CONFIRM_LEAVE,
                                   MB_YESNO | MB_ICONQUESTION) == IDYES;
    cancel_ = yes;
    if (!running_ && yes) {
      EndDialog(IDCANCEL);
    }
  }

  void OnBackoutUpgrade() {
    ++backouts_;
    backout_.EnableWindow(false);
    start_.EnableWindow(true);
  }

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PROGRESS_TOTAL, overall_);
    DDX_Control(pDX, IDC_PROGRESS_FILES, files_);
    DDX_Control(pDX, IDC_BACKOUTUPGRADE, backout_);
    DDX_Control(pDX, IDOK, start_);
    DDX_Text(pDX, IDC_INTRO_TEXT, intro_);
    DDX_Text(pDX, IDC_STATUS_TEXT, status_);
  }

  void OnSysCommand(UINT nID, LPARAM lParam) override {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
      ++abouts_;
      CDialog about(IDD_ABOUTBOX);
      about.DoModal();
      return;
    }
    CDialog::OnSysCommand(nID, lParam);
  }

  DECLARE_MESSAGE_MAP()

 private:
  int records_;
  bool backoutOffered_;
};

// A test whose dialogs and message boxes take their templates and texts from the program's
// resources.
class WithResources : public ::testing::Test {
 protected:
  void SetUp() override { framework::SetResources(&RemoldResources()); }
};
