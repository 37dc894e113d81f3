// The demo writers of the customer and pricing steps: each file reads back whole through its
// legacy class and converts whole into the current layout, edge values and all.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tables/customers/ar.h"
#include "tables/customers/customer.h"
#include "tables/customers/dev_cost.h"
#include "tables/customers/manual_price.h"
#include "tables/customers/price_contract.h"
#include "tables/customers/price_seq.h"
#include "tables/customers/whs_markup.h"
#include "tests/tables/customers/test_util.h"
#include "tools/mkdemo/demo.h"

namespace {

using namespace custtest;

constexpr int kRecords = 60;

class CustomerDemo : public rectest::InScratchDir {
 protected:
  void Write(const std::string& step) {
    demo::Registry registry;
    demo::RegisterCustomerDemos(registry);
    ASSERT_EQ(registry.count(step), 1u);
    std::mt19937 rng(42);
    demo::Context ctx{kRecords, &rng, ""};
    ASSERT_EQ(registry[step](ctx), 0) << ctx.error;
  }
};

// The number of records the step converts, read as the upgrade run reads them.
template <class LegacyDB, class Legacy, class CurrentDB, class Current>
std::function<size_t()> Converted(int readKey, std::vector<int> accept = {0}) {
  return [=] {
    return RunStep<LegacyDB, Legacy, CurrentDB, Current>(readKey, 0, accept).converted.size();
  };
}

TEST_F(CustomerDemo, EveryStepConvertsItsWholeFile) {
  const std::vector<std::pair<std::string, std::function<size_t()>>> steps = {
      {"2a", Converted<CPriceContract0200DB, CPriceContract0200, CPriceContractDB, CPriceContract>(
                 1, {0, 4})},
      {"2b", Converted<CPriceContract0202DB, CPriceContract0202, CPriceContractDB, CPriceContract>(
                 1, {0, 4})},
      {"3", Converted<CWhsMarkup0200DB, CWhsMarkup0200, CWhsMarkupDB, CWhsMarkup>(2)},
      {"7", Converted<CPriceSeq0201DB, CPriceSeq0201, CPriceSeqDB, CPriceSeq>(0)},
      {"9a", Converted<CManualPrice0202DB, CManualPrice0202, CManualPriceDB, CManualPrice>(0)},
      {"9b", Converted<CManualPrice0203DB, CManualPrice0203, CManualPriceDB, CManualPrice>(0)},
      {"11", Converted<CAr0204DB, CAr0204, CArDB, CAr>(0)},
      {"18a", Converted<CCustomer0302DB, CCustomer0302, CCustomerDB, CCustomer>(0)},
      {"18b", Converted<CCustomer0308DB, CCustomer0308, CCustomerDB, CCustomer>(0)},
      {"20", Converted<CDevCost0402DB, CDevCost0402, CDevCostDB, CDevCost>(0)}};
  for (const auto& [step, convert] : steps) {
    SCOPED_TRACE("step " + step);
    Write(step);
    EXPECT_EQ(convert(), static_cast<size_t>(kRecords));
  }
}

TEST_F(CustomerDemo, WritersAreDeterministicAndCarryEdgeValues) {
  Write("18a");
  std::vector<Bytes> first;
  {
    CCustomer0302DB t;
    ASSERT_EQ(t.Open(), 0);
    first = ReadAllRaw(t);
  }
  Write("18a");
  CCustomer0302DB t;
  ASSERT_EQ(t.Open(), 0);
  const std::vector<Bytes> second = ReadAllRaw(t);
  EXPECT_EQ(first, second);
  bool lowerNumber = false, oddFlag = false, fullName = false;
  for (const Bytes& r : first) {
    lowerNumber |= r[2] >= 'a' && r[2] <= 'z';
    oddFlag |= r[320] == 'y' || r[320] == ' ' || r[320] == 0;
    fullName |= std::memchr(&r[8], 0, 25) == nullptr;
  }
  EXPECT_TRUE(lowerNumber);
  EXPECT_TRUE(oddFlag);
  EXPECT_TRUE(fullName);
}

}  // namespace
