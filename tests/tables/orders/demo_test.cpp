// The demo writers of the order steps: each file reads back whole through its legacy class and
// converts whole into the current layout, edge values and all (numbering avoided in the legacy
// file, as the upgrade does it).
#include <gtest/gtest.h>

#include <random>
#include <type_traits>

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
  void Write(const std::string& step) {
    demo::Registry registry;
    demo::RegisterOrderDemos(registry);
    ASSERT_EQ(registry.count(step), 1u);
    std::mt19937 rng(42);
    demo::Context ctx{kRecords, &rng, ""};
    ASSERT_EQ(registry[step](ctx), 0) << ctx.error;
  }

  // The upgrade loop over the demo file of `step`: ReadFirst, then next reads until 9; each
  // record converted and inserted. Line and historical header numbering avoid the legacy file;
  // historical headers are read on with GetNextHistOrder and inserted with InsertOrder.
  template <class LegacyDB, class Legacy, class CurrentDB, class Current>
  int Upgrade(const std::string& step) {
    Write(step);
    constexpr bool kHist = std::is_base_of_v<CHistOrderDB, CurrentDB>;
    constexpr bool kAvoid = kHist || std::is_base_of_v<COrderItemDB, CurrentDB>;
    LegacyDB old;
    CurrentDB fresh;
    EXPECT_EQ(old.Open(), 0);
    EXPECT_EQ(fresh.CreateFile("TMP.DB"), 0);
    if constexpr (kAvoid) {
      EXPECT_EQ(fresh.AvoidNumbersIn(old.CurrentFileName()), 0);
    }
    Legacy r;
    Current c;
    int inserted = 0;
    int status = old.ReadFirst(r);
    while (status == 0) {
      ConvertRecord(r, c);
      if constexpr (kHist) {
        EXPECT_EQ(fresh.InsertOrder(c), 0) << step << " record " << inserted;
        status = old.GetNextHistOrder(r, 0, false);
      } else {
        EXPECT_EQ(fresh.InsertRecord(c), 0) << step << " record " << inserted;
        status = old.ReadNext(r);
      }
      ++inserted;
    }
    EXPECT_EQ(status, 9) << step;
    EXPECT_EQ(fresh.GetRecordCount(), static_cast<uint32_t>(inserted)) << step;
    return inserted;
  }
};

TEST_F(OrderDemo, LineStepsConvertWhole) {
  EXPECT_EQ((Upgrade<COrderItem0202DB, COrderItem0202, COrderItemDB, COrderItem>("5a")), kRecords);
  EXPECT_EQ((Upgrade<CHistOrderItem0202DB, COrderItem0202, CHistOrderItemDB, COrderItem>("6a")),
            kRecords);
  EXPECT_EQ((Upgrade<COrderItem0304DB, COrderItem0304, COrderItemDB, COrderItem>("5b")), kRecords);
  EXPECT_EQ((Upgrade<CHistOrderItem0304DB, COrderItem0304, CHistOrderItemDB, COrderItem>("6b")),
            kRecords);
}

TEST_F(OrderDemo, VelocityStepsConvertWhole) {
  EXPECT_EQ((Upgrade<CVelocity0201DB, CVelocity0201, CVelocityDB, CVelocity>("8a")), kRecords);
  EXPECT_EQ((Upgrade<CVelocity0208DB, CVelocity0208, CVelocityDB, CVelocity>("8b")), kRecords);
  EXPECT_EQ((Upgrade<CVelocity0304DB, CVelocity0304, CVelocityDB, CVelocity>("8c")), kRecords);
  EXPECT_EQ((Upgrade<CVelocity0401DB, CVelocity0401, CVelocityDB, CVelocity>("8d")), kRecords);
}

TEST_F(OrderDemo, TermsAndModemStepsConvertWhole) {
  EXPECT_EQ((Upgrade<CTerms0204DB, CTerms0204, CTermsDB, CTerms>("10")), kRecords);
  EXPECT_EQ(
      (Upgrade<CModemProfile0208DB, CModemProfile0208, CModemProfileDB, CModemProfile>("13a")),
      kRecords);
  EXPECT_EQ(
      (Upgrade<CModemProfile0300DB, CModemProfile0300, CModemProfileDB, CModemProfile>("13b")),
      kRecords);
}

TEST_F(OrderDemo, HeaderStepsConvertWhole) {
  EXPECT_EQ((Upgrade<COrder0301DB, COrder0301, COrderDB, COrder>("15a")), kRecords);
  EXPECT_EQ((Upgrade<COrder0304DB, COrder0304, COrderDB, COrder>("15b")), kRecords);
  EXPECT_EQ((Upgrade<COrder0306DB, COrder0306, COrderDB, COrder>("15c")), kRecords);
  EXPECT_EQ((Upgrade<COrder0308DB, COrder0308, COrderDB, COrder>("15d")), kRecords);
  EXPECT_EQ((Upgrade<COrder0401DB, COrder0401, COrderDB, COrder>("15e")), kRecords);
  EXPECT_EQ((Upgrade<CHistOrder0301DB, COrder0301, CHistOrderDB, COrder>("16a")), kRecords);
  EXPECT_EQ((Upgrade<CHistOrder0304DB, COrder0304, CHistOrderDB, COrder>("16b")), kRecords);
  EXPECT_EQ((Upgrade<CHistOrder0306DB, COrder0306, CHistOrderDB, COrder>("16c")), kRecords);
  EXPECT_EQ((Upgrade<CHistOrder0308DB, COrder0308, CHistOrderDB, COrder>("16d")), kRecords);
  EXPECT_EQ((Upgrade<CHistOrder0401DB, COrder0401, CHistOrderDB, COrder>("16e")), kRecords);
}

}  // namespace
