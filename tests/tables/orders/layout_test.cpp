// Every layout of the order families, in one table: sound (fields inside the record, none
// overlapping) and, where the record has padding, exactly the padding bytes left uncovered.
#include <optional>

#include "tables/orders/control.h"
#include "tables/orders/modem_profile.h"
#include "tables/orders/order.h"
#include "tables/orders/order_item.h"
#include "tables/orders/terms.h"
#include "tables/orders/velocity.h"
#include "tests/tables/orders/test_util.h"

namespace {

using Gaps = std::vector<size_t>;

struct LayoutCase {
  const char* name;
  std::string problem;
  Gaps gaps;
  std::optional<Gaps> expectedGaps;
};

template <class R>
LayoutCase Case(const char* name, const recfile::Layout<R>& layout,
                std::optional<Gaps> expectedGaps = std::nullopt) {
  return {name, recfile::CheckLayout(layout), ordtest::Uncovered(layout), expectedGaps};
}

TEST(OrderFamilyLayouts, SoundWithTheirPaddingUncovered) {
  const LayoutCase cases[] = {
      Case("order", kOrderLayout, Gaps{125, 126, 127, 132, 133, 134, 135, 407}),
      Case("order 0401", kOrder0401Layout),
      Case("order 0308", kOrder0308Layout),
      Case("order 0306", kOrder0306Layout, Gaps{125, 126, 127, 132, 133, 134, 135, 390, 391}),
      Case("order 0304", kOrder0304Layout, Gaps{114, 115, 122, 123, 382, 383}),
      Case("order 0301", kOrder0301Layout, Gaps{98, 99, 106, 107, 366, 367}),
      Case("line", kOrderItemLayout, Gaps{162, 163}),
      Case("line 0202", kOrderItem0202Layout),
      Case("line 0301", kOrderItem0301Layout),
      Case("line 0304", kOrderItem0304Layout),
      Case("line 0306", kOrderItem0306Layout),
      Case("line 0308", kOrderItem0308Layout),
      Case("line 0401", kOrderItem0401Layout),
      Case("velocity", kVelocityLayout, Gaps{33, 34, 35, 71, 102, 103, 153, 154, 155}),
      Case("velocity 0401", kVelocity0401Layout),
      Case("velocity 0304", kVelocity0304Layout),
      Case("velocity 0208", kVelocity0208Layout, Gaps{33, 34, 35, 71, 94, 95, 141, 142, 143}),
      Case("velocity 0201", kVelocity0201Layout, Gaps{29, 30, 31, 67, 90, 91, 137, 138, 139}),
      Case("modem", kModemProfileLayout, Gaps{226, 227}),
      Case("modem 0300", kModemProfile0300Layout, Gaps{225, 226, 227}),
      Case("modem 0208", kModemProfile0208Layout, Gaps{234, 235}),
      Case("control", kControlLayout, Gaps{36, 37, 38, 39}),
      Case("terms", kTermsLayout),
      Case("terms 0204", kTerms0204Layout),
  };
  for (const LayoutCase& c : cases) {
    EXPECT_EQ(c.problem, "") << c.name;
    if (c.expectedGaps) {
      EXPECT_EQ(c.gaps, *c.expectedGaps) << c.name;
    }
  }
}

}  // namespace
