// The record manager's operations, one group per behaviour of the operation table.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

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
  std::vector<int32_t> ScanIds(int key_number, bool backward = false) {
    std::vector<int32_t> ids;
    int status = h_.Get(backward ? kGetLast : kGetFirst, key_number);
    while (status == kOk) {
      ids.push_back(h_.id());
      status = h_.Get(backward ? kGetPrevious : kGetNext, key_number);
    }
    EXPECT_EQ(status, kEndOfFile);
    return ids;
  }
  Handle h_;
};

TEST_F(BtrieveOps, InsertTakesExactlyTheRecordLengthOfAFixedFile) {
  Bytes shorter(kRecLen - 1, 0), longer(kRecLen + 1, 0);
  EXPECT_EQ(h_.Insert(shorter), kDataBufferLength);
  EXPECT_EQ(h_.Insert(longer), kDataBufferLength);
  EXPECT_EQ(h_.Insert(Record(1)), kOk);
}

TEST_F(BtrieveOps, InsertRefusesADuplicateInAUniqueKeyAndReturnsTheKeyOnItsPath) {
  ASSERT_EQ(h_.Insert(Record(7, "alpha")), kOk);
  EXPECT_EQ(h_.Insert(Record(7, "beta")), kDuplicateKey);
  ASSERT_EQ(h_.Insert(Record(8, "alpha"), 1), kOk);  // duplicates allowed on key 1
  EXPECT_EQ(std::string(reinterpret_cast<char*>(h_.key), 5), "alpha");
  // The new record is current on key 1: the next one there is none, the previous is 7.
  EXPECT_EQ(h_.Get(kGetNext, 1), kEndOfFile);
  EXPECT_EQ(h_.Get(kGetPrevious, 1), kOk);
  EXPECT_EQ(h_.id(), 8);
  EXPECT_EQ(h_.Get(kGetPrevious, 1), kOk);
  EXPECT_EQ(h_.id(), 7);
}

TEST_F(BtrieveOps, IntegerKeysOrderAsSignedNumbers) {
  Fill({5, -1, 0, INT32_MIN, 300, INT32_MAX, -300});
  EXPECT_EQ(ScanIds(0), (std::vector<int32_t>{INT32_MIN, -300, -1, 0, 5, 300, INT32_MAX}));
  EXPECT_EQ(ScanIds(0, true), (std::vector<int32_t>{INT32_MAX, 300, 5, 0, -1, -300, INT32_MIN}));
}

TEST_F(BtrieveOps, DateAndSegmentedKeysOrderByYearMonthDayThenSegment) {
  ASSERT_EQ(h_.Insert(Record(1, "", 31, 12, 1999, 5)), kOk);
  ASSERT_EQ(h_.Insert(Record(2, "", 1, 1, 2000, 5)), kOk);
  ASSERT_EQ(h_.Insert(Record(3, "", 2, 1, 2000, -2)), kOk);
  ASSERT_EQ(h_.Insert(Record(4, "", 1, 2, 2000, 0)), kOk);
  ASSERT_EQ(h_.Insert(Record(5, "", 2, 1, 2000, -7)), kOk);
  ASSERT_EQ(h_.Insert(Record(6, "", 1, 1, 1999, 9)), kOk);
  EXPECT_EQ(ScanIds(2), (std::vector<int32_t>{6, 1, 2, 5, 3, 4}));
}

TEST_F(BtrieveOps, StringKeysCompareBytesUnsigned) {
  ASSERT_EQ(h_.Insert(Record(1, "\xe9t\xe9")), kOk);
  ASSERT_EQ(h_.Insert(Record(2, "zoo")), kOk);
  ASSERT_EQ(h_.Insert(Record(3, "Zoo")), kOk);
  EXPECT_EQ(ScanIds(1), (std::vector<int32_t>{3, 2, 1}));
}

TEST_F(BtrieveOps, DuplicatesComeBackInInsertionOrder) {
  for (int32_t id : {9, 3, 7, 1, 5}) {
    ASSERT_EQ(h_.Insert(Record(id, "same")), kOk);
  }
  EXPECT_EQ(ScanIds(1), (std::vector<int32_t>{9, 3, 7, 1, 5}));
  EXPECT_EQ(ScanIds(1, true), (std::vector<int32_t>{5, 1, 7, 3, 9}));
  // Deleting the first and inserting it again puts it last.
  h_.SetKey("same");
  ASSERT_EQ(h_.Get(kGetEqual, 1), kOk);
  ASSERT_EQ(h_.Call(kDelete), kOk);
  ASSERT_EQ(h_.Insert(Record(9, "same")), kOk);
  EXPECT_EQ(ScanIds(1), (std::vector<int32_t>{3, 7, 1, 5, 9}));
}

TEST_F(BtrieveOps, GetEqualFindsTheFirstDuplicateOrAnswers4) {
  Fill({1, 2, 3, 4, 5, 6});
  h_.SetKey("N2");
  ASSERT_EQ(h_.Get(kGetEqual, 1), kOk);
  EXPECT_EQ(h_.id(), 2);
  EXPECT_EQ(h_.length, kRecLen);
  ASSERT_EQ(h_.Get(kGetNext, 1), kOk);
  EXPECT_EQ(h_.id(), 5);
  h_.SetKeyInt(42);
  EXPECT_EQ(h_.Get(kGetEqual, 0), kKeyNotFound);
  // A miss leaves the currency where it was.
  ASSERT_EQ(h_.Get(kGetPrevious, 1), kOk);
  EXPECT_EQ(h_.id(), 2);
}

TEST_F(BtrieveOps, GreaterAndLessFindTheNeighboursAndReturnTheirKeys) {
  Fill({10, 20, 30});
  struct Case {
    int op;
    int32_t probe;
    int status;
    int32_t found;
  } cases[] = {
      {kGetGreater, 20, kOk, 30},
      {kGetGreater, 19, kOk, 20},
      {kGetGreater, 30, kEndOfFile, 0},
      {kGetGreaterOrEqual, 20, kOk, 20},
      {kGetGreaterOrEqual, 21, kOk, 30},
      {kGetGreaterOrEqual, 31, kEndOfFile, 0},
      {kGetLess, 20, kOk, 10},
      {kGetLess, 10, kEndOfFile, 0},
      {kGetLessOrEqual, 20, kOk, 20},
      {kGetLessOrEqual, 25, kOk, 20},
      {kGetLessOrEqual, 9, kEndOfFile, 0},
  };
  for (const Case& c : cases) {
    h_.SetKeyInt(c.probe);
    EXPECT_EQ(h_.Get(c.op, 0), c.status) << c.op << " " << c.probe;
    if (c.status == kOk) {
      EXPECT_EQ(h_.id(), c.found);
      EXPECT_EQ(static_cast<int32_t>(Get32(h_.key)), c.found);
    }
  }
}

TEST_F(BtrieveOps, FirstAndLastAnswer9OnAnEmptyFile) {
  EXPECT_EQ(h_.Get(kGetFirst), kEndOfFile);
  EXPECT_EQ(h_.Get(kGetLast), kEndOfFile);
}

TEST_F(BtrieveOps, NextAndPreviousNeedCurrencyOnTheSamePath) {
  Fill({1, 2, 3});
  Handle fresh;
  ASSERT_EQ(fresh.Open("T.DB"), kOk);
  EXPECT_EQ(fresh.Get(kGetNext), kInvalidPositioning);
  ASSERT_EQ(h_.Get(kGetFirst, 0), kOk);
  EXPECT_EQ(h_.Get(kGetNext, 1), kDifferentKeyNumber);
  EXPECT_EQ(h_.Get(kGetFirst, 7), kInvalidKeyNumber);
  ASSERT_EQ(h_.Get(kGetLast, 0), kOk);
  EXPECT_EQ(h_.Get(kGetNext, 0), kEndOfFile);
  // Past the end, Get Previous comes back to the last record.
  ASSERT_EQ(h_.Get(kGetPrevious, 0), kOk);
  EXPECT_EQ(h_.id(), 3);
}

TEST_F(BtrieveOps, AShortDataBufferGetsAPartialCopyAnd22AndTheReadGoesOn) {
  Fill({1, 2, 3});
  ASSERT_EQ(h_.Get(kGetFirst, 0, 4), kDataBufferLength);
  EXPECT_EQ(h_.length, 4u);
  EXPECT_EQ(h_.id(), 1);
  EXPECT_EQ(h_.data[4], 0xEE);  // nothing beyond the buffer's length was written
  ASSERT_EQ(h_.Get(kGetNext, 0, 10), kDataBufferLength);
  EXPECT_EQ(h_.id(), 2);
  ASSERT_EQ(h_.Get(kGetNext, 0), kOk);
  EXPECT_EQ(h_.id(), 3);
}

TEST_F(BtrieveOps, KeyOnlyGetsPositionWithoutTransferringData) {
  Fill({1, 2, 3});
  h_.SetKeyInt(2);
  ASSERT_EQ(h_.Get(kGetKeyEqual, 0), kOk);
  EXPECT_EQ(h_.data[0], 0xEE);
  EXPECT_EQ(h_.Get(kGetKeyBias + kGetNext, 0), kOk);
  EXPECT_EQ(Get32(h_.key), 3u);
  EXPECT_EQ(h_.data[0], 0xEE);
  h_.SetKeyInt(9);
  EXPECT_EQ(h_.Get(kGetKeyEqual, 0), kKeyNotFound);
  EXPECT_EQ(h_.Get(kGetKeyBias + kGetFirst, 0), kOk);
  EXPECT_EQ(Get32(h_.key), 1u);
}

// Key-only Gets read the index alone; the currency they leave must still lead Get Next and Get
// Previous (with data) to the right neighbours, duplicates in insertion order.
TEST_F(BtrieveOps, AKeyOnlyGetLeavesACurrencyThatTheNextReadsContinueFrom) {
  Fill({1, 2, 3, 4, 5, 6, 7});  // names N1 N2 N0 N1 N2 N0 N1
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
  EXPECT_EQ(h_.id(), 6);
  EXPECT_EQ(h_.record(), Record(6, "N0"));
}

TEST_F(BtrieveOps, LockBiasesAreAcceptedAndIgnored) {
  ASSERT_EQ(h_.Insert(Record(1)), kOk);
  EXPECT_EQ(h_.Get(kGetFirst + 100), kOk);
  EXPECT_EQ(h_.Get(kGetFirst + 400), kOk);
  EXPECT_EQ(h_.Insert(Record(2), 0), kOk);
  h_.data = Record(3);
  h_.length = kRecLen;
  EXPECT_EQ(h_.Call(kInsert + 200), kOk);
  EXPECT_EQ(h_.Call(kUnlock), kOk);
}

TEST_F(BtrieveOps, UnsupportedOperationsAnswer1) {
  for (int op : {16, 29, 30, 31, 32, 36, 50, 54, 64, 99, 500, 1020}) {
    EXPECT_EQ(h_.Call(op), kInvalidOperation) << op;
  }
}

TEST_F(BtrieveOps, UpdateNeedsCurrencyAndGuardsKeys) {
  Fill({1, 2});
  Handle other;
  ASSERT_EQ(other.Open("T.DB"), kOk);
  EXPECT_EQ(other.Update(Record(1, "x")), kInvalidPositioning);
  h_.SetKeyInt(1);
  ASSERT_EQ(h_.Get(kGetEqual, 0), kOk);
  EXPECT_EQ(h_.Update(Record(5, "N1")), kKeyNotModifiable);
  EXPECT_EQ(h_.Update(Bytes(kRecLen - 2, 0)), kDataBufferLength);
  ASSERT_EQ(h_.Update(Record(1, "Z", 1, 1, 2000, 0, "changed")), kOk);
  // Currency stays on the record, now under its new key value.
  EXPECT_EQ(h_.Get(kGetNext, 0), kOk);
  EXPECT_EQ(h_.id(), 2);
  EXPECT_EQ(ScanIds(1), (std::vector<int32_t>{2, 1}));
  h_.SetKeyInt(1);
  ASSERT_EQ(h_.Get(kGetEqual, 0), kOk);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&h_.data[20]), 7), "changed");
}

TEST_F(BtrieveOps, UpdateRefusesADuplicateInAUniqueKey) {
  const Bytes unique_name = SpecBlock(kRecLen, 1, {{5, 10, kExtendedType | kModifiable, kString}});
  ASSERT_EQ(Create("U.DB", unique_name), kOk);
  Handle u;
  ASSERT_EQ(u.Open("U.DB"), kOk);
  ASSERT_EQ(u.Insert(Record(1, "a")), kOk);
  ASSERT_EQ(u.Insert(Record(2, "b")), kOk);
  EXPECT_EQ(u.Update(Record(2, "a")), kDuplicateKey);
  EXPECT_EQ(u.Update(Record(2, "c")), kOk);
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
    return ids;
  };
  auto concat = [](std::vector<int32_t> x, const std::vector<int32_t>& y) {
    x.insert(x.end(), y.begin(), y.end());
    return x;
  };
  auto reversed = [](std::vector<int32_t> x) {
    std::reverse(x.begin(), x.end());
    return x;
  };
  EXPECT_EQ(walk(kGetFirst, "", kGetNext), concat(concat(a, b), c));
  EXPECT_EQ(walk(kGetLast, "", kGetPrevious), reversed(concat(concat(a, b), c)));
  EXPECT_EQ(walk(kGetGreater, "A", kGetNext), concat(b, c));
  EXPECT_EQ(walk(kGetGreaterOrEqual, "B", kGetNext), concat(b, c));
  EXPECT_EQ(walk(kGetLess, "C", kGetPrevious), reversed(concat(a, b)));
  EXPECT_EQ(walk(kGetLessOrEqual, "B", kGetPrevious), reversed(concat(a, b)));
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
  ASSERT_EQ(h_.Get(kGetNext, 1), kOk);
  EXPECT_EQ(h_.id(), c[1]);
  ASSERT_EQ(h_.Get(kGetPrevious, 1), kOk);
  EXPECT_EQ(h_.id(), b[1]);
  ASSERT_EQ(h_.Get(kGetPrevious, 1), kOk);
  EXPECT_EQ(h_.id(), c[0]);
  ASSERT_EQ(h_.Get(kGetPrevious, 1), kOk);
  EXPECT_EQ(h_.id(), b.back());
}

// An update writes the index entries of the keys it changes only: the others must still find the
// record, and the changed ones must find it under the new value and not the old.
TEST_F(BtrieveOps, UpdatesThatChangeSomeKeysKeepEveryIndexRight) {
  for (int32_t id = 0; id < 30; ++id) {
    ASSERT_EQ(h_.Insert(Record(id, "N" + std::to_string(id % 3), 1, 1, 2000, 0)), kOk);
  }
  for (int32_t id = 0; id < 30; ++id) {
    h_.SetKeyInt(id);
    ASSERT_EQ(h_.Get(kGetEqual, 0), kOk);
    Bytes r = h_.record();
    if (id % 3 == 1) {
      r[4] = 'M';  // key 1 only
    } else if (id % 3 == 2) {
      Put16(&r[18], 7);  // key 2 only
    }
    r[30] = 'x';  // never a key
    ASSERT_EQ(h_.Update(r, 0), kOk);
  }
  std::vector<int32_t> by_name = ScanIds(1);
  std::vector<int32_t> expected_names;
  for (int32_t id = 1; id < 30; id += 3) {
    expected_names.push_back(id);  // "M1"
  }
  for (int32_t id = 0; id < 30; id += 3) {
    expected_names.push_back(id);  // "N0"
  }
  for (int32_t id = 2; id < 30; id += 3) {
    expected_names.push_back(id);  // "N2"
  }
  EXPECT_EQ(by_name, expected_names);
  h_.SetKey("N1");
  EXPECT_EQ(h_.Get(kGetEqual, 1), kKeyNotFound);
  // Group 7 sorts after group 0 on the same date.
  std::vector<int32_t> expected_dates;
  for (int32_t id = 0; id < 30; ++id) {
    if (id % 3 != 2) {
      expected_dates.push_back(id);
    }
  }
  for (int32_t id = 2; id < 30; id += 3) {
    expected_dates.push_back(id);
  }
  EXPECT_EQ(ScanIds(2), expected_dates);
  EXPECT_EQ(ScanIds(0).size(), 30u);
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

TEST_F(BtrieveOps, DeleteLeavesAGapThatNextAndPreviousContinueFrom) {
  EXPECT_EQ(h_.Call(kDelete), kInvalidPositioning);
  Fill({1, 2, 3, 4});
  h_.SetKeyInt(2);
  ASSERT_EQ(h_.Get(kGetEqual, 0), kOk);
  ASSERT_EQ(h_.Call(kDelete), kOk);
  EXPECT_EQ(h_.Call(kDelete), kInvalidPositioning);
  ASSERT_EQ(h_.Get(kGetNext, 0), kOk);
  EXPECT_EQ(h_.id(), 3);
  ASSERT_EQ(h_.Call(kDelete), kOk);
  ASSERT_EQ(h_.Get(kGetPrevious, 0), kOk);
  EXPECT_EQ(h_.id(), 1);
  EXPECT_EQ(ScanIds(0), (std::vector<int32_t>{1, 4}));
}

TEST_F(BtrieveOps, StatWritesTheSpecificationWithTheRecordCount) {
  Fill({1, 2, 3});
  h_.SetKeyInt(2);
  ASSERT_EQ(h_.Get(kGetEqual, 0), kOk);
  ASSERT_EQ(h_.Call(kDelete), kOk);
  ASSERT_EQ(h_.Get(kStat, 0, 336), kOk);
  Bytes expected = StandardSpec();
  Put32(&expected[6], 2);
  EXPECT_EQ(h_.length, expected.size());
  EXPECT_EQ(h_.record(), expected);
  EXPECT_EQ(h_.Get(kStat, 0, 20), kDataBufferLength);
}

TEST_F(BtrieveOps, GetPositionAndGetDirectMoveCurrencyOntoTheGivenPath) {
  Fill({1, 2, 3, 4});  // names N1 N2 N0 N1
  Handle fresh;
  ASSERT_EQ(fresh.Open("T.DB"), kOk);
  EXPECT_EQ(fresh.Get(kGetPosition), kInvalidPositioning);
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
  EXPECT_EQ(h_.id(), 4);
  EXPECT_EQ(h_.length, kRecLen);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(h_.key), 2), "N1");
  ASSERT_EQ(h_.Get(kGetPrevious, 1), kOk);  // N1 duplicates: 1 then 4
  EXPECT_EQ(h_.id(), 1);
  Put32(h_.data.data(), 999);
  h_.length = 256;
  EXPECT_EQ(h_.Call(kGetDirect, 0), kInvalidRecordAddress);
}

TEST_F(BtrieveOps, StepOperationsWalkPhysicalOrder) {
  Fill({30, 10, 20});
  std::vector<int32_t> forward, backward;
  for (int s = h_.Get(kStepFirst); s == kOk; s = h_.Get(kStepNext)) {
    forward.push_back(h_.id());
  }
  for (int s = h_.Get(kStepLast); s == kOk; s = h_.Get(kStepPrevious)) {
    backward.push_back(h_.id());
  }
  EXPECT_EQ(forward, (std::vector<int32_t>{30, 10, 20}));
  EXPECT_EQ(backward, (std::vector<int32_t>{20, 10, 30}));
}

TEST_F(BtrieveOps, StepsGivePhysicalCurrencyOnly) {
  Fill({30, 10, 20});
  ASSERT_EQ(h_.Get(kStepFirst), kOk);
  EXPECT_EQ(h_.Get(kGetNext, 0), kInvalidPositioning);
  ASSERT_EQ(h_.Get(kStepNext), kOk);
  ASSERT_EQ(h_.Update(Record(10, "stepped")), kOk);
  ASSERT_EQ(h_.Get(kGetPosition), kOk);
  ASSERT_EQ(h_.Get(kStepNext), kOk);
  EXPECT_EQ(h_.id(), 20);
  ASSERT_EQ(h_.Call(kDelete), kOk);
  EXPECT_EQ(h_.Get(kStepPrevious), kOk);
  EXPECT_EQ(h_.id(), 10);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&h_.data[4])), "stepped");
}

TEST_F(BtrieveOps, LessOrEqualLandsOnTheLastDuplicateAndEqualOnTheFirst) {
  for (int32_t id : {4, 2, 8}) {
    ASSERT_EQ(h_.Insert(Record(id, "dup")), kOk);
  }
  ASSERT_EQ(h_.Insert(Record(1, "zz")), kOk);
  h_.SetKey("dup");
  ASSERT_EQ(h_.Get(kGetLessOrEqual, 1), kOk);
  EXPECT_EQ(h_.id(), 8);
  h_.SetKey("dup");
  ASSERT_EQ(h_.Get(kGetGreaterOrEqual, 1), kOk);
  EXPECT_EQ(h_.id(), 4);
  h_.SetKey("dup");
  ASSERT_EQ(h_.Get(kGetGreater, 1), kOk);
  EXPECT_EQ(h_.id(), 1);
}

TEST_F(BtrieveOps, TransactionsCommitOrRollBackEveryFile) {
  ASSERT_EQ(Create("B.DB", StandardSpec()), kOk);
  Handle b;
  ASSERT_EQ(b.Open("B.DB"), kOk);
  EXPECT_EQ(Simple(kEndTransaction), kNoTransaction);
  EXPECT_EQ(Simple(kAbortTransaction), kNoTransaction);
  Fill({1});
  ASSERT_EQ(Simple(kBeginTransaction), kOk);
  EXPECT_EQ(Simple(kBeginTransaction), kTransactionActive);
  Fill({2, 3});
  ASSERT_EQ(b.Insert(Record(1)), kOk);
  ASSERT_EQ(Simple(kAbortTransaction), kOk);
  EXPECT_EQ(ScanIds(0), (std::vector<int32_t>{1}));
  EXPECT_EQ(b.Get(kGetFirst), kEndOfFile);
  ASSERT_EQ(h_.Get(kStat, 0, 336), kOk);
  EXPECT_EQ(Get32(&h_.data[6]), 1u);

  ASSERT_EQ(Simple(1000 + kBeginTransaction), kOk);
  Fill({4});
  ASSERT_EQ(b.Insert(Record(5)), kOk);
  ASSERT_EQ(b.Close(), kOk);  // a file closed inside a transaction keeps its writes pending
  ASSERT_EQ(Simple(kEndTransaction), kOk);
  EXPECT_EQ(ScanIds(0), (std::vector<int32_t>{1, 4}));
  ASSERT_EQ(b.Open("B.DB"), kOk);
  EXPECT_EQ(b.Get(kGetFirst), kOk);
  EXPECT_EQ(b.id(), 5);
}

TEST_F(BtrieveOps, StopAndResetCloseEveryFile) {
  Fill({1, 2});
  Handle second;
  ASSERT_EQ(second.Open("t.db"), kOk);
  ASSERT_EQ(Simple(kReset), kOk);
  EXPECT_EQ(h_.Get(kGetFirst), kFileNotOpen);
  EXPECT_EQ(second.Close(), kFileNotOpen);
  ASSERT_EQ(h_.Open("T.DB"), kOk);
  EXPECT_EQ(ScanIds(0), (std::vector<int32_t>{1, 2}));
  ASSERT_EQ(Simple(kStop), kOk);
  EXPECT_EQ(h_.Get(kGetFirst), kFileNotOpen);
  EXPECT_EQ(dir_.Names(), (std::set<std::string>{"T.DB"}));
}

TEST_F(BtrieveOps, VersionAnswersFiveBytesEvenWithNoFileOpen) {
  Handle v;
  v.length = 5;
  ASSERT_EQ(v.Call(kVersion), kOk);
  EXPECT_EQ(v.length, 5u);
  EXPECT_EQ(Get16(&v.data[0]), kEngineVersion);
  EXPECT_EQ(Get16(&v.data[2]), kEngineRevision);
  EXPECT_EQ(v.data[4], kEnginePlatform);
  v.length = 4;
  EXPECT_EQ(v.Call(kVersion), kDataBufferLength);
}

TEST_F(BtrieveOps, OperationsOnAPositionBlockThatIsNotOpenAnswer3) {
  Handle closed;
  for (int op : {kClose, kInsert, kGetFirst, kGetNext, kStat, kStepFirst, kGetPosition}) {
    EXPECT_EQ(closed.Get(op), kFileNotOpen) << op;
  }
  ASSERT_EQ(h_.Close(), kOk);
  EXPECT_EQ(h_.Close(), kFileNotOpen);
}

TEST_F(BtrieveOps, KeyBufferShorterThanTheKeyAnswers21) {
  Fill({1});
  EXPECT_EQ(h_.Call(kGetFirst, 1, 5), kKeyBufferTooShort);
  EXPECT_EQ(h_.Call(kGetFirst, 1, 10), kOk);
}

}  // namespace
}  // namespace btrtest
