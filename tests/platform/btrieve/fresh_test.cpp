// Fresh files: a file this process created commits without syncing until its last Close, which
// syncs it before answering and answers the sync's failure; a writer of a fresh file killed in
// the middle of a commit leaves a file that opens and checks, holding every committed record.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/btrieve/btrcall.h"
#include "platform/btrieve/check.h"
#include "platform/sysio/sysio.h"
#include "tests/platform/btrieve/fixture.h"

namespace btrtest {
namespace {

using namespace btr;

class BtrieveFresh : public BtrieveTest {
 protected:
  void TearDown() override {
    sysio::DisarmFault();
    sysio::DisarmKill();
    BtrieveTest::TearDown();
  }
};

// Inserts ids from..to-1 as one committed batch (End Transaction commits it).
int InsertBatch(Handle& h, int32_t from, int32_t to) {
  int status = Simple(kBeginTransaction);
  for (int32_t id = from; status == kOk && id < to; ++id) {
    status = h.Insert(Record(id, "n" + std::to_string(id % 7), 1 + id % 3));
  }
  int ended = Simple(status == kOk ? kEndTransaction : kAbortTransaction);
  return status != kOk ? status : ended;
}

TEST_F(BtrieveFresh, OnlyTheLastCloseOfAFreshFileSyncsIt) {
  ASSERT_EQ(Create("F.DB", StandardSpec()), kOk);
  sysio::ArmFault({sysio::kAllOps, 0, 0, false});  // counts only
  Handle a, b;
  ASSERT_EQ(a.Open("F.DB"), kOk);
  ASSERT_EQ(b.Open("F.DB"), kOk);
  ASSERT_EQ(InsertBatch(a, 0, 200), kOk);
  ASSERT_EQ(b.Get(kGetFirst, 1), kOk);  // builds the deferred indexes, in a commit of its own
  ASSERT_EQ(InsertBatch(a, 200, 300), kOk);
  EXPECT_GT(sysio::Calls(sysio::kWrite), 0);
  EXPECT_EQ(sysio::Calls(sysio::kSync), 0) << "a commit of a fresh file synced";
  EXPECT_EQ(a.Close(), kOk);
  EXPECT_EQ(sysio::Calls(sysio::kSync), 0) << "a close that was not the last synced";
  EXPECT_EQ(b.Close(), kOk);
  EXPECT_GT(sysio::Calls(sysio::kSync), 0) << "the last close did not sync";

  // Closed for the last time, it is an ordinary file: every commit syncs.
  sysio::ResetCounts();
  Handle c;
  ASSERT_EQ(c.Open("F.DB"), kOk);
  ASSERT_EQ(InsertBatch(c, 300, 310), kOk);
  EXPECT_GT(sysio::Calls(sysio::kSync), 0);
  EXPECT_EQ(c.Close(), kOk);
  EXPECT_EQ(Summary("F.DB"), "310 records, 3 keys");
}

TEST_F(BtrieveFresh, TheLastCloseAnswersAFailedSyncAndTheFileIsOrdinaryAfter) {
  for (int error : {EIO, ENOSPC}) {
    SCOPED_TRACE(error);
    ASSERT_EQ(Create("F.DB", StandardSpec()), kOk);
    Handle h;
    ASSERT_EQ(h.Open("F.DB"), kOk);
    for (int32_t id = 0; id < 50; ++id) {
      ASSERT_EQ(h.Insert(Record(id, "n")), kOk);
    }
    sysio::ArmFault({sysio::kSync, 1, error, true});
    EXPECT_EQ(h.Close(), kIoError);
    EXPECT_TRUE(sysio::FaultStruck());
    sysio::DisarmFault();
    // The process lives on, so what it wrote is there; the caller only knows that it is not
    // safely on the disk, and must not put the file in use.
    EXPECT_EQ(Summary("F.DB"), "50 records, 3 keys");
    sysio::ArmFault({sysio::kAllOps, 0, 0, false});
    ASSERT_EQ(h.Open("F.DB"), kOk);
    ASSERT_EQ(h.Insert(Record(50, "n")), kOk);
    ASSERT_EQ(Simple(kBeginTransaction), kOk);  // commits the insert
    EXPECT_GT(sysio::Calls(sysio::kSync), 0);
    ASSERT_EQ(Simple(kEndTransaction), kOk);
    EXPECT_EQ(h.Close(), kOk);
    sysio::DisarmFault();
    ASSERT_EQ(unlink("F.DB"), 0);
  }
}

// The child creates the file (so that it is fresh in the child), commits two batches, and is
// killed by the kill point in the middle of the third batch's commit, after some of the file's
// pages were overwritten. Its journal was never synced; the kernel kept it all the same.
TEST_F(BtrieveFresh, AWriterKilledInTheMiddleOfACommitLeavesASoundFileWithTheCommittedRecords) {
  for (int occurrence : {1, 4}) {
    SCOPED_TRACE("killed at page write " + std::to_string(occurrence));
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      Handle h;
      if (Create("KILL.DB", StandardSpec()) != kOk || h.Open("KILL.DB") != kOk ||
          InsertBatch(h, 0, 500) != kOk || h.Get(kGetFirst, 2) != kOk ||
          InsertBatch(h, 500, 1000) != kOk) {
        _exit(2);
      }
      sysio::ArmKill("btr:commit-journaled", "", occurrence);
      InsertBatch(h, 1000, 3000);
      _exit(3);  // the commit passed the point without dying
    }
    int wstatus = 0;
    ASSERT_EQ(waitpid(child, &wstatus, 0), child);
    ASSERT_TRUE(WIFSIGNALED(wstatus)) << "the writer exited with " << WEXITSTATUS(wstatus);
    ASSERT_EQ(WTERMSIG(wstatus), SIGKILL);

    // The first reader plays the journal back: the file holds the two committed batches.
    // The read on key 2 built that index alone.
    EXPECT_EQ(Summary("KILL.DB"),
              "1000 records, 3 keys (the index of keys 0, 1 is built at the next open)");
    Handle h;
    ASSERT_EQ(h.Open("KILL.DB"), kOk);
    std::vector<int32_t> ids = Walk(h, 0);
    ASSERT_EQ(ids.size(), 1000u);
    for (int32_t id = 0; id < 1000; ++id) {
      ASSERT_EQ(ids[static_cast<size_t>(id)], id);
    }
    EXPECT_EQ(Walk(h, 1).size(), 1000u);
    EXPECT_EQ(Walk(h, 2).size(), 1000u);
    EXPECT_EQ(h.Close(), kOk);
    EXPECT_EQ(dir_.Names(), (std::set<std::string>{"KILL.DB"}));
    ASSERT_EQ(unlink("KILL.DB"), 0);
  }
}

// A writer killed while filling a fresh file whose duplicate-key indexes still wait: the file
// checks, and its next open builds them.
TEST_F(BtrieveFresh, AWriterKilledWhileFillingLeavesAFileThatOpensAndChecks) {
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    Handle h;
    if (Create("KILL.DB", StandardSpec()) != kOk || h.Open("KILL.DB") != kOk ||
        InsertBatch(h, 0, 700) != kOk) {
      _exit(2);
    }
    sysio::ArmKill("btr:commit-journaled", "", 2);
    InsertBatch(h, 700, 2000);
    _exit(3);
  }
  int wstatus = 0;
  ASSERT_EQ(waitpid(child, &wstatus, 0), child);
  ASSERT_TRUE(WIFSIGNALED(wstatus)) << "the writer exited with " << WEXITSTATUS(wstatus);
  ASSERT_EQ(WTERMSIG(wstatus), SIGKILL);
  EXPECT_EQ(Summary("KILL.DB"),
            "700 records, 3 keys (the index of keys 0, 1, 2 is built at the next open)");
  Handle h;
  ASSERT_EQ(h.Open("KILL.DB"), kOk);
  EXPECT_EQ(Summary("KILL.DB"), "700 records, 3 keys");
  EXPECT_EQ(Walk(h, 1).size(), 700u);
  EXPECT_EQ(h.Close(), kOk);
}

}  // namespace
}  // namespace btrtest
