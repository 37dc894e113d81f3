// The record manager when the machine fails it: a writer killed during a commit, writes, syncs,
// reads and renames that fail (through the fault layer, inside SQLite too), and failures that
// lose writes which had already answered 0.
#include <errno.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/btrieve/btrcall.h"
#include "platform/btrieve/check.h"
#include "platform/btrieve/store.h"
#include "platform/sysio/sysio.h"
#include "tests/platform/btrieve/fixture.h"

namespace btrtest {
namespace {

using namespace btr;

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

uint32_t RecordCount(Handle& h) {
  EXPECT_EQ(h.Get(kStat, 0, 336), kOk);
  return Get32(&h.data[6]);
}

// Every record of `name`, by id on key 0.
std::vector<int32_t> Ids(const std::string& name) {
  Handle h;
  EXPECT_EQ(h.Open(name), kOk);
  std::vector<int32_t> ids;
  for (int s = h.Get(kGetFirst); s == kOk; s = h.Get(kGetNext)) {
    ids.push_back(h.id());
  }
  EXPECT_EQ(h.Close(), kOk);
  return ids;
}

std::vector<int32_t> Range(int32_t from, int32_t to) {
  std::vector<int32_t> ids;
  for (int32_t id = from; id < to; ++id) {
    ids.push_back(id);
  }
  return ids;
}

void ExpectSound(const std::string& name) {
  CheckReport report;
  EXPECT_EQ(InspectRecordFile(name, &report), kOk)
      << (report.problems.empty() ? report.summary : report.problems.front());
}

class BtrieveFaults : public BtrieveTest {
 protected:
  void TearDown() override {
    sysio::DisarmFault();
    sysio::DisarmKill();
    BtrieveTest::TearDown();
  }

  // A file holding the records 0 .. count-1, committed and closed.
  void MakeFile(const std::string& name, int32_t count) {
    ASSERT_EQ(Create(name, StandardSpec()), kOk);
    Handle h;
    ASSERT_EQ(h.Open(name), kOk);
    for (int32_t id = 0; id < count; ++id) {
      ASSERT_EQ(h.Insert(Record(id, "name" + std::to_string(id % 4))), kOk);
    }
    ASSERT_EQ(h.Close(), kOk);
  }

  // Forks a writer that inserts the records from..to-1 into `name` and closes it, with the kill
  // point "btr:commit-journaled" armed; returns when it has died of it.
  void KillWriterDuringCommit(const std::string& name, int32_t from, int32_t to) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      Handle h;
      if (h.Open(name) != kOk) {
        _exit(2);
      }
      for (int32_t id = from; id < to; ++id) {
        if (h.Insert(Record(id, "late")) != kOk) {
          _exit(3);
        }
      }
      sysio::ArmKill("btr:commit-journaled");
      h.Close();
      _exit(4);  // the commit passed the point without dying
    }
    int wstatus = 0;
    ASSERT_EQ(waitpid(child, &wstatus, 0), child);
    ASSERT_TRUE(WIFSIGNALED(wstatus)) << "the writer exited with " << WEXITSTATUS(wstatus);
    ASSERT_EQ(WTERMSIG(wstatus), SIGKILL);
  }
};

// ---- a writer killed during a commit ------------------------------------------------------------

TEST_F(BtrieveFaults, AFileCreatedAfterItsNamesakeWasDeletedIgnoresTheOldJournal) {
  MakeFile("LOAD.DB", 100);
  KillWriterDuringCommit("LOAD.DB", 100, 400);
  ASSERT_TRUE(Exists("LOAD.DB-journal")) << "the kill left no journal: the test proves nothing";
  // The program deletes the file alone, as it may when the journal is not its own concern.
  ASSERT_EQ(unlink("LOAD.DB"), 0);

  ASSERT_EQ(Create("LOAD.DB", StandardSpec(), -1), kOk);
  EXPECT_FALSE(Exists("LOAD.DB-journal"));
  Handle h;
  ASSERT_EQ(h.Open("LOAD.DB"), kOk);
  for (int32_t id = 0; id < 300; ++id) {
    ASSERT_EQ(h.Insert(Record(id, "again")), kOk) << id;
  }
  ASSERT_EQ(h.Close(), kOk);
  ExpectSound("LOAD.DB");
  EXPECT_EQ(Ids("LOAD.DB"), Range(0, 300));
  EXPECT_EQ(dir_.Names(), (std::set<std::string>{"LOAD.DB"}));
}

TEST_F(BtrieveFaults, ReplacingAFileWithAJournalRollsItBackFirstAndStartsEmpty) {
  MakeFile("LOAD.DB", 100);
  KillWriterDuringCommit("LOAD.DB", 100, 400);
  ASSERT_TRUE(Exists("LOAD.DB-journal"));
  ASSERT_EQ(Create("LOAD.DB", StandardSpec(), 0), kOk);
  EXPECT_EQ(dir_.Names(), (std::set<std::string>{"LOAD.DB"}));
  ExpectSound("LOAD.DB");
  EXPECT_TRUE(Ids("LOAD.DB").empty());
}

TEST_F(BtrieveFaults, CreateWithoutReplaceLeavesTheJournalOfAFileThatStays) {
  MakeFile("LOAD.DB", 100);
  KillWriterDuringCommit("LOAD.DB", 100, 400);
  EXPECT_EQ(Create("LOAD.DB", StandardSpec(), -1), kFileExists);
  // The journal still belongs to the file: opening rolls the interrupted commit back.
  ExpectSound("LOAD.DB");
  EXPECT_EQ(Ids("LOAD.DB"), Range(0, 100));
}

// ---- failures that lose writes which had answered 0 ---------------------------------------------

// Waits (at most a few seconds) until the background commit has met the armed fault.
void AwaitFault() {
  for (int i = 0; i < 500 && !sysio::FaultStruck(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(sysio::FaultStruck()) << "no background commit came";
}

TEST_F(BtrieveFaults, ABackgroundCommitThatFailsIsAnsweredAtTheNextOperationAndAtClose) {
  for (int error : {ENOSPC, EIO}) {
    SCOPED_TRACE(error);
    MakeFile("T.DB", 10);
    Handle writer, reader;
    ASSERT_EQ(writer.Open("T.DB"), kOk);
    ASSERT_EQ(reader.Open("T.DB"), kOk);
    for (int32_t id = 10; id < 20; ++id) {
      ASSERT_EQ(writer.Insert(Record(id)), kOk);
    }
    // The inserts have written the journal; the commit, a quarter second later at most, writes
    // the rest.
    sysio::ArmFault({sysio::kWrite, 1, error, true});
    AwaitFault();
    sysio::DisarmFault();
    int expected = error == ENOSPC ? kDiskFull : kIoError;
    // Each position block on the file hears of it once, then works on.
    EXPECT_EQ(writer.Get(kGetFirst), expected);
    EXPECT_EQ(reader.Get(kGetLast), expected);
    EXPECT_EQ(reader.Get(kGetLast), kOk);
    EXPECT_EQ(reader.id(), 9);  // the lost records are gone
    EXPECT_EQ(RecordCount(writer), 10u);
    EXPECT_EQ(writer.Insert(Record(30)), kOk);
    // And again at Close, so that the writes since the last good commit are never taken as safe.
    EXPECT_EQ(writer.Close(), expected);
    EXPECT_EQ(reader.Close(), expected);
    ExpectSound("T.DB");
    std::vector<int32_t> ids = Range(0, 10);
    ids.push_back(30);
    EXPECT_EQ(Ids("T.DB"), ids);
    ASSERT_EQ(unlink("T.DB"), 0);
  }
}

TEST_F(BtrieveFaults, APositionBlockOpenedAfterTheLossHearsNothingOfIt) {
  MakeFile("T.DB", 3);
  Handle writer;
  ASSERT_EQ(writer.Open("T.DB"), kOk);
  sysio::ArmFault({sysio::kSync, 1, EIO, true});
  ASSERT_EQ(writer.Insert(Record(3)), kOk);
  AwaitFault();
  sysio::DisarmFault();
  Handle later;
  ASSERT_EQ(later.Open("T.DB"), kOk);
  EXPECT_EQ(later.Get(kGetFirst), kOk);
  EXPECT_EQ(later.Close(), kOk);
  EXPECT_EQ(writer.Close(), kIoError);
}

// Over every write (then every sync) that a batch of inserts and its Close make, failing the Nth
// one: the failure comes back as a status, from an Insert or from Close, and the file is sound
// with every record committed before; a batch that answered 0 throughout is there whole.
void SweepFaultsOverABatch(sysio::Op op) {
  // Count the calls of a batch that meets no fault.
  ASSERT_EQ(Create("T.DB", StandardSpec()), kOk);
  auto batch = [](int32_t first) {
    Handle h;
    int status = h.Open("T.DB");
    for (int32_t id = first; status == kOk && id < first + 60; ++id) {
      status = h.Insert(Record(id, "batch" + std::to_string(id % 5), 1, 1, 2000, 0, "x"));
    }
    int closed = h.Close();
    return status != kOk ? status : closed;
  };
  ASSERT_EQ(batch(0), kOk);
  sysio::ArmFault({sysio::kAllOps, 0, 0, false});
  ASSERT_EQ(batch(60), kOk);
  int64_t calls = sysio::Calls(op);
  sysio::DisarmFault();
  ASSERT_GT(calls, 0);
  ASSERT_EQ(unlink("T.DB"), 0);

  for (int64_t nth = 1; nth <= calls; ++nth) {
    SCOPED_TRACE("call " + std::to_string(nth));
    ASSERT_EQ(Create("T.DB", StandardSpec()), kOk);
    ASSERT_EQ(batch(0), kOk);
    int error = nth % 2 == 0 ? ENOSPC : EIO;
    sysio::ArmFault({op, nth, error, false});
    int status = batch(60);
    bool struck = sysio::FaultStruck();
    sysio::DisarmFault();
    ExpectSound("T.DB");
    std::vector<int32_t> ids = Ids("T.DB");
    std::vector<int32_t> committed = Range(0, 60);
    ASSERT_GE(ids.size(), 60u);
    EXPECT_TRUE(std::equal(committed.begin(), committed.end(), ids.begin()));
    if (status == kOk) {
      EXPECT_EQ(ids, Range(0, 120)) << "a batch that answered 0 lost records";
    } else {
      EXPECT_TRUE(struck);
      EXPECT_TRUE(status == kIoError || status == kDiskFull) << status;
    }
    ASSERT_EQ(unlink("T.DB"), 0);
  }
}

TEST_F(BtrieveFaults, TheNthWriteOfABatchFailsWithAStatusAndTheCommittedRecordsStay) {
  SweepFaultsOverABatch(sysio::kWrite);
}

TEST_F(BtrieveFaults, TheNthSyncOfABatchFailsWithAStatusAndTheCommittedRecordsStay) {
  SweepFaultsOverABatch(sysio::kSync);
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

// Create under a fault at every call it makes: it answers 0 with a sound file in place, or a
// status with no file under the name.
TEST_F(BtrieveFaults, CreateEitherSucceedsWholeOrLeavesNoFile) {
  sysio::ArmFault({sysio::kAllOps, 0, 0, false});
  ASSERT_EQ(Create("C.DB", StandardSpec(), -1), kOk);
  int64_t calls = sysio::Calls(sysio::kAllOps);
  sysio::DisarmFault();
  ASSERT_EQ(unlink("C.DB"), 0);
  for (int64_t nth = 1; nth <= calls; ++nth) {
    SCOPED_TRACE("call " + std::to_string(nth));
    sysio::ArmFault({sysio::kAllOps, nth, nth % 2 == 0 ? ENOSPC : EIO, false});
    int status = Create("C.DB", StandardSpec(), -1);
    sysio::DisarmFault();
    if (status == kOk) {
      ExpectSound("C.DB");
      ASSERT_EQ(unlink("C.DB"), 0);
    } else {
      EXPECT_TRUE(status == kCreateIo || status == kDiskFull) << status;
      // The name is free, or taken by a whole new file whose directory entry was not synced.
      if (Exists("C.DB")) {
        ExpectSound("C.DB");
        ASSERT_EQ(unlink("C.DB"), 0);
      }
    }
  }
}

// ---- statuses of constraint failures ------------------------------------------------------------

TEST(BtrieveWriteStatus, OnlyAUniqueKeyViolationIsADuplicateKey) {
  EXPECT_EQ(WriteStatus(SQLITE_CONSTRAINT_UNIQUE), kDuplicateKey);
  EXPECT_EQ(WriteStatus(SQLITE_CONSTRAINT_PRIMARYKEY), kDuplicateKey);
  EXPECT_EQ(WriteStatus(SQLITE_CONSTRAINT_NOTNULL), kIoError);
  EXPECT_EQ(WriteStatus(SQLITE_CONSTRAINT_CHECK), kIoError);
  EXPECT_EQ(WriteStatus(SQLITE_CONSTRAINT_TRIGGER), kIoError);
  EXPECT_EQ(WriteStatus(SQLITE_CONSTRAINT), kIoError);
  EXPECT_EQ(WriteStatus(SQLITE_FULL), kDiskFull);
  EXPECT_EQ(WriteStatus(SQLITE_IOERR_WRITE), kIoError);
  EXPECT_EQ(WriteStatus(SQLITE_READONLY), kAccessDenied);
}

TEST_F(BtrieveFaults, AConstraintOtherThanAUniqueKeyAnswersAnIoError) {
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
