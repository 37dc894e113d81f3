// The deviated cost table: layouts and the conversion of step 20 through a real file.
#include "tables/customers/dev_cost.h"

#include "recfile/field_codec.h"
#include "tests/tables/customers/test_util.h"

namespace {

using custtest::Bytes;
using custtest::Put;
using custtest::PutF32;

Bytes Raw0402(const std::string& customer, const std::string& item, float base) {
  Bytes r(36, 0);
  Put(r, 0, customer);
  Put(r, 6, item);
  Put(r, 18, "ea");
  r[21] = r[22] = r[23] = 0xEE;
  PutF32(r, 24, base);
  PutF32(r, 28, base + 1);
  PutF32(r, 32, base + 2);
  return r;
}

Bytes Expected(const std::string& customer, const std::string& item, float base) {
  Bytes r(52, 0);
  Put(r, 0, customer);
  Put(r, 6, item);
  Put(r, 18, "EA");
  r[24] = 'N';
  PutF32(r, 28, base);
  PutF32(r, 32, base + 1);
  PutF32(r, 36, base + 2);
  return r;
}

TEST(DevCostLayout, DeclarationsAreSoundAndLeaveOnlyTheReservedBytes) {
  using custtest::Join;
  using custtest::Range;
  EXPECT_EQ(recfile::CheckLayout(kDevCostLayout), "");
  EXPECT_EQ(recfile::CheckLayout(kDevCost0402Layout), "");
  EXPECT_EQ(custtest::Uncovered(kDevCostLayout), Join({Range(21, 23), Range(25, 27)}));
  EXPECT_EQ(custtest::Uncovered(kDevCost0402Layout), Range(21, 23));
}

TEST(DevCostSpec, BlocksByteForByte) {
  EXPECT_EQ(custtest::CapturedBlock<CDevCostDB>(),
            custtest::ExpectedBlock(52, 2, {{1, 6, 1}, {1, 21, 0}}));
  EXPECT_EQ(custtest::CapturedBlock<CDevCost0402DB>(),
            custtest::ExpectedBlock(36, 2, {{1, 6, 1}, {1, 21, 0}}));
}

class DevCostFile : public custtest::ScratchDir {};

TEST_F(DevCostFile, Converts0402ByteForByteWithDuplicatesInKeyOrder) {
  {
    CDevCost0402DB old;
    ASSERT_EQ(old.CreateFile("DevCost.DB"), 0);
    ASSERT_EQ(custtest::InsertRaw(old, Raw0402("c2", "item-b", 1.5f), 1), 0);
    ASSERT_EQ(custtest::InsertRaw(old, Raw0402("c1", "item-z", -3.0f), 1), 0);
    ASSERT_EQ(custtest::InsertRaw(old, Raw0402("c1", "item-a", 7.0f), 1), 0);
  }
  CDevCost0402DB old;
  CDevCostDB fresh;
  ASSERT_EQ(old.Open(), 0);
  ASSERT_EQ(fresh.CreateFile("TMP.DB"), 0);
  CDevCost0402 r;
  CDevCost c;
  std::vector<std::string> order;
  int status = old.ReadFirst(r);
  while (status == 0) {
    order.push_back(r.ItemNumber);
    ConvertRecord(r, c);
    ASSERT_EQ(fresh.InsertRecord(c), 0);
    status = old.ReadNext(r);
  }
  EXPECT_EQ(status, 9);
  EXPECT_EQ(order, (std::vector<std::string>{"ITEM-Z", "ITEM-A", "ITEM-B"}));
  const std::vector<Bytes> got = custtest::ReadAllRaw(fresh, 1);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0], Expected("C1", "ITEM-A", 7.0f));
  EXPECT_EQ(got[1], Expected("C1", "ITEM-Z", -3.0f));
  EXPECT_EQ(got[2], Expected("C2", "ITEM-B", 1.5f));
}

TEST_F(DevCostFile, LegacyAndCurrentNamesOpenOneFile) {
  {
    CDevCost0402DB old;
    ASSERT_EQ(old.CreateFile("DevCost.DB"), 0);
  }
  CDevCostDB current;
  EXPECT_EQ(current.Open(), 0);
}

TEST_F(DevCostFile, StatusesOfTheReaders) {
  CDevCost0402DB table;
  ASSERT_EQ(table.CreateFile("DevCost.DB"), 0);
  CDevCost0402 r;
  EXPECT_EQ(table.ReadFirst(r), 9);
  ASSERT_EQ(custtest::InsertRaw(table, Raw0402("c1", "i", 0), 1), 0);
  EXPECT_EQ(custtest::InsertRaw(table, Raw0402("c1", "i", 1), 1), 5);  // key 1 is unique
  table.Close();
  {
    CDevCostDB current;  // 52-byte records where the 0402 reader expects 36
    ASSERT_EQ(current.CreateFile("DevCost.DB"), 0);
    ASSERT_EQ(custtest::InsertRaw(current, Expected("C0", "I", 0), 1), 0);
  }
  ASSERT_EQ(table.Open(), 0);
  EXPECT_EQ(table.ReadFirst(r), 22);
}

}  // namespace
