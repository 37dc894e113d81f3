// The whole program on the scripted front end: start-up, the dialog's states, a run with cancel
// and backout, failures, and what ends up in the settings.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/sysio/sysio.h"
#include "program_home.h"
#include "resources/remold_resources.h"
#include "tests/support/file_bytes.h"

using namespace testing_support;
using ::testing::HasSubstr;
using namespace framework;
namespace fs = std::filesystem;

namespace {

Bytes Terms0204(int i) {
  const std::string code = {static_cast<char>('A' + i % 26), static_cast<char>('a' + i / 26 % 26)};
  return Record(22, {{0, Text(code)}, {2, Text("Terms " + std::to_string(i))}});
}

class RemoldApp : public ProgramHome {
 protected:
  // A release 2.04 profile whose data directory holds `count` terms; returns them in key order.
  std::vector<Bytes> TermsOf204(int count) {
    Profile(516, 0);
    std::vector<Bytes> records;
    for (int i = 0; i < count; ++i) {
      records.push_back(Terms0204(i));
    }
    InDirectory(dataDir, [&] { MakeFile("TERMS.DB", Spec(22, false, {{1, 2, 0, 0}}), records); });
    return ReadAll(InData("TERMS.DB"));
  }
  // Arms `fault` to strike from `point` of `detail` on, presses Start Upgrade, answers the
  // message box that says `box` and disarms; returns remold's exit status.
  int RunWithFaultAt(const char* point, const char* detail, const sysio::Fault& fault,
                     ScriptedFrontEnd& ui, const char* box = "Unable to upgrade") {
    sysio::ArmFaultAt(point, detail, fault);
    ui.Add(WhenDialog(IDD_REMOLD_DIALOG), Press(IDOK));
    ui.Add(WhenMessageBox(box), Answer(IDOK));
    const int status = RunApp(ui);
    sysio::DisarmFault();
    return status;
  }
};

// Leaves the program once the dialog waits again.
void LeaveWhenWaiting(ScriptedFrontEnd& ui) {
  ui.Add(WhenText(IDC_STATUS_TEXT, "Waiting"), Press(IDCANCEL));
  ui.Add(WhenMessageBox("leave the upgrade program"), Answer(IDYES));
}

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

// Whether any text shown in control `id` contained `part`.
bool Showed(const ScriptedFrontEnd& ui, int id, const std::string& part) {
  for (const std::string& text : ui.TextsOf(id)) {
    if (Contains(text, part)) {
      return true;
    }
  }
  return false;
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

TEST_F(RemoldApp, NoProfileEndsWithItsMessage) {
  store->WriteInt("Profiles", "Created", 1);
  ScriptedFrontEnd ui;
  ui.Add(Now(), Key(VK_ESCAPE));  // leave the (empty) chooser if it shows
  ui.Add(WhenMessageBox("Unable to find any active profiles"), Answer(IDOK));
  EXPECT_EQ(2, RunApp(ui));
  ASSERT_FALSE(ui.MessageBoxes().empty());
  EXPECT_EQ(ui.MessageBoxes().back().text, "Unable to find any active profiles to upgrade");
}

TEST_F(RemoldApp, MissingProductEndsWithString106) {
  Profile(516, 0);
  fs::remove(program + "/VENDRIX.EXE");
  ScriptedFrontEnd ui;
  ui.Add(WhenMessageBox("Not Correctly Installed"), Answer(IDOK));
  EXPECT_EQ(2, RunApp(ui));
  EXPECT_EQ(ui.MessageBoxes().at(0).text, "Current Vendrix Program Not Correctly Installed.\n\n");
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "DBVersion"), 516);
}

TEST_F(RemoldApp, CurrentProfileClosesAtOnceAndIsStamped) {
  Profile(1030, 0);
  ScriptedFrontEnd ui;
  EXPECT_EQ(0, RunApp(ui));
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "DBVersion"), 1028);
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "Build"), 4);
}

TEST_F(RemoldApp, UpgradesTermsAndStampsTheProfile) {
  TermsOf204(25);
  ScriptedFrontEnd ui;
  ui.Add(WhenDialog(IDD_REMOLD_DIALOG), Press(IDOK));
  EXPECT_EQ(0, RunApp(ui)) << (ui.failures().empty() ? "" : ui.failures()[0]);
  EXPECT_TRUE(Showed(ui, IDC_INTRO_TEXT, "contain 25 total records"));
  EXPECT_EQ(LastEnabled(ui, IDC_BACKOUTUPGRADE), 0);
  EXPECT_TRUE(Showed(ui, IDC_STATUS_TEXT, "Working on Terms database"));
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "DBVersion"), 1028);
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "Build"), 4);
  EXPECT_EQ(Int("Profiles\\ID0\\Upgrade", "UpgradeRunning"), 0);
  EXPECT_EQ(String("Profiles\\ID0\\Upgrade", "FileList"), "SAVEDB\\TERMS.DB|");
  // Bit 14 (terms) and, below 3.03, bit 5; the other bits belong to steps whose files are
  // missing and which therefore ended normally.
  EXPECT_TRUE(Int("Profiles\\ID0\\Generic", "UpdateLow") & (1 << 14));
  EXPECT_TRUE(Int("Profiles\\ID0\\Generic", "UpdateLow") & (1 << 5));
  EXPECT_EQ(StatBlock(InData("TERMS.DB")), Spec(40, false, {{1, 2, 0, 0}}));
  EXPECT_EQ(ReadAll(InData("TERMS.DB")).size(), 25u);
  EXPECT_EQ(ui.PositionsOf(IDC_PROGRESS_TOTAL).back(), 100);
  EXPECT_FALSE(fs::exists(InData("TMP.DB")));
}

TEST_F(RemoldApp, CancelRefusedLetsTheRunFinish) {
  TermsOf204(200);
  ScriptedFrontEnd ui;
  ui.Add(WhenDialog(IDD_REMOLD_DIALOG), Press(IDOK));
  ui.Add(WhenText(IDC_STATUS_TEXT, "Terms"), Press(IDCANCEL));
  ui.Add(WhenMessageBox("cancel the upgrade"), Answer(IDNO));
  EXPECT_EQ(0, RunApp(ui));
  EXPECT_EQ(ReadAll(InData("TERMS.DB")).size(), 200u);
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "DBVersion"), 1028);
}

TEST_F(RemoldApp, CancelConfirmedThenBackoutRestoresAndThenLeave) {
  const std::vector<Bytes> before = TermsOf204(300);
  ScriptedFrontEnd ui;
  ui.Add(WhenDialog(IDD_REMOLD_DIALOG), Press(IDOK));
  ui.Add(WhenText(IDC_STATUS_TEXT, "Terms"), Press(IDCANCEL));
  ui.Add(WhenMessageBox("cancel the upgrade"), Answer(IDYES));
  // Back to waiting: the backout is offered.
  ui.Add(WhenText(IDC_INTRO_TEXT, "did not complete"), Press(IDC_BACKOUTUPGRADE));
  LeaveWhenWaiting(ui);
  EXPECT_EQ(1, RunApp(ui)) << (ui.failures().empty() ? "" : ui.failures()[0]);
  EXPECT_EQ(ReadAll(InData("TERMS.DB")), before);
  EXPECT_EQ(Int("Profiles\\ID0\\Upgrade", "UpgradeRunning"), 0);
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "DBVersion"), 516);
  EXPECT_FALSE(fs::exists(InData("TMP.DB")));
}

TEST_F(RemoldApp, UnfinishedUpgradeOffersOnlyTheBackout) {
  Profile(516, 0);
  store->WriteInt("Profiles\\ID0\\Upgrade", "UpgradeRunning", 1);
  ScriptedFrontEnd ui;
  ui.Add(WhenDialog(IDD_REMOLD_DIALOG), Press(IDCANCEL));
  ui.Add(WhenMessageBox("leave the upgrade program"), Answer(IDYES));
  EXPECT_EQ(1, RunApp(ui));
  EXPECT_TRUE(Showed(ui, IDC_INTRO_TEXT, "records.\n\nA previous upgrade did not complete."));
  EXPECT_EQ(ui.LastText(IDC_STATUS_TEXT), "Waiting for user input.");
  EXPECT_FALSE(Showed(ui, IDC_STATUS_TEXT, "Working on"));
  EXPECT_EQ(LastEnabled(ui, IDOK), 0);
  EXPECT_EQ(LastEnabled(ui, IDC_BACKOUTUPGRADE), 1);
}

TEST_F(RemoldApp, FailedTableIsReportedAndNothingIsStamped) {
  Profile(516, 0);
  InDirectory(dataDir, [] {
    MakeFile("TERMS.DB", Spec(30, false, {{1, 2, 0, 0}}), {Record(30, {{0, Text("AB")}})});
  });
  ScriptedFrontEnd ui;
  ui.Add(WhenDialog(IDD_REMOLD_DIALOG), Press(IDOK));
  ui.Add(WhenMessageBox("Unable to upgrade"), Answer(IDOK));
  LeaveWhenWaiting(ui);
  EXPECT_EQ(3, RunApp(ui));
  EXPECT_THAT(MessagesOf(ui),
              HasSubstr("Unable to upgrade the Terms database (status 22).\n  TERMS.DB is not in "
                        "the layout this step reads: it holds 30-byte"));
  EXPECT_EQ(Int("Profiles\\ID0\\Upgrade", "UpgradeRunning"), 1);
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "UpdateLow", -5), -5);
  EXPECT_EQ(StatBlock(InData("TERMS.DB")), Spec(30, false, {{1, 2, 0, 0}}));
}

TEST_F(RemoldApp, OldReleaseMovesTheDatabaseFromBesideTheProgram) {
  Profile(772, 4);
  std::ofstream(program + "/TERMS.DB") << "not a record file";
  fs::create_directories(program + "/CONFS");
  ScriptedFrontEnd ui;
  ui.Add(WhenDialog(IDD_REMOLD_DIALOG), Press(IDCANCEL));
  ui.Add(WhenMessageBox("leave"), Answer(IDYES));
  EXPECT_EQ(1, RunApp(ui));
  EXPECT_TRUE(fs::exists(InData("TERMS.DB")));
  EXPECT_TRUE(fs::is_directory(InData("CONFS")));
  EXPECT_FALSE(fs::exists(program + "/TERMS.DB"));
  EXPECT_EQ(String("Profiles\\ID0\\Directories", "DatabaseDir"), dataDir);
}

TEST_F(RemoldApp, Build5KeepsTheDatabaseWhereItIs) {
  Profile(772, 5);
  std::ofstream(program + "/TERMS.DB") << "not a record file";
  ScriptedFrontEnd ui;
  ui.Add(WhenDialog(IDD_REMOLD_DIALOG), Press(IDCANCEL));
  ui.Add(WhenMessageBox("leave"), Answer(IDYES));
  EXPECT_EQ(1, RunApp(ui));
  EXPECT_TRUE(fs::exists(program + "/TERMS.DB"));
}

TEST_F(RemoldApp, ChosenProfileIsUpgraded) {
  store->WriteInt("Profiles", "Created", 1);
  store->WriteInt("Profiles\\ID3", "Enabled", 1);
  store->WriteString("Profiles\\ID3\\Generic", "CompanyName", "Third");
  store->WriteInt("Profiles\\ID3\\Generic", "DBVersion", 1030);
  store->WriteString("Profiles\\ID3\\Directories", "DatabaseDir", dataDir);
  ScriptedFrontEnd ui;
  ui.Add(Now(), ChooseProfile(3));
  EXPECT_EQ(0, RunApp(ui)) << (ui.failures().empty() ? "" : ui.failures()[0]);
  EXPECT_EQ(Int("Profiles\\ID3\\Generic", "DBVersion"), 1028);
  EXPECT_EQ(Int("Profiles\\ID3\\Generic", "Build"), 4);
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "DBVersion"), -99);
}

TEST_F(RemoldApp, SecondPressDuringARunDoesNothing) {
  TermsOf204(300);
  ScriptedFrontEnd ui;
  ui.Add(WhenDialog(IDD_REMOLD_DIALOG), Press(IDOK));
  ui.Add(WhenText(IDC_STATUS_TEXT, "Terms"), Press(IDOK));
  EXPECT_EQ(0, RunApp(ui));
  int termsShown = 0;
  for (const std::string& text : ui.TextsOf(IDC_STATUS_TEXT)) {
    termsShown += text == "Working on Terms database";
  }
  EXPECT_EQ(termsShown, 1);
  EXPECT_EQ(String("Profiles\\ID0\\Upgrade", "FileList"), "SAVEDB\\TERMS.DB|");
  EXPECT_EQ(ReadAll(InData("TERMS.DB")).size(), 300u);
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
  ui.Add(WhenDialog(IDD_REMOLD_DIALOG), Press(IDCANCEL));
  ui.Add(WhenMessageBox("leave"), Answer(IDYES));
  EXPECT_EQ(1, RunApp(ui));
  EXPECT_TRUE(fs::exists(InData("TERMS.DB")));
  EXPECT_TRUE(fs::is_directory(InData("DBTEXT")));
  EXPECT_TRUE(fs::is_directory(program + "/CONFS"));
  EXPECT_EQ(String("Profiles\\ID0\\Directories", "DatabaseDir"), dataDir);
  bool named = false;
  for (const MessageBoxRecord& box : ui.MessageBoxes()) {
    named = named || (Contains(box.text, "could not be moved") && Contains(box.text, "CONFS"));
  }
  EXPECT_TRUE(named);
}

// The database directory named in another spelling of the program directory, where a release
// before 3.04 build 5 keeps its files: one directory, so nothing moves and every file converts
// in place (moving it onto itself would delete each file as its own target).
class SameDirectory : public RemoldApp, public ::testing::WithParamInterface<const char*> {};

TEST_P(SameDirectory, ConvertsEveryFileInPlace) {
  const std::string spelling = GetParam();
  std::string setting = program;
  if (spelling == "trailing slash") {
    setting = program + "/";
  } else if (spelling == "symbolic link") {
    setting = home + "/link";
    fs::create_directory_symlink(program, setting);
  } else if (spelling == "letter case") {
    setting = home + "/PROGRAM";
  } else if (spelling == "drive letter") {
    setting = "C:" + program;
    std::replace(setting.begin(), setting.end(), '/', '\\');
  }
  dataDir = setting;
  Profile(516, 0);
  std::vector<Bytes> records;
  for (int i = 0; i < 12; ++i) {
    records.push_back(Terms0204(i));
  }
  InDirectory(program, [&] { MakeFile("TERMS.DB", Spec(22, false, {{1, 2, 0, 0}}), records); });
  ScriptedFrontEnd ui;
  ui.Add(WhenDialog(IDD_REMOLD_DIALOG), Press(IDOK));
  EXPECT_EQ(0, RunApp(ui)) << (ui.failures().empty() ? "" : ui.failures()[0]);
  EXPECT_EQ(StatBlock(program + "/TERMS.DB"), Spec(40, false, {{1, 2, 0, 0}}));
  EXPECT_EQ(ReadAll(program + "/TERMS.DB").size(), 12u);
  EXPECT_EQ(ReadAll(program + "/SAVEDB/TERMS.DB"), records);
  EXPECT_EQ(String("Profiles\\ID0\\Directories", "DatabaseDir"), setting);
  EXPECT_FALSE(Showed(ui, 1277, "Moving File"));
}

INSTANTIATE_TEST_SUITE_P(Spellings, SameDirectory,
                         ::testing::Values("trailing slash", "symbolic link", "letter case",
                                           "drive letter"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           std::string name = info.param;
                           std::replace(name.begin(), name.end(), ' ', '_');
                           return name;
                         });

TEST_F(RemoldApp, EndOfRunThatCannotBeWrittenKeepsTheBackout) {
  const std::vector<Bytes> before = TermsOf204(30);
  // From the end of the steps on, no settings file can be written.
  ScriptedFrontEnd ui;
  EXPECT_EQ(
      3, RunWithFaultAt("run:steps-done", "", {sysio::kWrite | sysio::kRename, 1, ENOSPC, true}, ui,
                        "could not be written"));
  ASSERT_FALSE(ui.MessageBoxes().empty());
  EXPECT_THAT(ui.MessageBoxes().back().text, HasSubstr("No space left on device"));
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "DBVersion"), 516);
  EXPECT_EQ(Int("Profiles\\ID0\\Upgrade", "UpgradeRunning"), 1);
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "UpdateLow", -5), -5);

  // The next start offers the backout, which restores the original.
  ScriptedFrontEnd again;
  again.Add(WhenDialog(IDD_REMOLD_DIALOG), Press(IDC_BACKOUTUPGRADE));
  LeaveWhenWaiting(again);
  EXPECT_EQ(1, RunApp(again));
  EXPECT_EQ(ReadAll(InData("TERMS.DB")), before);
  EXPECT_EQ(StatBlock(InData("TERMS.DB")), Spec(22, false, {{1, 2, 0, 0}}));
}

TEST_F(RemoldApp, ConvertedFileThatCannotTakeItsPlaceIsPutBackAndUnlisted) {
  const std::vector<Bytes> before = TermsOf204(20);
  // The rename of "TMP.DB" into the place of the saved original fails.
  ScriptedFrontEnd ui;
  EXPECT_EQ(3, RunWithFaultAt("swap:old-saved", "TERMS.DB", {sysio::kRename, 1, EIO, false}, ui));
  EXPECT_EQ(ReadAll(InData("TERMS.DB")), before);
  EXPECT_FALSE(fs::exists(InData("SAVEDB/TERMS.DB")));
  EXPECT_FALSE(fs::exists(InData("TMP.DB")));
  EXPECT_EQ(String("Profiles\\ID0\\Upgrade", "FileList"), "");
  EXPECT_THAT(MessagesOf(ui), HasSubstr("cannot move TMP.DB to TERMS.DB"));
}

TEST_F(RemoldApp, LeftoversOfAKilledRunAreRemovedAndNotCounted) {
  TermsOf204(7);
  fs::create_directories(InData("SAVEDB"));
  for (const char* name : {".~TERMS.DB.a1B2c3", ".AR.DB.move-41-0", "SAVEDB/.~AR.DB.x9y8z7"}) {
    std::ofstream(InData(name)) << "half done";
  }
  fs::create_directories(InData(".CONFS.move-41-1/sub"));
  ScriptedFrontEnd ui;
  ui.Add(WhenDialog(IDD_REMOLD_DIALOG), Press(IDCANCEL));
  ui.Add(WhenMessageBox("leave"), Answer(IDYES));
  EXPECT_EQ(1, RunApp(ui));
  EXPECT_TRUE(Showed(ui, IDC_INTRO_TEXT, "contain 7 total records"));
  for (const char* name :
       {".~TERMS.DB.a1B2c3", ".AR.DB.move-41-0", "SAVEDB/.~AR.DB.x9y8z7", ".CONFS.move-41-1"}) {
    EXPECT_FALSE(fs::exists(InData(name))) << name;
  }
  EXPECT_EQ(ReadAll(InData("TERMS.DB")).size(), 7u);
}

TEST_F(RemoldApp, CancelConfirmedAtTheLastRecordKeepsTheFile) {
  const std::vector<Bytes> before = TermsOf204(5);
  ScriptedFrontEnd ui;
  ui.Add(WhenDialog(IDD_REMOLD_DIALOG), Press(IDOK));
  // 5 of 5 records: the progress of the last record.
  ui.Add(WhenBar(IDC_PROGRESS_TOTAL, 100), Press(IDCANCEL));
  ui.Add(WhenMessageBox("cancel the upgrade"), Answer(IDYES));
  LeaveWhenWaiting(ui);
  EXPECT_EQ(1, RunApp(ui)) << (ui.failures().empty() ? "" : ui.failures()[0]);
  EXPECT_EQ(ReadAll(InData("TERMS.DB")), before);
  EXPECT_EQ(String("Profiles\\ID0\\Upgrade", "FileList"), "");
  EXPECT_EQ(Int("Profiles\\ID0\\Upgrade", "UpgradeRunning"), 1);
}

TEST_F(RemoldApp, ExitStatusTellsWhatTheLastRunDid) {
  TermsOf204(300);
  InDirectory(dataDir, [] {
    MakeFile("AR.DB", Spec(30, false, {{1, 6, 1, 0}}), {Record(30, {{0, Text("C1")}})});
  });
  ScriptedFrontEnd ui;
  // A run that fails on the accounts receivable, backed out; then a run cancelled; then leave.
  ui.Add(WhenDialog(IDD_REMOLD_DIALOG), Press(IDOK));
  ui.Add(WhenMessageBox("Unable to upgrade"), Answer(IDOK));
  ui.Add(WhenText(IDC_INTRO_TEXT, "did not complete"), Press(IDC_BACKOUTUPGRADE));
  ui.Add(WhenText(IDC_STATUS_TEXT, "Waiting"), Press(IDOK));
  ui.Add(WhenText(IDC_STATUS_TEXT, "Terms"), Press(IDCANCEL));
  ui.Add(WhenMessageBox("cancel the upgrade"), Answer(IDYES));
  ui.Add(WhenText(IDC_INTRO_TEXT, "did not complete"), Press(IDCANCEL));
  ui.Add(WhenMessageBox("leave the upgrade program"), Answer(IDYES));
  EXPECT_EQ(1, RunApp(ui)) << (ui.failures().empty() ? "" : ui.failures()[0]);
}

TEST_F(RemoldApp, FileBarCountsFilesFoundMissing) {
  Profile(1025, 4);  // velocity, deviated costs and menu headers, none of them there
  ScriptedFrontEnd ui;
  ui.Add(WhenDialog(IDD_REMOLD_DIALOG), Press(IDOK));
  EXPECT_EQ(0, RunApp(ui));
  const std::vector<int> positions = ui.PositionsOf(IDC_PROGRESS_FILES);
  EXPECT_EQ(positions, (std::vector<int>{0, 1, 2, 3}));  // from the range set on opening
}

// The places where a whole run cannot be done: each ends with a message that says why, and the
// original stays where it was.

TEST_F(RemoldApp, SaveAreaThatIsAFileIsReportedAndLeftAlone) {
  const std::vector<Bytes> before = TermsOf204(20);
  std::ofstream(InData("SAVEDB")) << "a file of the user's";
  ScriptedFrontEnd ui;
  ui.Add(WhenDialog(IDD_REMOLD_DIALOG), Press(IDOK));
  ui.Add(WhenMessageBox("Unable to upgrade"), Answer(IDOK));
  EXPECT_EQ(3, RunApp(ui));
  EXPECT_THAT(MessagesOf(ui), HasSubstr("TERMS.DB: SAVEDB is not a directory."));
  EXPECT_EQ(ReadAll(InData("TERMS.DB")), before);
  EXPECT_EQ(rectest::ReadBytes(InData("SAVEDB")), "a file of the user's");
  EXPECT_FALSE(fs::exists(InData("TMP.DB")));
  EXPECT_EQ(String("Profiles\\ID0\\Upgrade", "FileList"), "");
}

// A data directory that its user cannot write. Root writes anywhere, so a test run as root runs
// the program as "nobody", who owns the home but not the data directory.
TEST_F(RemoldApp, ReadOnlyDataDirectoryIsReported) {
  const std::vector<Bytes> before = TermsOf204(20);
  fs::create_directories(InData("SAVEDB"));
  const bool root = geteuid() == 0;
  if (root) {
    for (const auto& entry : fs::recursive_directory_iterator(home)) {
      ASSERT_EQ(0, lchown(entry.path().c_str(), 65534, 65534));
    }
    ASSERT_EQ(0, chown(home.c_str(), 65534, 65534));
    ASSERT_EQ(0, chown(dataDir.c_str(), 0, 0));
  }
  fs::permissions(dataDir, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                               fs::perms::group_exec | fs::perms::others_read |
                               fs::perms::others_exec);
  const ChildResult child = InChild([&](std::string* messages) {
    if (root && (setgid(65534) != 0 || setuid(65534) != 0)) {
      return 99;
    }
    ScriptedFrontEnd ui;
    ui.Add(WhenDialog(IDD_REMOLD_DIALOG), Press(IDOK));
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

TEST_F(RemoldApp, ConvertedFileThatCannotBeClosedIsNotSwappedIn) {
  const std::vector<Bytes> before = TermsOf204(40);
  // Every record was inserted, but the commit at Close fails: the inserts that answered 0 are
  // not on disk, so the converted file must not replace the original.
  ScriptedFrontEnd ui;
  EXPECT_EQ(3, RunWithFaultAt("step:read-all", "TERMS.DB", {sysio::kWrite, 1, EIO, true}, ui));
  EXPECT_THAT(MessagesOf(ui), HasSubstr("TERMS.DB: the files could not be closed"));
  EXPECT_EQ(ReadAll(InData("TERMS.DB")), before);
  EXPECT_FALSE(fs::exists(InData("SAVEDB/TERMS.DB")));
  EXPECT_FALSE(fs::exists(InData("TMP.DB")));
}

}  // namespace
