// Fresh files, created by this process: a file filled from empty builds the indexes of its keys in
// one pass (at the first ordered read on such a key, or at Close) and must answer every keyed read
// exactly as a file whose indexes were kept record by record; its unique keys are enforced from
// the values in memory meanwhile. It commits without syncing until its last Close, which syncs it
// and answers the sync's failure. A writer killed before the build, or in the middle of a commit,
// leaves a file that opens and checks, holding every committed record, and that the next open
// builds, never one read with a missing index.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "platform/btrieve/btrcall.h"
#include "platform/sysio/sysio.h"
#include "tests/platform/btrieve/fixture.h"

namespace btrtest {
namespace {

using namespace btr;

class BtrieveFresh : public BtrieveTest {};

// The records of the fills below: 3000 with few distinct names and dates, in a shuffled id
// order, so that both keys with duplicates hold long runs whose order is the order of insertion.
const std::vector<Bytes>& Records() {
  static const std::vector<Bytes> records = [] {
    std::mt19937 rng(11);
    std::vector<int32_t> ids = Range(0, 3000);
    std::shuffle(ids.begin(), ids.end(), rng);
    std::vector<Bytes> shuffled;
    for (int32_t id : ids) {
      shuffled.push_back(Record(id, "N" + std::to_string(rng() % 7), 1 + rng() % 3, 1, 2000,
                                static_cast<int16_t>(rng() % 2)));
    }
    return shuffled;
  }();
  return records;
}

// Opens `kept` on KEPT.DB, new, holding the first `count` Records(), its indexes kept record by
// record: reads on both keys with duplicates after the first record build them before the others.
void FillKept(Handle& kept, size_t count) {
  ASSERT_EQ(Create("KEPT.DB", StandardSpec()), kOk);
  ASSERT_EQ(kept.Open("KEPT.DB"), kOk);
  for (size_t i = 0; i < count; ++i) {
    ASSERT_EQ(kept.Insert(Records()[i]), kOk);
    if (i == 0) {
      ASSERT_EQ(kept.Get(kGetFirst, 1), kOk);
      ASSERT_EQ(kept.Get(kGetLast, 2), kOk);
    }
  }
}

void ExpectSameKeyedReads(Handle& a, Handle& b) {
  for (int key = 0; key < 3; ++key) {
    SCOPED_TRACE("key " + std::to_string(key));
    EXPECT_EQ(Walk(a, key), Walk(b, key));
    EXPECT_EQ(Walk(a, key, true), Walk(b, key, true));
  }
}

// Inserts Records() from..to-1 as one committed batch (End Transaction commits it).
int InsertBatch(Handle& h, size_t from, size_t to) {
  int status = Simple(kBeginTransaction);
  for (size_t i = from; status == kOk && i < to; ++i) {
    status = h.Insert(Records()[i]);
  }
  int ended = Simple(status == kOk ? kEndTransaction : kAbortTransaction);
  return status != kOk ? status : ended;
}

TEST_F(BtrieveFresh, KeyedReadsMatchIndexesKeptRecordByRecord) {
  Handle deferred, kept;
  FillKept(kept, 600);
  // DEFER.DB is filled from empty without a read.
  ASSERT_EQ(Create("DEFER.DB", StandardSpec()), kOk);
  ASSERT_EQ(deferred.Open("DEFER.DB"), kOk);
  for (size_t i = 0; i < 600; ++i) {
    ASSERT_EQ(deferred.Insert(Records()[i]), kOk);
  }
  // Stat reads no index: the count is there before any build.
  EXPECT_EQ(deferred.count(), 600u);
  ExpectSameKeyedReads(deferred, kept);
  // Get Equal on a duplicated value lands on the first inserted of them.
  deferred.SetKey("N3");
  kept.SetKey("N3");
  ASSERT_EQ(deferred.Get(kGetEqual, 1), kOk);
  ASSERT_EQ(kept.Get(kGetEqual, 1), kOk);
  EXPECT_EQ(deferred.id(), kept.id());
  // Unique keys stay enforced on every insert, deferred or not.
  EXPECT_EQ(deferred.Insert(Records()[5]), kDuplicateKey);
  EXPECT_EQ(deferred.Close(), kOk);
  EXPECT_EQ(kept.Close(), kOk);
  EXPECT_EQ(Summary("DEFER.DB"), "600 records, 3 keys");
}

TEST_F(BtrieveFresh, UniqueKeysAreEnforcedWhileOthersWait) {
  ASSERT_EQ(Create("U.DB", StandardSpec()), kOk);
  Handle h;
  ASSERT_EQ(h.Open("U.DB"), kOk);
  // An aborted first insert leaves the indexes in place.
  ASSERT_EQ(Simple(kBeginTransaction), kOk);
  ASSERT_EQ(h.Insert(Record(9, "A")), kOk);
  ASSERT_EQ(Simple(kAbortTransaction), kOk);
  EXPECT_EQ(h.Get(kGetFirst, 1), kEndOfFile);
  ASSERT_EQ(h.Insert(Record(1, "A")), kOk);
  ASSERT_EQ(h.Insert(Record(2, "A")), kOk);
  EXPECT_EQ(h.Insert(Record(1, "B")), kDuplicateKey);
  // Reads on the unique key need no build and see every record.
  h.SetKeyInt(2);
  EXPECT_EQ(h.Get(kGetEqual, 0), kOk);
  EXPECT_EQ(Walk(h, 0), (std::vector<int32_t>{1, 2}));
  // Updates and deletes of the waiting keys' columns are picked up by the build.
  h.SetKeyInt(2);
  ASSERT_EQ(h.Get(kGetEqual, 0), kOk);
  ASSERT_EQ(h.Update(Record(2, "0")), kOk);
  ASSERT_EQ(h.Insert(Record(3, "Z")), kOk);
  ASSERT_EQ(h.Get(kGetFirst, 0), kOk);
  ASSERT_EQ(h.Call(kDelete), kOk);
  EXPECT_EQ(Walk(h, 1), (std::vector<int32_t>{2, 3}));
  EXPECT_EQ(h.Close(), kOk);
  EXPECT_EQ(Summary("U.DB"), "2 records, 3 keys");
}

// In a fresh file the unique key's index waits too; every insert and update is checked against
// the values in memory. Only physical reads are made here, so that no read builds the index
// before the close.
TEST_F(BtrieveFresh, AWaitingUniqueKeyIsEnforcedByEveryWrite) {
  // The standard layout with a modifiable key 0.
  Bytes spec = StandardSpec();
  Put16(&spec[16 + 4], kExtendedType | kModifiable);
  ASSERT_EQ(Create("U.DB", spec), kOk);
  Handle h;
  ASSERT_EQ(h.Open("U.DB"), kOk);
  constexpr int32_t kRecords = 5000;  // enough for the set to grow several times
  for (int32_t id = 0; id < kRecords; ++id) {
    ASSERT_EQ(h.Insert(Record(id, "N" + std::to_string(id % 5))), kOk);
  }
  for (int32_t id = 0; id < kRecords; id += 97) {
    ASSERT_EQ(h.Insert(Record(id, "again")), kDuplicateKey) << id;
  }
  // Physical order is insertion order: delete every third record, then write its id again.
  int s = h.Get(kStepFirst);
  for (; s == kOk; s = h.Get(kStepNext)) {
    if (h.id() % 3 == 0) {
      ASSERT_EQ(h.Call(kDelete), kOk);
    }
  }
  ASSERT_EQ(s, kEndOfFile);
  for (int32_t id = 0; id < kRecords; ++id) {
    ASSERT_EQ(h.Insert(Record(id, "back")), id % 3 == 0 ? kOk : kDuplicateKey) << id;
  }
  // Updates: onto another record's value refused, onto a free one accepted (the old one freed).
  ASSERT_EQ(h.Get(kStepFirst), kOk);
  ASSERT_EQ(h.id(), 1);
  EXPECT_EQ(h.Update(Record(2, "moved")), kDuplicateKey);
  ASSERT_EQ(h.Update(Record(kRecords, "moved")), kOk);
  EXPECT_EQ(h.Insert(Record(kRecords, "x")), kDuplicateKey);
  ASSERT_EQ(h.Insert(Record(1, "x")), kOk);
  // A rolled-back delete brings its value back into force.
  ASSERT_EQ(Simple(kBeginTransaction), kOk);
  ASSERT_EQ(h.Get(kStepLast), kOk);
  const int32_t last = h.id();
  ASSERT_EQ(h.Call(kDelete), kOk);
  ASSERT_EQ(h.Insert(Record(last, "interim")), kOk);
  ASSERT_EQ(Simple(kAbortTransaction), kOk);
  EXPECT_EQ(h.Insert(Record(last, "y")), kDuplicateKey);

  EXPECT_EQ(h.Close(), kOk);  // builds the unique index: it would fail on a value held twice
  EXPECT_EQ(Summary("U.DB"), std::to_string(kRecords + 1) + " records, 3 keys");
  EXPECT_EQ(Ids("U.DB"), Range(0, kRecords + 1));
}

// Only the last Close of a fresh file syncs it, and answers 2 when that sync fails (the process
// lives on, so what it wrote is there; the caller only knows that it is not safely on the disk and
// must not put the file in use). Closed for the last time, it is an ordinary file: every commit
// syncs.
TEST_F(BtrieveFresh, OnlyTheLastCloseOfAFreshFileSyncsItAndAnswersTheSyncsFailure) {
  for (int error : {0, EIO, ENOSPC}) {
    SCOPED_TRACE(error);
    unlink("F.DB");
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
    if (error != 0) {
      sysio::ArmFault({sysio::kSync, 1, error, true});
    }
    EXPECT_EQ(b.Close(), error == 0 ? kOk : kIoError);
    EXPECT_TRUE(error == 0 ? sysio::Calls(sysio::kSync) > 0 : sysio::FaultStruck())
        << "the last close did not sync";
    sysio::DisarmFault();
    EXPECT_EQ(Summary("F.DB"), "300 records, 3 keys");
    sysio::ArmFault({sysio::kAllOps, 0, 0, false});
    Handle c;
    ASSERT_EQ(c.Open("F.DB"), kOk);
    ASSERT_EQ(InsertBatch(c, 300, 310), kOk);
    EXPECT_GT(sysio::Calls(sysio::kSync), 0);
    EXPECT_EQ(c.Close(), kOk);
    EXPECT_EQ(Summary("F.DB"), "310 records, 3 keys");
  }
}

// A writer killed with indexes waiting leaves a sound file whose check says which wait, that an
// open on a failing disk refuses instead of handing out a missing index, and that the next open
// builds as a file whose indexes were kept record by record. The writer (in which the file is
// fresh) is killed in the middle of a commit, after some pages were overwritten; or, having
// filled a file the test created and waited for the background commit, by the test.
TEST_F(BtrieveFresh, AKilledWriterLeavesAFileThatTheNextOpenBuilds) {
  struct Case {
    const char* what;
    int occurrence;  // of the kill point; 0 for a writer killed by the test
    bool read_key_2;
    size_t committed;
    const char* waiting;
  } cases[] = {{"killed at page write 1", 1, true, 1000, "0, 1"},
               {"killed at page write 4", 4, true, 1000, "0, 1"},
               {"killed at page write 2, nothing read", 2, false, 700, "0, 1, 2"},
               {"killed after the background commit", 0, false, 300, "1, 2"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.occurrence == 0) {
      ASSERT_EQ(Create("KILL.DB", StandardSpec()), kOk);
    }
    auto writer = [&c](int fd) {
      Handle h;
      const size_t half = c.committed / 2;
      if (c.occurrence == 0) {
        if (h.Open("KILL.DB") != kOk) {
          _exit(2);
        }
        for (size_t i = 0; i < c.committed; ++i) {
          if (h.Insert(Records()[i]) != kOk) {
            _exit(2);
          }
        }
        usleep(600'000);  // more than twice the longest time a write may wait for its commit
        Tell(fd, 1);
        for (;;) {
          pause();
        }
      }
      if (Create("KILL.DB", StandardSpec()) != kOk || h.Open("KILL.DB") != kOk ||
          InsertBatch(h, 0, half) != kOk || (c.read_key_2 && h.Get(kGetFirst, 2) != kOk) ||
          InsertBatch(h, half, c.committed) != kOk) {
        _exit(2);
      }
      sysio::ArmKill("btr:commit-journaled", "", c.occurrence);
      InsertBatch(h, c.committed, c.committed + 2000);
    };
    auto until_told = [](int fd) {
      int32_t message = 0;
      ASSERT_EQ(read(fd, &message, sizeof message), static_cast<ssize_t>(sizeof message));
    };
    RunKilledWriter(writer, c.occurrence == 0 ? std::function<void(int)>(until_told) : nullptr);

    const std::string records = std::to_string(c.committed) + " records, 3 keys";
    EXPECT_EQ(Summary("KILL.DB"),
              records + " (the index of keys " + c.waiting + " is built at the next open)");
    sysio::ArmFault({sysio::kWrite, 1, ENOSPC, true});
    Handle refused;
    EXPECT_EQ(refused.Open("KILL.DB"), kDiskFull);
    sysio::DisarmFault();
    EXPECT_EQ(refused.Get(kGetFirst, 1), kFileNotOpen);
    Handle h, kept;
    ASSERT_EQ(h.Open("KILL.DB"), kOk);
    EXPECT_EQ(Summary("KILL.DB"), records);
    FillKept(kept, c.committed);
    ExpectSameKeyedReads(h, kept);
    EXPECT_EQ(h.Close(), kOk);
    EXPECT_EQ(kept.Close(), kOk);
    EXPECT_EQ(dir_.Names(), (std::set<std::string>{"KILL.DB", "KEPT.DB"}));
    ASSERT_EQ(unlink("KILL.DB"), 0);
  }
}

}  // namespace
}  // namespace btrtest
