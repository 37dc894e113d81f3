// The whole program under faults and kills. A child process runs remold on the scripted front
// end while the fault layer fails its Nth write, sync, rename, unlink or read, or while a named
// kill point ends it with SIGKILL. Whatever happened, no original is lost: each one stands
// unchanged in the data directory or in "SAVEDB"; a run that stamped the profile converted every
// table; otherwise the backout restores every file byte for byte, and a run without faults then
// completes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "app_test_support.h"
#include "platform/sysio/sysio.h"
#include "resources/remold_resources.h"
#include "tests/support/file_bytes.h"

using namespace testing_support;
using namespace framework;
namespace fs = std::filesystem;

namespace {

using Files = std::map<std::string, std::string>;  // name -> raw bytes

// The record files of a directory, byte for byte.
Files RecordFiles(const std::string& dir) {
  Files files;
  if (!fs::is_directory(dir)) {
    return files;
  }
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_regular_file() && name.size() > 3 && name.substr(name.size() - 3) == ".DB") {
      files[name] = rectest::ReadBytes(entry.path().string());
    }
  }
  return files;
}

// Whether `files` hold `name` with exactly `bytes`.
bool Holds(const Files& files, const std::string& name, const std::string& bytes) {
  const auto it = files.find(name);
  return it != files.end() && it->second == bytes;
}

// One release's database: where it lives, which steps write its files.
struct Database {
  int version, build;
  std::vector<std::string> steps;  // the demo writers that make its files
  bool besideProgram;              // releases before 3.04 build 5 keep it beside the program
};

// Three tables of release 4.01 build 4 (velocity, deviated costs, menu headers) in the data
// directory; three tables of release 2.04 beside the program, moved when the dialog opens.
const Database kInPlace{1025, 4, {"8d", "20", "21"}, false};
const Database kMoved{516, 0, {"10", "11", "12"}, true};

class WholeProgram : public ProgramHome {
 protected:
  Database setup = kInPlace;
  Files originals;
  std::vector<std::string> names;

  void SetUp() override {
    sysio::SkipSyncsForTesting(true);
    ProgramHome::SetUp();
  }
  void TearDown() override { sysio::SkipSyncsForTesting(false); }

  std::string DatabaseHome() const { return setup.besideProgram ? program : dataDir; }

  void Make(const Database& s) {
    setup = s;
    Profile(s.version, s.build);
    InDirectory(DatabaseHome(), [&] { MakeDemoFiles(s.steps, 6, 5); });
    originals = RecordFiles(DatabaseHome());
    ASSERT_EQ(originals.size(), s.steps.size());
    for (const auto& [name, bytes] : originals) {
      names.push_back(name);
    }
    PutStaleCopy();
  }

  // A copy that an earlier, completed run left in "SAVEDB": the run replaces it.
  void PutStaleCopy() {
    fs::create_directories(dataDir + "/SAVEDB");
    std::ofstream(dataDir + "/SAVEDB/" + names.back(), std::ios::binary)
        << originals.at(names.front());
  }

  int Int(const std::string& name, int def = -99) {
    const std::string section = name == "UpgradeRunning" ? "Upgrade" : "Generic";
    return ProgramHome::Int("Profiles\\ID0\\" + section, name, def);
  }
  bool Stamped() { return Int("DBVersion") == 1028 && Int("Build") == 4; }

  // Runs the program in a child prepared by `arm`; returns the child's wait status.
  int RunChild(const std::function<void()>& arm,
               const std::function<void(ScriptedFrontEnd&)>& script) {
    return InChild([&](std::string*) {
             arm();
             return RunApp(script);
           })
        .status;
  }

  // Every original stands unchanged in the data directory or in "SAVEDB".
  void ExpectNothingLost(const std::string& when) {
    const Files here = RecordFiles(dataDir);
    const Files beside = RecordFiles(program);
    const Files saved = RecordFiles(dataDir + "/SAVEDB");
    for (const auto& [name, bytes] : originals) {
      EXPECT_TRUE(Holds(here, name, bytes) || Holds(beside, name, bytes) ||
                  Holds(saved, name, bytes))
          << when << ": the original " << name << " is lost";
    }
  }

  // A stamped run converted every table; otherwise the backout restores every original in
  // place, byte for byte. Then a run without faults completes.
  void ExpectRecoverable(const std::string& when) {
    ExpectNothingLost(when);
    if (Stamped()) {
      ExpectConverted(when);
      return;
    }
    if (Int("UpgradeRunning", 0) == 1) {
      RunApp(PressBackout);
      EXPECT_EQ(Int("UpgradeRunning", 0), 0) << when;
      ExpectNothingLost(when + ", after the backout");
    }
    // The move into the data directory may have taken a file already.
    const Files here = RecordFiles(DatabaseHome()), moved = RecordFiles(dataDir);
    for (const auto& [name, bytes] : originals) {
      EXPECT_TRUE(Holds(here, name, bytes) || Holds(moved, name, bytes))
          << when << ": " << name << " differs from its original after the backout";
    }
    EXPECT_FALSE(fs::exists(dataDir + "/TMP.DB")) << when;
    EXPECT_FALSE(fs::exists(dataDir + "/TMP.DB-journal")) << when;
    EXPECT_EQ(0, RunApp(PressStart)) << when;
    ExpectConverted(when + ", then a run without faults");
  }

  void ExpectConverted(const std::string& when) {
    EXPECT_TRUE(Stamped()) << when;
    EXPECT_EQ(Int("UpgradeRunning", 0), 0) << when;
    const Files saved = RecordFiles(dataDir + "/SAVEDB");
    const Files here = RecordFiles(dataDir);
    for (const auto& [name, bytes] : originals) {
      EXPECT_TRUE(Holds(saved, name, bytes)) << when << ": " << name << " is not saved as it was";
      EXPECT_TRUE(here.count(name) && here.at(name) != bytes)
          << when << ": " << name << " is not converted";
      // Every record, in the current layout (a run that swallowed a failed write would not
      // have them all).
      const Converted& expected = converted[name];
      if (!expected.spec.empty()) {
        EXPECT_EQ(StatBlock(dataDir + "/" + name), expected.spec) << when << ": " << name;
        EXPECT_EQ(ReadAll(dataDir + "/" + name).size(), expected.records) << when << ": " << name;
      }
    }
    EXPECT_FALSE(fs::exists(dataDir + "/TMP.DB")) << when;
  }

  // What a run without faults makes of each file: its specification and number of records.
  struct Converted {
    Bytes spec;
    size_t records = 0;
  };
  std::map<std::string, Converted> converted;

  void NoteConverted() {
    for (const auto& [name, bytes] : originals) {
      converted[name] = {StatBlock(dataDir + "/" + name), ReadAll(dataDir + "/" + name).size()};
    }
  }

  // The calls of one kind that a complete run makes, counted in a child.
  int64_t CallsOfRun(unsigned ops) {
    const ChildResult child = InChild([&](std::string* calls) {
      sysio::ArmFault({sysio::kAllOps, 0, 0, false});
      RunApp(PressStart);
      *calls = std::to_string(sysio::Calls(ops));
      return 0;
    });
    return child.text.empty() ? 0 : std::stoll(child.text);
  }
};

struct FaultKind {
  const char* name;
  unsigned ops;
};

const FaultKind kKinds[] = {{"write", sysio::kWrite},
                            {"sync", sysio::kSync},
                            {"rename", sysio::kRename},
                            {"unlink", sysio::kUnlink},
                            {"read", sysio::kRead}};
const int kErrors[] = {ENOSPC, EIO, EACCES};

class FaultMatrix : public WholeProgram, public ::testing::WithParamInterface<FaultKind> {};

// For every N, the Nth call of the kind fails; the errno rotates over disk full, I/O error and
// permission denied. The database is made once and put back between the runs.
TEST_P(FaultMatrix, EveryFailingCallLeavesARecoverableDatabase) {
  Make(kInPlace);
  const std::string settings = home + "/.config/Corvane/Vendrix 32/registry.reg";
  const std::string pristineSettings = rectest::ReadBytes(settings);
  // Back to the database and the settings as they were made.
  auto restore = [&] {
    fs::remove_all(dataDir);
    fs::create_directories(dataDir);
    for (const auto& [name, bytes] : originals) {
      std::ofstream(dataDir + "/" + name, std::ios::binary) << bytes;
    }
    PutStaleCopy();
    std::ofstream(settings, std::ios::binary) << pristineSettings;
  };
  const int64_t calls = CallsOfRun(GetParam().ops);
  ASSERT_GT(calls, 0);
  NoteConverted();
  restore();
  // The test command fails each call once, the errno rotating; the long sweep
  // (scripts/sweep.sh) fails each call with every errno, once and from then on.
  const bool sweep = getenv("REMOLD_SWEEP") != nullptr;
  for (int64_t n = 1; n <= calls; ++n) {
    for (int variant = 0; variant < (sweep ? 6 : 1); ++variant) {
      const int error = kErrors[(n + variant) % 3];
      const bool sticky = variant >= 3;
      const int status = RunChild(
          [&] {
            sysio::ArmFault({GetParam().ops, n, error, sticky});
          },
          PressStart);
      const std::string when = std::string(GetParam().name) + " #" + std::to_string(n) + " (" +
                               std::strerror(error) + (sticky ? ", from then on)" : ")");
      ASSERT_TRUE(WIFEXITED(status)) << when << ": the program died (status " << status << ")";
      ExpectRecoverable(when);
      if (HasFailure()) {
        return;
      }
      restore();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, FaultMatrix, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<FaultKind>& info) {
                           return std::string(info.param.name);
                         });

// A kill point, where it is passed, and the release whose run passes it.
struct Kill {
  const char* point;
  const char* detail;
  int occurrence;
  const Database* database;
  // The point is in the backout of a run killed before at this point of this file (or null).
  const char* interruptedAt = nullptr;
  const char* interruptedIn = nullptr;
};

class KillMatrix : public WholeProgram, public ::testing::WithParamInterface<Kill> {};

TEST_P(KillMatrix, AKilledProgramLeavesARecoverableDatabase) {
  const Kill kill = GetParam();
  Make(*kill.database);
  auto arm = [&] { sysio::ArmKill(kill.point, kill.detail, kill.occurrence); };
  int status = 0;
  if (kill.interruptedAt != nullptr) {
    // A run killed before, then a backout killed at the point.
    status = RunChild([&] { sysio::ArmKill(kill.interruptedAt, kill.interruptedIn); }, PressStart);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the run was not killed";
    ASSERT_EQ(Int("UpgradeRunning", 0), 1);
    status = RunChild(arm, PressBackout);
  } else {
    status = RunChild(arm, PressStart);
  }
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
      << kill.point << " was never passed (status " << status << ")";
  ExpectRecoverable(std::string("killed at ") + kill.point);
}

const char* const kVelocity = "Velocity.DB";
const char* const kDevCost = "DevCost.DB";
const char* const kAfterSecond = "swap:new-in-place";
const char* const kMenu = "MenuHdr.DB";

const Kill kKills[] = {
    {"start:settings-read", "", 1, &kInPlace},
    {"start:installed", "", 1, &kInPlace},
    {"dialog:opened", "", 1, &kInPlace},
    {"dialog:counted", "", 1, &kInPlace},
    {"move:target-deleted", "", 2, &kMoved},
    {"move:moved", "", 1, &kMoved},
    {"move:moved", "", 3, &kMoved},
    {"move:directories-moved", "", 1, &kMoved},
    {"move:setting-written", "", 1, &kMoved},
    {"run:marked", "", 1, &kInPlace},
    {"step:opened", kVelocity, 1, &kInPlace},
    {"step:created", kVelocity, 1, &kInPlace},
    {"step:inserted", kVelocity, 3, &kInPlace},
    {"step:read-all", kMenu, 1, &kInPlace},
    {"swap:closed", kVelocity, 1, &kInPlace},
    {"swap:stale-deleted", kVelocity, 1, &kInPlace},
    {"swap:listed", kVelocity, 1, &kInPlace},
    {"swap:old-saved", kVelocity, 1, &kInPlace},
    {"swap:new-in-place", kVelocity, 1, &kInPlace},
    {"swap:old-saved", kMenu, 1, &kInPlace},
    {"swap:new-in-place", kMenu, 1, &kInPlace},
    {"work:removed", "", 1, &kInPlace, "step:created", "MenuHdr.DB"},
    // The record manager writes "TMP.DB" while its journal stands: killed in the commit.
    {"btr:commit-journaled", "", 2, &kInPlace},
    {"run:steps-done", "", 1, &kInPlace},
    {"end:stamped", "", 1, &kInPlace},
    {"backout:start", "", 1, &kInPlace, kAfterSecond, kDevCost},
    {"backout:converted-deleted", "", 1, &kInPlace, kAfterSecond, kDevCost},
    {"backout:restored", "", 1, &kInPlace, kAfterSecond, kDevCost},
    {"backout:converted-deleted", "", 2, &kInPlace, kAfterSecond, kDevCost},
    {"backout:cleared", "", 1, &kInPlace, kAfterSecond, kDevCost},
};

INSTANTIATE_TEST_SUITE_P(Points, KillMatrix, ::testing::ValuesIn(kKills),
                         [](const ::testing::TestParamInfo<Kill>& info) {
                           std::string name = std::string(info.param.point) + "_" +
                                              info.param.detail + "_" +
                                              std::to_string(info.param.occurrence);
                           std::replace_if(
                               name.begin(), name.end(),
                               [](unsigned char c) { return !isalnum(c); }, '_');
                           return name;
                         });

}  // namespace
