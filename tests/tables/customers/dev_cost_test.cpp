// The deviated cost table: layouts and the conversion of step 20 through a real file.
#include "tables/customers/dev_cost.h"

#include "recfile/field_codec.h"
#include "tests/tables/customers/step_run.h"

namespace {

using namespace custtest;

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

class DevCostFile : public rectest::InScratchDir {};

TEST_F(DevCostFile, Converts0402ByteForByteWithDuplicatesInKeyOrder) {
  WriteRaw<CDevCost0402DB>({Raw0402("c2", "item-b", 1.5f), Raw0402("c1", "item-z", -3.0f),
                            Raw0402("c1", "item-a", 7.0f)},
                           1);
  const auto run = RunStep<CDevCost0402DB, CDevCost0402, CDevCostDB, CDevCost>(0, 1);
  ASSERT_EQ(run.read.size(), 3u);  // key 0, the customer number, keeps duplicates as stored
  EXPECT_EQ(run.read[0].ItemNumber, "ITEM-Z");
  EXPECT_EQ(run.read[1].ItemNumber, "ITEM-A");
  EXPECT_EQ(run.read[2].ItemNumber, "ITEM-B");
  EXPECT_EQ(run.converted,
            (std::vector<Bytes>{Expected("C1", "ITEM-A", 7.0f), Expected("C1", "ITEM-Z", -3.0f),
                                Expected("C2", "ITEM-B", 1.5f)}));
  CDevCostDB current;  // "DEVCOST.DB" opens the file written as "DevCost.DB"
  EXPECT_EQ(current.Open(), 0);
}

TEST_F(DevCostFile, StatusesOfTheReaders) {
  CDevCost0402DB table;
  ASSERT_EQ(table.CreateFile("DevCost.DB"), 0);
  CDevCost0402 r;
  EXPECT_EQ(table.ReadFirst(r), 9);
  ASSERT_EQ(InsertRaw(table, Raw0402("c1", "i", 0), 1), 0);
  EXPECT_EQ(InsertRaw(table, Raw0402("c1", "i", 1), 1), 5);  // key 1 is unique
  table.Close();
  // 52-byte records where the 0402 reader expects 36.
  EXPECT_EQ((FirstReadOfOtherLength<CDevCostDB, CDevCost0402DB>(Expected("C0", "I", 0), r, 1)), 22);
}

}  // namespace
