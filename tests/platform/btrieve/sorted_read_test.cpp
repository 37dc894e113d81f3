// Long ordered reads: past a point, Get Next and Get Previous go on as a sorted pass over the
// file. The order they answer must not change at that point, across runs of duplicates both
// ways, and a write in the middle of the read must be seen by it.
#include <algorithm>
#include <random>

#include "tests/platform/btrieve/fixture.h"

namespace btrtest {
namespace {

using namespace btr;

// More records than a read answers before it goes on sorted (16,384), and long enough that the
// file outgrows the 16 MB page cache.
constexpr int32_t kRecords = 20000;
constexpr uint32_t kLength = 1000;

Bytes LongRecord(int32_t id, const std::string& name) {
  Bytes r = Record(id, name);
  r.resize(kLength, 'x');
  return r;
}

class BtrieveSortedRead : public BtrieveTest {
 protected:
  // Ids in shuffled order, so that key order is not the order of the pages (records in page
  // order are read through the index to the end); 500 names, so that key 1 holds runs of
  // duplicates, which the sorted read must give in insertion order as the index does.
  void SetUp() override {
    Bytes spec = StandardSpec();
    Put16(&spec[0], kLength);
    ASSERT_EQ(Create("LONG.DB", spec), kOk);
    ids_ = Range(0, kRecords);
    std::shuffle(ids_.begin(), ids_.end(), std::mt19937(11));
    Handle h;
    ASSERT_EQ(h.Open("LONG.DB"), kOk);
    for (int32_t id : ids_) {
      ASSERT_EQ(h.Insert(LongRecord(id, Name(id))), kOk);
    }
    ASSERT_EQ(h.Close(), kOk);
  }

  static std::string Name(int32_t id) { return "name" + std::to_string(id % 500); }

  // Ids in key 1 order: by name, then in the order they were inserted.
  std::vector<int32_t> ByName() const {
    std::vector<int32_t> order = ids_;
    std::stable_sort(order.begin(), order.end(),
                     [](int32_t a, int32_t b) { return Name(a) < Name(b); });
    return order;
  }

  std::vector<int32_t> ids_;  // in insertion order
};

TEST_F(BtrieveSortedRead, AnswersKeyOrderBothWaysOnUniqueAndDuplicateKeys) {
  Handle h;
  ASSERT_EQ(h.Open("LONG.DB"), kOk);
  for (bool backward : {false, true}) {
    EXPECT_EQ(Walk(h, 0, backward, kLength), Range(0, kRecords));
    EXPECT_EQ(Walk(h, 1, backward, kLength), ByName());
  }
  EXPECT_EQ(h.Close(), kOk);
}

TEST_F(BtrieveSortedRead, SeesWritesMadeInTheMiddleOfTheRead) {
  Handle h, writer;
  ASSERT_EQ(h.Open("LONG.DB"), kOk);
  ASSERT_EQ(writer.Open("LONG.DB"), kOk);
  std::vector<int32_t> seen;
  int s = h.Get(kGetFirst, 1, kLength);
  for (; s == kOk && seen.size() < 18000; s = h.Get(kGetNext, 1, kLength)) {
    seen.push_back(h.id());
  }
  ASSERT_EQ(s, kOk);
  // Well into the sorted part: a record added after the current one, and one before it (which
  // the read must not give), through another handle.
  ASSERT_EQ(writer.Insert(LongRecord(kRecords, "zz")), kOk);
  ASSERT_EQ(writer.Insert(LongRecord(kRecords + 1, "a")), kOk);
  for (; s == kOk; s = h.Get(kGetNext, 1, kLength)) {
    seen.push_back(h.id());
  }
  EXPECT_EQ(s, kEndOfFile);
  EXPECT_EQ(seen, Cat({ByName(), {kRecords}}));
  EXPECT_EQ(writer.Close(), kOk);
  EXPECT_EQ(h.Close(), kOk);
}

}  // namespace
}  // namespace btrtest
