// The whole program on the scripted front end: start-up, the dialog's states, a run with cancel
// and backout, failures, and what ends up in the settings.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app_test_support.h"
#include "platform/sysio/sysio.h"
#include "resources/remold_resources.h"
#include "tests/support/file_bytes.h"

using namespace testing_support;
using ::testing::HasSubstr;
using namespace framework;
namespace fs = std::filesystem;

namespace {

using RemoldApp = ProgramHome;

// The last enabled state (1 or 0) of control `id` of the upgrade dialog; its buttons start enabled.
int LastEnabled(const ScriptedFrontEnd& ui, int id) {
  int state = 1;
  for (const Event& e : ui.events()) {
    if (e.kind == Event::Kind::Enabled && e.control == id && e.dialog == IDD_REMOLD_DIALOG) {
      state = e.value;
    }
  }
  return state;
}

// The texts of every message box shown, one after the other.
std::string MessagesOf(const ScriptedFrontEnd& ui) {
  std::string all;
  for (const MessageBoxRecord& box : ui.MessageBoxes()) {
    all += box.text + "\n";
  }
  return all;
}

// How many texts shown in control `id` contained `part`.
int Showed(const ScriptedFrontEnd& ui, int id, const std::string& part) {
  const std::vector<std::string> texts = ui.TextsOf(id);
  return static_cast<int>(std::count_if(texts.begin(), texts.end(),
                                        [&](const std::string& t) { return Contains(t, part); }));
}

TEST_F(RemoldApp, MigratesFlatSettingsOnceWithDefaults) {
  store->WriteString("Communications", "DefaultProfile", "  Route 9  ");
  store->WriteString("Directories", "DatabaseDir", "   ");
  store->WriteInt("Generic", "DBVersion", 1028);
  store->WriteInt("Generic", "Build", 4);
  store->WriteString("Generic", "CompanyName", "Acme");
  ScriptedFrontEnd ui;
  EXPECT_EQ(0, RunApp(ui));  // current already: the dialog closes at once
  EXPECT_EQ(Int("Profiles", "Created"), 1);
  EXPECT_EQ(Int("Profiles\\ID0", "Enabled"), 1);
  EXPECT_EQ(Int("Profiles\\ID9", "Enabled"), 0);
  EXPECT_EQ(String("Profiles\\ID0\\Communications", "DefaultProfile"), "Route 9");
  EXPECT_EQ(Int("Profiles\\ID0\\Communications", "TimedConnect"), -99);  // not written
  EXPECT_EQ(String("Profiles\\ID0\\Directories", "DatabaseDir"), dataDir);
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "RequestConfirmation"), 1);
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "UpdatedMajCat"), 1);
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "LastDatabase"), -1);
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "UpdateLow2"), 0);
  EXPECT_EQ(String("Profiles\\ID0\\Generic", "CompanyName"), "Acme");
  EXPECT_EQ(String("Profiles\\ID0\\Generic", "ContactName"), "");

  // A second start does not migrate again, even with other flat values.
  store->Load();
  store->WriteString("Generic", "CompanyName", "Changed");
  store->WriteInt("Profiles", "Current", 0);
  ScriptedFrontEnd again;
  EXPECT_EQ(0, RunApp(again));
  EXPECT_EQ(String("Profiles\\ID0\\Generic", "CompanyName"), "Acme");
}

// A second press of Start Upgrade during the run does nothing; a cancel answered No lets the
// run finish.
TEST_F(RemoldApp, UpgradesTermsAndStampsTheProfileThroughPressesDuringTheRun) {
  Terms204(300);
  ScriptedFrontEnd ui;
  PressStart(ui);
  ui.Add(WhenText(IDC_STATUS_TEXT, "Terms"), Press(IDOK));
  ui.Add(WhenText(IDC_STATUS_TEXT, "Terms"), Press(IDCANCEL));
  ui.Add(WhenMessageBox("cancel the upgrade"), Answer(IDNO));
  EXPECT_EQ(0, RunApp(ui));
  EXPECT_TRUE(Showed(ui, IDC_INTRO_TEXT, "contain 300 total records"));
  EXPECT_EQ(LastEnabled(ui, IDC_BACKOUTUPGRADE), 0);
  EXPECT_EQ(Showed(ui, IDC_STATUS_TEXT, "Working on Terms database"), 1);
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "DBVersion"), 1028);
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "Build"), 4);
  EXPECT_EQ(Int("Profiles\\ID0\\Upgrade", "UpgradeRunning"), 0);
  EXPECT_EQ(String("Profiles\\ID0\\Upgrade", "FileList"), "SAVEDB\\TERMS.DB|");
  // Bit 14 (terms) and, below 3.03, bit 5; the other bits belong to steps whose files are
  // missing and which therefore ended normally.
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "UpdateLow") & (1 << 14 | 1 << 5), 1 << 14 | 1 << 5);
  EXPECT_EQ(StatBlock(InData("TERMS.DB")), kTermsSpec);
  EXPECT_EQ(ReadAll(InData("TERMS.DB")).size(), 300u);
  EXPECT_EQ(ui.PositionsOf(IDC_PROGRESS_TOTAL).back(), 100);
  EXPECT_FALSE(fs::exists(InData("TMP.DB")));
}

// The exit status tells what the last run did: one that failed on the accounts receivable,
// backed out; then one cancelled during the terms, backed out too; then leave.
TEST_F(RemoldApp, FailedThenCancelledRunsAreBackedOutAndTheLastOneGivesTheStatus) {
  const std::vector<Bytes> before = Terms204(300);
  InDirectory(dataDir, [] {
    MakeFile("AR.DB", Spec(30, {{1, 6, 1, 0}}), {Record(30, {{0, Text("C1")}})});
  });
  ScriptedFrontEnd ui;
  PressStart(ui);
  ui.Add(WhenMessageBox("Unable to upgrade"), Answer(IDOK));
  ui.Add(WhenText(IDC_INTRO_TEXT, "did not complete"), Press(IDC_BACKOUTUPGRADE));
  ui.Add(WhenText(IDC_STATUS_TEXT, "Waiting"), Press(IDOK));
  ui.Add(WhenText(IDC_STATUS_TEXT, "Terms"), Press(IDCANCEL));
  ui.Add(WhenMessageBox("cancel the upgrade"), Answer(IDYES));
  // Back to waiting: the backout is offered.
  ui.Add(WhenText(IDC_INTRO_TEXT, "did not complete"), Press(IDC_BACKOUTUPGRADE));
  LeaveWhenWaiting(ui);
  EXPECT_EQ(1, RunApp(ui)) << FirstFailure(ui);
  EXPECT_EQ(ReadAll(InData("TERMS.DB")), before);
  EXPECT_EQ(StatBlock(InData("TERMS.DB")), kTerms0204Spec);
  EXPECT_EQ(Int("Profiles\\ID0\\Upgrade", "UpgradeRunning"), 0);
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "DBVersion"), 516);
  EXPECT_FALSE(fs::exists(InData("TMP.DB")));
}

TEST_F(RemoldApp, CancelConfirmedAtTheLastRecordKeepsTheFile) {
  const std::vector<Bytes> before = Terms204(5);
  ScriptedFrontEnd ui;
  PressStart(ui);
  // 5 of 5 records: the progress of the last record.
  ui.Add(WhenBar(IDC_PROGRESS_TOTAL, 100), Press(IDCANCEL));
  ui.Add(WhenMessageBox("cancel the upgrade"), Answer(IDYES));
  LeaveWhenWaiting(ui);
  EXPECT_EQ(1, RunApp(ui)) << FirstFailure(ui);
  EXPECT_EQ(ReadAll(InData("TERMS.DB")), before);
  EXPECT_EQ(String("Profiles\\ID0\\Upgrade", "FileList"), "");
  EXPECT_EQ(Int("Profiles\\ID0\\Upgrade", "UpgradeRunning"), 1);
}

// What a killed run leaves: the unfinished upgrade, for which only the backout is offered, and
// half-done files, which are removed and not counted.
TEST_F(RemoldApp, KilledRunOffersOnlyTheBackoutAndItsLeftoversAreRemoved) {
  Terms204(7);
  store->WriteInt("Profiles\\ID0\\Upgrade", "UpgradeRunning", 1);
  const char* const leftovers[] = {".~TERMS.DB.a1B2c3", ".AR.DB.move-41-0", "SAVEDB/.~AR.DB.x9y8z7",
                                   ".CONFS.move-41-1"};
  fs::create_directories(InData("SAVEDB"));
  fs::create_directories(InData(".CONFS.move-41-1/sub"));
  for (int i = 0; i < 3; ++i) {
    std::ofstream(InData(leftovers[i])) << "half done";
  }
  ScriptedFrontEnd ui;
  LeaveAtOnce(ui);
  EXPECT_EQ(1, RunApp(ui));
  EXPECT_TRUE(Showed(ui, IDC_INTRO_TEXT,
                     "contain 7 total records.\n\nA previous upgrade did not complete."));
  EXPECT_EQ(ui.LastText(IDC_STATUS_TEXT), "Waiting for user input.");
  EXPECT_FALSE(Showed(ui, IDC_STATUS_TEXT, "Working on"));
  EXPECT_EQ(LastEnabled(ui, IDOK), 0);
  EXPECT_EQ(LastEnabled(ui, IDC_BACKOUTUPGRADE), 1);
  for (const char* name : leftovers) {
    EXPECT_FALSE(fs::exists(InData(name))) << name;
  }
  EXPECT_EQ(ReadAll(InData("TERMS.DB")).size(), 7u);
}

// ---- Failures of a run: each ends with a message that says why, and the original stays ----

struct Failure {
  const char* name;
  const char* says;
  void (*prepare)() = nullptr;  // in the data directory, once the terms are there
  const char* point = nullptr;  // where `fault` is armed, or null
  const char* detail = "";
  sysio::Fault fault{};
};

const Failure kFailures[] = {
    {"wrong_layout",
     "Unable to upgrade the Terms database (status 22).\n  TERMS.DB is not in the layout this step "
     "reads: it holds 30-byte",
     [] {
       fs::remove("TERMS.DB");
       MakeFile("TERMS.DB", Spec(30, {{1, 2, 0, 0}}), {Record(30, {{0, Text("AB")}})});
     }},
    {"save_area_is_a_file", "TERMS.DB: SAVEDB is not a directory.",
     [] { std::ofstream("SAVEDB") << "a file of the user's"; }},
    // The rename of "TMP.DB" into the place of the saved original fails.
    {"swap_fails",
     "cannot move TMP.DB to TERMS.DB",
     nullptr,
     "swap:old-saved",
     "TERMS.DB",
     {sysio::kRename, 1, EIO, false}},
    // Every record was inserted, but the commit at Close fails: the inserts that answered 0 are
    // not on disk, so the converted file must not replace the original.
    {"close_fails",
     "TERMS.DB: the files could not be closed",
     nullptr,
     "step:read-all",
     "TERMS.DB",
     {sysio::kWrite, 1, EIO, true}},
};

void PrintTo(const Failure& failure, std::ostream* os) {
  *os << failure.name;
}

class FailedRun : public RemoldApp, public ::testing::WithParamInterface<Failure> {};

TEST_P(FailedRun, IsReportedAndKeepsTheOriginal) {
  const Failure failure = GetParam();
  Terms204(20);
  if (failure.prepare != nullptr) {
    InDirectory(dataDir, failure.prepare);
  }
  const std::vector<Bytes> before = ReadAll(InData("TERMS.DB"));
  const Bytes spec = StatBlock(InData("TERMS.DB"));
  auto saveAreaFile = [&] {
    return fs::is_regular_file(InData("SAVEDB")) ? rectest::ReadBytes(InData("SAVEDB")) : "";
  };
  const std::string saveArea = saveAreaFile();
  if (failure.point != nullptr) {
    sysio::ArmFaultAt(failure.point, failure.detail, failure.fault);
  }
  ScriptedFrontEnd ui;
  PressStart(ui);
  ui.Add(WhenMessageBox("Unable to upgrade"), Answer(IDOK));
  LeaveWhenWaiting(ui);
  const int status = RunApp(ui);
  sysio::DisarmFault();
  EXPECT_EQ(3, status) << FirstFailure(ui);
  EXPECT_THAT(MessagesOf(ui), HasSubstr(failure.says));
  EXPECT_EQ(ReadAll(InData("TERMS.DB")), before);
  EXPECT_EQ(StatBlock(InData("TERMS.DB")), spec);
  EXPECT_EQ(saveAreaFile(), saveArea);
  EXPECT_FALSE(fs::exists(InData("SAVEDB/TERMS.DB")));
  EXPECT_FALSE(fs::exists(InData("TMP.DB")));
  EXPECT_EQ(String("Profiles\\ID0\\Upgrade", "FileList"), "");
  EXPECT_EQ(Int("Profiles\\ID0\\Upgrade", "UpgradeRunning"), 1);
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "DBVersion"), 516);
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "UpdateLow", -5), -5);
}

INSTANTIATE_TEST_SUITE_P(Failures, FailedRun, ::testing::ValuesIn(kFailures),
                         [](const ::testing::TestParamInfo<Failure>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(RemoldApp, EndOfRunThatCannotBeWrittenKeepsTheBackout) {
  const std::vector<Bytes> before = Terms204(30);
  // From the end of the steps on, no settings file can be written.
  sysio::ArmFaultAt("run:steps-done", "", {sysio::kWrite | sysio::kRename, 1, ENOSPC, true});
  ScriptedFrontEnd ui;
  PressStart(ui);
  ui.Add(WhenMessageBox("could not be written"), Answer(IDOK));
  EXPECT_EQ(3, RunApp(ui));
  sysio::DisarmFault();
  EXPECT_THAT(MessagesOf(ui), HasSubstr("No space left on device"));
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "DBVersion"), 516);
  EXPECT_EQ(Int("Profiles\\ID0\\Upgrade", "UpgradeRunning"), 1);
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "UpdateLow", -5), -5);

  // The next start offers the backout, which restores the original.
  ScriptedFrontEnd again;
  PressBackout(again);
  LeaveWhenWaiting(again);
  EXPECT_EQ(1, RunApp(again));
  EXPECT_EQ(ReadAll(InData("TERMS.DB")), before);
  EXPECT_EQ(StatBlock(InData("TERMS.DB")), kTerms0204Spec);
}

// A data directory that its user cannot write. Root writes anywhere, so a test run as root runs
// the program as "nobody", who owns the home but not the data directory.
TEST_F(RemoldApp, ReadOnlyDataDirectoryIsReported) {
  const std::vector<Bytes> before = Terms204(20);
  fs::create_directories(InData("SAVEDB"));
  const bool root = geteuid() == 0;
  if (root) {
    for (const auto& entry : fs::recursive_directory_iterator(home)) {
      ASSERT_EQ(0, lchown(entry.path().c_str(), 65534, 65534));
    }
    ASSERT_EQ(0, chown(home.c_str(), 65534, 65534));
    ASSERT_EQ(0, chown(dataDir.c_str(), 0, 0));
  }
  fs::permissions(dataDir, static_cast<fs::perms>(0555));  // r-x for all
  const ChildResult child = InChild([&](std::string* messages) {
    if (root && (setgid(65534) != 0 || setuid(65534) != 0)) {
      return 99;
    }
    ScriptedFrontEnd ui;
    PressStart(ui);
    ui.Add(WhenMessageBox("Unable to upgrade"), Answer(IDOK));
    const int status = RunApp(ui);
    *messages = MessagesOf(ui);
    return status;
  });
  fs::permissions(dataDir, fs::perms::owner_all);
  ASSERT_TRUE(WIFEXITED(child.status));
  EXPECT_EQ(3, WEXITSTATUS(child.status)) << child.text;
  EXPECT_THAT(child.text, HasSubstr("The work file TMP.DB cannot be created"));
  EXPECT_EQ(ReadAll(InData("TERMS.DB")), before);
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "DBVersion"), 516);
}

// ---- Where the database is ----

// Releases before 3.04 build 5 keep the database beside the program; the dialog moves it into
// the data directory. Build 5 keeps it where it is.
TEST_F(RemoldApp, OldReleaseMovesTheDatabaseFromBesideTheProgram) {
  std::ofstream(program + "/TERMS.DB") << "not a record file";
  fs::create_directories(program + "/CONFS");
  for (const int build : {5, 4}) {
    SCOPED_TRACE("build " + std::to_string(build));
    Profile(772, build);
    ScriptedFrontEnd ui;
    LeaveAtOnce(ui);
    EXPECT_EQ(1, RunApp(ui));
    EXPECT_EQ(fs::exists(InData("TERMS.DB")), build == 4);
    EXPECT_EQ(fs::is_directory(InData("CONFS")), build == 4);
    EXPECT_EQ(fs::exists(program + "/TERMS.DB"), build == 5);
    EXPECT_EQ(String("Profiles\\ID0\\Directories", "DatabaseDir"), dataDir);
  }
}

// Old file names that the data directory spells otherwise. Of two names that differ only in
// letter case, the second must not take the place of the first, just moved, by deleting it as an
// old target. A name holding a backslash (as a Windows archive unpacks) names a path below the
// data directory: here the original that an unfinished run keeps in SAVEDB, which must stay.
TEST_F(RemoldApp, OldFilesWhoseNamesTheDataDirectorySpellsOtherwiseLoseNothing) {
  Profile(772, 4);
  store->WriteInt("Profiles\\ID0\\Upgrade", "UpgradeRunning", 1);
  store->WriteString("Profiles\\ID0\\Upgrade", "FileList", "SAVEDB\\ITEM.DB|");
  fs::create_directories(InData("SAVEDB"));
  std::ofstream(InData("SAVEDB/ITEM.DB")) << "original";
  std::ofstream(program + "/SAVEDB\\ITEM.DB") << "from an archive";
  std::ofstream(program + "/TERMS.DB") << "upper";
  std::ofstream(program + "/terms.db") << "lower";
  ScriptedFrontEnd ui;
  LeaveAtOnce(ui);
  EXPECT_EQ(1, RunApp(ui));
  EXPECT_EQ(rectest::ReadBytes(InData("SAVEDB/ITEM.DB")), "original");
  EXPECT_EQ(rectest::ReadBytes(program + "/SAVEDB\\ITEM.DB"), "from an archive");
  EXPECT_EQ(rectest::ReadBytes(InData("TERMS.DB")), "upper");
  EXPECT_EQ(rectest::ReadBytes(program + "/terms.db"), "lower");
}

// A database file that could not be moved would miss the run, which would then stamp the profile
// with that table left behind in the old directory: the upgrade must not start.
TEST_F(RemoldApp, DatabaseFileThatCannotMoveStopsTheUpgrade) {
  // Flat settings: the first start makes profile 0 with its database in the documents folder.
  ASSERT_TRUE(store->WriteValues({registry::Setting::Text("Directories", "DatabaseDir", program),
                                  registry::Setting::Int("Generic", "DBVersion", 772),
                                  registry::Setting::Int("Generic", "Build", 5)}));
  std::ofstream(program + "/AR.DB") << "accounts";
  std::ofstream(program + "/TERMS.DB") << "terms";
  // The move of AR.DB, the first file.
  sysio::ArmFaultAt("start:migrated", "", {sysio::kRename, 1, EIO, false});
  ScriptedFrontEnd ui;
  PressStart(ui);
  RunApp(ui);
  sysio::DisarmFault();
  sysio::DisarmKill();
  EXPECT_THAT(MessagesOf(ui), HasSubstr("could not be moved to " + dataDir + " and stay in " +
                                        program + ":\nAR.DB\n"));
  EXPECT_EQ(LastEnabled(ui, IDOK), 0);
  EXPECT_EQ(rectest::ReadBytes(program + "/AR.DB"), "accounts");
  EXPECT_EQ(rectest::ReadBytes(InData("TERMS.DB")), "terms");
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "DBVersion"), 772);
}

TEST_F(RemoldApp, WorkDirectoryThatCannotMoveIsNamedAndTheRestMoves) {
  // The data directory lies inside the old CONFS directory, which therefore cannot move into it.
  dataDir = program + "/CONFS/data";
  fs::create_directories(dataDir);
  fs::create_directories(program + "/DBTEXT");
  Profile(772, 4);
  std::ofstream(program + "/TERMS.DB") << "not a record file";
  ScriptedFrontEnd ui;
  ui.Add(WhenMessageBox("could not be moved"), Answer(IDOK));
  LeaveAtOnce(ui);
  EXPECT_EQ(1, RunApp(ui));
  EXPECT_TRUE(fs::exists(InData("TERMS.DB")));
  EXPECT_TRUE(fs::is_directory(InData("DBTEXT")));
  EXPECT_TRUE(fs::is_directory(program + "/CONFS"));
  EXPECT_EQ(String("Profiles\\ID0\\Directories", "DatabaseDir"), dataDir);
  EXPECT_THAT(MessagesOf(ui),
              ::testing::AllOf(HasSubstr("could not be moved"), HasSubstr("CONFS")));
}

// The database directory named in another spelling of the program directory, where a release
// before 3.04 build 5 keeps its files: one directory, so nothing moves and every file converts
// in place (moving it onto itself would delete each file as its own target).
TEST_F(RemoldApp, OtherSpellingOfTheProgramDirectoryConvertsEveryFileInPlace) {
  fs::create_directory_symlink(program, home + "/link");
  std::string drive = "C:" + program;
  std::replace(drive.begin(), drive.end(), '/', '\\');
  // A trailing slash, a symbolic link, the letter case, a drive letter.
  for (const std::string& setting : {program + "/", home + "/link", home + "/PROGRAM", drive}) {
    SCOPED_TRACE(setting);
    dataDir = setting;
    Profile(516, 0);
    std::vector<Bytes> records;
    InDirectory(program, [&] {
      fs::remove_all("SAVEDB");
      fs::remove("TERMS.DB");
      records = MakeTerms0204(12);
    });
    ScriptedFrontEnd ui;
    PressStart(ui);
    EXPECT_EQ(0, RunApp(ui)) << FirstFailure(ui);
    EXPECT_EQ(StatBlock(program + "/TERMS.DB"), kTermsSpec);
    EXPECT_EQ(ReadAll(program + "/TERMS.DB").size(), 12u);
    EXPECT_EQ(ReadAll(program + "/SAVEDB/TERMS.DB"), records);
    EXPECT_EQ(String("Profiles\\ID0\\Directories", "DatabaseDir"), setting);
    EXPECT_FALSE(Showed(ui, 1277, "Moving File"));
  }
}

// The profile's directory is gone (a disk not mounted): the run must not convert the files of
// the directory the program happens to be in, nor stamp the profile for them.
TEST_F(RemoldApp, DataDirectoryThatCannotBeEnteredEndsTheProgram) {
  std::vector<Bytes> others;
  InDirectory(home + "/Documents/Vendrix 32", [&] { others = MakeTerms0204(3); });
  dataDir = home + "/unmounted";
  Profile(516, 0);
  ScriptedFrontEnd ui;
  PressStart(ui);
  EXPECT_EQ(2, RunApp(ui));
  EXPECT_THAT(MessagesOf(ui),
              HasSubstr("The database directory " + dataDir + " cannot be entered"));
  EXPECT_EQ(ReadAll(home + "/Documents/Vendrix 32/TERMS.DB"), others);
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "DBVersion"), 516);
}

// ---- Profiles ----

TEST_F(RemoldApp, ChosenProfileIsUpgraded) {
  store->WriteInt("Profiles", "Created", 1);
  store->WriteInt("Profiles\\ID3", "Enabled", 1);
  store->WriteString("Profiles\\ID3\\Generic", "CompanyName", "Third");
  store->WriteInt("Profiles\\ID3\\Generic", "DBVersion", 1030);
  store->WriteString("Profiles\\ID3\\Directories", "DatabaseDir", dataDir);
  ScriptedFrontEnd ui;
  ui.Add(Now(), ChooseProfile(3));
  EXPECT_EQ(0, RunApp(ui)) << FirstFailure(ui);
  EXPECT_EQ(Int("Profiles\\ID3\\Generic", "DBVersion"), 1028);
  EXPECT_EQ(Int("Profiles\\ID3\\Generic", "Build"), 4);
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "DBVersion"), -99);
}

TEST_F(RemoldApp, FileBarCountsFilesFoundMissing) {
  Profile(1025, 4);  // velocity, deviated costs and menu headers, none of them there
  ScriptedFrontEnd ui;
  PressStart(ui);
  EXPECT_EQ(0, RunApp(ui));
  // From the range set on opening.
  EXPECT_EQ(ui.PositionsOf(IDC_PROGRESS_FILES), (std::vector<int>{0, 1, 2, 3}));
}

}  // namespace
