// The deviated cost table: the conversion of step 20 through a real file.
#include "tables/customers/dev_cost.h"

#include "tests/tables/customers/test_util.h"

namespace {

using namespace custtest;

// A 0402 record and its conversion: Flag24 ("N") new, the three amounts four bytes on.
Pair DevCost(const std::string& customer, const std::string& item, float base) {
  return Records(36, 52,
                 {{0, 0, customer, Upper(customer)},
                  {6, 6, item, Upper(item)},
                  {18, 18, "ea", "EA"},
                  {21, -1, "\xEE\xEE\xEE", ""},
                  {-1, 24, "", "N"},
                  {24, 28, F32s(base, 1, 3), F32s(base, 1, 3)}});
}

class DevCostFile : public InScratchDir {};

TEST_F(DevCostFile, Converts0402ByteForByteWithDuplicatesInKeyOrder) {
  const std::vector<Pair> costs = {DevCost("c2", "item-b", 1.5f), DevCost("c1", "item-z", -3.0f),
                                   DevCost("c1", "item-a", 7.0f)};
  WriteRaw<CDevCost0402DB>(Legacy(costs), 1);
  const auto run = RunStep<CDevCost0402DB, CDevCost0402, CDevCostDB, CDevCost>(0, 1);
  ASSERT_EQ(run.read.size(), 3u);  // key 0, the customer number, keeps duplicates as stored
  EXPECT_EQ(run.read[0].ItemNumber, "ITEM-Z");
  EXPECT_EQ(run.read[1].ItemNumber, "ITEM-A");
  EXPECT_EQ(run.converted, Converted(costs, {2, 1, 0}));
  CDevCostDB current;  // "DEVCOST.DB" opens the file written as "DevCost.DB"
  EXPECT_EQ(current.Open(), 0);
}

}  // namespace
