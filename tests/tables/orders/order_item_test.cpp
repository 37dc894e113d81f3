// The order line tables: layouts byte for byte, upper-casing, the line operations (first free
// line numbers, lines of one order) and steps 5a, 5b, 6a and 6b through real files.
#include "tables/orders/order_item.h"

#include <tuple>

#include "tests/tables/orders/test_util.h"

namespace {

using ordtest::Bytes;
using ordtest::Put;
using ordtest::PutF32;
using ordtest::PutI32;

// A line written by hand from the layout table, lower-case texts where upper case matters.
Bytes RawLine(size_t length, int32_t order, int32_t line, const std::string& itemId) {
  Bytes r(length, 0);
  PutI32(r, 0, order);
  PutI32(r, 4, line);
  Put(r, 8, itemId);
  Put(r, 23, "Fresh basil, bunch of twelve x");  // 30 characters, no terminator
  Put(r, 53, "cs");
  const int32_t numbers[] = {11, -12, 13, 14};
  const float amounts[] = {1.5f, 2.5f, -3.5f, 4.5f};
  for (size_t i = 0; i < 4; ++i) {
    PutI32(r, 56 + 4 * i, numbers[i]);
    PutF32(r, 72 + 4 * i, amounts[i]);
  }
  Put(r, 88, "ab12");
  Put(r, 92, "a note");
  PutI32(r, 152, 15);
  Put(r, 156, "Ymy");  // the lower-case "y" of YesNo2: false
  r[159] = 'Y';
  Put(r, 160, "zq");
  r[162] = r[163] = 0xEE;  // padding, never read
  PutI32(r, 164, 16);
  if (length == 176) {
    PutF32(r, 168, 5.5f);
    Put(r, 172, "cd34");
  }
  return r;
}

// RawLine as the current layout writes it back: upper case, padding zero.
Bytes ExpectedLine(int32_t order, int32_t line, const std::string& itemId, float amount5,
                   const std::string& alt) {
  Bytes r = RawLine(176, order, line, itemId);
  std::string upper = itemId;
  recfile::UpperInPlace(upper);
  Put(r, 8, upper);
  Put(r, 53, "CS");
  Put(r, 88, "AB12");
  Put(r, 157, "MN");
  Put(r, 160, "ZQ");
  r[162] = r[163] = 0;
  PutF32(r, 168, amount5);
  Put(r, 172, alt);
  return r;
}

TEST(OrderItemLayout, UpperCasesOnReadAndOnWriteAndWritesExactBytes) {
  const Bytes raw = RawLine(176, 7, 3, "item00000001ab");
  COrderItem line;
  recfile::Parse(kOrderItemLayout, raw.data(), raw.size(), line);
  EXPECT_EQ(std::tie(line.ItemId, line.Mark, line.YesNo2),
            std::make_tuple("ITEM00000001AB", 'M', false));  // "y" is not "Y"
  line.ItemId = "item00000001ab";
  line.UnitName = "cs";
  EXPECT_EQ(ordtest::Formatted(kOrderItemLayout, line),
            ExpectedLine(7, 3, "item00000001ab", 5.5f, "CD34"));
  EXPECT_EQ(line.ItemId + line.UnitName, "ITEM00000001ABCS");
}

// ---- Through real files ----

class OrderItemFile : public rectest::InScratchDir {};

// Inserts lines (order, line) of the given numbers into an open table, raw.
template <class Table>
void Fill(Table& table, size_t length, const std::vector<std::pair<int32_t, int32_t>>& keys) {
  for (auto [order, line] : keys) {
    ASSERT_EQ(ordtest::InsertRaw(
                  table, RawLine(length, order, line, "item0000000" + std::to_string(line))),
              0);
  }
}

TEST_F(OrderItemFile, LineNumbersLinesOfOneOrderAndTheirDeletion) {
  COrderItemDB table;
  ASSERT_EQ(table.CreateFile("ORDRITEM.DB"), 0);
  EXPECT_EQ(table.FirstFreeLineNumber(5), 0);  // an order without lines
  Fill(table, 176, {{4, 9}, {5, 0}, {5, 1}, {5, 3}, {6, 2}});
  EXPECT_EQ(table.FirstFreeLineNumber(5), 2);
  EXPECT_EQ(table.FirstFreeLineNumber(6), 0);
  COrderItem line;
  line.OrderNumber = 5;
  line.ItemId = "x";
  ASSERT_EQ(table.InsertLine(line), 0);
  EXPECT_EQ(line.LineNumber, 2);
  EXPECT_EQ(table.InsertLine(line), 5);  // key 0 is unique
  EXPECT_EQ(table.AvoidNumbersIn("MISSING.DB"), 12);
  EXPECT_EQ(table.GetFirstLineOfOrder(line, 3), 4);  // finds order 4's line
  ASSERT_EQ(table.GetFirstLineOfOrder(line, 5), 0);
  EXPECT_EQ(std::make_pair(line.LineNumber, line.Position), std::make_pair(0, -1));
  ASSERT_EQ(table.GetNextLine(line, 0), 0);
  EXPECT_EQ(line.LineNumber, 1);
  EXPECT_EQ(table.GetFirstLineOfOrder(line, 7), 9);
  EXPECT_EQ(table.DeleteLinesOfOrder(5), 0);
  EXPECT_EQ(table.DeleteLinesOfOrder(5), 0);  // none left: success
  EXPECT_EQ(ordtest::ReadAllRaw(table).size(), 2u);
  // A hand-made record with a lower-case item number cannot be rewritten: the upper-cased
  // ItemId would change key 1, which is not modifiable (10).
  ASSERT_EQ(table.GetFirstLineOfOrder(line, 6), 0);
  EXPECT_EQ(table.RewriteLine(line), 10);
  ASSERT_EQ(table.DeleteLine(line), 0);
  line.Note = "first";
  ASSERT_EQ(table.InsertLine(line), 0);
  line.Note = "rewritten";
  ASSERT_EQ(table.RewriteLine(line), 0);
  COrderItem back;
  ASSERT_EQ(table.GetFirstLineOfOrder(back, 6), 0);
  EXPECT_EQ(back.Note, "rewritten");
  EXPECT_EQ(table.DeleteLine(back), 0);
  EXPECT_EQ(table.DeleteLine(back), 4);
}

// Steps 5 and 6: the legacy file written raw and converted as the upgrade does it, read from its
// first line (reading from order 0 would miss every later order).
template <class Legacy, class Old, class Current>
std::vector<Bytes> ConvertLines(size_t length,
                                const std::vector<std::pair<int32_t, int32_t>>& keys) {
  {
    Legacy legacy;
    EXPECT_EQ(legacy.CreateFile(legacy.GetFileName().c_str()), 0);
    Fill(legacy, length, keys);
  }
  return ordtest::Upgrade<Legacy, Old, Current, COrderItem>();
}

// A 0202 file (order 0 first, then later orders, a line numbered -1 and a stored line 0 of the
// same order) converts whole; Amount5 and AltCode4 come from Amount1 and Code4.
template <class Legacy, class Current>
void Convert0202() {
  // The line numbered -1 takes the first number its order holds in neither file.
  EXPECT_EQ((ConvertLines<Legacy, COrderItem0202, Current>(168, {{0, 1}, {2, -1}, {2, 0}, {3, 5}})),
            (std::vector<Bytes>{ExpectedLine(0, 1, "item00000001", 1.5f, "AB12"),
                                ExpectedLine(2, 0, "item00000000", 1.5f, "AB12"),
                                ExpectedLine(2, 1, "item0000000-1", 1.5f, "AB12"),
                                ExpectedLine(3, 5, "item00000005", 1.5f, "AB12")}));
}

// A 0304 file converts into identical records with a fourth key.
template <class Legacy, class Current>
void Convert0304() {
  EXPECT_EQ((ConvertLines<Legacy, COrderItem0304, Current>(176, {{1, 0}, {1, 1}, {4, 2}})),
            (std::vector<Bytes>{ExpectedLine(1, 0, "item00000000", 5.5f, "CD34"),
                                ExpectedLine(1, 1, "item00000001", 5.5f, "CD34"),
                                ExpectedLine(4, 2, "item00000002", 5.5f, "CD34")}));
  Current current;  // key 3, the item number across orders, exists in the new file
  ASSERT_EQ(current.Open("TMP.DB"), 0);
  EXPECT_EQ(ordtest::ReadAllRaw(current, 3).size(), 3u);
}

TEST_F(OrderItemFile, Steps5And6ConvertOpenAndHistoricalLines) {
  Convert0202<COrderItem0202DB, COrderItemDB>();
  Convert0202<CHistOrderItem0202DB, CHistOrderItemDB>();
  Convert0304<COrderItem0304DB, COrderItemDB>();
  Convert0304<CHistOrderItem0304DB, CHistOrderItemDB>();
}

}  // namespace
