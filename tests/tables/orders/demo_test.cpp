// The demo writers of the order steps: each file reads back whole through its legacy class and
// converts whole into the current layout, edge values and all (numbering avoided in the legacy
// file, as the upgrade does it).
#include <gtest/gtest.h>

#include <random>

#include "tables/orders/modem_profile.h"
#include "tables/orders/order.h"
#include "tables/orders/order_item.h"
#include "tables/orders/terms.h"
#include "tables/orders/velocity.h"
#include "tests/tables/orders/test_util.h"
#include "tools/mkdemo/demo.h"

namespace {

constexpr int kRecords = 60;

class OrderDemo : public rectest::InScratchDir {
 protected:
  // The demo file of `step`, converted as the upgrade does it: how many records the new file holds.
  template <class LegacyDB, class Legacy, class CurrentDB, class Current>
  size_t Upgrade(const std::string& step) {
    demo::Registry registry;
    demo::RegisterOrderDemos(registry);
    EXPECT_EQ(registry.count(step), 1u);
    std::mt19937 rng(42);
    demo::Context ctx{kRecords, &rng, ""};
    EXPECT_EQ(registry[step](ctx), 0) << ctx.error;
    return ordtest::Upgrade<LegacyDB, Legacy, CurrentDB, Current>().size();
  }
};

TEST_F(OrderDemo, EveryStepConvertsWhole) {
  const struct {
    const char* step;
    size_t records;
  } steps[] = {
      {"5a", Upgrade<COrderItem0202DB, COrderItem0202, COrderItemDB, COrderItem>("5a")},
      {"6a", Upgrade<CHistOrderItem0202DB, COrderItem0202, CHistOrderItemDB, COrderItem>("6a")},
      {"5b", Upgrade<COrderItem0304DB, COrderItem0304, COrderItemDB, COrderItem>("5b")},
      {"6b", Upgrade<CHistOrderItem0304DB, COrderItem0304, CHistOrderItemDB, COrderItem>("6b")},
      {"8a", Upgrade<CVelocity0201DB, CVelocity0201, CVelocityDB, CVelocity>("8a")},
      {"8b", Upgrade<CVelocity0208DB, CVelocity0208, CVelocityDB, CVelocity>("8b")},
      {"8c", Upgrade<CVelocity0304DB, CVelocity0304, CVelocityDB, CVelocity>("8c")},
      {"8d", Upgrade<CVelocity0401DB, CVelocity0401, CVelocityDB, CVelocity>("8d")},
      {"10", Upgrade<CTerms0204DB, CTerms0204, CTermsDB, CTerms>("10")},
      {"13a",
       Upgrade<CModemProfile0208DB, CModemProfile0208, CModemProfileDB, CModemProfile>("13a")},
      {"13b",
       Upgrade<CModemProfile0300DB, CModemProfile0300, CModemProfileDB, CModemProfile>("13b")},
      {"15a", Upgrade<COrder0301DB, COrder0301, COrderDB, COrder>("15a")},
      {"15b", Upgrade<COrder0304DB, COrder0304, COrderDB, COrder>("15b")},
      {"15c", Upgrade<COrder0306DB, COrder0306, COrderDB, COrder>("15c")},
      {"15d", Upgrade<COrder0308DB, COrder0308, COrderDB, COrder>("15d")},
      {"15e", Upgrade<COrder0401DB, COrder0401, COrderDB, COrder>("15e")},
      {"16a", Upgrade<CHistOrder0301DB, COrder0301, CHistOrderDB, COrder>("16a")},
      {"16b", Upgrade<CHistOrder0304DB, COrder0304, CHistOrderDB, COrder>("16b")},
      {"16c", Upgrade<CHistOrder0306DB, COrder0306, CHistOrderDB, COrder>("16c")},
      {"16d", Upgrade<CHistOrder0308DB, COrder0308, CHistOrderDB, COrder>("16d")},
      {"16e", Upgrade<CHistOrder0401DB, COrder0401, CHistOrderDB, COrder>("16e")},
  };
  for (const auto& s : steps) {
    EXPECT_EQ(s.records, size_t{kRecords}) << s.step;
  }
}

}  // namespace
