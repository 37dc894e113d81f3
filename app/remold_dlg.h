// CRemoldDlg: the upgrade dialog (template 102), the program's only window. When it opens it
// decides whether an upgrade is needed, moves an old database into the data directory, counts
// the files and records the upgrade will touch, and waits. Start Upgrade runs the conversion
// steps (OnOK); Cancel Upgrade leaves or stops a run; BackoutUpgrade restores the files of an
// unfinished run from "SAVEDB".
//
// The dialog is also the run's host: it shows which table is being converted, moves the bars,
// dispatches at most one pending message per record so that Cancel Upgrade is heard, and keeps
// the profile's "Upgrade" settings.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "app/profile.h"
#include "app/upgrade_steps.h"
#include "platform/files/files.h"
#include "platform/framework/afxwin.h"
#include "resources/resource.h"

class CRemoldDlg : public CDialog, public upgrade::RunHost, public upgrade::Profile {
 public:
  CRemoldDlg(const CString& dataDir, const CString& dbDirSetting, const CString& programDir,
             const CString& profileKey, CWnd* parent = nullptr);
  ~CRemoldDlg() override;

  bool OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  afx_msg void OnBackoutUpgrade();

  void CountWork();
  void ResetToWaiting();

  // True when the last run of this dialog ended with tables that could not be converted, or
  // could not record its end.
  bool RunFailed() const { return m_bRunFailed; }
  // True when a run completed and the profile was stamped current in the same write.
  bool Stamped() const { return m_bStamped; }

  // Profile: the chosen profile's sections.
  int32_t GetInt(const CString& section, const CString& name, int32_t def) override;
  CString GetString(const CString& section, const CString& name, const CString& def) override;
  bool WriteInt(const CString& section, const CString& name, int32_t value) override;
  bool WriteString(const CString& section, const CString& name, const CString& value) override;
  bool WriteValues(const std::vector<registry::Setting>& settings) override;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  int OnCreate(LPCREATESTRUCT createStruct) override;
  void OnSysCommand(UINT nID, LPARAM lParam) override;
  void OnPaint() override;
  HCURSOR OnQueryDragIcon() override;
  DECLARE_MESSAGE_MAP()

 private:
  // RunHost.
  void BeginTable(const CString& displayName) override;
  void FileStarted() override;
  void RecordInserted() override { ++m_nRecordsDone; }
  void UpdateProgress() override;
  bool CancelRequested() override { return m_bCancel; }
  bool ReplaceWithConverted(CBtrieveDB& legacy, CBtrieveDB& current, CString* why) override;
  void RemoveWorkFile() override;
  void RecordsSkipped(const CString& file, int count) override;
  void FileEnded(const upgrade::FileReport& report) override;

  void MoveDatabaseFiles();
  void ShowButtonsForState();
  void ReportRunProblems(const std::vector<upgrade::StepResult>& failed);
  void FinishRun();
  bool EnoughSpace();
  static CString StoreError();

  CProgressCtrl m_OverallBar;
  CProgressCtrl m_FileBar;
  CButton m_BackoutButton;
  CButton m_StartButton;
  CString m_strIntro;
  CString m_strStatus;
  CString m_strProfileKey;
  HICON m_hIcon;
  CString m_strDataDir;
  CString m_strDbDirSetting;
  CString m_strProgramDir;
  int32_t m_nVersion = 0;
  int32_t m_nBuild = 0;
  uint64_t m_nUpgradeMask = 0;
  bool m_bUpgradeRunning = false;
  bool m_bDatabaseLeftBehind = false;  // database files stayed in the old directory
  bool m_bRunning = false;
  bool m_bCancel = false;
  int32_t m_nRecordsDone = 0;
  int32_t m_nFilesDone = 0;
  int32_t m_nTotalRecords = 0;
  int32_t m_nFileCount = 0;

  bool m_bRunFailed = false;
  bool m_bStamped = false;
  std::vector<std::pair<CString, int>> m_Skipped;  // file, records dropped as unreadable
  // Held while the dialog is open: one Remold at a time works on a data directory.
  files::DirectoryLock m_DataDirLock;
};

// The About box (template 100).
class CAboutDlg : public CDialog {
 public:
  CAboutDlg() : CDialog(IDD_ABOUTBOX) {}
};
