// The fault layer: which call fails, how often, and kill points that really kill.
#include "platform/sysio/sysio.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "tests/support/scratch_dir.h"

namespace {

class Sysio : public ::testing::Test {
 protected:
  rectest::ScratchPath scratch;
  const std::string dir = scratch.path();
  void TearDown() override {
    sysio::DisarmFault();
    sysio::DisarmKill();
  }
  int Open(const std::string& name) {
    return open((dir + "/" + name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  }
};

TEST_F(Sysio, TheNthCallOfTheKindFailsOnceAndChangesNothing) {
  const int fd = Open("f");
  ASSERT_GE(fd, 0);
  sysio::ArmFault({sysio::kWrite | sysio::kSync, 3, ENOSPC, false});
  EXPECT_EQ(1, sysio::Write(fd, "a", 1));
  EXPECT_EQ(0, sysio::Fsync(fd));
  errno = 0;
  EXPECT_EQ(-1, sysio::Write(fd, "b", 1));  // third call of the two kinds
  EXPECT_EQ(ENOSPC, errno);
  EXPECT_TRUE(sysio::FaultStruck());
  EXPECT_EQ(1, sysio::Write(fd, "c", 1));  // once only
  EXPECT_EQ(2, lseek(fd, 0, SEEK_END));    // the failed write wrote nothing
  EXPECT_EQ(0, sysio::Rename((dir + "/f").c_str(), (dir + "/g").c_str()));  // other kinds pass
  EXPECT_EQ(4, sysio::Calls(sysio::kWrite | sysio::kSync));
  EXPECT_EQ(1, sysio::Calls(sysio::kRename));
  close(fd);
}

TEST_F(Sysio, AStickyFaultStaysAndCountingAloneFailsNothing) {
  const int fd = Open("f");
  sysio::ArmFault({sysio::kWrite, 2, EIO, true});
  EXPECT_EQ(1, sysio::Write(fd, "a", 1));
  EXPECT_EQ(-1, sysio::Write(fd, "b", 1));
  EXPECT_EQ(-1, sysio::PWrite(fd, "c", 1, 0));
  EXPECT_EQ(EIO, sysio::Inject(sysio::kWrite));
  sysio::ArmFault({sysio::kAllOps, 0, 0, false});
  EXPECT_EQ(1, sysio::Write(fd, "d", 1));
  EXPECT_EQ(0, sysio::Unlink((dir + "/f").c_str()));
  EXPECT_EQ(2, sysio::Calls(sysio::kAllOps));
  EXPECT_FALSE(sysio::FaultStruck());
  close(fd);
}

TEST_F(Sysio, AFaultArmedAtAPointStrikesOnlyAfterIt) {
  const int fd = Open("f");
  sysio::ArmFaultAt("after-header", "f", {sysio::kWrite, 1, ENOSPC, true});
  EXPECT_EQ(1, sysio::Write(fd, "a", 1));
  sysio::Point("after-header", "other");  // another file: nothing
  EXPECT_EQ(1, sysio::Write(fd, "b", 1));
  sysio::Point("after-header", "f");
  EXPECT_EQ(-1, sysio::Write(fd, "c", 1));
  close(fd);
}

// Only the armed occurrence of the armed point kills; a child that never passes it lives.
int ChildStatus(const char* armed, int occurrence) {
  const pid_t child = fork();
  if (child == 0) {
    sysio::ArmKill(armed, "", occurrence);
    sysio::Point("first");
    sysio::Point("second", "x");
    sysio::Point("second", "y");
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return status;
}

TEST_F(Sysio, KillPointsKillWithSigkillAtTheArmedOccurrence) {
  int status = ChildStatus("second", 2);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
  status = ChildStatus("second", 3);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  status = ChildStatus("secnod", 1);  // a misspelled point is never passed
  EXPECT_TRUE(WIFEXITED(status));
}

}  // namespace
