// A writer killed with SIGKILL in the middle of inserting: the file must open, pass the check
// and hold every record committed before the kill.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/btrieve/btrcall.h"
#include "platform/btrieve/check.h"
#include "tests/platform/btrieve/fixture.h"

namespace btrtest {
namespace {

using namespace btr;

constexpr int32_t kBatch = 25;
constexpr int32_t kFlushedMarker = 1'000'000;
constexpr int kBatchesBeforeKill = 6;

void Tell(int fd, int32_t message) {
  if (write(fd, &message, sizeof message) != sizeof message) {
    _exit(3);
  }
}

// The child: one record left to the background flush, then batches committed by End
// Transaction alternating with grouped inserts outside any transaction, until it is killed.
[[noreturn]] void Writer(int fd) {
  Handle h;
  if (h.Open("CRASH.DB") != kOk || h.Insert(Record(kFlushedMarker)) != kOk) {
    _exit(2);
  }
  usleep(600'000);  // more than twice the longest time a write may wait for its commit
  Tell(fd, -1);
  for (int32_t batch = 0;; ++batch) {
    bool committed = batch % 2 == 0;
    if (committed && Simple(kBeginTransaction) != kOk) {
      _exit(2);
    }
    for (int32_t i = 0; i < kBatch; ++i) {
      if (h.Insert(Record(batch * kBatch + i, "crash")) != kOk) {
        _exit(2);
      }
    }
    if (committed) {
      if (Simple(kEndTransaction) != kOk) {
        _exit(2);
      }
      Tell(fd, batch);
    }
  }
}

TEST(BtrieveCrash, AKilledWriterLeavesASoundFileWithEveryCommittedRecord) {
  ScratchDir dir;
  ASSERT_EQ(Create("CRASH.DB", StandardSpec()), kOk);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(fds[0]);
    Writer(fds[1]);
  }
  close(fds[1]);
  std::vector<int32_t> committed;
  bool flushed = false;
  int32_t message;
  while (static_cast<int>(committed.size()) < kBatchesBeforeKill &&
         read(fds[0], &message, sizeof message) == sizeof message) {
    if (message < 0) {
      flushed = true;
    } else {
      committed.push_back(message);
    }
  }
  kill(child, SIGKILL);
  int wstatus = 0;
  waitpid(child, &wstatus, 0);
  close(fds[0]);
  ASSERT_TRUE(WIFSIGNALED(wstatus)) << "writer failed with " << WEXITSTATUS(wstatus);
  ASSERT_TRUE(flushed);
  ASSERT_EQ(committed.size(), static_cast<size_t>(kBatchesBeforeKill));

  std::string report;
  EXPECT_EQ(CheckRecordFile("CRASH.DB", &report), kOk) << report;
  Handle h;
  ASSERT_EQ(h.Open("CRASH.DB"), kOk);
  h.SetKeyInt(kFlushedMarker);
  EXPECT_EQ(h.Get(kGetEqual), kOk);
  for (int32_t batch : committed) {
    for (int32_t i = 0; i < kBatch; ++i) {
      h.SetKeyInt(batch * kBatch + i);
      ASSERT_EQ(h.Get(kGetEqual), kOk) << batch * kBatch + i;
    }
  }
  uint32_t scanned = 0;
  for (int s = h.Get(kGetFirst); s == kOk; s = h.Get(kGetNext)) {
    ++scanned;
  }
  ASSERT_EQ(h.Get(kStat, 0, 336), kOk);
  EXPECT_EQ(Get32(&h.data[6]), scanned);
  EXPECT_GE(scanned, static_cast<uint32_t>(kBatchesBeforeKill * kBatch + 1));
  ASSERT_EQ(h.Close(), kOk);
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"CRASH.DB"}));
}

}  // namespace
}  // namespace btrtest
