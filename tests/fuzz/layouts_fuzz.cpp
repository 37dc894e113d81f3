// Every record layout's reader over any bytes of any length. The first input byte picks the
// layout, the rest is the record as the record manager would hand it over. Each record is parsed
// and formatted back, which must be stable (a record read and written, then read and written
// again, gives the same bytes); a legacy record is also converted into the current layout and
// formatted, as the upgrade run does.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

#include "recfile/field_codec.h"
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
#include "tables/orders/control.h"
#include "tables/orders/modem_profile.h"
#include "tables/orders/order.h"
#include "tables/orders/order_item.h"
#include "tables/orders/terms.h"
#include "tables/orders/velocity.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

template <class>
struct RecordOf;
template <class R>
struct RecordOf<recfile::Layout<R>> {
  using type = R;
};

// Formats a record; the length must stay within what the layout says it may write.
template <class R>
std::vector<uint8_t> Write(const recfile::Layout<R>& layout, R& record) {
  std::vector<uint8_t> out(layout.MaxLength());
  const size_t length = recfile::Format(layout, record, out.data());
  fuzz::Require(length <= out.size(), "a formatted record fits MaxLength()");
  fuzz::Require(length >= layout.length, "a formatted record holds the fixed part");
  out.resize(length);
  return out;
}

template <auto& kLayout>
using RecordType = typename RecordOf<std::remove_cvref_t<decltype(kLayout)>>::type;

// The bytes of a formatted record that the shared encodings wrote: a field of its own encoding
// (Custom) is blanked, since some of those are lossy on purpose (a seven-character number that
// drops a digit when negative) and need not give the same bytes twice.
template <class R>
std::vector<uint8_t> SharedEncodings(const recfile::Layout<R>& layout, std::vector<uint8_t> bytes) {
  for (const recfile::Field<R>& f : layout.fields) {
    if (f.enc == recfile::Enc::Custom) {
      for (size_t i = f.offset; i < bytes.size() && i < size_t{f.offset} + f.width; ++i) {
        bytes[i] = 0;
      }
    }
  }
  return bytes;
}

// Parses the bytes into `record` and checks that formatting what was read is stable. Formatting
// upper-cases some fields in the object, so it works on a second record parsed the same way.
template <auto& kLayout>
void ReadAndWrite(const uint8_t* data, size_t size, RecordType<kLayout>& record) {
  using R = RecordType<kLayout>;
  recfile::Parse(kLayout, data, size, record);
  R written{};
  recfile::Parse(kLayout, data, size, written);
  const std::vector<uint8_t> once = Write(kLayout, written);
  R again{};
  recfile::Parse(kLayout, once.data(), once.size(), again);
  fuzz::Require(SharedEncodings(kLayout, Write(kLayout, again)) == SharedEncodings(kLayout, once),
                "a record read and written again is unchanged");
}

template <auto& kLayout>
void Current(const uint8_t* data, size_t size) {
  RecordType<kLayout> record{};
  ReadAndWrite<kLayout>(data, size, record);
}

template <auto& kLegacy, auto& kCurrent>
void Legacy(const uint8_t* data, size_t size) {
  RecordType<kLegacy> from{};
  ReadAndWrite<kLegacy>(data, size, from);
  using To = RecordType<kCurrent>;
  if constexpr (requires(To & to) { ConvertRecord(from, to); }) {
    To to{};
    ConvertRecord(from, to);
    Write(kCurrent, to);
  }
}

using Reader = void (*)(const uint8_t*, size_t);

// Every layout of every table, current first, then the legacy ones of the same table.
constexpr Reader kReaders[] = {
    // catalogue
    Current<kItemLayout>,
    Legacy<kItem0400Layout, kItemLayout>,
    Legacy<kItem03094Layout, kItemLayout>,
    Legacy<kItem0308Layout, kItemLayout>,
    Legacy<kItem0208Layout, kItemLayout>,
    Current<kItemUnitLayout>,
    Legacy<kItemUnit0400Layout, kItemUnitLayout>,
    Legacy<kItemUnit03094Layout, kItemUnitLayout>,
    Legacy<kItemUnit0308Layout, kItemUnitLayout>,
    Legacy<kItemUnit0301Layout, kItemUnitLayout>,
    Current<kCategoryLayout>,
    Legacy<kCategory0308Layout, kCategoryLayout>,
    Current<kGuideItemLayout>,
    Current<kSpecialLayout>,
    Current<kInventoryItemLayout>,
    Current<kMenuHdrLayout>,
    Legacy<kMenuHdr0403Layout, kMenuHdrLayout>,
    // orders
    Current<kOrderLayout>,
    Legacy<kOrder0401Layout, kOrderLayout>,
    Legacy<kOrder0308Layout, kOrderLayout>,
    Legacy<kOrder0306Layout, kOrderLayout>,
    Legacy<kOrder0304Layout, kOrderLayout>,
    Legacy<kOrder0301Layout, kOrderLayout>,
    Current<kOrderItemLayout>,
    Legacy<kOrderItem0401Layout, kOrderItemLayout>,
    Legacy<kOrderItem0308Layout, kOrderItemLayout>,
    Legacy<kOrderItem0306Layout, kOrderItemLayout>,
    Legacy<kOrderItem0304Layout, kOrderItemLayout>,
    Legacy<kOrderItem0301Layout, kOrderItemLayout>,
    Legacy<kOrderItem0202Layout, kOrderItemLayout>,
    Current<kTermsLayout>,
    Legacy<kTerms0204Layout, kTermsLayout>,
    Current<kVelocityLayout>,
    Legacy<kVelocity0401Layout, kVelocityLayout>,
    Legacy<kVelocity0304Layout, kVelocityLayout>,
    Legacy<kVelocity0208Layout, kVelocityLayout>,
    Legacy<kVelocity0201Layout, kVelocityLayout>,
    Current<kModemProfileLayout>,
    Legacy<kModemProfile0300Layout, kModemProfileLayout>,
    Legacy<kModemProfile0208Layout, kModemProfileLayout>,
    Current<kControlLayout>,
    // customers and pricing
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
constexpr size_t kLayoutCount = sizeof kReaders / sizeof kReaders[0];
static_assert(kLayoutCount == 58, "every layout declared by the tables is read here");

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) {
    return 0;
  }
  kReaders[data[0] % kLayoutCount](data + 1, size - 1);
  return 0;
}
