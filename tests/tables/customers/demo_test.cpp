// The demo writers of the customer and pricing steps: each file reads back whole through its
// legacy class and converts whole into the current layout, edge values and all.
#include <gtest/gtest.h>

#include <functional>
#include <random>

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

constexpr int kRecords = 60;

class CustomerDemo : public custtest::ScratchDir {
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

// The upgrade run's loop for one step: every record read (statuses in `accept` count as read)
// is converted and inserted; returns the number inserted.
template <class LegacyDB, class Legacy, class CurrentDB, class Current>
int Upgrade(const std::function<int(LegacyDB&, Legacy&, bool first)>& read,
            std::initializer_list<int> accept = {0}) {
  LegacyDB old;
  CurrentDB fresh;
  EXPECT_EQ(old.Open(), 0);
  EXPECT_EQ(fresh.CreateFile("TMP.DB"), 0);
  Legacy r;
  Current c;
  int inserted = 0;
  int status = read(old, r, true);
  while (std::find(accept.begin(), accept.end(), status) != accept.end()) {
    ConvertRecord(r, c);
    EXPECT_EQ(fresh.InsertRecord(c), 0) << "record " << inserted;
    ++inserted;
    status = read(old, r, false);
  }
  EXPECT_EQ(status, 9);
  EXPECT_EQ(fresh.GetRecordCount(), static_cast<uint32_t>(inserted));
  return inserted;
}

template <class DB, class R>
std::function<int(DB&, R&, bool)> OnKey(int keyNum) {
  return [keyNum](DB& t, R& r, bool first) {
    return first ? t.ReadFirst(r, keyNum) : t.ReadNext(r, keyNum);
  };
}

template <class DB, class R>
std::function<int(DB&, R&, bool)> Plain() {
  return [](DB& t, R& r, bool first) { return first ? t.ReadFirst(r) : t.ReadNext(r); };
}

TEST_F(CustomerDemo, Step2aContracts0200) {
  Write("2a");
  EXPECT_EQ((Upgrade<CPriceContract0200DB, CPriceContract0200, CPriceContractDB, CPriceContract>(
                OnKey<CPriceContract0200DB, CPriceContract0200>(1), {0, 4})),
            kRecords);
}

TEST_F(CustomerDemo, Step2bContracts0202) {
  Write("2b");
  EXPECT_EQ((Upgrade<CPriceContract0202DB, CPriceContract0202, CPriceContractDB, CPriceContract>(
                OnKey<CPriceContract0202DB, CPriceContract0202>(1), {0, 4})),
            kRecords);
}

TEST_F(CustomerDemo, Step3Markups0200) {
  Write("3");
  EXPECT_EQ((Upgrade<CWhsMarkup0200DB, CWhsMarkup0200, CWhsMarkupDB, CWhsMarkup>(
                OnKey<CWhsMarkup0200DB, CWhsMarkup0200>(2))),
            kRecords);
}

TEST_F(CustomerDemo, Step7Sequences0201) {
  Write("7");
  EXPECT_EQ((Upgrade<CPriceSeq0201DB, CPriceSeq0201, CPriceSeqDB, CPriceSeq>(
                OnKey<CPriceSeq0201DB, CPriceSeq0201>(0))),
            kRecords);
}

TEST_F(CustomerDemo, Step9aManualPrices0202) {
  Write("9a");
  EXPECT_EQ((Upgrade<CManualPrice0202DB, CManualPrice0202, CManualPriceDB, CManualPrice>(
                Plain<CManualPrice0202DB, CManualPrice0202>())),
            kRecords);
}

TEST_F(CustomerDemo, Step9bManualPrices0203) {
  Write("9b");
  EXPECT_EQ((Upgrade<CManualPrice0203DB, CManualPrice0203, CManualPriceDB, CManualPrice>(
                Plain<CManualPrice0203DB, CManualPrice0203>())),
            kRecords);
}

TEST_F(CustomerDemo, Step11Ar0204) {
  Write("11");
  EXPECT_EQ((Upgrade<CAr0204DB, CAr0204, CArDB, CAr>(Plain<CAr0204DB, CAr0204>())), kRecords);
}

TEST_F(CustomerDemo, Step18aCustomers0302) {
  Write("18a");
  EXPECT_EQ((Upgrade<CCustomer0302DB, CCustomer0302, CCustomerDB, CCustomer>(
                OnKey<CCustomer0302DB, CCustomer0302>(0))),
            kRecords);
}

TEST_F(CustomerDemo, Step18bCustomers0308) {
  Write("18b");
  EXPECT_EQ((Upgrade<CCustomer0308DB, CCustomer0308, CCustomerDB, CCustomer>(
                OnKey<CCustomer0308DB, CCustomer0308>(0))),
            kRecords);
}

TEST_F(CustomerDemo, Step20DevCosts0402) {
  Write("20");
  EXPECT_EQ((Upgrade<CDevCost0402DB, CDevCost0402, CDevCostDB, CDevCost>(
                Plain<CDevCost0402DB, CDevCost0402>())),
            kRecords);
}

TEST_F(CustomerDemo, WritersAreDeterministicAndCarryEdgeValues) {
  Write("18a");
  std::vector<custtest::Bytes> first;
  {
    CCustomer0302DB t;
    ASSERT_EQ(t.Open(), 0);
    first = custtest::ReadAllRaw(t);
  }
  Write("18a");
  CCustomer0302DB t;
  ASSERT_EQ(t.Open(), 0);
  const std::vector<custtest::Bytes> second = custtest::ReadAllRaw(t);
  EXPECT_EQ(first, second);
  bool lowerNumber = false, oddFlag = false, fullName = false;
  for (const custtest::Bytes& r : first) {
    lowerNumber |= r[2] >= 'a' && r[2] <= 'z';
    oddFlag |= r[320] == 'y' || r[320] == ' ' || r[320] == 0;
    fullName |= std::memchr(&r[8], 0, 25) == nullptr;
  }
  EXPECT_TRUE(lowerNumber);
  EXPECT_TRUE(oddFlag);
  EXPECT_TRUE(fullName);
}

}  // namespace
