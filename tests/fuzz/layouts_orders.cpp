// The layout readers of the order tables.
#include "tables/orders/control.h"
#include "tables/orders/modem_profile.h"
#include "tables/orders/order.h"
#include "tables/orders/order_item.h"
#include "tables/orders/terms.h"
#include "tables/orders/velocity.h"
#include "tests/fuzz/layout_readers.h"

namespace fuzz {

std::span<const LayoutReader> OrderReaders() {
  static constexpr LayoutReader kReaders[] = {
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
  };
  return kReaders;
}

}  // namespace fuzz
