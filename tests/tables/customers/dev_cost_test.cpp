// The deviated cost table: layouts and the conversion of step 20 through a real file.
#include "tables/customers/dev_cost.h"

#include "recfile/field_codec.h"
#include "tests/tables/customers/test_util.h"

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
  CDevCost0402DB legacy;
  ASSERT_EQ(legacy.Open(), 0);
  EXPECT_EQ(InsertRaw(legacy, Raw0402("c1", "item-a", 0), 1), 5);  // key 1 is unique
  CDevCostDB current;  // "DEVCOST.DB" opens the file written as "DevCost.DB"
  EXPECT_EQ(current.Open(), 0);
}

}  // namespace
