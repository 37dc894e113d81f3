// The modes without a terminal, run in-process on the real settings store and record files:
// --check predicts table by table what the following --yes run does, for the demo database of
// every release and for databases with each kind of failure, and writes nothing while it looks;
// --yes and --backout press the dialog's buttons, answer its questions safely, stop on a signal
// and exit with the status a script acts on; the run log tells each run, cancel, failure and
// backout as it went.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "app/check.h"
#include "app/run_log.h"
#include "app/unattended.h"
#include "app_test_support.h"
#include "platform/btrieve/btrcall.h"
#include "platform/sysio/sysio.h"
#include "recfile/file_definition.h"
#include "resources/resource.h"
#include "tables/catalog/category.h"
#include "tables/catalog/item.h"
#include "tests/support/file_bytes.h"

using namespace testing_support;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

namespace {

// What one file's line said: records read and written, and how it ended.
struct FileLine {
  int read = -1;
  int written = -1;
  std::string ending;
  bool operator==(const FileLine&) const = default;
  friend void PrintTo(const FileLine& f, std::ostream* os) {
    *os << f.read << " read, " << f.written << " written, " << f.ending;
  }
};

// A captured stream: a FILE that writes into memory.
class Capture {
 public:
  ~Capture() {
    std::fclose(file_);
    std::free(text_);
  }
  std::FILE* file() { return file_; }
  std::string Text() { return std::fflush(file_) == 0 ? std::string(text_, size_) : "<lost>"; }

 private:
  char* text_ = nullptr;
  size_t size_ = 0;
  std::FILE* file_ = open_memstream(&text_, &size_);
};

// Every file and directory below `root` with its size and modification time.
std::map<std::string, std::string> Tree(const std::string& root) {
  std::map<std::string, std::string> tree;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const auto time = fs::last_write_time(entry.path()).time_since_epoch().count();
    const auto size = entry.is_regular_file() ? entry.file_size() : 0;
    tree[entry.path().string()] = std::to_string(size) + " " + std::to_string(time);
  }
  return tree;
}

class Unattended : public ProgramHome {
 protected:
  void SetUp() override {
    ProgramHome::SetUp();
    upgrade::UnattendedFrontEnd::ClearCancel();
  }
  void TearDown() override {
    upgrade::SetFreeSpaceSource(nullptr);
    upgrade::UnattendedFrontEnd::ClearCancel();
  }

  // The demo files of every step the release takes, written into the data directory.
  void Demo(int version, int build, int records) {
    InDirectory(dataDir, [&] { MakeDemoDatabase(version, build, records, 7); });
  }
  int Check(std::string* out, std::string* err = nullptr, int profile = -1) {
    Capture o, e;
    const int status = upgrade::RunCheck(profile, program, o.file(), e.file());
    *out = o.Text();
    if (err != nullptr) {
      *err = e.Text();
    }
    BTRCALL(btr::kStop, nullptr, nullptr, nullptr, nullptr, 0, 0);
    return status;
  }
  int Run(upgrade::Task task, std::string* out,
          std::chrono::milliseconds progressEvery = std::chrono::seconds(2), int profile = -1) {
    Capture o;
    upgrade::UnattendedFrontEnd frontEnd(task, profile, o.file(), progressEvery);
    const int status = upgrade::RunUnattended(frontEnd, profile, program);
    fs::current_path(scratch.path());
    *out = o.Text();
    return status;
  }
  std::string LogText() { return rectest::ReadBytes(InData("REMOLD.LOG")); }
};

// The files that the lines of `text` matching `pattern` name (group 1), with what they read
// (group 2), wrote (group 3; -1 when not said) and how they ended (group 4).
std::map<std::string, FileLine> FileLines(const std::string& text, const char* pattern) {
  std::map<std::string, FileLine> files;
  const std::regex line(pattern);
  std::istringstream in(text);
  for (std::string t; std::getline(in, t);) {
    std::smatch m;
    if (std::regex_match(t, m, line)) {
      const std::string ending = m[4] == "converts"     ? "converted"
                                 : m[4] == "WOULD FAIL" ? "FAILED"
                                                        : m[4].str();
      files[m[1]] = {std::stoi(m[2]), m[3].matched ? std::stoi(m[3]) : -1, ending};
    }
  }
  return files;
}

// "step 10 Terms TERMS.DB: 30 read, 30 written; converts" per file.
std::map<std::string, FileLine> CheckedFiles(const std::string& out) {
  return FileLines(
      out, R"(step \S+ .* (\S+): (\d+) read(?:, (\d+) written)?.*; (converts|WOULD FAIL).*)");
}

// "file TERMS.DB (Terms): read 30, written 30, skipped 0, converted in 0.01 s" per file.
std::map<std::string, FileLine> LoggedFiles(const std::string& log) {
  return FileLines(
      log, R"(.* file (\S+) \(.*\): read (\d+), written (\d+), skipped \d+, ([A-Za-z]+).*)");
}

// Every log line begins with the local date and time.
void ExpectStamped(const std::string& log) {
  const std::regex stamped(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d \S.*)");
  std::istringstream in(log);
  for (std::string line; std::getline(in, line);) {
    EXPECT_TRUE(std::regex_match(line, stamped)) << line;
  }
}

// ---- --check against --yes, release by release: every release's demo database upgrades
// completely, each file it holds saved and listed for the backout ----

class EveryRelease : public Unattended, public ::testing::WithParamInterface<Release> {};

TEST_P(EveryRelease, CheckChangesNothingAndPredictsTheRunTableByTable) {
  const Release release = GetParam();
  Profile(release.version, release.build);
  Demo(release.version, release.build, 30);
  const auto before = Tree(home);
  int64_t needed = 0;
  int32_t files = 0, records = 0;
  InDirectory(dataDir, [&] {
    needed = upgrade::CheckSteps(release.version, release.build, false).bytesNeeded;
    upgrade::CountWork(release.version, release.build, &files, &records);
  });

  std::string predicted;
  ASSERT_EQ(0, Check(&predicted)) << predicted;
  EXPECT_EQ(Tree(home), before) << "the check changed the tree";
  const std::map<std::string, FileLine> checked = CheckedFiles(predicted);
  EXPECT_FALSE(checked.empty()) << predicted;
  EXPECT_THAT(predicted, HasSubstr("; 0 files would fail"));
  EXPECT_THAT(predicted, HasSubstr("space: the run needs about"));

  std::string said;
  ASSERT_EQ(0, Run(upgrade::Task::Upgrade, &said)) << said;
  const std::map<std::string, FileLine> logged = LoggedFiles(LogText());
  EXPECT_EQ(logged, checked) << predicted << LogText();
  EXPECT_EQ(static_cast<int32_t>(logged.size()), files);
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "DBVersion"), 1028);
  const std::string list = String("Profiles\\ID0\\Upgrade", "FileList");
  for (const upgrade::Step* step : upgrade::SelectSteps(release.version, release.build)) {
    EXPECT_TRUE(Contains(list, std::string("SAVEDB\\") + step->file + "|")) << step->file;
  }
  EXPECT_FALSE(fs::exists(InData("TMP.DB")));
  // The room the run asked for holds every converted file it left beside the saved ones.
  int64_t converted = 0;
  for (const auto& entry : fs::directory_iterator(dataDir)) {
    if (entry.is_regular_file() && entry.path().filename() != "REMOLD.LOG") {
      converted += static_cast<int64_t>(entry.file_size());
    }
  }
  EXPECT_LE(converted, needed);
}

INSTANTIATE_TEST_SUITE_P(Releases, EveryRelease, ::testing::ValuesIn(kEveryRelease), ReleaseName);

// ---- Predicted failures ----

// A file in the layout that `Table` reads, key 0 taking duplicates when `duplicates`; each record
// is zeros with its text at the first segment of key 0 and `length` bytes long (0: the layout's).
template <class Table>
void LegacyFile(const std::string& name, bool duplicates, const std::vector<std::string>& keys,
                size_t length = 0) {
  Table table;
  recfile::FileSpec spec{};
  ASSERT_TRUE(recfile::DescribeTable(table, &spec));
  if (duplicates) {
    for (recfile::KeySegment& segment : spec.keys[0]) {
      segment.flags |= 0x01;
    }
  }
  std::vector<Bytes> records;
  for (const std::string& key : keys) {
    records.push_back(Record(length != 0 ? length : spec.recordLength,
                             {{spec.keys[0][0].position - 1u, Text(key)}}));
  }
  MakeFile(name, recfile::BuildSpecBlock(spec), records);
}

// Release 3.08 with one file for each way a step can fail.
TEST_F(Unattended, CheckNamesEachFailureAndTheRunFailsAndLogsTheSameTables) {
  Profile(776, 0);
  InDirectory(dataDir, [] {
    // Key 0 of the old file takes duplicates, that of the current layout does not.
    LegacyFile<CCategory0308DB>("CATEGORY.DB", true, {"AB", "CD", "AB"});
    // A file that a run already converted: another record length.
    MakeFile("CUST.DB", Spec(30, {{1, 2, 0, 0}}), {Record(30, {{0, Text("X1")}})});
    // Not a record file at all.
    std::ofstream("DevCost.DB") << "these are not records";
    // An item longer than any item of release 3.08.
    LegacyFile<CItem0308DB>("ITEM.DB", false, {"A", "B"}, 4400);
  });
  const auto before = Tree(home);
  std::string predicted;
  EXPECT_EQ(3, Check(&predicted)) << predicted;
  EXPECT_EQ(Tree(home), before);
  EXPECT_THAT(predicted, HasSubstr("step 19 Category CATEGORY.DB: 3 read; WOULD FAIL: records 1 "
                                   "and 2 would both have key 0 \"AB\""));
  EXPECT_THAT(predicted, HasSubstr("CUST.DB: 0 read; WOULD FAIL: CUST.DB is not in the layout this "
                                   "step reads: it holds 30-byte fixed-length records with 1 key"));
  EXPECT_THAT(predicted, HasSubstr("DevCost.DB: 0 read; WOULD FAIL: cannot be opened (status 30)"));
  EXPECT_THAT(predicted, HasSubstr("ITEM.DB: 0 read; WOULD FAIL: record 1 has a length this step "
                                   "cannot read (status 22)"));
  EXPECT_THAT(predicted, HasSubstr("ORDER.DB: not there, nothing to convert"));
  EXPECT_THAT(predicted, HasSubstr("; 4 files would fail"));

  std::string said;
  EXPECT_EQ(3, Run(upgrade::Task::Upgrade, &said)) << said;
  const std::map<std::string, FileLine> logged = LoggedFiles(LogText());
  for (const char* file : {"CATEGORY.DB", "CUST.DB", "DevCost.DB", "ITEM.DB"}) {
    EXPECT_EQ(logged.at(file).ending, "FAILED") << file << "\n" << LogText();
  }
  EXPECT_THAT(said, HasSubstr("Unable to upgrade"));
  EXPECT_THAT(said, HasSubstr("remold --backout restores the original files"));
  EXPECT_EQ(Int("Profiles\\ID0\\Upgrade", "UpgradeRunning"), 1);
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "DBVersion"), 776);
  const std::string log = LogText();
  ExpectStamped(log);
  EXPECT_THAT(log, HasSubstr(" file CATEGORY.DB (Category): read 2, written 1, skipped 0, FAILED, "
                             "original kept (status 5) in "));
  EXPECT_THAT(log, HasSubstr(" message: Unable to upgrade"));
  EXPECT_THAT(log, HasSubstr(" run ended: 4 tables not converted, unfinished\n"));
  EXPECT_TRUE(log.substr(log.size() - 14) == "exit status 3\n") << log;
}

// ---- --yes and --backout: what they press, say and return; what the log keeps ----

// Raises SIGINT when the status line names `table`, as an operator pressing Ctrl-C would.
class SignalAt : public upgrade::UnattendedFrontEnd {
 public:
  SignalAt(const std::string& table, std::FILE* out)
      : UnattendedFrontEnd(upgrade::Task::Upgrade, -1, out), table_(table) {}
  void TextChanged(const framework::Window& window) override {
    UnattendedFrontEnd::TextChanged(window);
    if (!raised_ && window.id == IDC_STATUS_TEXT && Contains(window.text, table_)) {
      raised_ = true;
      std::raise(SIGINT);
    }
  }

 private:
  std::string table_;
  bool raised_ = false;
};

int64_t NearlyFull(const CString&) {
  return 1000;
}

// One database through the runs an operator makes: too little space stops the run before it
// changes anything; a signal cancels the table being converted, which keeps its original; another
// --yes refuses until the backout restores every file; then a complete run, and one more that
// finds the profile current. The log tells each run as it went.
TEST_F(Unattended, NoSpaceThenSignalThenBackoutThenACompleteRun) {
  Demo(516, 0, 30);
  const std::vector<Bytes> terms = Terms204(300);
  const std::vector<Bytes> lines = ReadAll(InData("ORDRITEM.DB"));

  upgrade::SetFreeSpaceSource(NearlyFull);
  std::string predicted, said;
  EXPECT_EQ(3, Check(&predicted));
  EXPECT_THAT(predicted,
              HasSubstr("1000 bytes free in " + dataDir + "; NOT ENOUGH, the run would not start"));
  EXPECT_EQ(1, Run(upgrade::Task::Upgrade, &said)) << said;
  EXPECT_THAT(said, HasSubstr("The upgrade cannot start: it needs about "));
  EXPECT_THAT(said, HasSubstr("the upgrade did not start; nothing was changed"));
  EXPECT_EQ(ReadAll(InData("TERMS.DB")), terms);
  EXPECT_EQ(Int("Profiles\\ID0\\Upgrade", "UpgradeRunning", 0), 0);
  EXPECT_THAT(LogText(), HasSubstr(" run ended: not started, not enough disk space\n"));
  upgrade::SetFreeSpaceSource(nullptr);

  upgrade::CancelOnStopSignals();
  Capture out;
  SignalAt frontEnd("Terms", out.file());
  const int status = upgrade::RunUnattended(frontEnd, -1, program);
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  fs::current_path(scratch.path());
  said = out.Text();
  EXPECT_EQ(1, status) << said;
  EXPECT_THAT(said, HasSubstr("remold: stopping: the table being converted keeps its original"));
  EXPECT_THAT(said, HasSubstr("the upgrade did not complete"));
  EXPECT_EQ(ReadAll(InData("TERMS.DB")), terms);     // abandoned: the original stays
  EXPECT_NE(ReadAll(InData("ORDRITEM.DB")), lines);  // converted before the signal
  EXPECT_FALSE(fs::exists(InData("TMP.DB")));
  EXPECT_EQ(Int("Profiles\\ID0\\Upgrade", "UpgradeRunning"), 1);
  std::string log = LogText();
  EXPECT_THAT(log, HasSubstr(" file ORDRITEM.DB (Order Item): read 30, written 30, skipped 0, "
                             "converted in "));
  EXPECT_THAT(log, HasSubstr(" cancel confirmed: the table being converted keeps its original\n"));
  EXPECT_THAT(log, HasSubstr(", cancelled, original kept in "));
  EXPECT_THAT(log, HasSubstr(" run ended: cancelled, unfinished\n"));
  EXPECT_FALSE(Contains(log, "AR.DB")) << "no step after the cancel";
  EXPECT_TRUE(log.substr(log.size() - 14) == "exit status 1\n") << log;

  // Another --yes refuses: the unfinished run must be backed out first.
  upgrade::UnattendedFrontEnd::ClearCancel();
  EXPECT_EQ(1, Run(upgrade::Task::Upgrade, &said));
  EXPECT_THAT(said, HasSubstr("run remold --backout"));
  EXPECT_EQ(ReadAll(InData("TERMS.DB")), terms);

  EXPECT_EQ(0, Run(upgrade::Task::Backout, &said)) << said;
  EXPECT_THAT(said, HasSubstr("the upgrade was backed out"));
  EXPECT_EQ(ReadAll(InData("ORDRITEM.DB")), lines);
  EXPECT_EQ(Int("Profiles\\ID0\\Upgrade", "UpgradeRunning"), 0);
  log = LogText();
  EXPECT_THAT(log, HasSubstr(" backout started, profile Profiles\\ID0\\"));
  EXPECT_THAT(log, HasSubstr(" backout ended: every saved file restored\n"));
  EXPECT_TRUE(log.substr(log.size() - 14) == "exit status 0\n") << log;
  // Nothing is left to back out.
  EXPECT_EQ(1, Run(upgrade::Task::Backout, &said));
  EXPECT_THAT(said, HasSubstr("no unfinished upgrade to back out"));

  // A complete run, with a progress line whenever one is due (here: always). A table without
  // its file is logged as not there.
  fs::remove(InData("CUST.DB"));
  EXPECT_EQ(0, Run(upgrade::Task::Upgrade, &said, std::chrono::milliseconds(0))) << said;
  EXPECT_THAT(said, HasSubstr("remold: Working on Terms database\n"));
  EXPECT_THAT(said, HasSubstr("remold: Working on Terms database, "));
  EXPECT_THAT(said, HasSubstr("% of all records\n"));
  EXPECT_THAT(said, HasSubstr("remold: the upgrade is complete\n"));
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "DBVersion"), 1028);
  EXPECT_EQ(ReadAll(InData("TERMS.DB")).size(), 300u);
  log = LogText();
  ExpectStamped(log);
  EXPECT_THAT(log, HasSubstr(" run started from release 2.04 build 0 (version 516), profile "
                             "Profiles\\ID0\\, data directory " +
                             dataDir + "\n"));
  EXPECT_THAT(log,
              HasSubstr(" file TERMS.DB (Terms): read 300, written 300, skipped 0, converted in "));
  EXPECT_THAT(log, HasSubstr(" file CUST.DB (Customer): not there, nothing to convert\n"));
  EXPECT_THAT(log, HasSubstr(" run ended: every table converted, the profile is at release 4.04 "
                             "build 4 (version 1028)\n"));
  EXPECT_TRUE(log.substr(log.size() - 14) == "exit status 0\n") << log;
  // One more run appends: the profile is current now and nothing more is logged but its exit.
  EXPECT_EQ(0, Run(upgrade::Task::Upgrade, &said));
  EXPECT_THAT(said, HasSubstr("already current"));
  EXPECT_EQ(LogText().substr(0, log.size()), log);
}

TEST_F(Unattended, ProfileNumberIsTakenInsteadOfTheCurrentOne) {
  Profile(1028, 4);  // profile 0, the current one, needs nothing
  const std::string other = home + "/other";
  fs::create_directories(other);
  store->WriteInt("Profiles\\ID3", "Enabled", 1);
  store->WriteInt("Profiles\\ID3\\Generic", "DBVersion", 516);
  store->WriteString("Profiles\\ID3\\Directories", "DatabaseDir", other);
  InDirectory(other, [] { MakeTerms0204(5); });

  std::string out, err;
  EXPECT_EQ(0, Check(&out, &err, 3));
  EXPECT_THAT(out, HasSubstr("step 10 Terms TERMS.DB: 5 read, 5 written; converts"));
  EXPECT_EQ(2, Check(&out, &err, 4));
  EXPECT_THAT(err, HasSubstr("profile 4 is not enabled"));
  EXPECT_EQ(0, Run(upgrade::Task::Upgrade, &out, std::chrono::seconds(2), 3)) << out;
  EXPECT_EQ(Int("Profiles\\ID3\\Generic", "DBVersion"), 1028);
  EXPECT_EQ(ReadAll(other + "/TERMS.DB").size(), 5u);
}

TEST_F(Unattended, CheckReadsFlatSettingsWithoutMigratingThem) {
  store->WriteInt("Generic", "DBVersion", 1027);
  store->WriteInt("Generic", "Build", 0);
  store->WriteString("Directories", "DatabaseDir", dataDir);
  Demo(1027, 0, 10);
  const auto before = Tree(home);
  std::string out;
  EXPECT_EQ(0, Check(&out)) << out;
  EXPECT_THAT(out, HasSubstr("(settings in the old layout; a run moves them into profile 0)"));
  EXPECT_THAT(out, HasSubstr("step 21 Recipie Master Header MenuHdr.DB: 10 read"));
  EXPECT_EQ(Tree(home), before);
}

// ---- The program itself ----

class ProgramFile : public Unattended {
 protected:
  void SetUp() override {
    Unattended::SetUp();
    fs::copy_file(REMOLD_PATH, remold);
    Profile(516, 0);
  }
  const std::string remold = program + "/remold";
};

// Help and version print; anything else is a one-line usage error (no arguments but no terminal
// either is refused too) that touches nothing; the modes run without a terminal.
TEST_F(ProgramFile, CommandLines) {
  const Outcome help = RunRemold(remold, "--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: remold", 0), 0u) << help.out;
  for (const char* line : {"\n  --check       ", "\n  --yes         ", "\n  --backout     ",
                           "\n  --profile N   ", "\n  --help        ", "\n  --version     "}) {
    EXPECT_THAT(help.out, HasSubstr(line));
  }
  EXPECT_EQ(help.err, "");
  const Outcome version = RunRemold(remold, "--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "Remold Version 1.0\nUpgrades databases to release 4.04 build 4\n");
  EXPECT_EQ(version.err, "");

  InDirectory(dataDir, [] { MakeTerms0204(12); });
  struct Case {
    const char* args;
    int status;
    const char* says;  // part of what it printed, or all of it when `whole`
    bool whole = false;
  };
  const Case cases[] = {
      {"--now", 2, "usage: remold"},
      {"-h", 2, "usage: remold"},
      {"help", 2, "usage: remold"},
      {"--help --version", 2, "usage: remold"},
      {"--version x", 2, "usage: remold"},
      {"--yes --check", 2, "takes one mode"},
      {"--help --profile 1", 2, "usage: remold"},
      {"--check --profile 12", 2, "usage: remold"},
      {"", 2, "terminal"},
      {"--check", 0, "step 10 Terms TERMS.DB: 12 read, 12 written; converts\n"},
      {"--yes", 0, "remold: Working on Terms database\n"},
      {"--backout", 0, "remold: the database is already current\n", true},
      {"--check", 0, "the database is current"},
  };
  for (const Case& c : cases) {
    const Outcome run = RunRemold(remold, c.args);
    const std::string printed = run.out + run.err;
    EXPECT_EQ(run.status, c.status) << c.args << ": " << printed;
    EXPECT_TRUE(c.whole ? printed == c.says : Contains(printed, c.says))
        << c.args << ": " << printed;
    if (c.status == 2) {
      EXPECT_EQ(run.out, "") << c.args;
      EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << c.args << ": " << run.err;
      EXPECT_EQ(Int("Profiles\\ID0\\Generic", "DBVersion"), 516) << c.args;
    }
  }
  EXPECT_THAT(LogText(), HasSubstr(" exit status 0\n"));
}

// A second Remold started while a run converts the database (here a backout, which would put the
// saved originals back under the run and clear its file list) leaves it alone, and the run ends
// with every table converted.
TEST_F(ProgramFile, SecondProgramLeavesARunningUpgradeAlone) {
  Terms204(20);
  InDirectory(dataDir, [] {
    std::vector<Bytes> ar;
    for (int i = 0; i < 15; ++i) {
      ar.push_back(Record(64, {{0, Text("C" + std::to_string(100 + i))}}));
    }
    MakeFile("AR.DB", kAr0204Spec, ar);
  });
  Outcome second;
  framework::ScriptedFrontEnd ui;
  PressStart(ui);
  ui.Add(framework::WhenText(IDC_STATUS_TEXT, "A/R"),
         framework::Call([&] { second = RunRemold(remold, "--backout"); }));
  EXPECT_EQ(0, RunApp(ui)) << FirstFailure(ui);
  EXPECT_EQ(3, second.status);
  EXPECT_THAT(second.err, HasSubstr("Another Remold is working on the database in " + dataDir));
  EXPECT_EQ(StatBlock(InData("TERMS.DB")), kTermsSpec);
  EXPECT_EQ(ReadAll(InData("TERMS.DB")).size(), 20u);
  EXPECT_EQ(StatBlock(InData("AR.DB")), kArSpec);
  EXPECT_EQ(String("Profiles\\ID0\\Upgrade", "FileList"), "SAVEDB\\TERMS.DB|SAVEDB\\AR.DB|");
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "DBVersion"), 1028);
}

TEST_F(Unattended, KilledRunLeavesALogThatEndsAtItsLastFinishedEvent) {
  Demo(516, 0, 30);
  Terms204(100);
  const int status =
      InChild([&](std::string*) {
        sysio::ArmKill("step:inserted", "TERMS.DB", 50);
        Capture out;
        return upgrade::RunUnattended(upgrade::Task::Upgrade, -1, program, out.file());
      }).status;
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the child was not killed";
  const std::string log = LogText();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), '\n') << "a line was cut";
  // The last line is the end of the file converted just before the killed one.
  const size_t last = log.rfind('\n', log.size() - 2);
  EXPECT_TRUE(
      Contains(log.substr(last + 1), " file VELOCITY.DB (Item History): read 30, written 30"))
      << log;
  EXPECT_FALSE(Contains(log, "TERMS.DB")) << log;
}

// The dialog and --check end alike, each with its own message.
TEST_F(Unattended, WrongSettingsOrInstallationEndWithStatus2) {
  std::string out, err;
  store->WriteInt("Profiles", "Created", 1);
  EXPECT_EQ(2, Check(&out, &err));
  EXPECT_EQ(err, "remold: no profile is current; choose one with --profile N\n");
  {
    framework::ScriptedFrontEnd ui;
    ui.Add(framework::Now(), framework::Key(VK_ESCAPE));  // leave the (empty) chooser if it shows
    ui.Add(framework::WhenMessageBox("Unable to find"), framework::Answer(IDOK));
    EXPECT_EQ(2, RunApp(ui));
    ASSERT_FALSE(ui.MessageBoxes().empty());
    EXPECT_EQ(ui.MessageBoxes().back().text, "Unable to find any active profiles to upgrade");
  }
  Profile(516, 0);
  fs::remove(program + "/VENDRIX.EXE");
  EXPECT_EQ(2, Check(&out, &err));
  EXPECT_EQ(err, "remold: Current Vendrix Program Not Correctly Installed.\n");
  {
    framework::ScriptedFrontEnd ui;
    ui.Add(framework::WhenMessageBox("Not Correctly Installed"), framework::Answer(IDOK));
    EXPECT_EQ(2, RunApp(ui));
    ASSERT_FALSE(ui.MessageBoxes().empty());
    EXPECT_EQ(ui.MessageBoxes()[0].text, "Current Vendrix Program Not Correctly Installed.\n\n");
    EXPECT_EQ(Int("Profiles\\ID0\\Generic", "DBVersion"), 516);
  }
  std::ofstream(home + "/.config/Corvane/Vendrix 32/registry.reg", std::ios::app) << "[broken\n";
  const auto broken = Tree(home);
  EXPECT_EQ(2, Check(&out, &err));
  EXPECT_THAT(err, HasSubstr("remold: the settings cannot be read: "));
  EXPECT_EQ(Tree(home), broken);
}

}  // namespace
