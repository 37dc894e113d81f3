// CRemoldDlg: opening, counting, the run, cancel and backout. See remold_dlg.h.
#include "app/remold_dlg.h"

#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "app/check.h"
#include "app/info_dlg.h"
#include "app/run_log.h"
#include "app/save_area.h"
#include "app/upgrade_run.h"
#include "platform/files/files.h"
#include "platform/registry/registry.h"
#include "platform/showpane/showpane.h"
#include "platform/sysio/sysio.h"

namespace {

// Releases before 3.04 build 5 kept the database beside the program.
constexpr int kDatabaseBesideProgramVersion = 772;
constexpr int kDatabaseBesideProgramBuild = 5;

const char* const kWorkDirectories[] = {"\\CONFS", "\\DBTEXT", "\\TEMP", "\\BACKUP", "\\SAVEDB"};

CString Format1(UINT id, const CString& a) {
  CString s;
  AfxFormatString1(s, id, a);
  return s;
}

CString Format2(UINT id, const CString& a, const CString& b) {
  CString s;
  AfxFormatString2(s, id, a, b);
  return s;
}

// A message box whose text also goes into the run log.
int Tell(const CString& text, UINT type) {
  upgrade::Log().Line("message: " + text);
  return AfxMessageBox(text, type);
}

}  // namespace

BEGIN_MESSAGE_MAP(CRemoldDlg, CDialog)
ON_WM_CREATE()
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_BN_CLICKED(IDC_BACKOUTUPGRADE, &CRemoldDlg::OnBackoutUpgrade)
END_MESSAGE_MAP()

CRemoldDlg::CRemoldDlg(const CString& dataDir, const CString& dbDirSetting,
                       const CString& programDir, const CString& profileKey, CWnd* parent)
    : CDialog(IDD_REMOLD_DIALOG, parent),
      m_strProfileKey(profileKey),
      m_hIcon(AfxGetApp()->LoadIcon(IDR_MAINFRAME)),
      m_strDataDir(dataDir),
      m_strDbDirSetting(dbDirSetting),
      m_strProgramDir(programDir) {}

CRemoldDlg::~CRemoldDlg() = default;

void CRemoldDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_PROGRESS_TOTAL, m_OverallBar);
  DDX_Control(pDX, IDC_PROGRESS_FILES, m_FileBar);
  DDX_Control(pDX, IDC_BACKOUTUPGRADE, m_BackoutButton);
  DDX_Control(pDX, IDOK, m_StartButton);
  DDX_Text(pDX, IDC_INTRO_TEXT, m_strIntro);
  DDX_Text(pDX, IDC_STATUS_TEXT, m_strStatus);
}

int CRemoldDlg::OnCreate(LPCREATESTRUCT createStruct) {
  const int result = CDialog::OnCreate(createStruct);
  if (result != -1) {
    ShowSplash(m_hWnd);
  }
  return result;
}

void CRemoldDlg::OnSysCommand(UINT nID, LPARAM lParam) {
  if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
    CAboutDlg about;
    about.DoModal();
  } else {
    CDialog::OnSysCommand(nID, lParam);
  }
}

void CRemoldDlg::OnPaint() {
  if (IsIconic()) {
    CPaintDC dc(this);
    dc.DrawIcon(0, 0, m_hIcon);
  } else {
    CDialog::OnPaint();
  }
}

HCURSOR CRemoldDlg::OnQueryDragIcon() {
  return m_hIcon;
}

bool CRemoldDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  sysio::Point("dialog:opened");
  const CString about = LoadString(IDS_ABOUTBOX);
  if (!about.empty()) {
    if (CMenu* menu = GetSystemMenu(false)) {
      menu->AppendMenu(MF_SEPARATOR);
      menu->AppendMenu(MF_STRING, IDM_ABOUTBOX, about);
    }
  }
  SetIcon(m_hIcon, true);
  SetIcon(m_hIcon, false);

  const uint32_t high = static_cast<uint32_t>(GetInt("Generic", "UpdateHigh", 0));
  const uint32_t low = static_cast<uint32_t>(GetInt("Generic", "UpdateLow", 0));
  m_nUpgradeMask = static_cast<uint32_t>((high << 16) | low);
  m_nVersion = GetInt("Generic", "DBVersion", 256);
  m_nBuild = GetInt("Generic", "Build", 0);
  if (m_nVersion < kDatabaseBesideProgramVersion ||
      (m_nVersion == kDatabaseBesideProgramVersion && m_nBuild < kDatabaseBesideProgramBuild)) {
    m_strDbDirSetting = m_strProgramDir;
  }
  if (m_nVersion > upgrade::kCurrentVersion ||
      (m_nVersion == upgrade::kCurrentVersion && m_nBuild >= upgrade::kCurrentBuild)) {
    EndDialog(IDOK);
    return true;
  }
  // A second Remold on the same files would clear the first one's file list, take its work
  // files for leftovers, or back its run out under it.
  if (m_DataDirLock.Acquire(".") == EWOULDBLOCK) {
    Tell("Another Remold is working on the database in " + m_strDataDir +
             ".\nStart Remold again once it has ended; nothing was changed.",
         MB_OK | MB_ICONSTOP);
    m_bRunFailed = true;
    EndDialog(IDCANCEL);
    return true;
  }
  // Two spellings of one directory (a trailing slash, a link, another letter case) are one
  // directory: moving it onto itself would delete every file as its own target.
  if (m_strDbDirSetting != m_strDataDir && !files::SameFile(m_strDbDirSetting, m_strDataDir)) {
    MoveDatabaseFiles();
  }
  upgrade::RemoveLeftovers();
  if (!files::IsDirectory(upgrade::kSaveDir)) {
    files::CreateDirectory(upgrade::kSaveDir);
  }
  CountWork();
  sysio::Point("dialog:counted");
  m_strIntro =
      Format2(IDS_UPGRADE_INTRO, std::to_string(m_nFileCount), std::to_string(m_nTotalRecords));
  m_bUpgradeRunning = GetInt("Upgrade", "UpgradeRunning", 0) == 1;
  m_OverallBar.SetRange(1, 100);
  m_FileBar.SetRange(0, static_cast<short>(m_nFileCount));
  ShowButtonsForState();
  m_strStatus = LoadString(IDS_WAITING);
  UpdateData(false);
  return true;
}

void CRemoldDlg::ShowButtonsForState() {
  if (m_bUpgradeRunning) {
    m_strIntro += "\n\n" + LoadString(IDS_BACKOUT_NEEDED);
    m_StartButton.EnableWindow(false);
    m_BackoutButton.EnableWindow(true);
  } else {
    m_StartButton.EnableWindow(!m_bDatabaseLeftBehind);
    m_BackoutButton.EnableWindow(false);
  }
}

void CRemoldDlg::CountWork() {
  upgrade::CountWork(m_nVersion, m_nBuild, &m_nFileCount, &m_nTotalRecords);
}

void CRemoldDlg::ResetToWaiting() {
  m_strIntro =
      Format2(IDS_UPGRADE_INTRO, std::to_string(m_nFileCount), std::to_string(m_nTotalRecords));
  m_bUpgradeRunning = GetInt("Upgrade", "UpgradeRunning", 0) == 1;
  m_OverallBar.SetRange(1, 100);
  m_OverallBar.SetPos(1);
  m_FileBar.SetRange(0, static_cast<short>(m_nFileCount));
  ShowButtonsForState();
  m_strStatus = LoadString(IDS_WAITING);
  UpdateData(false);
}

void CRemoldDlg::OnCancel() {
  const UINT prompt = m_bRunning ? IDS_CONFIRM_CANCEL_RUN : IDS_CONFIRM_LEAVE;
  m_bCancel = AfxMessageBox(LoadString(prompt), MB_YESNO | MB_ICONQUESTION) == IDYES;
  if (m_bRunning && m_bCancel) {
    upgrade::Log().Line("cancel confirmed: the table being converted keeps its original");
  }
  if (!m_bRunning && m_bCancel) {
    EndDialog(IDCANCEL);
  }
}

void CRemoldDlg::OnOK() {
  if (m_bRunning) {
    return;  // the button stays enabled during a run; a second press must not start another
  }
  if (m_bDatabaseLeftBehind) {
    return;
  }
  m_bRunning = true;
  m_bCancel = false;
  m_nRecordsDone = 0;
  m_nFilesDone = 0;
  m_Skipped.clear();
  upgrade::Log().OpenFile();
  upgrade::Log().Line("run started from release " + upgrade::DescribeRelease(m_nVersion, m_nBuild) +
                      ", profile " + m_strProfileKey + ", data directory " + m_strDataDir);
  if (!EnoughSpace()) {
    upgrade::Log().Line("run ended: not started, not enough disk space");
    m_bRunning = false;
    return;
  }
  if (!WriteValues({registry::Setting::Int("Upgrade", "UpgradeRunning", 1),
                    registry::Setting::Text("Upgrade", "FileList", "")})) {
    // Without a durable mark no backout could be offered after a crash: do not start.
    Tell("The upgrade cannot start: the settings cannot be written" + StoreError(),
         MB_OK | MB_ICONSTOP);
    upgrade::Log().Line("run ended: not started, the settings cannot be written");
    m_bRunning = false;
    return;
  }
  sysio::Point("run:marked");
  if (m_nVersion < upgrade::kOldDatabaseVersion) {
    m_nUpgradeMask |= uint64_t{1} << upgrade::kOldDatabaseBit;
  }
  const upgrade::RunSummary summary =
      upgrade::RunSteps(*this, m_nVersion, m_nBuild, &m_nUpgradeMask);
  upgrade::RemoveWorkFile();
  sysio::Point("run:steps-done");
  ReportRunProblems(summary.failed);
  // The exit status tells what the last run did.
  m_bRunFailed = !summary.failed.empty();
  if (summary.cancelled || !summary.failed.empty()) {
    upgrade::Log().Line(summary.cancelled ? CString("run ended: cancelled, unfinished")
                                          : "run ended: " + std::to_string(summary.failed.size()) +
                                                " tables not converted, unfinished");
    ResetToWaiting();
  } else {
    FinishRun();
  }
  m_bRunning = false;
}

void CRemoldDlg::FinishRun() {
  // The end of a run is one durable write: the converted files and the stamp that says so go
  // together. Until it stands, "UpgradeRunning" is 1 and the backout stays possible.
  const upgrade::MaskWords words = upgrade::SplitMask(m_nUpgradeMask);
  const bool stamped =
      WriteValues({registry::Setting::Int("Generic", "DBVersion", upgrade::kCurrentVersion),
                   registry::Setting::Int("Generic", "Build", upgrade::kCurrentBuild),
                   registry::Setting::Int("Generic", "UpdateHigh", words.updateHigh),
                   registry::Setting::Int("Generic", "UpdateLow", words.updateLow),
                   registry::Setting::Int("Generic", "UpdateHigh2", words.updateHigh2),
                   registry::Setting::Int("Generic", "UpdateLow2", words.updateLow2),
                   registry::Setting::Int("Upgrade", "UpgradeRunning", 0)});
  if (!stamped) {
    Tell("Every table was converted, but the settings could not be written" + StoreError() +
             "\nThe original files are kept in SAVEDB. Start Remold again to back the upgrade "
             "out.",
         MB_OK | MB_ICONSTOP);
    upgrade::Log().Line("run ended: converted, but the settings could not be written, unfinished");
    m_bRunFailed = true;
    EndDialog(IDABORT);
    return;
  }
  sysio::Point("end:stamped");
  upgrade::Log().Line("run ended: every table converted, the profile is at release " +
                      upgrade::DescribeRelease(upgrade::kCurrentVersion, upgrade::kCurrentBuild));
  m_bStamped = true;
  CDialog::OnOK();
}

CString CRemoldDlg::StoreError() {
  const registry::Store* store = AfxGetApp()->GetProfileStore();
  return store != nullptr && !store->error().empty() ? " (" + store->error() + ")." : CString(".");
}

void CRemoldDlg::ReportRunProblems(const std::vector<upgrade::StepResult>& failed) {
  if (!m_Skipped.empty()) {
    CString text;
    for (const auto& [file, count] : m_Skipped) {
      text += file + ": " + std::to_string(count) +
              (count == 1 ? " unreadable record was" : " unreadable records were") +
              " left out of the upgraded file.\n";
    }
    Tell(text + "The original file is kept in SAVEDB.", MB_OK | MB_ICONEXCLAMATION);
  }
  if (!failed.empty()) {
    CString text;
    for (const upgrade::StepResult& step : failed) {
      text += Format2(IDS_UPGRADE_FAILED, step.displayName, std::to_string(step.status)) + "\n";
      if (!step.detail.empty()) {
        text += "  " + step.detail + "\n";
      }
    }
    Tell(text, MB_OK | MB_ICONSTOP);
  }
}

void CRemoldDlg::OnBackoutUpgrade() {
  sysio::Point("backout:start");
  upgrade::Log().OpenFile();
  upgrade::Log().Line("backout started, profile " + m_strProfileKey + ", data directory " +
                      m_strDataDir);
  const std::vector<CString> failed = upgrade::BackoutFiles(*this);
  for (const CString& name : failed) {
    Tell(Format1(IDS_RESTORE_FAILED, name), MB_OK);
  }
  upgrade::Log().Line(failed.empty() ? CString("backout ended: every saved file restored")
                                     : "backout ended: " + std::to_string(failed.size()) +
                                           " files not restored, still unfinished");
  ResetToWaiting();
}

void CRemoldDlg::MoveDatabaseFiles() {
  const CString& from = m_strDbDirSetting;
  const CString& to = m_strDataDir;
  std::vector<CString> names;
  const int searched = files::FindFiles(files::Join(from, "*.db"), &names);
  if (names.empty()) {
    return;
  }
  CInfoDlg info;
  info.Show(CWnd::GetDesktopWindow());
  info.SetText("Move Files To New Location");
  std::vector<CString> moved;
  CString filesStayed;
  for (const CString& name : names) {
    if (name.find('\\') != CString::npos) {
      continue;  // a backslash in a name is a separator to every later call: another path
    }
    info.SetText(Format2(IDS_MOVING_FILE, name, to));
    const CString source = files::Join(from, name);
    const CString target = files::Join(to, name);
    if (files::SameFile(source, target)) {
      continue;  // never delete a file as the target of itself
    }
    // Names that differ only in letter case are one name in the data directory: the file that
    // took it first stays, and its twin stays in the old directory.
    if (std::any_of(moved.begin(), moved.end(),
                    [&](const CString& m) { return strcasecmp(m.c_str(), name.c_str()) == 0; })) {
      continue;
    }
    if (files::Exists(target) && files::DeleteFile(target) != 0) {
      filesStayed += name + "\n";
      continue;
    }
    sysio::Point("move:target-deleted", name);
    if (files::RenameFile(source, target) == 0) {
      moved.push_back(name);
      sysio::Point("move:moved", name);
    } else if (files::Exists(source)) {
      filesStayed += name + "\n";  // (a rename whose sync alone failed has moved the file)
    }
  }
  info.Hide();
  if (!filesStayed.empty() || searched != 0) {
    // The run would find those tables missing and stamp the profile all the same, leaving them
    // behind in the old directory in their old layout.
    m_bDatabaseLeftBehind = true;
    m_bRunFailed = true;
    Tell("These database files could not be moved to " + to + " and stay in " + from + ":\n" +
             (searched != 0 ? "(the folder could not be read to its end)\n" : filesStayed) +
             "Move them there yourself: the upgrade cannot start without them.",
         MB_OK | MB_ICONSTOP);
  }
  if (searched != 0) {
    return;
  }
  CString stayed;
  for (const char* dir : kWorkDirectories) {
    if (!files::Exists(to + dir) && files::Exists(from + dir) &&
        files::RenameFile(from + dir, to + dir) != 0) {
      stayed += CString(dir + 1) + "\n";
    }
  }
  sysio::Point("move:directories-moved");
  WriteString("Directories", "DatabaseDir", to);
  sysio::Point("move:setting-written");
  if (!stayed.empty()) {
    AfxMessageBox(
        "These directories could not be moved to " + to + " and stay in " + from + ":\n" + stayed,
        MB_OK | MB_ICONEXCLAMATION);
  }
}

void CRemoldDlg::BeginTable(const CString& displayName) {
  m_strStatus = Format1(IDS_WORKING_ON, displayName);
  UpdateData(false);
}

void CRemoldDlg::UpdateProgress() {
  int percent = 100;
  if (m_nTotalRecords > 0) {
    percent = static_cast<int>(static_cast<double>(m_nRecordsDone) * 100.0 / m_nTotalRecords);
    percent = std::clamp(percent, 1, 100);
  }
  m_OverallBar.SetPos(percent);
  m_FileBar.SetPos(m_nFilesDone);
  UpdateData(false);
  if (m_nRecordsDone % 10 != 0) {
    PumpOneMessage();
  }
}

bool CRemoldDlg::ReplaceWithConverted(CBtrieveDB& legacy, CBtrieveDB& current, CString* why) {
  return upgrade::ReplaceWithConverted(legacy, current, *this, why);
}

void CRemoldDlg::RemoveWorkFile() {
  upgrade::RemoveWorkFile();
}

void CRemoldDlg::RecordsSkipped(const CString& file, int count) {
  m_Skipped.emplace_back(file, count);
}

int32_t CRemoldDlg::GetInt(const CString& section, const CString& name, int32_t def) {
  return AfxGetApp()->GetProfileInt(m_strProfileKey + section, name, def);
}

CString CRemoldDlg::GetString(const CString& section, const CString& name, const CString& def) {
  return AfxGetApp()->GetProfileString(m_strProfileKey + section, name, def);
}

bool CRemoldDlg::WriteInt(const CString& section, const CString& name, int32_t value) {
  return AfxGetApp()->WriteProfileInt(m_strProfileKey + section, name, value);
}

bool CRemoldDlg::WriteString(const CString& section, const CString& name, const CString& value) {
  return AfxGetApp()->WriteProfileString(m_strProfileKey + section, name, value);
}

bool CRemoldDlg::WriteValues(const std::vector<registry::Setting>& settings) {
  registry::Store* store = AfxGetApp()->GetProfileStore();
  if (store == nullptr) {
    return false;
  }
  std::vector<registry::Setting> prefixed = settings;
  for (registry::Setting& setting : prefixed) {
    setting.section = m_strProfileKey + setting.section;
  }
  return store->WriteValues(prefixed);
}

void CRemoldDlg::FileEnded(const upgrade::FileReport& report) {
  upgrade::Log().Line(upgrade::DescribeFile(report));
}

// The run needs room for every converted file beside the originals it keeps in "SAVEDB".
bool CRemoldDlg::EnoughSpace() {
  const int64_t needed = upgrade::CheckSteps(m_nVersion, m_nBuild, false).bytesNeeded;
  const int64_t free = upgrade::FreeSpace(m_strDataDir);
  if (free < 0 || free >= needed) {
    return true;
  }
  Tell("The upgrade cannot start: it needs about " + upgrade::DescribeBytes(needed) +
           " of free disk space in " + m_strDataDir + ", and " + upgrade::DescribeBytes(free) +
           " are free.\nFree some space and start the upgrade again; nothing was changed.",
       MB_OK | MB_ICONSTOP);
  return false;
}

void CRemoldDlg::FileStarted() {
  ++m_nFilesDone;
  m_FileBar.SetPos(m_nFilesDone);  // an empty or missing file is a file done too
}
