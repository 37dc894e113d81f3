// The record manager when the machine fails it: writes, syncs, reads and renames that fail
// (through the fault layer, inside SQLite too), and failures that lose writes which had already
// answered 0.
#include <errno.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "platform/btrieve/btrcall.h"
#include "platform/btrieve/store.h"
#include "platform/sysio/sysio.h"
#include "tests/platform/btrieve/fixture.h"

namespace btrtest {
namespace {

using namespace btr;

class BtrieveFaults : public BtrieveTest {};

// Waits (at most a few seconds) until the background commit has met the armed fault.
void AwaitFault() {
  for (int i = 0; i < 500 && !sysio::FaultStruck(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(sysio::FaultStruck()) << "no background commit came";
}

// Each position block open on the file hears of a lost background commit once, then works on; a
// block opened after the loss hears nothing of it.
TEST_F(BtrieveFaults, ABackgroundCommitThatFailsIsAnsweredAtTheNextOperationAndAtClose) {
  struct Case {
    sysio::Op op;
    int error;
    int status;
  } cases[] = {{sysio::kWrite, ENOSPC, kDiskFull},
               {sysio::kWrite, EIO, kIoError},
               {sysio::kSync, EIO, kIoError}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.op) + " " + std::to_string(c.error));
    MakeFile("T.DB", 10);
    Handle writer, reader, later;
    ASSERT_EQ(writer.Open("T.DB"), kOk);
    ASSERT_EQ(reader.Open("T.DB"), kOk);
    for (int32_t id = 10; id < 20; ++id) {
      ASSERT_EQ(writer.Insert(Record(id)), kOk);
    }
    // The inserts have written the journal; the commit, a quarter second later at most, writes
    // the rest.
    sysio::ArmFault({c.op, 1, c.error, true});
    AwaitFault();
    sysio::DisarmFault();
    ASSERT_EQ(later.Open("T.DB"), kOk);
    EXPECT_EQ(later.Get(kGetFirst), kOk);
    EXPECT_EQ(later.Close(), kOk);
    EXPECT_EQ(writer.Get(kGetFirst), c.status);
    EXPECT_EQ(reader.Get(kGetLast), c.status);
    EXPECT_EQ(reader.Get(kGetLast), kOk);
    EXPECT_EQ(reader.id(), 9);  // the lost records are gone
    EXPECT_EQ(writer.count(), 10u);
    EXPECT_EQ(writer.Insert(Record(30)), kOk);
    // And again at Close, so that the writes since the last good commit are never taken as safe.
    EXPECT_EQ(writer.Close(), c.status);
    EXPECT_EQ(reader.Close(), c.status);
    Summary("T.DB");
    EXPECT_EQ(Ids("T.DB"), Cat({Range(0, 10), {30}}));
    ASSERT_EQ(unlink("T.DB"), 0);
  }
}

// Counts the calls of `op` that `attempt` makes meeting no fault, then runs it once for each of
// them failing in turn (with ENOSPC and EIO alternately), after `prepare`, and hands its status and
// whether the fault struck to `judge`.
void SweepFaults(unsigned op, const std::function<void()>& prepare,
                 const std::function<int()>& attempt,
                 const std::function<void(int status, bool struck)>& judge) {
  prepare();
  sysio::ArmFault({sysio::kAllOps, 0, 0, false});
  ASSERT_EQ(attempt(), kOk);
  int64_t calls = sysio::Calls(op);
  sysio::DisarmFault();
  ASSERT_GT(calls, 0);
  for (int64_t nth = 1; nth <= calls; ++nth) {
    SCOPED_TRACE("call " + std::to_string(nth));
    prepare();
    sysio::ArmFault({op, nth, nth % 2 == 0 ? ENOSPC : EIO, false});
    int status = attempt();
    bool struck = sysio::FaultStruck();
    sysio::DisarmFault();
    judge(status, struck);
  }
}

// Over every write, then every sync, that a batch of inserts and its Close make, failing the Nth
// one: the failure comes back as a status, from an Insert or from Close, and the file is sound
// with every record committed before; a batch that answered 0 throughout is there whole.
TEST_F(BtrieveFaults, TheNthWriteOrSyncOfABatchFailsWithAStatusAndTheCommittedRecordsStay) {
  auto batch = [](int32_t first) {
    Handle h;
    int status = h.Open("T.DB");
    for (int32_t id = first; status == kOk && id < first + 60; ++id) {
      status = h.Insert(Record(id, "batch" + std::to_string(id % 5), 1, 1, 2000, 0, "x"));
    }
    int closed = h.Close();
    return status != kOk ? status : closed;
  };
  auto prepare = [&] {
    unlink("T.DB");
    ASSERT_EQ(Create("T.DB", StandardSpec()), kOk);
    ASSERT_EQ(batch(0), kOk);
  };
  auto judge = [](int status, bool struck) {
    Summary("T.DB");
    std::vector<int32_t> ids = Ids("T.DB");
    ASSERT_GE(ids.size(), 60u);
    EXPECT_EQ(std::vector<int32_t>(ids.begin(), ids.begin() + 60), Range(0, 60));
    if (status == kOk) {
      EXPECT_EQ(ids, Range(0, 120)) << "a batch that answered 0 lost records";
    } else {
      EXPECT_TRUE(struck);
      EXPECT_TRUE(status == kIoError || status == kDiskFull) << status;
    }
  };
  for (sysio::Op op : {sysio::kWrite, sysio::kSync}) {
    SCOPED_TRACE(op);
    SweepFaults(
        op, prepare, [&] { return batch(60); }, judge);
  }
}

// Create under a fault at every call it makes: it answers 0 with a sound file in place, or a
// status with the name free or taken by a whole new file whose directory entry was not synced.
TEST_F(BtrieveFaults, CreateEitherSucceedsWholeOrLeavesNoFile) {
  SweepFaults(
      sysio::kAllOps, [] { unlink("C.DB"); }, [] { return Create("C.DB", StandardSpec(), -1); },
      [](int status, bool) {
        EXPECT_TRUE(status == kOk || status == kCreateIo || status == kDiskFull) << status;
        struct stat st;
        if (status == kOk || lstat("C.DB", &st) == 0) {
          Summary("C.DB");
        }
      });
}

TEST_F(BtrieveFaults, AFailedReadAnswersAnIoError) {
  MakeFile("T.DB", 5);
  Handle h;
  ASSERT_EQ(h.Open("T.DB"), kOk);
  sysio::ArmFault({sysio::kRead, 1, EIO, true});
  EXPECT_EQ(h.Get(kGetFirst), kIoError);
  sysio::DisarmFault();
  EXPECT_EQ(h.Get(kGetFirst), kOk);
  ASSERT_EQ(h.Close(), kOk);
  sysio::ArmFault({sysio::kRead, 1, EIO, true});
  EXPECT_EQ(h.Open("T.DB"), kIoError);
  sysio::DisarmFault();
  ASSERT_EQ(h.Open("T.DB"), kOk);
  EXPECT_EQ(h.Get(kGetLast), kOk);
  EXPECT_EQ(h.id(), 4);
}

// Only a unique key violation is a duplicate key; every other constraint that SQLite reports, a
// trigger's included, is an I/O error.
TEST_F(BtrieveFaults, AConstraintOtherThanAUniqueKeyAnswersAnIoError) {
  const std::pair<int, int> statuses[] = {
      {SQLITE_CONSTRAINT_UNIQUE, kDuplicateKey},
      {SQLITE_CONSTRAINT_PRIMARYKEY, kDuplicateKey},
      {SQLITE_CONSTRAINT_NOTNULL, kIoError},
      {SQLITE_CONSTRAINT_CHECK, kIoError},
      {SQLITE_CONSTRAINT_TRIGGER, kIoError},
      {SQLITE_CONSTRAINT, kIoError},
      {SQLITE_FULL, kDiskFull},
      {SQLITE_IOERR_WRITE, kIoError},
      {SQLITE_READONLY, kAccessDenied},
  };
  for (const auto& [sqlite_code, status] : statuses) {
    EXPECT_EQ(WriteStatus(sqlite_code), status) << sqlite_code;
  }
  MakeFile("T.DB", 2);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open("T.DB", &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db,
                         "CREATE TRIGGER refuse BEFORE INSERT ON rec "
                         "WHEN substr(NEW.data, 5, 4) = CAST('nope' AS BLOB) "
                         "BEGIN SELECT RAISE(ABORT, 'no'); END",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  Handle h;
  ASSERT_EQ(h.Open("T.DB"), kOk);
  EXPECT_EQ(h.Insert(Record(1, "other")), kDuplicateKey);
  EXPECT_EQ(h.Insert(Record(7, "nope")), kIoError);
  EXPECT_EQ(h.Insert(Record(8, "fine")), kOk);
  EXPECT_EQ(h.Close(), kOk);
  EXPECT_EQ(Ids("T.DB"), (std::vector<int32_t>{0, 1, 8}));
}

}  // namespace
}  // namespace btrtest
