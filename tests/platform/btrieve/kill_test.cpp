// Writers killed with SIGKILL: in the middle of inserting, the file must open, pass the check and
// hold every record committed before the kill; during a commit, the journal left behind must be
// played back on the file it belongs to and never on a new file of the same name.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/btrieve/btrcall.h"
#include "platform/sysio/sysio.h"
#include "tests/platform/btrieve/fixture.h"

namespace btrtest {
namespace {

using namespace btr;

class BtrieveKill : public BtrieveTest {};

constexpr int32_t kBatch = 25;
constexpr int32_t kFlushedMarker = 1'000'000;
constexpr size_t kBatchesBeforeKill = 6;

// The child: one record left to the background flush, then batches committed by End
// Transaction alternating with grouped inserts outside any transaction, until it is killed. It
// tells -1 once the flush is done, then the number of each batch committed.
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

TEST_F(BtrieveKill, AKilledWriterLeavesASoundFileWithEveryCommittedRecord) {
  ASSERT_EQ(Create("CRASH.DB", StandardSpec()), kOk);
  std::vector<int32_t> committed;
  bool flushed = false;
  RunKilledWriter(Writer, [&](int fd) {
    int32_t message;
    while (committed.size() < kBatchesBeforeKill &&
           read(fd, &message, sizeof message) == sizeof message) {
      if (message < 0) {
        flushed = true;
      } else {
        committed.push_back(message);
      }
    }
  });
  ASSERT_TRUE(flushed);
  ASSERT_EQ(committed.size(), kBatchesBeforeKill);

  std::vector<int32_t> ids = Ids("CRASH.DB");
  EXPECT_EQ(Summary("CRASH.DB"), std::to_string(ids.size()) + " records, 3 keys");
  EXPECT_TRUE(std::binary_search(ids.begin(), ids.end(), kFlushedMarker));
  for (int32_t batch : committed) {
    for (int32_t id = batch * kBatch; id < (batch + 1) * kBatch; ++id) {
      ASSERT_TRUE(std::binary_search(ids.begin(), ids.end(), id)) << id;
    }
  }
  EXPECT_EQ(dir_.Names(), (std::set<std::string>{"CRASH.DB"}));
}

// A writer of LOAD.DB (records 0 .. 99) killed during the commit of 100 .. 399 leaves a journal.
// A Create that replaces the file rolls it back first and starts empty; one on a name the program
// freed by deleting the file alone ignores it; one that refuses to replace leaves it to the file,
// whose next open rolls the interrupted commit back.
TEST_F(BtrieveKill, ACreateAfterAKilledCommitDealsWithTheJournalLeft) {
  struct Case {
    const char* what;
    bool unlink_first;
    int mode;
    int status;
    std::vector<int32_t> ids;
  } cases[] = {
      {"replace", false, 0, kOk, Range(0, 300)},
      {"deleted first", true, -1, kOk, Range(0, 300)},
      {"no replace", false, -1, kFileExists, Range(0, 100)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MakeFile("LOAD.DB", 100);
    RunKilledWriter([](int) {
      Handle h;
      if (h.Open("LOAD.DB") != kOk) {
        _exit(2);
      }
      for (int32_t id = 100; id < 400; ++id) {
        if (h.Insert(Record(id, "late")) != kOk) {
          _exit(2);
        }
      }
      sysio::ArmKill("btr:commit-journaled");
      h.Close();
    });
    struct stat st;
    ASSERT_EQ(lstat("LOAD.DB-journal", &st), 0) << "the kill left no journal: nothing is tested";
    if (c.unlink_first) {
      ASSERT_EQ(unlink("LOAD.DB"), 0);
    }
    ASSERT_EQ(Create("LOAD.DB", StandardSpec(), c.mode), c.status);
    if (c.status == kOk) {
      Handle h;
      ASSERT_EQ(h.Open("LOAD.DB"), kOk);
      EXPECT_EQ(h.Get(kGetFirst), kEndOfFile);
      for (int32_t id = 0; id < 300; ++id) {
        ASSERT_EQ(h.Insert(Record(id, "again")), kOk) << id;
      }
      ASSERT_EQ(h.Close(), kOk);
    }
    Summary("LOAD.DB");
    EXPECT_EQ(Ids("LOAD.DB"), c.ids);
    EXPECT_EQ(dir_.Names(), (std::set<std::string>{"LOAD.DB"}));
    ASSERT_EQ(unlink("LOAD.DB"), 0);
  }
}

}  // namespace
}  // namespace btrtest
