// Every layout and table class of the order families, in tables: layouts sound (fields inside
// the record, none overlapping) with exactly their padding uncovered, the key blocks each class
// creates its file with, the statuses of closed tables and unknown keys, and the 22 of a record
// longer than the layout read.
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

using ordtest::Bytes;
using ordtest::ExpectedBlock;
using ordtest::Seg;

// A block whose first key segment (the order number) is an integer.
Bytes NumberedBlock(uint16_t length, uint16_t keys, std::vector<Seg> segs) {
  segs[0].type = 1;
  return ExpectedBlock(length, keys, segs);
}

TEST(OrderFamilyKeys, EveryClassCreatesItsFileWithItsKeys) {
  using ordtest::CapturedBlock;
  const std::vector<Seg> open = {{1, 4, 0x100}, {5, 14, 0}, {19, 14, 0}};
  const std::vector<Seg> hist = {{1, 4, 0x100}, {5, 14, 3}, {19, 14, 3},
                                 {39, 14, 3},   {33, 6, 3}, {53, 1, 3}};
  // Lines: the order and line numbers are integers, the item numbers strings.
  std::vector<Seg> lines3 = {{1, 4, 0x112, 1}, {5, 4, 0x102, 1}, {1, 4, 0x111, 1},
                             {9, 15, 0x1},     {1, 4, 0x111, 1}, {9, 12, 0x1}};
  std::vector<Seg> lines4 = lines3;
  lines4.push_back({9, 12, 0x1});
  const std::vector<Seg> velocity5 = {{1, 6, 0x13}, {22, 5, 0x13}, {7, 15, 0x3},  {1, 21, 0},
                                      {7, 12, 0x3}, {1, 6, 0x13},  {27, 3, 0x13}, {7, 15, 0x3},
                                      {1, 6, 0x13}, {27, 3, 0x13}, {22, 5, 0x13}, {7, 15, 0x3}};
  std::vector<Seg> velocity6 = velocity5;
  velocity6.insert(velocity6.end(), {{1, 6, 0x13}, {30, 4, 0x113, 3}, {22, 5, 0x13}, {7, 15, 0x3}});
  const struct {
    const char* name;
    Bytes got, want;
  } cases[] = {
      {"order", CapturedBlock<COrderDB>(), NumberedBlock(408, 3, open)},
      {"order 0401", CapturedBlock<COrder0401DB>(), NumberedBlock(392, 3, open)},
      {"order 0308", CapturedBlock<COrder0308DB>(), NumberedBlock(392, 3, open)},
      {"order 0306", CapturedBlock<COrder0306DB>(), NumberedBlock(392, 3, open)},
      {"order 0304", CapturedBlock<COrder0304DB>(), NumberedBlock(384, 3, open)},
      {"order 0301", CapturedBlock<COrder0301DB>(),
       NumberedBlock(368, 2, {{1, 4, 0x100}, {5, 12, 0}})},
      {"hist", CapturedBlock<CHistOrderDB>(), NumberedBlock(408, 6, hist)},
      {"hist 0401", CapturedBlock<CHistOrder0401DB>(), NumberedBlock(392, 6, hist)},
      {"hist 0308", CapturedBlock<CHistOrder0308DB>(), NumberedBlock(392, 6, hist)},
      {"hist 0306", CapturedBlock<CHistOrder0306DB>(), NumberedBlock(392, 6, hist)},
      {"hist 0304", CapturedBlock<CHistOrder0304DB>(),
       NumberedBlock(384, 5, {{1, 4, 0x100}, {5, 14, 3}, {19, 14, 3}, {39, 9, 3}, {33, 6, 3}})},
      {"hist 0301", CapturedBlock<CHistOrder0301DB>(),
       NumberedBlock(368, 3, {{1, 4, 0x100}, {23, 9, 3}, {17, 6, 3}})},
      {"line", CapturedBlock<COrderItemDB>(), ExpectedBlock(176, 4, lines4)},
      {"hist line", CapturedBlock<CHistOrderItemDB>(), ExpectedBlock(176, 4, lines4)},
      {"line 0401", CapturedBlock<COrderItem0401DB>(), ExpectedBlock(176, 4, lines4)},
      {"hist line 0306", CapturedBlock<CHistOrderItem0306DB>(), ExpectedBlock(176, 4, lines4)},
      {"line 0304", CapturedBlock<COrderItem0304DB>(), ExpectedBlock(176, 3, lines3)},
      {"hist line 0301", CapturedBlock<CHistOrderItem0301DB>(), ExpectedBlock(176, 3, lines3)},
      {"line 0202", CapturedBlock<COrderItem0202DB>(), ExpectedBlock(168, 3, lines3)},
      {"hist line 0202", CapturedBlock<CHistOrderItem0202DB>(), ExpectedBlock(168, 3, lines3)},
      {"velocity", CapturedBlock<CVelocityDB>(), ExpectedBlock(160, 6, velocity6)},
      {"velocity 0401", CapturedBlock<CVelocity0401DB>(), ExpectedBlock(156, 6, velocity6)},
      {"velocity 0201", CapturedBlock<CVelocity0201DB>(), ExpectedBlock(140, 5, velocity5)},
      {"modem", CapturedBlock<CModemProfileDB>(), ExpectedBlock(228, 1, {{1, 6, 0}})},
      {"modem 0300", CapturedBlock<CModemProfile0300DB>(), ExpectedBlock(228, 1, {{1, 6, 0}})},
      {"modem 0208", CapturedBlock<CModemProfile0208DB>(), ExpectedBlock(236, 1, {{1, 6, 0}})},
      {"control", CapturedBlock<CControlDB>(), ExpectedBlock(304, 1, {{1, 30, 0}})},
      {"terms", CapturedBlock<CTermsDB>(), ExpectedBlock(40, 1, {{1, 2, 0}})},
      {"terms 0204", CapturedBlock<CTerms0204DB>(), ExpectedBlock(22, 1, {{1, 2, 0}})},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.got, c.want) << c.name;
  }
}

class OrderFamilyFile : public rectest::InScratchDir {};

TEST_F(OrderFamilyFile, ClosedTablesAnswer3AndUnknownKeys6) {
  CHistOrderDB hist;
  COrder order;
  COrderItem0304 line0304;
  COrderItem line;
  CVelocityDB velocity;
  CVelocity v;
  CModemProfile profile;
  CControl c;
  const struct {
    const char* call;
    int got, want;
  } answers[] = {
      {"hist GetFirstOrder", hist.GetFirstOrder(order, false), 3},
      {"hist ReadFirst", hist.ReadFirst(order), 3},
      {"hist GetNextHistOrder", hist.GetNextHistOrder(order, 0, false), 3},
      {"hist GetNextHistOrder on key 9", hist.GetNextHistOrder(order, 9, false), 6},
      {"line 0304 ReadFirst", COrderItem0304DB().ReadFirst(line0304), 3},
      {"line 0304 on key 3", COrderItem0304DB().GetNextLine(line0304, 3), 6},  // keys 0 to 2
      {"line 0304 on key -1", COrderItem0304DB().GetNextLine(line0304, -1), 6},
      {"line on key 4", COrderItemDB().GetNextLine(line, 4), 6},
      {"line on key 3", COrderItemDB().GetNextLine(line, 3),
       3},  // key 3 exists: the closed file answers
      {"velocity ReadFirst", velocity.ReadFirst(v), 3},
      {"velocity SwitchKey 3", velocity.SwitchKey(3), 6},  // from the current key 0
      {"velocity SwitchKey 9", velocity.SwitchKey(9), 6},
      {"modem InsertRecord", CModemProfileDB().InsertRecord(profile), 3},
      {"control GetControl", CControlDB().GetControl(c, "X"), 3},
  };
  for (const auto& a : answers) {
    EXPECT_EQ(a.got, a.want) << a.call;
  }
}

// ReadFirst through `ReaderDB` of a file `WriterDB` creates: on the empty file, then with one
// record of `WriterDB`'s length, longer than the reader's.
template <class WriterDB, class ReaderDB, class Record>
std::pair<int, int> ReadLonger(size_t length) {
  WriterDB writer;
  EXPECT_EQ(writer.CreateFile("X.DB"), 0);
  ReaderDB reader;
  EXPECT_EQ(reader.Open("X.DB"), 0);
  Record r;
  const int empty = reader.ReadFirst(r);
  EXPECT_EQ(ordtest::InsertRaw(writer, Bytes(length, 0)), 0);
  return {empty, reader.ReadFirst(r)};
}

TEST_F(OrderFamilyFile, EmptyFilesReadTheirEndAndLongerRecords22) {
  const struct {
    const char* name;
    std::pair<int, int> got, want;
  } cases[] = {
      {"order 0304", ReadLonger<COrderDB, COrder0304DB, COrder0304>(408), {9, 22}},
      {"line 0202", ReadLonger<COrderItemDB, COrderItem0202DB, COrderItem0202>(176), {9, 22}},
      {"velocity 0304", ReadLonger<CVelocityDB, CVelocity0304DB, CVelocity0304>(160), {4, 22}},
      {"modem 0300",
       ReadLonger<CModemProfile0208DB, CModemProfile0300DB, CModemProfile0300>(236),
       {9, 22}},
      {"terms 0204", ReadLonger<CTermsDB, CTerms0204DB, CTerms0204>(40), {9, 22}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.got, c.want) << c.name;
  }
}

}  // namespace
