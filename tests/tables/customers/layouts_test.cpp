// Every layout of the customer and pricing tables is declared soundly, every table hands Create
// its specification block byte for byte, and answers the statuses every table answers.
#include "recfile/field_codec.h"
#include "tables/customers/ar.h"
#include "tables/customers/customer.h"
#include "tables/customers/dev_cost.h"
#include "tables/customers/manual_price.h"
#include "tables/customers/price_contract.h"
#include "tables/customers/price_seq.h"
#include "tables/customers/whs_markup.h"
#include "tests/tables/customers/test_util.h"

namespace {

using namespace custtest;

TEST(CustomerTables, EveryLayoutIsSound) {
  rectest::ExpectSoundLayouts(kCustomerLayout, kCustomer0308Layout, kCustomer0302Layout,
                              kPriceContractLayout, kPriceContract0202Layout,
                              kPriceContract0200Layout, kManualPriceLayout, kManualPrice0203Layout,
                              kManualPrice0202Layout, kPriceSeqLayout, kPriceSeq0201Layout,
                              kWhsMarkupLayout, kWhsMarkup0200Layout, kDevCostLayout,
                              kDevCost0402Layout, kArLayout, kAr0204Layout);
}

TEST(CustomerTables, SpecificationBlocksByteForByte) {
  const std::vector<Seg> customer = {{3, 6, 0}, {9, 25, 3}, {34, 4, 3}, {38, 8, 3}, {34, 12, 3}};
  const std::vector<Seg> contract = {
      {1, 15, 0}, {16, 6, 0x13}, {34, 15, 3}, {30, 19, 3}, {22, 27, 3}};
  const std::vector<Seg> seq = {{1, 4, 3}, {5, 6, 3}, {1, 10, 0}};
  const Bytes markup = ExpectedBlock(144, 6,
                                     {{1, 4, 1},
                                      {5, 8, 1},
                                      {13, 6, 1},
                                      {1, 31, 0},
                                      {1, 29, 0x11},
                                      {31, 1, 1},
                                      {1, 28, 0x11},
                                      {30, 2, 1}});
  const std::vector<std::pair<Bytes, Bytes>> cases = {
      {CapturedBlock<CCustomerDB>(), ExpectedBlock(504, 5, customer)},
      {CapturedBlock<CCustomer0308DB>(), ExpectedBlock(496, 5, customer)},
      {CapturedBlock<CCustomer0302DB>(), ExpectedBlock(496, 5, customer)},
      {CapturedBlock<CPriceContractDB>(), ExpectedBlock(88, 4, contract)},
      {CapturedBlock<CPriceContract0202DB>(), ExpectedBlock(84, 4, contract)},
      {CapturedBlock<CPriceContract0200DB>(),
       ExpectedBlock(68, 3, {{1, 6, 0}, {7, 6, 0x13}, {17, 15, 3}, {13, 19, 3}})},
      {CapturedBlock<CManualPriceDB>(),
       ExpectedBlock(88, 3, {{1, 33, 0}, {19, 12, 3}, {34, 35, 3}})},
      {CapturedBlock<CManualPrice0203DB>(),
       ExpectedBlock(76, 3, {{1, 21, 0}, {7, 12, 3}, {22, 35, 3}})},
      {CapturedBlock<CManualPrice0202DB>(), ExpectedBlock(48, 2, {{1, 21, 0}, {7, 12, 3}})},
      {CapturedBlock<CPriceSeqDB>(), ExpectedBlock(108, 3, seq)},
      {CapturedBlock<CPriceSeq0201DB>(), ExpectedBlock(72, 3, seq)},
      {CapturedBlock<CWhsMarkupDB>(), markup},
      {CapturedBlock<CWhsMarkup0200DB>(), markup},
      {CapturedBlock<CDevCostDB>(), ExpectedBlock(52, 2, {{1, 6, 1}, {1, 21, 0}})},
      {CapturedBlock<CDevCost0402DB>(), ExpectedBlock(36, 2, {{1, 6, 1}, {1, 21, 0}})}};
  for (size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(cases[i].first, cases[i].second) << "table " << i;
  }
}

TEST(CustomerTables, AnswerTheCommonStatuses) {
  rectest::ExpectReaderStatuses<CCustomerDB>(kCustomerLayout);
  rectest::ExpectReaderStatuses<CCustomer0308DB>(kCustomer0308Layout);
  rectest::ExpectReaderStatuses<CCustomer0302DB>(kCustomer0302Layout);
  rectest::ExpectReaderStatuses<CPriceContractDB>(kPriceContractLayout);
  rectest::ExpectReaderStatuses<CPriceContract0202DB>(kPriceContract0202Layout);
  rectest::ExpectReaderStatuses<CPriceContract0200DB>(kPriceContract0200Layout);
  rectest::ExpectReaderStatuses<CManualPriceDB>(kManualPriceLayout);
  rectest::ExpectReaderStatuses<CManualPrice0203DB>(kManualPrice0203Layout);
  rectest::ExpectReaderStatuses<CManualPrice0202DB>(kManualPrice0202Layout);
  rectest::ExpectReaderStatuses<CPriceSeqDB>(kPriceSeqLayout);
  rectest::ExpectReaderStatuses<CPriceSeq0201DB>(kPriceSeq0201Layout);
  rectest::ExpectReaderStatuses<CWhsMarkupDB>(kWhsMarkupLayout);
  rectest::ExpectReaderStatuses<CWhsMarkup0200DB>(kWhsMarkup0200Layout);
  rectest::ExpectReaderStatuses<CDevCostDB>(kDevCostLayout);
  rectest::ExpectReaderStatuses<CDevCost0402DB>(kDevCost0402Layout);
  rectest::ExpectReaderStatuses<CArDB>(kArLayout);
  rectest::ExpectReaderStatuses<CAr0204DB>(kAr0204Layout);
}

}  // namespace
