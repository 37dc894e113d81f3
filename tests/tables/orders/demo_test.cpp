// The demo writers of the order steps: each file reads back whole through its legacy class and
// converts whole into the current layout, edge values and all (numbering avoided in the legacy
// file, as the upgrade does it).
#include <gtest/gtest.h>

#include <functional>
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

class OrderDemo : public ordtest::ScratchDir {
 protected:
  void Write(const std::string& step) {
    demo::Registry registry;
    demo::RegisterOrderDemos(registry);
    ASSERT_EQ(registry.count(step), 1u);
    std::mt19937 rng(42);
    demo::Context ctx{kRecords, &rng, ""};
    ASSERT_EQ(registry[step](ctx), 0) << ctx.error;
  }

  // The upgrade loop: first read, then next reads until 9; each record converted and inserted.
  template <class LegacyDB, class Legacy, class CurrentDB, class Current>
  int Upgrade(const std::function<int(LegacyDB&, Legacy&)>& first,
              const std::function<int(LegacyDB&, Legacy&)>& next,
              const std::function<int(CurrentDB&, Current&)>& insert, bool avoid) {
    LegacyDB old;
    CurrentDB fresh;
    EXPECT_EQ(old.Open(), 0);
    EXPECT_EQ(fresh.CreateFile("TMP.DB"), 0);
    if (avoid) {
      if constexpr (requires { fresh.AvoidNumbersIn(CString()); }) {
        EXPECT_EQ(fresh.AvoidNumbersIn(old.CurrentFileName()), 0);
      }
    }
    Legacy r;
    Current c;
    int inserted = 0;
    int status = first(old, r);
    while (status == 0) {
      ConvertRecord(r, c);
      EXPECT_EQ(insert(fresh, c), 0) << "record " << inserted;
      ++inserted;
      status = next(old, r);
    }
    EXPECT_EQ(status, 9);
    EXPECT_EQ(fresh.GetRecordCount(), static_cast<uint32_t>(inserted));
    return inserted;
  }

  template <class LegacyDB, class Legacy, class CurrentDB>
  int Lines() {
    return Upgrade<LegacyDB, Legacy, CurrentDB, COrderItem>(
        [](LegacyDB& t, Legacy& r) { return t.ReadFirst(r); },
        [](LegacyDB& t, Legacy& r) { return t.ReadNext(r); },
        [](CurrentDB& t, COrderItem& c) { return t.InsertRecord(c); }, true);
  }

  template <class LegacyDB, class Legacy>
  int Velocity() {
    return Upgrade<LegacyDB, Legacy, CVelocityDB, CVelocity>(
        [](LegacyDB& t, Legacy& r) { return t.ReadFirst(r); },
        [](LegacyDB& t, Legacy& r) { return t.ReadNext(r); },
        [](CVelocityDB& t, CVelocity& c) { return t.InsertRecord(c); }, false);
  }

  template <class LegacyDB, class Legacy>
  int Modem() {
    return Upgrade<LegacyDB, Legacy, CModemProfileDB, CModemProfile>(
        [](LegacyDB& t, Legacy& r) { return t.ReadFirst(r); },
        [](LegacyDB& t, Legacy& r) { return t.ReadNext(r); },
        [](CModemProfileDB& t, CModemProfile& c) { return t.InsertRecord(c); }, false);
  }

  template <class LegacyDB, class Legacy>
  int OpenHeaders() {
    return Upgrade<LegacyDB, Legacy, COrderDB, COrder>(
        [](LegacyDB& t, Legacy& r) { return t.ReadFirst(r); },
        [](LegacyDB& t, Legacy& r) { return t.ReadNext(r); },
        [](COrderDB& t, COrder& c) { return t.InsertRecord(c); }, false);
  }

  template <class LegacyDB, class Legacy>
  int HistHeaders() {
    return Upgrade<LegacyDB, Legacy, CHistOrderDB, COrder>(
        [](LegacyDB& t, Legacy& r) { return t.ReadFirst(r); },
        [](LegacyDB& t, Legacy& r) { return t.GetNextHistOrder(r, 0, false); },
        [](CHistOrderDB& t, COrder& c) { return t.InsertOrder(c); }, true);
  }
};

TEST_F(OrderDemo, LineStepsConvertWhole) {
  Write("5a");
  EXPECT_EQ((Lines<COrderItem0202DB, COrderItem0202, COrderItemDB>()), kRecords);
  Write("6a");
  EXPECT_EQ((Lines<CHistOrderItem0202DB, COrderItem0202, CHistOrderItemDB>()), kRecords);
  Write("5b");
  EXPECT_EQ((Lines<COrderItem0304DB, COrderItem0304, COrderItemDB>()), kRecords);
  Write("6b");
  EXPECT_EQ((Lines<CHistOrderItem0304DB, COrderItem0304, CHistOrderItemDB>()), kRecords);
}

TEST_F(OrderDemo, VelocityStepsConvertWhole) {
  Write("8a");
  EXPECT_EQ((Velocity<CVelocity0201DB, CVelocity0201>()), kRecords);
  Write("8b");
  EXPECT_EQ((Velocity<CVelocity0208DB, CVelocity0208>()), kRecords);
  Write("8c");
  EXPECT_EQ((Velocity<CVelocity0304DB, CVelocity0304>()), kRecords);
  Write("8d");
  EXPECT_EQ((Velocity<CVelocity0401DB, CVelocity0401>()), kRecords);
}

TEST_F(OrderDemo, TermsAndModemStepsConvertWhole) {
  Write("10");
  EXPECT_EQ((Upgrade<CTerms0204DB, CTerms0204, CTermsDB, CTerms>(
                [](CTerms0204DB& t, CTerms0204& r) { return t.ReadFirst(r); },
                [](CTerms0204DB& t, CTerms0204& r) { return t.ReadNext(r); },
                [](CTermsDB& t, CTerms& c) { return t.InsertRecord(c); }, false)),
            kRecords);
  Write("13a");
  EXPECT_EQ((Modem<CModemProfile0208DB, CModemProfile0208>()), kRecords);
  Write("13b");
  EXPECT_EQ((Modem<CModemProfile0300DB, CModemProfile0300>()), kRecords);
}

TEST_F(OrderDemo, HeaderStepsConvertWhole) {
  Write("15a");
  EXPECT_EQ((OpenHeaders<COrder0301DB, COrder0301>()), kRecords);
  Write("15b");
  EXPECT_EQ((OpenHeaders<COrder0304DB, COrder0304>()), kRecords);
  Write("15c");
  EXPECT_EQ((OpenHeaders<COrder0306DB, COrder0306>()), kRecords);
  Write("15d");
  EXPECT_EQ((OpenHeaders<COrder0308DB, COrder0308>()), kRecords);
  Write("15e");
  EXPECT_EQ((OpenHeaders<COrder0401DB, COrder0401>()), kRecords);
  Write("16a");
  EXPECT_EQ((HistHeaders<CHistOrder0301DB, COrder0301>()), kRecords);
  Write("16b");
  EXPECT_EQ((HistHeaders<CHistOrder0304DB, COrder0304>()), kRecords);
  Write("16c");
  EXPECT_EQ((HistHeaders<CHistOrder0306DB, COrder0306>()), kRecords);
  Write("16d");
  EXPECT_EQ((HistHeaders<CHistOrder0308DB, COrder0308>()), kRecords);
  Write("16e");
  EXPECT_EQ((HistHeaders<CHistOrder0401DB, COrder0401>()), kRecords);
}

}  // namespace
