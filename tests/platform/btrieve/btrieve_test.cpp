// The record manager's operations, one group per behaviour of the operation table.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/btrieve/btrcall.h"
#include "platform/sysio/sysio.h"
#include "tests/platform/btrieve/fixture.h"

namespace btrtest {
namespace {

using namespace btr;

class BtrieveOps : public BtrieveTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(Create("T.DB", StandardSpec()), kOk);
    ASSERT_EQ(h_.Open("T.DB"), kOk);
  }
  // Inserts records with the given ids; names repeat every three ids.
  void Fill(std::initializer_list<int32_t> ids) {
    for (int32_t id : ids) {
      ASSERT_EQ(h_.Insert(Record(id, "N" + std::to_string(id % 3))), kOk) << id;
    }
  }
  Handle h_;
};

// Every status a wrong call answers, through a position block of its own on T.DB holding the
// records 1, 2 and 3 (names N1 N2 N0); none of them changes the file. Calls that are not wrong:
// lock biases, accepted and ignored, and Version, which needs no file.
TEST_F(BtrieveOps, EachWrongCallAnswersItsStatus) {
  Fill({1, 2, 3});
  Handle h;
  ASSERT_EQ(h.Open("T.DB"), kOk);
  // Without currency.
  EXPECT_EQ(h.Get(kGetNext), kInvalidPositioning);
  EXPECT_EQ(h.Get(kGetPosition), kInvalidPositioning);
  EXPECT_EQ(h.Update(Record(1, "x")), kInvalidPositioning);
  EXPECT_EQ(h.Call(kDelete), kInvalidPositioning);
  EXPECT_EQ(h.Insert(Bytes(kRecLen - 1, 0)), kDataBufferLength);
  EXPECT_EQ(h.Insert(Bytes(kRecLen + 1, 0)), kDataBufferLength);
  EXPECT_EQ(h.Insert(Record(2, "x")), kDuplicateKey);
  EXPECT_EQ(h.Get(kGetFirst, 7), kInvalidKeyNumber);
  EXPECT_EQ(h.Call(kGetFirst, 1, 5), kKeyBufferTooShort);
  EXPECT_EQ(h.Get(kStat, 0, 20), kDataBufferLength);
  h.SetKeyInt(42);
  EXPECT_EQ(h.Get(kGetEqual), kKeyNotFound);
  h.data.assign(256, 0);
  Put32(h.data.data(), 999);
  h.length = 256;
  EXPECT_EQ(h.Call(kGetDirect), kInvalidRecordAddress);
  EXPECT_EQ(Simple(kEndTransaction), kNoTransaction);
  EXPECT_EQ(Simple(kAbortTransaction), kNoTransaction);
  ASSERT_EQ(Simple(kBeginTransaction), kOk);
  EXPECT_EQ(Simple(kBeginTransaction), kTransactionActive);
  ASSERT_EQ(Simple(kAbortTransaction), kOk);
  for (int op : {16, 29, 30, 31, 32, 36, 50, 54, 64, 99, 500, 1020}) {
    EXPECT_EQ(h.Call(op), kInvalidOperation) << op;
  }
  // A short data buffer gets a partial copy, and the read goes on from the record.
  ASSERT_EQ(h.Get(kGetFirst, 0, 4), kDataBufferLength);
  EXPECT_EQ(h.length, 4u);
  EXPECT_EQ(h.id(), 1);
  EXPECT_EQ(h.data[4], 0xEE);  // nothing beyond the buffer's length was written
  ASSERT_EQ(h.Get(kGetNext, 0, 10), kDataBufferLength);
  EXPECT_EQ(h.id(), 2);
  // With currency on the first record of key 0 (lock biases ignored), then on the last.
  EXPECT_EQ(h.Get(kGetFirst + 100, 0), kOk);
  EXPECT_EQ(h.Get(kGetFirst + 400, 0), kOk);
  EXPECT_EQ(h.Call(kUnlock), kOk);
  EXPECT_EQ(h.Update(Record(5, "N1")), kKeyNotModifiable);
  EXPECT_EQ(h.Update(Bytes(kRecLen - 2, 0)), kDataBufferLength);
  EXPECT_EQ(h.Get(kGetNext, 1), kDifferentKeyNumber);
  ASSERT_EQ(h.Get(kGetLast, 0), kOk);
  ASSERT_EQ(h.Call(kDelete), kOk);
  EXPECT_EQ(h.Call(kDelete), kInvalidPositioning);
  ASSERT_EQ(h.Write(kInsert + 200, Record(3, "N0")), kOk);
  EXPECT_EQ(h.Get(kGetNext), kEndOfFile);
  // Closed, or never opened.
  ASSERT_EQ(h.Close(), kOk);
  for (int op : {kClose, kInsert, kGetFirst, kGetNext, kStat, kStepFirst, kGetPosition}) {
    EXPECT_EQ(h.Get(op), kFileNotOpen) << op;
  }
  // Version, on no file.
  h.length = 4;
  EXPECT_EQ(h.Call(kVersion), kDataBufferLength);
  h.length = 5;
  ASSERT_EQ(h.Call(kVersion), kOk);
  EXPECT_EQ(h.record(), (Bytes{kEngineVersion & 0xFF, kEngineVersion >> 8, kEngineRevision & 0xFF,
                               kEngineRevision >> 8, kEnginePlatform}));
  EXPECT_EQ(Walk(h_, 0), (std::vector<int32_t>{1, 2, 3}));
  EXPECT_EQ(Walk(h_, 1), (std::vector<int32_t>{3, 1, 2}));
  // An empty file.
  ASSERT_EQ(Create("E.DB", StandardSpec()), kOk);
  ASSERT_EQ(h.Open("E.DB"), kOk);
  EXPECT_EQ(h.Get(kGetFirst), kEndOfFile);
  EXPECT_EQ(h.Get(kGetLast), kEndOfFile);
}

// Dates by year, month and day, then the next segment, both ways; strings by unsigned bytes.
// (Integers are ordered by the key encoding test, duplicates by the walks below and recutil's.)
TEST_F(BtrieveOps, KeysOrderByTheirTypeBothWays) {
  struct Case {
    const char* what;
    int key;
    std::vector<Bytes> records;
    std::vector<int32_t> order;
  } cases[] = {
      {"date and group",
       2,
       {Record(1, "", 31, 12, 1999, 5), Record(2, "", 1, 1, 2000, 5), Record(3, "", 2, 1, 2000, -2),
        Record(4, "", 1, 2, 2000, 0), Record(5, "", 2, 1, 2000, -7), Record(6, "", 1, 1, 1999, 9),
        Record(7, "", 1, 1, 256), Record(8, "", 1, 1, 255)},
       {8, 7, 6, 1, 2, 5, 3, 4}},
      {"string", 1, {Record(1, "\xe9t\xe9"), Record(2, "zoo"), Record(3, "Zoo")}, {3, 2, 1}},
  };
  ASSERT_EQ(h_.Close(), kOk);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(Create("K.DB", StandardSpec()), kOk);
    Handle h;
    ASSERT_EQ(h.Open("K.DB"), kOk);
    for (const Bytes& r : c.records) {
      ASSERT_EQ(h.Insert(r), kOk);
    }
    EXPECT_EQ(Walk(h, c.key), c.order);
    EXPECT_EQ(Walk(h, c.key, true), c.order);
    ASSERT_EQ(h.Close(), kOk);
  }
}

// Insert, Get Equal, Greater and Less return the key of the record they reach on their path.
TEST_F(BtrieveOps, InsertEqualGreaterAndLessReturnTheKeysOfTheirRecords) {
  ASSERT_EQ(h_.Insert(Record(7, "alpha")), kOk);
  ASSERT_EQ(h_.Insert(Record(8, "alpha"), 1), kOk);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(h_.key), 5), "alpha");
  EXPECT_EQ(h_.Get(kGetNext, 1), kEndOfFile);
  // Past the end, Get Previous comes back to the last record.
  EXPECT_EQ(h_.Get(kGetPrevious, 1), kOk);
  EXPECT_EQ(h_.id(), 8);
  EXPECT_EQ(h_.Get(kGetPrevious, 1), kOk);
  EXPECT_EQ(h_.id(), 7);
  Fill({10, 20, 30});
  struct Case {
    int op;
    int32_t probe;
    int status;
    int32_t found;
  } cases[] = {
      {kGetEqual, 20, kOk, 20},
      {kGetGreater, 20, kOk, 30},
      {kGetGreater, 19, kOk, 20},
      {kGetGreater, 30, kEndOfFile, 0},
      {kGetGreaterOrEqual, 20, kOk, 20},
      {kGetGreaterOrEqual, 21, kOk, 30},
      {kGetGreaterOrEqual, 31, kEndOfFile, 0},
      {kGetLess, 20, kOk, 10},
      {kGetLess, 10, kOk, 8},
      {kGetLess, 7, kEndOfFile, 0},
      {kGetLessOrEqual, 20, kOk, 20},
      {kGetLessOrEqual, 25, kOk, 20},
      {kGetLessOrEqual, 9, kOk, 8},
      {kGetLessOrEqual, 6, kEndOfFile, 0},
  };
  for (const Case& c : cases) {
    h_.SetKeyInt(c.probe);
    EXPECT_EQ(h_.Get(c.op, 0), c.status) << c.op << " " << c.probe;
    if (c.status == kOk) {
      EXPECT_EQ(h_.id(), c.found);
      EXPECT_EQ(h_.length, kRecLen);
      EXPECT_EQ(static_cast<int32_t>(Get32(h_.key)), c.found);
    }
  }
  // A miss leaves the currency where it was.
  h_.SetKeyInt(20);
  ASSERT_EQ(h_.Get(kGetEqual, 0), kOk);
  h_.SetKeyInt(42);
  ASSERT_EQ(h_.Get(kGetEqual, 0), kKeyNotFound);
  ASSERT_EQ(h_.Get(kGetNext, 0), kOk);
  EXPECT_EQ(h_.id(), 30);
}

// Key-only Gets read the index alone and transfer no data; the currency they leave must still
// lead Get Next and Get Previous (with data) to the right neighbours, duplicates in insertion
// order.
TEST_F(BtrieveOps, KeyOnlyGetsPositionWithoutDataAndTheNextReadsContinueFromThere) {
  Fill({1, 2, 3, 4, 5, 6, 7});  // names N1 N2 N0 N1 N2 N0 N1
  h_.SetKeyInt(9);
  EXPECT_EQ(h_.Get(kGetKeyEqual, 0), kKeyNotFound);
  EXPECT_EQ(h_.Get(kGetKeyBias + kGetFirst, 0), kOk);
  EXPECT_EQ(Get32(h_.key), 1u);
  EXPECT_EQ(h_.Get(kGetKeyBias + kGetNext, 0), kOk);
  EXPECT_EQ(Get32(h_.key), 2u);
  EXPECT_EQ(h_.data[0], 0xEE);
  h_.SetKey("N1");
  ASSERT_EQ(h_.Get(kGetKeyEqual, 1), kOk);
  EXPECT_EQ(h_.data[0], 0xEE);
  ASSERT_EQ(h_.Get(kGetNext, 1), kOk);
  EXPECT_EQ(h_.id(), 4);
  ASSERT_EQ(h_.Get(kGetKeyBias + kGetNext, 1), kOk);
  ASSERT_EQ(h_.Get(kGetNext, 1), kOk);
  EXPECT_EQ(h_.id(), 2);
  h_.SetKey("N1");
  ASSERT_EQ(h_.Get(kGetKeyBias + kGetGreater, 1), kOk);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(h_.key), 2), "N2");
  ASSERT_EQ(h_.Get(kGetPrevious, 1), kOk);
  EXPECT_EQ(h_.id(), 7);
  ASSERT_EQ(h_.Get(kGetKeyBias + kGetLast, 0), kOk);
  EXPECT_EQ(Get32(h_.key), 7u);
  ASSERT_EQ(h_.Get(kGetPrevious, 0), kOk);
  EXPECT_EQ(h_.record(), Record(6, "N0"));
}

// A unique key held by the file's own index (a file closed since its creation).
TEST_F(BtrieveOps, UpdateRefusesADuplicateInAUniqueKey) {
  ASSERT_EQ(Create("U.DB", SpecBlock(kRecLen, 1, {{5, 10, kExtendedType | kModifiable, kString}})),
            kOk);
  Handle u;
  ASSERT_EQ(u.Open("U.DB"), kOk);
  ASSERT_EQ(u.Insert(Record(1, "a")), kOk);
  ASSERT_EQ(u.Insert(Record(2, "b")), kOk);
  ASSERT_EQ(u.Close(), kOk);
  ASSERT_EQ(u.Open("U.DB"), kOk);
  ASSERT_EQ(u.Get(kGetLast), kOk);
  EXPECT_EQ(u.Update(Record(2, "a")), kDuplicateKey);
  EXPECT_EQ(u.Insert(Record(3, "a")), kDuplicateKey);
  EXPECT_EQ(u.Update(Record(2, "c")), kOk);
  EXPECT_EQ(u.Insert(Record(3, "b")), kOk);
}

// Three runs of duplicates on key 1 (names "A", "B", "C", ids in insertion order), each record
// rewritten (outside its keys) as the walk passes it: every Get finds its place again after a
// write, in both directions and from Get Greater and Get Less as well.
TEST_F(BtrieveOps, WalksOverDuplicatesFindTheirPlaceAgainAfterEveryUpdate) {
  std::vector<int32_t> a, b, c;
  for (int32_t id = 0; id < 60; ++id) {
    std::string name(1, static_cast<char>('A' + id % 3));
    ASSERT_EQ(h_.Insert(Record(id, name)), kOk);
    (id % 3 == 0 ? a : id % 3 == 1 ? b : c).push_back(id);
  }
  auto walk = [&](int first_op, const std::string& probe, int next_op) {
    std::vector<int32_t> ids;
    h_.SetKey(probe);
    for (int s = h_.Get(first_op, 1); s == kOk; s = h_.Get(next_op, 1)) {
      ids.push_back(h_.id());
      Bytes r = h_.record();
      r[31] = static_cast<uint8_t>(r[31] + 1);
      EXPECT_EQ(h_.Update(r, 1), kOk);
    }
    if (next_op == kGetPrevious) {
      std::reverse(ids.begin(), ids.end());
    }
    return ids;
  };
  EXPECT_EQ(walk(kGetFirst, "", kGetNext), Cat({a, b, c}));
  EXPECT_EQ(walk(kGetLast, "", kGetPrevious), Cat({a, b, c}));
  EXPECT_EQ(walk(kGetGreater, "A", kGetNext), Cat({b, c}));
  EXPECT_EQ(walk(kGetGreaterOrEqual, "B", kGetNext), Cat({b, c}));
  EXPECT_EQ(walk(kGetLess, "C", kGetPrevious), Cat({a, b}));
  EXPECT_EQ(walk(kGetLessOrEqual, "B", kGetPrevious), Cat({a, b}));
  EXPECT_EQ(walk(kGetEqual, "C", kGetNext), c);
  // Turning round in the middle of a run, after a write.
  h_.SetKey("B");
  ASSERT_EQ(h_.Get(kGetEqual, 1), kOk);
  ASSERT_EQ(h_.Get(kGetNext, 1), kOk);
  ASSERT_EQ(h_.Get(kGetNext, 1), kOk);
  EXPECT_EQ(h_.id(), b[2]);
  ASSERT_EQ(h_.Update(h_.record(), 1), kOk);
  ASSERT_EQ(h_.Get(kGetPrevious, 1), kOk);
  EXPECT_EQ(h_.id(), b[1]);
  // A record moved to another run by its update goes on from its new place, which its position
  // fixes among the duplicates there: b[1] (id 4) lands between c[0] (2) and c[1] (5).
  Bytes moved = h_.record();
  moved[4] = 'C';
  ASSERT_EQ(h_.Update(moved, 1), kOk);
  for (int32_t expected : {c[1], b[1], c[0], b.back()}) {
    ASSERT_EQ(h_.Get(expected == c[1] ? kGetNext : kGetPrevious, 1), kOk);
    EXPECT_EQ(h_.id(), expected);
  }
}

// An update writes the index entries of the keys it changes only: the others must still find the
// record, and the changed ones must find it under the new value and not the old.
TEST_F(BtrieveOps, UpdatesThatChangeSomeKeysKeepEveryIndexRight) {
  std::vector<int32_t> ids[3];  // by the key an update changes: none, key 1, key 2
  for (int32_t id = 0; id < 30; ++id) {
    ASSERT_EQ(h_.Insert(Record(id, "N" + std::to_string(id % 3), 1, 1, 2000, 0)), kOk);
    ids[id % 3].push_back(id);
  }
  for (int32_t id = 0; id < 30; ++id) {
    h_.SetKeyInt(id);
    ASSERT_EQ(h_.Get(kGetEqual, 0), kOk);
    Bytes r = h_.record();
    if (id % 3 == 1) {
      r[4] = 'M';
    } else if (id % 3 == 2) {
      Put16(&r[18], 7);
    }
    r[30] = 'x';  // never a key
    ASSERT_EQ(h_.Update(r, 0), kOk);
  }
  EXPECT_EQ(Walk(h_, 1), Cat({ids[1], ids[0], ids[2]}));  // M1, N0, N2
  h_.SetKey("N1");
  EXPECT_EQ(h_.Get(kGetEqual, 1), kKeyNotFound);
  // Group 7 sorts after group 0 on the same date; ids 0 and 1 interleave in insertion order.
  std::vector<int32_t> by_date = Range(0, 30);
  std::stable_partition(by_date.begin(), by_date.end(), [](int32_t id) { return id % 3 != 2; });
  EXPECT_EQ(Walk(h_, 2), by_date);
  EXPECT_EQ(Walk(h_, 0), Range(0, 30));
}

// The point of writing changed indexes only: an update that changes no key makes the commit write
// fewer pages than one that changes every key.
TEST_F(BtrieveOps, AnUpdateThatChangesNoKeyWritesLessThanOneThatChangesEveryKey) {
  ASSERT_EQ(Create("W.DB", SpecBlock(kRecLen, 3,
                                     {{1, 4, kExtendedType | kModifiable, kInteger},
                                      {5, 10, kModifiable | kDuplicates, kString},
                                      {21, 12, kModifiable | kDuplicates, kString}})),
            kOk);
  Handle w;
  ASSERT_EQ(w.Open("W.DB"), kOk);
  // Enough records that each index spans pages of its own.
  for (int32_t id = 0; id < 400; ++id) {
    ASSERT_EQ(w.Insert(Record(id, "name" + std::to_string(id), 1, 1, 2000, 0, "r")), kOk);
  }
  ASSERT_EQ(Simple(kBeginTransaction), kOk);
  ASSERT_EQ(Simple(kEndTransaction), kOk);
  auto writes_of_update = [&](int32_t id, bool every_key) {
    w.SetKeyInt(id);
    EXPECT_EQ(w.Get(kGetEqual, 0), kOk);
    Bytes r = w.record();
    r[19] ^= 1;  // between the keys
    if (every_key) {
      int32_t moved = id + 100'000;
      std::memcpy(&r[0], &moved, 4);
      r[5] = '#';
      r[21] = '#';
    }
    EXPECT_EQ(Simple(kBeginTransaction), kOk);
    sysio::ArmFault({sysio::kAllOps, 0, 0, false});
    EXPECT_EQ(w.Update(r, 0), kOk);
    EXPECT_EQ(Simple(kEndTransaction), kOk);
    int64_t writes = sysio::Calls(sysio::kWrite);
    sysio::DisarmFault();
    return writes;
  };
  int64_t no_key = writes_of_update(200, false);
  int64_t every_key = writes_of_update(201, true);
  EXPECT_LT(no_key + 3, every_key) << no_key << " against " << every_key;
  ASSERT_EQ(w.Close(), kOk);
}

// After a delete, Next and Previous continue from the gap; a duplicate inserted again goes last.
TEST_F(BtrieveOps, DeleteLeavesAGapThatNextAndPreviousContinueFrom) {
  Fill({1, 2, 3, 4});  // names N1 N2 N0 N1
  h_.SetKeyInt(2);
  ASSERT_EQ(h_.Get(kGetEqual, 0), kOk);
  ASSERT_EQ(h_.Call(kDelete), kOk);
  ASSERT_EQ(h_.Get(kGetNext, 0), kOk);
  EXPECT_EQ(h_.id(), 3);
  ASSERT_EQ(h_.Call(kDelete), kOk);
  ASSERT_EQ(h_.Get(kGetPrevious, 0), kOk);
  EXPECT_EQ(h_.id(), 1);
  EXPECT_EQ(Walk(h_, 0), (std::vector<int32_t>{1, 4}));
  EXPECT_EQ(h_.count(), 2u);
  EXPECT_EQ(Walk(h_, 1), (std::vector<int32_t>{1, 4}));
  ASSERT_EQ(h_.Get(kGetFirst, 1), kOk);
  ASSERT_EQ(h_.Call(kDelete), kOk);
  ASSERT_EQ(h_.Insert(Record(1, "N1")), kOk);
  EXPECT_EQ(Walk(h_, 1), (std::vector<int32_t>{4, 1}));
}

// Steps walk physical order and give a physical currency only, which Update, Get Position and
// Delete work from; Get Direct puts a position back onto the given key's path, among duplicates.
TEST_F(BtrieveOps, StepsAndGetDirectMoveByPhysicalPosition) {
  Fill({30, 10, 20, 1, 4});  // names N0 N1 N2 N1 N1
  std::vector<int32_t> forward, backward;
  for (int s = h_.Get(kStepFirst); s == kOk; s = h_.Get(kStepNext)) {
    forward.push_back(h_.id());
  }
  for (int s = h_.Get(kStepLast); s == kOk; s = h_.Get(kStepPrevious)) {
    backward.insert(backward.begin(), h_.id());
  }
  EXPECT_EQ(forward, (std::vector<int32_t>{30, 10, 20, 1, 4}));
  EXPECT_EQ(backward, forward);
  ASSERT_EQ(h_.Get(kStepFirst), kOk);
  EXPECT_EQ(h_.Get(kGetNext, 0), kInvalidPositioning);
  ASSERT_EQ(h_.Get(kStepNext), kOk);
  ASSERT_EQ(h_.Update(Record(10, "stepped")), kOk);
  ASSERT_EQ(h_.Get(kGetPosition), kOk);
  ASSERT_EQ(h_.Get(kStepNext), kOk);
  EXPECT_EQ(h_.id(), 20);
  ASSERT_EQ(h_.Call(kDelete), kOk);
  EXPECT_EQ(h_.Get(kStepPrevious), kOk);
  EXPECT_EQ(h_.record(), Record(10, "stepped"));

  h_.SetKeyInt(4);
  ASSERT_EQ(h_.Get(kGetEqual, 0), kOk);
  ASSERT_EQ(h_.Get(kGetPosition), kOk);
  ASSERT_EQ(h_.length, 4u);
  uint32_t pos = Get32(h_.data.data());
  ASSERT_EQ(h_.Get(kGetFirst, 0), kOk);
  h_.data.assign(256, 0);
  Put32(h_.data.data(), pos);
  h_.length = 256;
  ASSERT_EQ(h_.Call(kGetDirect, 1), kOk);
  EXPECT_EQ(h_.record(), Record(4, "N1"));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(h_.key), 2), "N1");
  ASSERT_EQ(h_.Get(kGetPrevious, 1), kOk);  // N1 duplicates: 1 then 4
  EXPECT_EQ(h_.id(), 1);
}

TEST_F(BtrieveOps, TransactionsCommitOrRollBackEveryFile) {
  ASSERT_EQ(Create("B.DB", StandardSpec()), kOk);
  Handle b;
  ASSERT_EQ(b.Open("B.DB"), kOk);
  Fill({1});
  ASSERT_EQ(Simple(kBeginTransaction), kOk);
  Fill({2, 3});
  ASSERT_EQ(b.Insert(Record(1)), kOk);
  ASSERT_EQ(Simple(kAbortTransaction), kOk);
  EXPECT_EQ(Walk(h_, 0), (std::vector<int32_t>{1}));
  EXPECT_EQ(b.Get(kGetFirst), kEndOfFile);
  EXPECT_EQ(h_.count(), 1u);

  ASSERT_EQ(Simple(1000 + kBeginTransaction), kOk);
  Fill({4});
  ASSERT_EQ(b.Insert(Record(5)), kOk);
  ASSERT_EQ(b.Close(), kOk);  // a file closed inside a transaction keeps its writes pending
  ASSERT_EQ(Simple(kEndTransaction), kOk);
  EXPECT_EQ(Walk(h_, 0), (std::vector<int32_t>{1, 4}));
  EXPECT_EQ(Ids("B.DB"), (std::vector<int32_t>{5}));
}

TEST_F(BtrieveOps, StopAndResetCloseEveryFile) {
  Fill({1, 2});
  Handle second;
  ASSERT_EQ(second.Open("t.db"), kOk);
  ASSERT_EQ(Simple(kReset), kOk);
  EXPECT_EQ(h_.Get(kGetFirst), kFileNotOpen);
  EXPECT_EQ(second.Close(), kFileNotOpen);
  ASSERT_EQ(h_.Open("T.DB"), kOk);
  EXPECT_EQ(Walk(h_, 0), (std::vector<int32_t>{1, 2}));
  ASSERT_EQ(Simple(kStop), kOk);
  EXPECT_EQ(h_.Get(kGetFirst), kFileNotOpen);
  EXPECT_EQ(dir_.Names(), (std::set<std::string>{"T.DB"}));
}

}  // namespace
}  // namespace btrtest
