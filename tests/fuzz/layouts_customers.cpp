// The layout readers of the customer and pricing tables.
#include "tables/customers/ar.h"
#include "tables/customers/customer.h"
#include "tables/customers/dev_cost.h"
#include "tables/customers/manual_price.h"
#include "tables/customers/price_contract.h"
#include "tables/customers/price_seq.h"
#include "tables/customers/whs_markup.h"
#include "tests/fuzz/layout_readers.h"

namespace fuzz {

std::span<const LayoutReader> CustomerReaders() {
  static constexpr LayoutReader kReaders[] = {
      Current<kCustomerLayout>,
      Legacy<kCustomer0308Layout, kCustomerLayout>,
      Legacy<kCustomer0302Layout, kCustomerLayout>,
      Current<kPriceContractLayout>,
      Legacy<kPriceContract0202Layout, kPriceContractLayout>,
      Legacy<kPriceContract0200Layout, kPriceContractLayout>,
      Current<kManualPriceLayout>,
      Legacy<kManualPrice0203Layout, kManualPriceLayout>,
      Legacy<kManualPrice0202Layout, kManualPriceLayout>,
      Current<kPriceSeqLayout>,
      Legacy<kPriceSeq0201Layout, kPriceSeqLayout>,
      Current<kWhsMarkupLayout>,
      Legacy<kWhsMarkup0200Layout, kWhsMarkupLayout>,
      Current<kDevCostLayout>,
      Legacy<kDevCost0402Layout, kDevCostLayout>,
      Current<kArLayout>,
      Legacy<kAr0204Layout, kArLayout>,
  };
  return kReaders;
}

}  // namespace fuzz
