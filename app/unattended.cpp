// Running without a terminal: see unattended.h.
#include "app/unattended.h"

#include <string>
#include <vector>

#include "app/check.h"
#include "app/remold_app.h"
#include "app/run_log.h"
#include "app/upgrade_steps.h"
#include "platform/files/files.h"
#include "platform/framework/afxwin.h"
#include "platform/registry/registry.h"
#include "platform/setbank/setbank.h"
#include "resources/remold_resources.h"

namespace upgrade {
namespace {

volatile std::sig_atomic_t g_cancel = 0;

using framework::Window;
using framework::WindowRole;

CString TrimRight(CString text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
    text.pop_back();
  }
  return text;
}

Window* UpgradeDialog() {
  for (Window* window : framework::VisibleTopLevelWindows()) {
    if (window->role == WindowRole::Normal && window->id == IDD_REMOLD_DIALOG) {
      return window;
    }
  }
  return nullptr;
}

bool ButtonEnabled(const Window& dialog, int id) {
  const Window* button = dialog.FindChild(id);
  return button != nullptr && button->enabled;
}

}  // namespace

UnattendedFrontEnd::UnattendedFrontEnd(Task task, int profileChoice, std::FILE* out,
                                       std::chrono::milliseconds progressEvery)
    : task_(task),
      profileChoice_(profileChoice),
      out_(out),
      progressEvery_(progressEvery),
      lastLine_(std::chrono::steady_clock::now()) {}

UnattendedFrontEnd::~UnattendedFrontEnd() = default;

void UnattendedFrontEnd::RequestCancel() {
  g_cancel = 1;
}

void UnattendedFrontEnd::ClearCancel() {
  g_cancel = 0;
}

int UnattendedFrontEnd::ExitStatus(int appStatus) const {
  if (task_ == Task::Backout && pressed_) {
    return backoutIncomplete_ ? CRemoldApp::kNotConverted : CRemoldApp::kCurrent;
  }
  return appStatus;
}

void UnattendedFrontEnd::Say(const CString& text) {
  std::fprintf(out_, "remold: %s\n", TrimRight(text).c_str());
  std::fflush(out_);
  lastLine_ = std::chrono::steady_clock::now();
}

void UnattendedFrontEnd::WindowOpened(const Window& window) {
  // Questions are answered here and need no reader; everything else the dialog shows is said.
  if (window.role == WindowRole::MessageBox && (window.messageBoxType & 0xF) != MB_YESNO) {
    const Window* label = window.FindChild(framework::kMessageTextId);
    Say(label != nullptr ? label->text : CString());
  }
}

void UnattendedFrontEnd::WindowClosed(const Window& window, int result) {
  if (window.role == WindowRole::Normal && window.id == IDD_REMOLD_DIALOG && result == IDOK) {
    Say(pressed_ ? "the upgrade is complete" : "the database is already current");
  }
}

void UnattendedFrontEnd::TextChanged(const Window& window) {
  const Window* dialog = window.parent;
  if (window.id != IDC_STATUS_TEXT || dialog == nullptr || dialog->id != IDD_REMOLD_DIALOG ||
      !pressed_ || window.text == lastStatus_) {
    return;
  }
  lastStatus_ = window.text;
  if (window.text != LoadString(IDS_WAITING)) {
    Say(window.text);
  }
}

void UnattendedFrontEnd::ShowProgress() {
  const Window* dialog = UpgradeDialog();
  if (dialog == nullptr) {
    return;
  }
  const Window* bar = dialog->FindChild(IDC_PROGRESS_TOTAL);
  Say(lastStatus_ + ", " + std::to_string(bar != nullptr ? bar->pos : 0) + "% of all records");
}

void UnattendedFrontEnd::PollInput() {
  if (g_cancel != 0 && !cancelSent_) {
    if (framework::Window* cancel = framework::ActiveButton(IDCANCEL)) {
      cancelSent_ = true;
      Say("stopping: the table being converted keeps its original");
      framework::PostClick(cancel);
      return;
    }
  }
  if (task_ == Task::Upgrade && pressed_ && !lastStatus_.empty() &&
      std::chrono::steady_clock::now() - lastLine_ >= progressEvery_) {
    ShowProgress();
  }
}

void UnattendedFrontEnd::WaitInput() {
  Window* active = framework::ActiveWindow();
  if (active == nullptr) {
    framework::EndActiveWindow();
    return;
  }
  switch (active->role) {
    case WindowRole::MessageBox:
      AnswerMessageBox(*active);
      return;
    case WindowRole::Chooser:
      if (profileChoice_ >= 0) {
        if (Window* choice = framework::ActiveButton(framework::kChoiceFirstId + profileChoice_)) {
          framework::PostClick(choice);
          return;
        }
      }
      Say("no profile is current; choose one with --profile N");
      framework::EndActiveWindow();
      return;
    default:
      if (active->id == IDD_REMOLD_DIALOG) {
        ActOnDialog();
      } else {
        framework::EndActiveWindow();
      }
      return;
  }
}

void UnattendedFrontEnd::AnswerMessageBox(Window& box) {
  int answer = IDOK;
  if ((box.messageBoxType & 0xF) == MB_YESNO) {
    // The one question is whether to cancel or leave: yes only when that was asked for.
    answer = leaving_ || g_cancel != 0 ? IDYES : IDNO;
  }
  if (Window* button = framework::ActiveButton(answer)) {
    framework::PostClick(button);
  } else {
    framework::EndActiveWindow();
  }
}

void UnattendedFrontEnd::Press(int id) {
  if (Window* button = framework::ActiveButton(id)) {
    framework::PostClick(button);
  } else {
    framework::EndActiveWindow();
  }
}

void UnattendedFrontEnd::Leave() {
  leaving_ = true;
  Press(IDCANCEL);
}

// The dialog waits for a button: before the work, or after a run or backout that did not end it.
void UnattendedFrontEnd::ActOnDialog() {
  const Window* dialog = UpgradeDialog();
  if (leaving_ || dialog == nullptr) {
    framework::EndActiveWindow();
    return;
  }
  if (g_cancel != 0) {
    Say(pressed_ ? "stopped" : "stopped before anything was changed");
  } else if (task_ == Task::Upgrade && !pressed_) {
    if (ButtonEnabled(*dialog, IDOK)) {
      pressed_ = true;
      Press(IDOK);
      return;
    }
    Say(ButtonEnabled(*dialog, IDC_BACKOUTUPGRADE)
            ? "a previous upgrade did not complete; run remold --backout to restore its files first"
            : "the upgrade cannot start; nothing was changed");
  } else if (task_ == Task::Backout && !pressed_) {
    if (ButtonEnabled(*dialog, IDC_BACKOUTUPGRADE)) {
      pressed_ = true;
      Press(IDC_BACKOUTUPGRADE);
      return;
    }
    Say("there is no unfinished upgrade to back out");
  } else if (task_ == Task::Backout) {
    backoutIncomplete_ = ButtonEnabled(*dialog, IDC_BACKOUTUPGRADE);
    Say(backoutIncomplete_ ? "the backout is not complete; the files named above are still in "
                             "SAVEDB and remold --backout can be run again"
                           : "the upgrade was backed out; the original files are back");
  }
  if (pressed_ && task_ == Task::Upgrade) {
    Say(ButtonEnabled(*dialog, IDC_BACKOUTUPGRADE)
            ? "the upgrade did not complete; the database is unusable until remold --backout "
              "restores the original files"
            : "the upgrade did not start; nothing was changed");
  }
  Leave();
}

int RunUnattended(UnattendedFrontEnd& frontEnd, int profileChoice, const CString& programDir) {
  CRemoldApp app(programDir);
  app.ChooseProfileNumber(profileChoice);
  const int status = frontEnd.ExitStatus(AfxWinMain(app, frontEnd, RemoldResources()));
  Log().Line("exit status " + std::to_string(status));
  Log().Close();
  return status;
}

int RunUnattended(Task task, int profileChoice, const CString& programDir, std::FILE* out) {
  UnattendedFrontEnd frontEnd(task, profileChoice, out);
  return RunUnattended(frontEnd, profileChoice, programDir);
}

namespace {

void OnStopSignal(int signal) {
  std::signal(signal, SIG_DFL);
  UnattendedFrontEnd::RequestCancel();
}

}  // namespace

void CancelOnStopSignals() {
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);
}

namespace {

CString Trim(const CString& s) {
  const size_t first = s.find_first_not_of(" \t\r\n");
  if (first == CString::npos) {
    return {};
  }
  return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

// A string of the program's string table, without a running application.
CString LoadStringFrom(int id) {
  const framework::StringEntry* entry = RemoldResources().FindString(id);
  return entry != nullptr ? entry->text : CString();
}

// What start-up would settle on, read without writing anything.
struct Settings {
  CString profileKey;
  CString dataDir;       // where the database is to live
  CString dbDirSetting;  // where it may still live (a run moves it first)
  int version = 256;
  int build = 0;
  bool running = false;
  bool flat = false;  // settings not yet in the profile layout
};

// The settings as CRemoldApp and the dialog read them; false with *why when start-up would end
// with a message.
bool ReadSettings(int profileChoice, const CString& programDir, Settings* out, CString* why) {
  registry::Store store("Corvane", "Vendrix 32");
  if (!store.Load()) {
    *why = "the settings cannot be read: " + store.error();
    return false;
  }
  if (store.GetInt("Profiles", "Created", 0) == 0) {
    // A run first moves the flat settings into profile 0; they are read where they stand.
    out->flat = true;
    out->profileKey = "Profiles\\ID0\\";
    out->version = store.GetInt("Generic", "DBVersion", -1);
    out->build = store.GetInt("Generic", "Build", -1);
    out->dbDirSetting = Trim(store.GetString("Directories", "DatabaseDir", ""));
    // The migration makes a new data directory; until then the files are where they are.
    out->dataDir = out->dbDirSetting.empty() ? programDir : out->dbDirSetting;
  } else {
    if (profileChoice >= 0) {
      const CString profile = "Profiles\\ID" + std::to_string(profileChoice);
      if (store.GetInt(profile, "Enabled", 0) == 1) {
        out->profileKey = profile + "\\";
        out->dataDir = store.GetString(out->profileKey + "Directories", "DatabaseDir", "");
      }
    } else {
      out->profileKey = ProfileLocation();
      out->dataDir = ProfileDatabaseLocation();
    }
    if (out->profileKey.empty()) {
      *why = profileChoice >= 0 ? "profile " + std::to_string(profileChoice) + " is not enabled"
                                : "no profile is current; choose one with --profile N";
      return false;
    }
    const CString generic = out->profileKey + "Generic";
    out->version = store.GetInt(generic, "DBVersion", 256);
    out->build = store.GetInt(generic, "Build", 0);
    out->dbDirSetting =
        store.GetString(out->profileKey + "Directories", "DatabaseDir", "C:\\VENDRIX");
    out->running = store.GetInt(out->profileKey + "Upgrade", "UpgradeRunning", 0) == 1;
  }
  if (Trim(out->dataDir).empty()) {
    *why = "the profile's database directory cannot be read from the settings";
    return false;
  }
  if (!files::Exists(programDir + "/VENDRIX.EXE")) {
    *why = TrimRight(LoadStringFrom(IDS_NOT_INSTALLED));
    return false;
  }
  // Releases before 3.04 build 5 kept the database beside the program.
  if (out->version < 772 || (out->version == 772 && out->build < 5)) {
    out->dbDirSetting = programDir;
  }
  return true;
}

// The directory whose files a run would convert: the old database directory when the run would
// first move its files into the data directory.
CString DirectoryToRead(const Settings& settings, std::FILE* out) {
  if (settings.dbDirSetting == settings.dataDir ||
      files::SameFile(settings.dbDirSetting, settings.dataDir)) {
    return settings.dataDir;
  }
  std::vector<std::string> found;
  files::FindFiles(files::Join(settings.dbDirSetting, "*.db"), &found);
  if (found.empty()) {
    return settings.dataDir;
  }
  std::fprintf(out,
               "the run first moves %zu files from %s to %s; they are checked where they are\n",
               found.size(), settings.dbDirSetting.c_str(), settings.dataDir.c_str());
  return settings.dbDirSetting;
}

}  // namespace

int RunCheck(int profileChoice, const CString& programDirIn, std::FILE* out, std::FILE* err) {
  CString programDir = programDirIn.empty() ? files::ProgramDirectory() : programDirIn;
  if (programDir.empty()) {
    programDir = files::CurrentDirectory();
  }
  Settings settings;
  CString why;
  if (!ReadSettings(profileChoice, programDir, &settings, &why)) {
    std::fprintf(err, "remold: %s\n", why.c_str());
    return CRemoldApp::kStartupEnd;
  }
  std::fprintf(
      out, "profile %s at release %s%s\n", settings.profileKey.c_str(),
      DescribeRelease(settings.version, settings.build).c_str(),
      settings.flat ? " (settings in the old layout; a run moves them into profile 0)" : "");
  if (settings.version > kCurrentVersion ||
      (settings.version == kCurrentVersion && settings.build >= kCurrentBuild)) {
    std::fprintf(out, "the database is current; a run has nothing to convert\n");
    return CRemoldApp::kCurrent;
  }
  if (settings.running) {
    std::fprintf(out,
                 "a previous upgrade did not complete; a run cannot start before remold "
                 "--backout has restored its files\n");
    return CRemoldApp::kNotConverted;
  }
  const CString dir = DirectoryToRead(settings, out);
  const CString previous = files::CurrentDirectory();
  if (files::SetCurrentDirectory(dir) != 0) {
    std::fprintf(out, "the data directory %s cannot be entered; no table can be read\n",
                 dir.c_str());
    return CRemoldApp::kNotConverted;
  }
  const CheckReport report = CheckSteps(settings.version, settings.build, true);
  // The run writes the converted files into the data directory, wherever they are read from.
  PrintCheck(report, settings.dataDir, out);
  const int64_t free = FreeSpace(settings.dataDir);
  files::SetCurrentDirectory(previous);
  const bool roomy = free < 0 || free >= report.bytesNeeded;
  return report.Fails() || !roomy ? CRemoldApp::kNotConverted : CRemoldApp::kCurrent;
}

}  // namespace upgrade
