// CRemoldApp: start-up. Finds the program and data directories, binds the settings to the
// product's ("Corvane" / "Vendrix 32"), migrates the older flat settings into profile ID0 once,
// chooses the profile, checks that the product is installed beside this program, and runs the
// upgrade dialog. A dialog that ends with OK stamps the profile with version 1028, build 4.
#pragma once

#include "platform/framework/afxwin.h"

class CRemoldApp : public CWinApp {
 public:
  // How the program ended, as its exit status.
  enum Outcome {
    kCurrent = 0,      // the profile is current (upgraded now or already)
    kLeft = 1,         // the user left or cancelled
    kStartupEnd = 2,   // start-up ended with its message
    kNotConverted = 3  // a run ended with tables that could not be converted
  };

  // programDir: where the program and "VENDRIX.EXE" stand; empty means the running program's
  // own directory (tests pass a directory of their own).
  explicit CRemoldApp(const CString& programDir = CString());
  bool InitInstance() override;
  // Takes profile `n` (0 to 9) instead of asking the profile library; a negative n asks.
  void ChooseProfileNumber(int n) { m_nProfileChoice = n; }
  int ExitInstance() override { return m_nOutcome; }

  // The directories start-up settled on (for tests).
  const CString& DataDirectory() const { return m_strDataDir; }
  const CString& ProfileKey() const { return m_strProfileKey; }

 private:
  void FindProgramDirectory();
  void FindDataDirectory();
  void MigrateFlatSettings();
  bool ChooseProfile();
  bool ProductInstalled();
  void RunUpgradeDialog();

  CString m_strProgramDir;
  CString m_strDocumentsBase;  // documents folder + "/Vendrix 32"
  CString m_strDataDir;
  CString m_strProfileKey;
  int m_nOutcome = kLeft;
  int m_nProfileChoice = -1;
};
