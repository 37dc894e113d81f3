// Deferred indexes: a file filled from empty builds the indexes of its keys with duplicates in one
// pass (at the first ordered read on such a key, or at Close) and must answer every keyed read
// exactly as a file whose indexes were kept record by record; a writer killed before the build
// leaves a file that the next open builds, never one read with a missing index.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <random>

#include "platform/btrieve/btrcall.h"
#include "platform/btrieve/check.h"
#include "platform/sysio/sysio.h"
#include "tests/platform/btrieve/fixture.h"

namespace btrtest {
namespace {

using namespace btr;

// Records with few distinct names and dates, in a shuffled id order, so that both keys with
// duplicates hold long runs whose order is the order of insertion.
std::vector<Bytes> Shuffled(int n) {
  std::mt19937 rng(11);
  std::vector<int32_t> ids;
  for (int32_t id = 0; id < n; ++id) {
    ids.push_back(id);
  }
  std::shuffle(ids.begin(), ids.end(), rng);
  std::vector<Bytes> records;
  for (int32_t id : ids) {
    records.push_back(Record(id, "N" + std::to_string(rng() % 7), 1 + rng() % 3, 1, 2000,
                             static_cast<int16_t>(rng() % 2)));
  }
  return records;
}

class BtrieveDeferred : public BtrieveTest {};

TEST_F(BtrieveDeferred, KeyedReadsMatchIndexesKeptRecordByRecord) {
  const std::vector<Bytes> records = Shuffled(600);
  // DEFER.DB is filled from empty without a read; KEPT.DB reads on both keys with duplicates
  // after its first record, which builds their indexes, so that every later insert maintains
  // them record by record.
  ASSERT_EQ(Create("DEFER.DB", StandardSpec()), kOk);
  ASSERT_EQ(Create("KEPT.DB", StandardSpec()), kOk);
  Handle deferred, kept;
  ASSERT_EQ(deferred.Open("DEFER.DB"), kOk);
  ASSERT_EQ(kept.Open("KEPT.DB"), kOk);
  for (size_t i = 0; i < records.size(); ++i) {
    ASSERT_EQ(deferred.Insert(records[i]), kOk);
    ASSERT_EQ(kept.Insert(records[i]), kOk);
    if (i == 0) {
      ASSERT_EQ(kept.Get(kGetFirst, 1), kOk);
      ASSERT_EQ(kept.Get(kGetLast, 2), kOk);
    }
  }
  // Stat reads no index: the count is there before any build.
  ASSERT_EQ(deferred.Get(kStat, 0, 336), kOk);
  EXPECT_EQ(Get32(&deferred.data[6]), records.size());

  // Duplicates come back in insertion order: a stable sort of the insertion order by the key.
  std::vector<size_t> order(records.size());
  for (size_t i = 0; i < order.size(); ++i) {
    order[i] = i;
  }
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return std::lexicographical_compare(records[a].begin() + 4, records[a].begin() + 14,
                                        records[b].begin() + 4, records[b].begin() + 14);
  });
  std::vector<int32_t> byName;
  for (size_t i : order) {
    byName.push_back(IdOf(records[i]));
  }
  EXPECT_EQ(Walk(deferred, 1), byName);
  for (int key = 0; key < 3; ++key) {
    SCOPED_TRACE("key " + std::to_string(key));
    EXPECT_EQ(Walk(deferred, key), Walk(kept, key));
    EXPECT_EQ(Walk(deferred, key, true), Walk(kept, key, true));
  }
  // Get Equal on a duplicated value lands on the first inserted of them.
  deferred.SetKey("N3");
  kept.SetKey("N3");
  ASSERT_EQ(deferred.Get(kGetEqual, 1), kOk);
  ASSERT_EQ(kept.Get(kGetEqual, 1), kOk);
  EXPECT_EQ(deferred.id(), kept.id());
  // Unique keys stay enforced on every insert, deferred or not.
  EXPECT_EQ(deferred.Insert(records[5]), kDuplicateKey);
  EXPECT_EQ(deferred.Close(), kOk);
  EXPECT_EQ(kept.Close(), kOk);
  EXPECT_EQ(Summary("DEFER.DB"), "600 records, 3 keys");
}

TEST_F(BtrieveDeferred, UniqueKeysAreEnforcedWhileOthersWait) {
  ASSERT_EQ(Create("U.DB", StandardSpec()), kOk);
  Handle h;
  ASSERT_EQ(h.Open("U.DB"), kOk);
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
  // Once built, the indexes are kept record by record again.
  ASSERT_EQ(h.Insert(Record(4, "1")), kOk);
  EXPECT_EQ(Walk(h, 1), (std::vector<int32_t>{2, 4, 3}));
  EXPECT_EQ(h.Close(), kOk);
  EXPECT_EQ(Summary("U.DB"), "3 records, 3 keys");
}

// In a fresh file the unique key's index waits too; every insert and update is checked against
// the values in memory. Only physical reads are made here, so that no read builds the index
// before the close.
TEST_F(BtrieveDeferred, AWaitingUniqueKeyIsEnforcedByEveryWrite) {
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
  ASSERT_EQ(h.Open("U.DB"), kOk);
  std::vector<int32_t> ids = Walk(h, 0);
  ASSERT_EQ(ids.size(), static_cast<size_t>(kRecords + 1));  // 0 .. kRecords
  for (int32_t id = 0; id <= kRecords; ++id) {
    ASSERT_EQ(ids[static_cast<size_t>(id)], id);
  }
  EXPECT_EQ(h.Close(), kOk);
}

TEST_F(BtrieveDeferred, AnAbortedFirstInsertLeavesTheIndexesInPlace) {
  ASSERT_EQ(Create("T.DB", StandardSpec()), kOk);
  Handle h;
  ASSERT_EQ(h.Open("T.DB"), kOk);
  ASSERT_EQ(Simple(kBeginTransaction), kOk);
  ASSERT_EQ(h.Insert(Record(1, "A")), kOk);
  ASSERT_EQ(Simple(kAbortTransaction), kOk);
  EXPECT_EQ(h.Get(kGetFirst, 1), kEndOfFile);
  ASSERT_EQ(h.Insert(Record(2, "B")), kOk);
  ASSERT_EQ(h.Insert(Record(3, "A")), kOk);
  EXPECT_EQ(Walk(h, 1), (std::vector<int32_t>{3, 2}));
  EXPECT_EQ(h.Close(), kOk);
  EXPECT_EQ(Summary("T.DB"), "2 records, 3 keys");
}

// The child fills a new file, waits for the background commit to make its records durable, tells
// the parent and waits to be killed: the file holds records but not yet the indexes of keys 1
// and 2.
TEST_F(BtrieveDeferred, AWriterKilledBeforeTheBuildLeavesAFileTheNextOpenBuilds) {
  const std::vector<Bytes> records = Shuffled(300);
  ASSERT_EQ(Create("KILL.DB", StandardSpec()), kOk);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(fds[0]);
    Handle h;
    if (h.Open("KILL.DB") != kOk) {
      _exit(2);
    }
    for (const Bytes& r : records) {
      if (h.Insert(r) != kOk) {
        _exit(2);
      }
    }
    usleep(600'000);  // more than twice the longest time a write may wait for its commit
    char done = 1;
    if (write(fds[1], &done, 1) != 1) {
      _exit(3);
    }
    for (;;) {
      pause();
    }
  }
  close(fds[1]);
  char done = 0;
  ASSERT_EQ(read(fds[0], &done, 1), 1);
  close(fds[0]);
  kill(child, SIGKILL);
  int wstatus = 0;
  waitpid(child, &wstatus, 0);
  ASSERT_TRUE(WIFSIGNALED(wstatus)) << "writer failed with " << WEXITSTATUS(wstatus);
  ASSERT_EQ(WTERMSIG(wstatus), SIGKILL);

  // Sound, and the check says which indexes wait.
  EXPECT_EQ(Summary("KILL.DB"),
            "300 records, 3 keys (the index of keys 1, 2 is built at the next open)");
  // A failing disk: the open refuses the file instead of handing out a missing index.
  sysio::ArmFault({sysio::kWrite, 1, ENOSPC, true});
  Handle refused;
  EXPECT_EQ(refused.Open("KILL.DB"), kDiskFull);
  sysio::DisarmFault();
  EXPECT_EQ(refused.Get(kGetFirst, 1), kFileNotOpen);

  Handle h;
  ASSERT_EQ(h.Open("KILL.DB"), kOk);
  EXPECT_EQ(Summary("KILL.DB"), "300 records, 3 keys");
  Create("KEPT.DB", StandardSpec());
  Handle kept;
  ASSERT_EQ(kept.Open("KEPT.DB"), kOk);
  ASSERT_EQ(kept.Insert(records[0]), kOk);
  ASSERT_EQ(kept.Get(kGetFirst, 1), kOk);
  for (size_t i = 1; i < records.size(); ++i) {
    ASSERT_EQ(kept.Insert(records[i]), kOk);
  }
  for (int key = 0; key < 3; ++key) {
    SCOPED_TRACE("key " + std::to_string(key));
    EXPECT_EQ(Walk(h, key), Walk(kept, key));
  }
  EXPECT_EQ(h.Close(), kOk);
  EXPECT_EQ(kept.Close(), kOk);
}

}  // namespace
}  // namespace btrtest
