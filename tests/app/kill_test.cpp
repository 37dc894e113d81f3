// A run killed with SIGKILL, at every point of a file's replacement and at random moments,
// can be backed out to the original files byte for byte, and a new run then completes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "app/upgrade_run.h"
#include "platform/btrieve/btrcall.h"
#include "platform/sysio/sysio.h"
#include "upgrade_test_support.h"

using namespace testing_support;

namespace {

const Bytes kTermsSpec = Spec(22, false, {{1, 2, 0, 0}});
const Bytes kArSpec = Spec(64, false, {{1, 6, 1, 0}});

struct Snapshot {
  std::vector<Bytes> terms, ar;
  Bytes termsSpec, arSpec;
  bool operator==(const Snapshot&) const = default;
};

Snapshot Take() {
  return {ReadAll("TERMS.DB"), ReadAll("AR.DB"), StatBlock("TERMS.DB"), StatBlock("AR.DB")};
}

class KillTest : public ::testing::Test {
 protected:
  ScratchDir dir;

  void SetUp() override {
    std::vector<Bytes> terms;
    for (int i = 0; i < 3000; ++i) {
      std::string code = {static_cast<char>(33 + i % 90), static_cast<char>(33 + i / 90)};
      terms.push_back(Record(22, {{0, Text(code)}, {2, Text("terms " + std::to_string(i))}}));
    }
    MakeFile("TERMS.DB", kTermsSpec, terms);
    MakeFile("AR.DB", kArSpec, {});  // empty: converted and saved all the same
  }

  // Starts the upgrade in a child process that `arm` prepares; returns the child's id.
  template <class Arm>
  pid_t StartRun(Arm arm) {
    const pid_t child = fork();
    if (child == 0) {
      FileProfile profile(dir.path() + "/settings.reg");
      RecordingHost host(profile);
      profile.WriteInt("Upgrade", "UpgradeRunning", 1);
      profile.WriteString("Upgrade", "FileList", "");
      arm();
      uint64_t mask = 0;
      upgrade::RunSteps(host, 516, 0, &mask);
      _exit(0);
    }
    return child;
  }

  // Runs the upgrade in a child process that `arm` prepares to die; returns when it is dead.
  template <class Arm>
  void RunChild(Arm arm) {
    const pid_t child = StartRun(arm);
    ASSERT_GE(child, 0);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
        << "the child was not killed at its point (status " << status << ")";
  }

  void ExpectBackoutRestoresThenRunCompletes(const Snapshot& before) {
    FileProfile profile(dir.path() + "/settings.reg");
    EXPECT_TRUE(upgrade::BackoutFiles(profile).empty());
    EXPECT_TRUE(Take() == before);
    EXPECT_FALSE(FileExists("TMP.DB"));
    RecordingHost host(profile);
    uint64_t mask = 0;
    EXPECT_TRUE(upgrade::RunSteps(host, 516, 0, &mask).failed.empty());
    EXPECT_EQ(ReadAll("TERMS.DB").size(), 3000u);
    EXPECT_EQ(StatBlock("TERMS.DB"), Spec(40, false, {{1, 2, 0, 0}}));
    EXPECT_EQ(StatBlock("AR.DB"), Spec(68, false, {{1, 6, 1, 0}}));
  }
};

class KillAtPoint : public KillTest,
                    public ::testing::WithParamInterface<std::pair<const char*, const char*>> {};

TEST_P(KillAtPoint, BackoutRestoresEverything) {
  const Snapshot before = Take();
  RunChild([&] { sysio::ArmKill(GetParam().first, GetParam().second); });
  ExpectBackoutRestoresThenRunCompletes(before);
}

INSTANTIATE_TEST_SUITE_P(ReplacementSteps, KillAtPoint,
                         // An empty file at each point of its replacement; a full file's points are
                         // in the kill matrix of fault_matrix_test.cpp.
                         ::testing::Values(std::make_pair("swap:stale-deleted", "AR.DB"),
                                           std::make_pair("swap:listed", "AR.DB"),
                                           std::make_pair("swap:old-saved", "AR.DB"),
                                           std::make_pair("swap:new-in-place", "AR.DB")));

TEST_F(KillTest, AtRandomMomentsBackoutRestoresEverything) {
  const Snapshot before = Take();
  for (int delayMs : {5, 40, 120}) {
    const pid_t child = StartRun([] {});
    ASSERT_GE(child, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    FileProfile profile(dir.path() + "/settings.reg");
    EXPECT_TRUE(upgrade::BackoutFiles(profile).empty());
    EXPECT_TRUE(Take() == before) << "killed after " << delayMs << " ms";
  }
  ExpectBackoutRestoresThenRunCompletes(before);
}

}  // namespace
