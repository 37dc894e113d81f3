// CRemoldApp: see remold_app.h.
#include "app/remold_app.h"

#include <cstring>
#include <string>

#include "app/remold_dlg.h"
#include "app/upgrade_steps.h"
#include "platform/files/files.h"
#include "platform/registry/registry.h"
#include "platform/setbank/setbank.h"
#include "platform/sysio/sysio.h"

namespace {

constexpr const char* kNoProfile = "Unable to find any active profiles to upgrade";
constexpr const char* kNoDatabaseDir =
    "The profile's database directory cannot be read from the settings; nothing was changed.";

CString Trim(const CString& s) {
  const size_t first = s.find_first_not_of(" \t\r\n");
  if (first == CString::npos) {
    return {};
  }
  return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

// Creates a directory when it is missing and makes it the current one; failures are not
// reported, start-up goes on with the path as computed.
void EnterDirectory(const CString& dir) {
  if (!files::IsDirectory(dir)) {
    files::CreateDirectory(dir);
  }
  files::SetCurrentDirectory(dir);
}

struct FlatInt {
  const char* name;
  int def;
};

// The integers of the flat "Generic" section, in the order they are copied, with their
// defaults.
const FlatInt kGenericInts[] = {
    {"Build", -1},
    {"DBVersion", -1},
    {"IncludeHistory", 0},
    {"LastDatabase", -1},
    {"LastUpdateVersion", -1},
    {"MinOrderTotal", 0},
    {"RequestConfirmation", 1},
    {"Updated", 0},
    {"UpdatedMajCat", 1},
    {"UpdateHigh", 0},
    {"UpdateHigh2", 0},
    {"UpdateLow", 0},
    {"UpdateLow2", 0},
};

const char* const kGenericTexts[] = {"CompanyName", "ContactName",  "ContactPhone", "LaptopID",
                                     "LastConfirm", "LastFilename", "LastPosition", "ThisFilename"};

}  // namespace

CRemoldApp::CRemoldApp(const CString& programDir)
    : CWinApp("Remold"), m_strProgramDir(programDir) {}

bool CRemoldApp::InitInstance() {
  FindProgramDirectory();
  FindDataDirectory();
  AfxEnableControlContainer();
  SetRegistryKey("Corvane");
  SetProfileName("Vendrix 32");
  m_pszHelpFilePath = "Handbook.hlp";
  if (!GetProfileError().empty()) {
    AfxMessageBox("The settings cannot be read: " + GetProfileError(), MB_OK | MB_ICONSTOP);
    m_nOutcome = kStartupEnd;
    return false;
  }
  sysio::Point("start:settings-read");
  if (GetProfileInt("Profiles", "Created", 0) == 0) {
    MigrateFlatSettings();
    sysio::Point("start:migrated");
  } else if (!ChooseProfile()) {
    AfxMessageBox(kNoProfile, MB_OK);
    m_nOutcome = kStartupEnd;
    return false;
  }
  // Without its directory the profile's database could only be looked for, or moved to, the
  // wrong place: the settings that name it could not be read, or name nothing.
  if (Trim(m_strDataDir).empty()) {
    AfxMessageBox(kNoDatabaseDir, MB_OK | MB_ICONSTOP);
    m_nOutcome = kStartupEnd;
    return false;
  }
  if (!ProductInstalled()) {
    AfxMessageBox(LoadString(IDS_NOT_INSTALLED), MB_OK);
    m_nOutcome = kStartupEnd;
    return false;
  }
  sysio::Point("start:installed");
  RunUpgradeDialog();
  return false;
}

void CRemoldApp::FindProgramDirectory() {
  if (m_strProgramDir.empty()) {
    m_strProgramDir = files::ProgramDirectory();
  }
  if (m_strProgramDir.empty()) {
    m_strProgramDir = files::CurrentDirectory();
  }
}

void CRemoldApp::FindDataDirectory() {
  const CString documents = files::DocumentsFolder();
  if (!documents.empty() && files::IsDirectory(documents)) {
    m_strDocumentsBase = documents + "/Vendrix 32";
    EnterDirectory(m_strDocumentsBase);
    m_strDataDir = m_strDocumentsBase;
  }
  if (m_strDataDir.empty()) {
    m_strDataDir = m_strProgramDir;
  }
}

void CRemoldApp::MigrateFlatSettings() {
  for (int n = 0; n <= 9; ++n) {
    WriteProfileInt("Profiles\\ID" + std::to_string(n), "Enabled", 0);
  }
  // Without a documents folder the profile's directory goes below the program directory.
  const CString base = m_strDocumentsBase.empty() ? m_strProgramDir : m_strDocumentsBase;
  m_strDataDir = base + "/ID0";
  EnterDirectory(m_strDataDir);
  WriteProfileInt("Profiles\\ID0", "Enabled", 1);

  const CString profile = "Profiles\\ID0";
  const CString defaultProfile = Trim(GetProfileString("Communications", "DefaultProfile", ""));
  if (!defaultProfile.empty()) {
    WriteProfileString(profile + "\\Communications", "DefaultProfile", defaultProfile);
  }
  for (const char* name : {"TimedConnect", "UpdateTime"}) {
    const int value = GetProfileInt("Communications", name, -1);
    if (value != -1) {
      WriteProfileInt(profile + "\\Communications", name, value);
    }
  }
  CString databaseDir = Trim(GetProfileString("Directories", "DatabaseDir", ""));
  if (databaseDir.empty()) {
    databaseDir = m_strDataDir;
  }
  WriteProfileString(profile + "\\Directories", "DatabaseDir", databaseDir);
  for (const FlatInt& value : kGenericInts) {
    const CString target = std::string(value.name) == "UpdateLow2" ? "Updatelow2" : value.name;
    WriteProfileInt(profile + "\\Generic", target, GetProfileInt("Generic", value.name, value.def));
  }
  for (const char* name : kGenericTexts) {
    WriteProfileString(profile + "\\Generic", name, GetProfileString("Generic", name, ""));
  }
  m_strProfileKey = "Profiles\\ID0\\";
  WriteProfileInt("Profiles", "Created", 1);
}

bool CRemoldApp::ChooseProfile() {
  if (m_nProfileChoice >= 0) {
    const CString profile = "Profiles\\ID" + std::to_string(m_nProfileChoice);
    if (GetProfileInt(profile, "Enabled", 0) != 1) {
      return false;
    }
    m_strProfileKey = profile + "\\";
    m_strDataDir = GetProfileString(m_strProfileKey + "Directories", "DatabaseDir", "");
    return true;
  }
  m_strProfileKey = ProfileLocation();
  m_strDataDir = ProfileDatabaseLocation();
  if (m_strProfileKey.empty()) {
    char buffer[kProfileBufferSize] = {};
    if (SelectProfile(0, buffer, GetDesktopWindow()) >= 0) {
      m_strProfileKey = buffer;
      m_strDataDir = GetProfileString(m_strProfileKey + "Directories", "DatabaseDir", "");
      m_strDataDir = m_strDataDir.substr(0, kProfileBufferSize - 1);
      if (!m_strDataDir.empty() && !files::IsDirectory(m_strDataDir)) {
        files::CreateDirectory(m_strDataDir);
      }
    }
  }
  return !m_strProfileKey.empty();
}

bool CRemoldApp::ProductInstalled() {
  return files::Exists(m_strProgramDir + "/VENDRIX.EXE");
}

void CRemoldApp::RunUpgradeDialog() {
  const CString dbDirSetting =
      GetProfileString(m_strProfileKey + "Directories", "DatabaseDir", "C:\\VENDRIX");
  // The run addresses record files by bare name: the data directory must be current. Run from
  // any other directory, it would convert that directory's files and stamp the profile for them.
  if (const int err = files::SetCurrentDirectory(m_strDataDir)) {
    AfxMessageBox("The database directory " + m_strDataDir + " cannot be entered (" +
                      std::strerror(err) + "); nothing was changed.",
                  MB_OK | MB_ICONSTOP);
    m_nOutcome = kStartupEnd;
    return;
  }
  CRemoldDlg dialog(m_strDataDir, dbDirSetting, m_strProgramDir, m_strProfileKey);
  m_pMainWnd = &dialog;
  const int result = dialog.DoModal();
  m_pMainWnd = nullptr;
  if (result == IDOK && dialog.Stamped()) {
    m_nOutcome = kCurrent;  // the run stamped the profile in its last write
  } else if (result == IDOK) {
    // The profile was current when the dialog opened.
    const CString generic = m_strProfileKey + "Generic";
    if (GetProfileStore()->WriteValues(
            {registry::Setting::Int(generic, "DBVersion", upgrade::kCurrentVersion),
             registry::Setting::Int(generic, "Build", upgrade::kCurrentBuild)})) {
      m_nOutcome = kCurrent;
    } else {
      AfxMessageBox("The settings cannot be written: " + GetProfileStore()->error(),
                    MB_OK | MB_ICONSTOP);
      m_nOutcome = kStartupEnd;
    }
  } else {
    m_nOutcome = dialog.RunFailed() ? kNotConverted : kLeft;
  }
}
