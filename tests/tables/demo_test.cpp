// The demo writers of every step: each file is written in its legacy layout, the same twice over,
// and reads back and converts whole into the current layout as the upgrade run converts it (no
// unreadable record, no duplicate key after upper-casing).
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "tables/catalog/category.h"
#include "tables/catalog/guide_item.h"
#include "tables/catalog/inventory_item.h"
#include "tables/catalog/item.h"
#include "tables/catalog/item_unit.h"
#include "tables/catalog/menu_hdr.h"
#include "tables/catalog/special.h"
#include "tables/customers/ar.h"
#include "tables/customers/customer.h"
#include "tables/customers/dev_cost.h"
#include "tables/customers/manual_price.h"
#include "tables/customers/price_contract.h"
#include "tables/customers/price_seq.h"
#include "tables/customers/whs_markup.h"
#include "tables/orders/modem_profile.h"
#include "tables/orders/order.h"
#include "tables/orders/order_item.h"
#include "tables/orders/terms.h"
#include "tables/orders/velocity.h"
#include "tests/tables/orders/test_util.h"
#include "tools/mkdemo/demo.h"

namespace {

using rectest::Bytes;

constexpr int kRecords = 60;

class DemoFiles : public rectest::InScratchDir {
 protected:
  void Write(const std::string& step) {
    demo::Registry registry;
    demo::RegisterCatalogDemos(registry);
    demo::RegisterOrderDemos(registry);
    demo::RegisterCustomerDemos(registry);
    ASSERT_EQ(registry.count(step), 1u);
    std::mt19937 rng(42);
    demo::Context ctx{kRecords, &rng, ""};
    ASSERT_EQ(registry[step](ctx), 0) << ctx.error;
  }
};

// The file `name` (the legacy table's own when null), raw, in key 0 order.
template <class LegacyDB>
std::vector<Bytes> Stored(const char* name) {
  LegacyDB table;
  EXPECT_EQ(table.Open(name), 0);
  return rectest::ReadAllRaw(table);
}

struct Step {
  const char* id;
  std::function<std::vector<Bytes>()> stored;
  std::function<size_t()> upgrade;
};

template <class LegacyDB, class Legacy, class CurrentDB, class Current>
Step S(const char* id, int readKey = 0, std::vector<int> accept = {0}, const char* name = nullptr) {
  return {id, [=] { return Stored<LegacyDB>(name); },
          [=] {
            return ordtest::Upgrade<LegacyDB, Legacy, CurrentDB, Current>(nullptr, readKey, accept,
                                                                          name)
                .size();
          }};
}

TEST_F(DemoFiles, EveryStepIsWrittenAlikeTwiceAndConvertsWhole) {
  const Step steps[] = {
      S<CGuideItemDB, CGuideItem, CGuideItemDB, CGuideItem>("1"),
      S<CGuideItemDB, CGuideItem, CGuideItemDB, CGuideItem>("1", 0, {0}, "LGDEITM.DB"),
      S<CPriceContract0200DB, CPriceContract0200, CPriceContractDB, CPriceContract>("2a", 1,
                                                                                    {0, 4}),
      S<CPriceContract0202DB, CPriceContract0202, CPriceContractDB, CPriceContract>("2b", 1,
                                                                                    {0, 4}),
      S<CWhsMarkup0200DB, CWhsMarkup0200, CWhsMarkupDB, CWhsMarkup>("3", 2),
      S<COrderItem0202DB, COrderItem0202, COrderItemDB, COrderItem>("5a"),
      S<COrderItem0304DB, COrderItem0304, COrderItemDB, COrderItem>("5b"),
      S<CHistOrderItem0202DB, COrderItem0202, CHistOrderItemDB, COrderItem>("6a"),
      S<CHistOrderItem0304DB, COrderItem0304, CHistOrderItemDB, COrderItem>("6b"),
      S<CPriceSeq0201DB, CPriceSeq0201, CPriceSeqDB, CPriceSeq>("7"),
      S<CVelocity0201DB, CVelocity0201, CVelocityDB, CVelocity>("8a"),
      S<CVelocity0208DB, CVelocity0208, CVelocityDB, CVelocity>("8b"),
      S<CVelocity0304DB, CVelocity0304, CVelocityDB, CVelocity>("8c"),
      S<CVelocity0401DB, CVelocity0401, CVelocityDB, CVelocity>("8d"),
      S<CManualPrice0202DB, CManualPrice0202, CManualPriceDB, CManualPrice>("9a"),
      S<CManualPrice0203DB, CManualPrice0203, CManualPriceDB, CManualPrice>("9b"),
      S<CTerms0204DB, CTerms0204, CTermsDB, CTerms>("10"),
      S<CAr0204DB, CAr0204, CArDB, CAr>("11"),
      S<CInventoryItemDB, CInventoryItem, CInventoryItemDB, CInventoryItem>("12"),
      S<CModemProfile0208DB, CModemProfile0208, CModemProfileDB, CModemProfile>("13a"),
      S<CModemProfile0300DB, CModemProfile0300, CModemProfileDB, CModemProfile>("13b"),
      S<CItem0208DB, CItem0208, CItemDB, CItem>("14a"),
      S<CItem0308DB, CItem0308, CItemDB, CItem>("14b"),
      S<CItem03094DB, CItem03094, CItemDB, CItem>("14c"),
      S<CItem0400DB, CItem0400, CItemDB, CItem>("14d"),
      S<COrder0301DB, COrder0301, COrderDB, COrder>("15a"),
      S<COrder0304DB, COrder0304, COrderDB, COrder>("15b"),
      S<COrder0306DB, COrder0306, COrderDB, COrder>("15c"),
      S<COrder0308DB, COrder0308, COrderDB, COrder>("15d"),
      S<COrder0401DB, COrder0401, COrderDB, COrder>("15e"),
      S<CHistOrder0301DB, COrder0301, CHistOrderDB, COrder>("16a"),
      S<CHistOrder0304DB, COrder0304, CHistOrderDB, COrder>("16b"),
      S<CHistOrder0306DB, COrder0306, CHistOrderDB, COrder>("16c"),
      S<CHistOrder0308DB, COrder0308, CHistOrderDB, COrder>("16d"),
      S<CHistOrder0401DB, COrder0401, CHistOrderDB, COrder>("16e"),
      S<CItemUnit0301DB, CItemUnit0301, CItemUnitDB, CItemUnit>("17a"),
      S<CItemUnit0308DB, CItemUnit0308, CItemUnitDB, CItemUnit>("17b"),
      S<CItemUnit03094DB, CItemUnit03094, CItemUnitDB, CItemUnit>("17c"),
      S<CItemUnit0400DB, CItemUnit0400, CItemUnitDB, CItemUnit>("17d"),
      S<CCustomer0302DB, CCustomer0302, CCustomerDB, CCustomer>("18a"),
      S<CCustomer0308DB, CCustomer0308, CCustomerDB, CCustomer>("18b"),
      S<CCategory0308DB, CCategory0308, CCategoryDB, CCategory>("19"),
      S<CDevCost0402DB, CDevCost0402, CDevCostDB, CDevCost>("20"),
      S<CMenuHdr0403DB, CMenuHdr0403, CMenuHdrDB, CMenuHdr>("21"),
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(std::string("step ") + s.id);
    Write(s.id);
    const std::vector<Bytes> first = s.stored();
    Write(s.id);
    EXPECT_EQ(s.stored(), first);
    EXPECT_EQ(s.upgrade(), size_t{kRecords});
  }
}

// The customer writer carries the edge values: lower-case numbers, odd flags, full names.
TEST_F(DemoFiles, CustomersCarryEdgeValues) {
  Write("18a");
  bool lowerNumber = false, oddFlag = false, fullName = false;
  for (const Bytes& r : Stored<CCustomer0302DB>(nullptr)) {
    lowerNumber |= r[2] >= 'a' && r[2] <= 'z';
    oddFlag |= r[320] == 'y' || r[320] == ' ' || r[320] == 0;
    fullName |= std::memchr(&r[8], 0, 25) == nullptr;
  }
  EXPECT_TRUE(lowerNumber);
  EXPECT_TRUE(oddFlag);
  EXPECT_TRUE(fullName);
}

// Passed specials and those dated -1 are dropped.
TEST_F(DemoFiles, SpecialsKeepOnlyTheCurrentOnes) {
  Write("4");
  EXPECT_EQ(Stored<CSpecialDB>(nullptr).size(), size_t{kRecords});
  const size_t current = ordtest::Upgrade<CSpecialDB, CSpecial, CSpecialDB, CSpecial>().size();
  EXPECT_GT(current, 0u);
  EXPECT_LT(current, size_t{kRecords});
}

}  // namespace
