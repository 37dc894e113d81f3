// The order header tables: layouts byte for byte, the 0301 stamp rebuild, zip and phone round
// trips, the order of the virtual operations, steps 15a to 16e through real files, and the order
// operations.
#include "tables/orders/order.h"

#include <numeric>
#include <tuple>
#include <type_traits>

#include "tests/tables/orders/test_util.h"

namespace {

using ordtest::Bytes;
using ordtest::Put;
using ordtest::PutF64;
using ordtest::PutI32;

// One header's values, placed by hand at the offsets of each layout.
struct Header {
  int32_t number = 7;
  std::string stamp12 = "123198235959";  // 0301: MMDDYYhhmmss
  std::string orderStamp = "19991231235958";
  std::string dateStamp = "19991231235959";
  std::string customer = "cust01";
  std::string reference = "REF456789";
  char flag1 = 'o';
  char flag3 = 'X';
  char flag4 = 'Z';
};

// A header as layout `layout` (301, 304, 306, 308 or 401) stores it, padding 0xEE. Every layout
// stores the part from Text1 on at the 0304 offsets mapped by `at`: 0301 keeps it 16 bytes
// earlier; 0306 on store Flag1 at 52, before Text1, so that Text1 and Text2 lie 6 bytes later,
// OrderDate and the count 4 later, Flag2 at 124 and everything from the amounts on 8 later, with
// padding at 125 to 127 and 132 to 135. 0308 adds Flag3 at 390, 0401 Flag4 at 391.
Bytes RawHeader(const Header& h, int layout) {
  const bool wide = layout >= 306;
  Bytes r(layout == 301 ? 368 : layout == 304 ? 384 : 392, 0);
  auto at = [&](size_t o) {
    return wide ? o + (o < 114 ? 6 : o < 128 ? 4 : 8) : o - (layout == 301 ? 16 : 0);
  };
  PutI32(r, 0, h.number);
  if (layout == 301) {
    Put(r, 4, h.stamp12);
    Put(r, 16, h.customer);
    Put(r, 22, h.reference);
  } else {  // references of at most 9 characters, as 0304 stores them
    Put(r, 4, h.orderStamp);
    Put(r, 18, h.dateStamp);
    Put(r, 32, h.customer);
    Put(r, 38, h.reference);
  }
  // Text1 fills 41 of its 42 bytes, AddressLine3 all 25 and Text20 all 20.
  Put(r, at(47), "Text one that fills all forty-two chars!!");
  Put(r, at(268), "ABCDEFGHIJKLMNOPQRSTUVWXY");
  Put(r, at(362), "twenty characters!!!");
  const std::pair<size_t, const char*> texts[] = {
      {89, "second text"}, {168, "text three"},  {193, "Corner Deli"}, {218, "1 Main St"},
      {243, "Suite 2"},    {293, "Springfield"}, {308, "il"},          {310, "62701    "},
      {319, "attn buyer"}, {334, "ad01"},        {340, "2175551234"},  {350, "217555"},
      {360, "c2"}};
  for (const auto& [offset, text] : texts) {
    Put(r, at(offset), text);
  }
  PutI32(r, at(116), -86400);  // 1969-12-31
  r[wide ? 52 : at(120)] = static_cast<uint8_t>(h.flag1);
  r[wide ? 124 : at(121)] = 'y';  // lower case: false
  PutI32(r, at(124), 42);
  const double amounts[] = {5.25, -1.0, 2.5, 3.5, 4.5};
  for (size_t i = 0; i < 5; ++i) {
    PutF64(r, at(128 + 8 * i), amounts[i]);
  }
  const std::vector<size_t> padding =
      wide ? std::vector<size_t>{125, 126, 127, 132, 133, 134, 135, 390, 391}
           : std::vector<size_t>{at(114), at(115), at(122), at(123), at(382), at(383)};
  for (size_t i : padding) {
    r[i] = 0xEE;
  }
  if (layout >= 308) {
    r[390] = static_cast<uint8_t>(h.flag3);
  }
  if (layout >= 401) {
    r[391] = static_cast<uint8_t>(h.flag4);
  }
  return r;
}

// What every legacy header above becomes: upper-cased keys, the new flags, zero padding.
Bytes ExpectedCurrent(const Header& h, const std::string& orderStamp,
                      const std::string& dateStamp) {
  Header e = h;
  e.orderStamp = orderStamp;
  e.dateStamp = dateStamp;
  recfile::UpperInPlace(e.customer);
  e.flag1 = recfile::UpperChar(h.flag1);
  Bytes r = RawHeader(e, 306);
  r.resize(408, 0);
  for (size_t i : {125, 126, 127, 132, 133, 134, 135}) {
    r[i] = 0;
  }
  r[124] = 'N';
  Put(r, 358, "217555    ");  // a short phone is written space-filled
  r[390] = 'T';
  r[391] = ' ';
  return r;
}

// Reading upper-cases the key texts and flags and gives zip and phones their typed form; writing
// stores what was read, typed zips and phones as digits and the key texts upper-cased.
TEST(OrderLayout, UpperCasesKeysAndStoresTypedZipAndPhoneAsDigits) {
  Bytes raw = ExpectedCurrent(Header{}, "19991231235958", "19991231235959");
  raw[390] = 'X';
  raw[391] = 'Y';
  Put(raw, 392, "fifteen chars!!");
  Bytes lower = raw;
  Put(lower, 32, "cust01");
  lower[52] = 'o';
  lower[391] = 'y';
  std::memset(&lower[358], 0, 10);  // a short phone, NUL-filled, is written back space-filled
  Put(lower, 358, "217555");
  COrder order;
  recfile::Parse(kOrderLayout, lower.data(), lower.size(), order);
  EXPECT_EQ(std::tie(order.CustomerNumber, order.Flag1, order.Flag4, order.PostalCode, order.Phone1,
                     order.Phone2),
            std::make_tuple("CUST01", 'O', 'Y', "62701-    ", "(217) 555-1234", "(217) 555-"));
  EXPECT_EQ(ordtest::Formatted(kOrderLayout, order), raw);
  order.OrderStamp = "abc";
  order.Reference = "lower";
  ordtest::Formatted(kOrderLayout, order);
  EXPECT_EQ(order.OrderStamp + order.Reference, "ABClower");
}

TEST(OrderConversion, RebuildsTheDateStampOf0301) {
  EXPECT_EQ(DateStampFrom0301(""), std::string(14, ' '));
  EXPECT_EQ(DateStampFrom0301("   "), std::string(14, ' '));
  EXPECT_EQ(DateStampFrom0301("123198235959"), "19981231235959");
  EXPECT_EQ(DateStampFrom0301("010205080910"), "20050102080910");
  EXPECT_EQ(DateStampFrom0301("010250080910"), "20500102080910");  // 50: 2000s
  EXPECT_EQ(DateStampFrom0301("010251080910"), "19510102080910");  // 51: 1900s
  EXPECT_EQ(DateStampFrom0301("0102X5080910"), "20000102080910");  // leading non-digit: 0
}

// The place of a virtual operation in its class's table of virtual operations (the Itanium
// C++ ABI stores a pointer to a virtual member as 1 plus its byte offset in that table).
template <class M>
size_t Slot(M member) {
  struct {
    uintptr_t ptr;
    ptrdiff_t adj;
  } raw;
  static_assert(sizeof(M) == sizeof raw);
  std::memcpy(&raw, &member, sizeof raw);
  return (raw.ptr - 1) / sizeof(void*);
}

// Slots `first`, `first` + 1, ... in order.
std::vector<size_t> From(size_t first, size_t count) {
  std::vector<size_t> slots(count);
  std::iota(slots.begin(), slots.end(), first);
  return slots;
}

TEST(OrderTables, VirtualOperationsStandInTheirOrder) {
  EXPECT_EQ(Slot(&CBtrieveDB::ImportLine), 48u);
  EXPECT_EQ(
      (std::vector<size_t>{
          Slot(&COrderDB::CreateLineTable), Slot(&COrderDB::AddOrder), Slot(&COrderDB::UpdateOrder),
          Slot(&COrderDB::UpdateLine), Slot(&COrderDB::AddLine), Slot(&COrderDB::GetFirstOrder),
          Slot(&COrderDB::GetFirstOrderOfDay), Slot(&COrderDB::GetNextOrderOfDay),
          Slot(&COrderDB::InsertOrder), Slot(&COrderDB::GetNextOrder),
          Slot(&COrderDB::GetOrderByStamp), Slot(&COrderDB::GetOrder), Slot(&COrderDB::DeleteOrder),
          Slot(&COrderDB::LoadLines), Slot(&CHistOrderDB::ReplaceHistOrder),
          Slot(&CHistOrderDB::GetHistOrderByKey), Slot(&CHistOrderDB::GetFirstHistOrderWithFlag),
          Slot(&CHistOrderDB::GetNextHistOrder)}),
      From(49, 18));
  EXPECT_EQ(Slot(&CHistOrderDB::InsertOrder), 57u);
  EXPECT_EQ(Slot(&CHistOrder0401DB::GetNextHistOrder), 66u);
  EXPECT_EQ(Slot(&COrder0304DB::LoadLines), 62u);
  EXPECT_EQ((std::vector<size_t>{Slot(&CHistOrder0304DB::ReplaceHistOrder),
                                 Slot(&CHistOrder0304DB::GetHistOrderByKey),
                                 Slot(&CHistOrder0304DB::GetNextHistOrder)}),
            From(63, 3));
  EXPECT_EQ(Slot(&COrder0301DB::CreateLineTable), 49u);
  EXPECT_EQ(
      (std::vector<size_t>{
          Slot(&COrder0301DB::GetFirstOrder), Slot(&COrder0301DB::GetNextOrder),
          Slot(&COrder0301DB::GetOrderByStamp), Slot(&COrder0301DB::GetOrder),
          Slot(&COrder0301DB::DeleteOrder), Slot(&COrder0301DB::LoadLines),
          Slot(&CHistOrder0301DB::InsertOrder), Slot(&CHistOrder0301DB::ReplaceHistOrder),
          Slot(&CHistOrder0301DB::GetHistOrderByKey), Slot(&CHistOrder0301DB::GetNextHistOrder)}),
      From(54, 10));
  // The record classes' own operations follow those of CObject.
  EXPECT_EQ(Slot(&COrder::WriteText), Slot(&CObject::Dump) + 1);
  EXPECT_EQ(Slot(&COrderItem::WriteText), Slot(&CObject::Dump) + 1);
  EXPECT_EQ(Slot(&COrderItem::IsChanged), Slot(&CObject::Dump) + 2);
}

// ---- Through real files ----

class OrderFile : public rectest::InScratchDir {};

// Two headers of one layout (the second with a year-51 stamp and a stale OrderStamp) through
// the open and the historical step of that layout, converted into an object still holding values
// the legacy layouts lack; the new files compared byte for byte.
template <class OpenDB, class HistDB, class Old>
void ConvertBoth(int layout) {
  Header a, b;
  b.number = 8;
  b.stamp12 = "010251101010";
  b.orderStamp = "OLDSTAMP000000";
  b.dateStamp = "20240102101010";
  b.reference = "R2";
  const std::vector<Bytes> raws = {RawHeader(a, layout), RawHeader(b, layout)};
  const std::vector<Bytes> expected =
      layout == 301 ? std::vector<Bytes>{ExpectedCurrent(a, "123198235959", "19981231235959"),
                                         ExpectedCurrent(b, "010251101010", "19510102101010")}
                    : std::vector<Bytes>{ExpectedCurrent(a, a.dateStamp, a.dateStamp),
                                         ExpectedCurrent(b, b.dateStamp, b.dateStamp)};
  auto seed = [](COrder& order) {
    order.Flag3 = 'Q';
    order.Text4 = "left over";
  };
  ordtest::WriteRaw<OpenDB>(raws);
  EXPECT_EQ((ordtest::Upgrade<OpenDB, Old, COrderDB, COrder>(seed)), expected) << layout;
  ordtest::WriteRaw<HistDB>(raws);
  EXPECT_EQ((ordtest::Upgrade<HistDB, Old, CHistOrderDB, COrder>(seed)), expected) << layout;
}

TEST_F(OrderFile, Steps15And16ConvertEveryLayout) {
  ConvertBoth<COrder0301DB, CHistOrder0301DB, COrder0301>(301);
  ConvertBoth<COrder0304DB, CHistOrder0304DB, COrder0304>(304);
  ConvertBoth<COrder0306DB, CHistOrder0306DB, COrder0306>(306);
  ConvertBoth<COrder0308DB, CHistOrder0308DB, COrder0308>(308);
  ConvertBoth<COrder0401DB, CHistOrder0401DB, COrder0401>(401);
}

// The upgrade reads from the first header whatever its number: -3, which GetFirstOrder, starting
// from 0, passes by. Order 0 then takes 3: 1, 2 and 4 are still to come from the legacy file.
TEST_F(OrderFile, HistoricalOrdersFromANegativeNumberAndZeroTakingAFreeNumber) {
  std::vector<Bytes> raws;
  for (int32_t n : {-3, 0, 1, 2, 4}) {
    Header h;
    h.number = n;
    h.dateStamp = "2024010210101" + std::to_string(n + 3);
    raws.push_back(RawHeader(h, 401));
  }
  ordtest::WriteRaw<CHistOrder0401DB>(raws);
  {
    CHistOrder0401DB legacy;
    COrder0401 old;
    ASSERT_EQ(legacy.Open(), 0);
    ASSERT_EQ(legacy.GetFirstOrder(old, false), 0);
    EXPECT_EQ(old.OrderNumber, 0);
  }
  std::vector<std::string> numbered;  // number and DateStamp
  for (const Bytes& r : ordtest::Upgrade<CHistOrder0401DB, COrder0401, CHistOrderDB, COrder>()) {
    int32_t n;
    std::memcpy(&n, r.data(), 4);
    numbered.push_back(std::to_string(n) + " " + std::string(r.begin() + 18, r.begin() + 32));
  }
  EXPECT_EQ(numbered,
            (std::vector<std::string>{"-3 20240102101010", "1 20240102101014", "2 20240102101015",
                                      "3 20240102101013", "4 20240102101017"}));
}

// ---- Order operations ----

COrderItem MakeLine(const std::string& item) {
  COrderItem line;
  line.ItemId = item;
  line.Description = "line " + item;
  return line;
}

// The count and the five amounts.
std::vector<double> Summary(const COrder& o) {
  return {double(o.SummaryCount), o.SummaryAmount1, o.SummaryAmount2,
          o.SummaryAmount3,       o.SummaryAmount4, o.SummaryAmount5};
}

// AddOrder numbers and stamps a new order with its count and five amounts; lines load in line
// order and belong to their order; UpdateOrder stores its amounts and deletes the removed lines;
// DeleteOrder removes an order with its lines, and succeeds without a line file.
TEST_F(OrderFile, OrdersAndTheirLines) {
  COrderDB table;
  ASSERT_EQ(table.CreateFile("ORDER.DB"), 0);
  COrder order;
  ASSERT_EQ(table.AddOrder(order, 3, 1.0, 2.0, 3.0, 4.0, 5.0, true), 0);
  EXPECT_EQ(std::make_tuple(order.OrderNumber, order.OrderStamp.size(), order.DateStamp),
            std::make_tuple(1, 14u, order.OrderStamp));
  COrder back;
  ASSERT_EQ(table.GetOrderByStamp(back, order.OrderStamp, false), 0);
  EXPECT_EQ(Summary(back), (std::vector<double>{3, 1.0, 2.0, 3.0, 4.0, 5.0}));
  EXPECT_EQ(table.GetOrder(back, 2, false), 4);
  EXPECT_EQ(table.LoadLines(order), 12);  // no line file yet
  COrder other;  // added by number: two new orders in one second would share a stamp
  other.OrderNumber = 2;
  other.OrderStamp = other.DateStamp = "19990101000000";
  ASSERT_EQ(table.AddOrder(other, 0, 0, 0, 0, 0, 0, false), 0);
  EXPECT_EQ(table.DeleteOrder(2), 0);  // no line file: still success
  EXPECT_EQ(table.DeleteOrder(2), 4);
  ASSERT_EQ(table.AddOrder(other, 0, 0, 0, 0, 0, 0, false), 0);
  {
    COrderItemDB lines;
    ASSERT_EQ(lines.CreateFile("ORDRITEM.DB"), 0);
  }
  EXPECT_EQ(table.LoadLines(order), 0);
  EXPECT_TRUE(order.Lines.empty() && !order.LinesChanged);
  COrderItem b = MakeLine("b");
  b.LineNumber = 5;
  COrderItem a = MakeLine("a");
  ASSERT_EQ(table.AddLine(order, b), 0);
  ASSERT_EQ(table.AddLine(order, a), 0);  // numbered 0
  COrderItem c = MakeLine("c");
  ASSERT_EQ(table.AddLine(other, c), 0);
  ASSERT_EQ(table.GetOrder(order, 1, true), 0);
  ASSERT_EQ(order.Lines.size(), 2u);
  EXPECT_EQ(
      std::make_tuple(order.Lines[0]->ItemId, order.Lines[0]->LineNumber,
                      order.Lines[1]->LineNumber, order.Lines[1]->IsChanged(), order.LinesChanged),
      std::make_tuple("A", 0, 5, true, true));
  ASSERT_EQ(table.LoadLines(order), 0);  // replaces, does not append
  EXPECT_EQ(order.Lines.size(), 2u);
  order.Lines[1]->Note = "changed";
  ASSERT_EQ(table.UpdateLine(*order.Lines[1]), 0);
  // Removing a line and updating the order deletes it from the line file.
  order.RemovedLines.push_back(std::move(order.Lines[0]));
  order.Lines.erase(order.Lines.begin());
  order.RemovedLines.push_back(std::make_unique<COrderItem>(MakeLine("never stored")));
  ASSERT_EQ(table.UpdateOrder(order, 9, 1.5, 2.5, 3.5, 4.5, 5.5, false), 0);
  ASSERT_EQ(table.GetOrder(back, 1, false), 0);
  EXPECT_EQ(Summary(back), (std::vector<double>{9, 1.5, 2.5, 3.5, 4.5, 5.5}));
  ASSERT_EQ(table.LoadLines(order), 0);
  ASSERT_EQ(order.Lines.size(), 1u);
  EXPECT_EQ(order.Lines[0]->Note, "changed");
  EXPECT_EQ(order.RemovedLines.size(), 2u);  // not emptied by the update
  ASSERT_EQ(table.UpdateOrder(order, 9, 1, 1, 1, 1, 1, true), 0);
  ASSERT_EQ(table.LoadLines(order), 0);
  EXPECT_TRUE(order.Lines.empty());
  ASSERT_EQ(table.DeleteOrder(2), 0);
  ASSERT_EQ(table.GetOrder(other, 2, false), 4);
  ASSERT_EQ(table.DeleteOrder(1), 0);
  EXPECT_EQ(table.GetFirstOrder(back, false), 9);
  COrderItemDB lines;
  ASSERT_EQ(lines.Open(), 0);
  EXPECT_TRUE(ordtest::ReadAllRaw(lines).empty());
}

// An order stamp that sorts before the stamps of every earlier order (and after every date
// stamp's day), so that a by-day read along the order stamps instead of the date stamps fails.
std::string ReversedStamp(int32_t n) {
  return "3000010100000" + std::to_string(9 - n);
}

// The orders of one day in local time. The end of the file is the end of the day too: 4, not
// the record manager's 9, in an empty file, after the last order and from a day after it.
template <class Table>
void OrdersOfOneDay(const char* fileName) {
  ordtest::LocalZone zone("America/New_York");
  Table table;
  ASSERT_EQ(table.CreateFile(fileName), 0);
  typename Table::Order order;
  // 2024-03-02 04:00 UTC is 2024-03-01 23:00 in New York, 05:30 UTC is 00:30 on the 2nd.
  const int64_t lateOnFirst = 1709352000;
  const int64_t earlyOnSecond = 1709357400;
  const int64_t noonOnThird = 1709485200;      // 2024-03-03 12:00 in New York
  const int64_t morningOnFourth = 1709568000;  // 2024-03-04 11:00 in New York
  EXPECT_EQ(table.GetFirstOrderOfDay(order, noonOnThird, false), 4);
  int32_t n = 1;
  for (const char* stamp :
       {"20240301235959", "20240302000000", "20240302120000", "20240303080000"}) {
    order.OrderNumber = n;
    order.DateStamp = stamp;
    order.OrderStamp = ReversedStamp(n++);
    ASSERT_EQ(table.InsertOrder(order), 0);
  }
  // The 7th read asks for 1969-12-31 and finds a later day.
  const struct {
    bool first;
    int64_t day;
    int status;
    int32_t number;
  } reads[] = {{true, lateOnFirst, 0, 1},
               {false, lateOnFirst, 4, 0},
               {true, earlyOnSecond, 0, 2},
               {false, earlyOnSecond, 0, 3},
               {false, earlyOnSecond, 4, 0},
               {false, lateOnFirst, 27, 0},
               {true, 0, 4, 0},
               {true, noonOnThird, 0, 4},
               {false, noonOnThird, 4, 0},
               {true, morningOnFourth, 4, 0}};
  for (size_t i = 0; i < std::size(reads); ++i) {
    const auto& r = reads[i];
    const int status = r.first ? table.GetFirstOrderOfDay(order, r.day, false)
                               : table.GetNextOrderOfDay(order, r.day, false);
    EXPECT_EQ(status, r.status) << fileName << " read " << i;
    if (status == 0) {
      EXPECT_EQ(order.OrderNumber, r.number) << fileName << " read " << i;
    }
  }
}

TEST_F(OrderFile, OrdersOfOneDayInLocalTime) {
  OrdersOfOneDay<COrderDB>("ORDER.DB");
  OrdersOfOneDay<CHistOrderDB>("HORDER.DB");
  OrdersOfOneDay<COrder0304DB>("O0304.DB");
}

TEST_F(OrderFile, StampLookupFillsWithSpaces) {
  COrder0301DB table;
  ASSERT_EQ(table.CreateFile("ORDER.DB"), 0);
  COrder0301 order;
  ASSERT_EQ(table.AddOrder(order, 0, 0, 0, 0, 0, 0, true), 0);
  EXPECT_EQ(order.OrderStamp.size(), 12u);
  COrder0301 back;
  ASSERT_EQ(table.GetOrderByStamp(back, order.OrderStamp, false), 0);
  COrderDB current;
  ASSERT_EQ(current.CreateFile("CUR.DB"), 0);
  COrder twelve;
  twelve.OrderNumber = 0;
  twelve.OrderStamp = "123456789012  ";
  twelve.DateStamp = "20240101000000";
  ASSERT_EQ(current.InsertOrder(twelve), 0);
  EXPECT_EQ(twelve.OrderNumber, 0);  // an open order keeps its number, 0 too
  COrder found;
  found.OrderNumber = 9;
  ASSERT_EQ(current.GetOrderByStamp(found, "123456789012", false), 0);
  EXPECT_EQ(found.OrderNumber, 0);
}

// The historical classes insert on the reference key, find by any key and replace the order
// found by the first 9 characters of its reference, which takes the stored number. 0301 numbers
// every inserted order afresh from 0; 0304 and the current class number only an order numbered
// 0, from 1. The current class loads lines with a lookup and drops them with a replacement.
template <class Table, class Order>
void HistoricalOperations(int referenceKey, int customerKey, int32_t firstNumber) {
  constexpr bool kCurrent = std::is_same_v<Order, COrder>;
  Table table;
  ASSERT_EQ(table.CreateFile("HORDER.DB"), 0);
  if constexpr (kCurrent) {
    CHistOrderItemDB lines;
    ASSERT_EQ(lines.CreateFile("HORDRITM.DB"), 0);
  }
  Order order;
  order.OrderNumber = 0;
  order.Reference = "REF000001";
  order.CustomerNumber = "c1";
  order.Flag1 = 'H';
  order.OrderStamp = "010224101010";
  if constexpr (!std::is_same_v<Order, COrder0301>) {
    order.DateStamp = "20240102101010";
  }
  ASSERT_EQ(table.InsertOrder(order), 0);
  EXPECT_EQ(order.OrderNumber, firstNumber);
  Order found;
  if constexpr (kCurrent) {
    COrderItem line = MakeLine("x");
    ASSERT_EQ(table.AddLine(order, line), 0);
    ASSERT_EQ(table.GetHistOrderByKey(found, "REF000001", 3, true), 0);
    EXPECT_EQ(found.Lines.size(), 1u);
    EXPECT_EQ(table.GetHistOrderByKey(found, "010224101010", 1, false), 0);
    EXPECT_EQ(table.GetFirstHistOrderWithFlag(found, 'Q', false), 4);
    ASSERT_EQ(table.GetFirstHistOrderWithFlag(found, 'H', false), 0);
    EXPECT_EQ(table.GetNextHistOrder(found, 5, false), 9);
  }
  order.OrderNumber = 7;
  order.Reference = "REF000002";
  order.CustomerNumber = "C2";
  ASSERT_EQ(table.InsertOrder(order), 0);
  const int32_t second = order.OrderNumber;
  EXPECT_EQ(second, firstNumber == 0 ? 1 : 7);
  ASSERT_EQ(table.GetHistOrderByKey(found, "REF000002", referenceKey, false), 0);
  EXPECT_EQ(found.OrderNumber, second);
  ASSERT_EQ(table.GetHistOrderByKey(found, "C1", customerKey, false), 0);
  EXPECT_EQ(found.OrderNumber, firstNumber);
  EXPECT_EQ(table.GetHistOrderByKey(found, "C3", customerKey, false), 4);
  ASSERT_EQ(table.GetHistOrderByKey(found, std::to_string(second), 0, false), 0);
  EXPECT_EQ(found.Reference, "REF000002");
  Order replacement;
  replacement.OrderStamp = order.OrderStamp;
  if constexpr (!std::is_same_v<Order, COrder0301>) {
    replacement.DateStamp = order.DateStamp;
  }
  replacement.OrderNumber = 99;
  replacement.Reference = "REF000001 and more";
  replacement.Text1 = "replaced";
  ASSERT_EQ(table.ReplaceHistOrder(replacement), 0);  // 0301 and 0304: no line file, success
  EXPECT_EQ(replacement.OrderNumber, firstNumber);
  ASSERT_EQ(table.GetHistOrderByKey(found, std::to_string(firstNumber), 0, kCurrent), 0);
  EXPECT_EQ(found.Text1, "replaced");
  EXPECT_EQ(found.Reference, kCurrent ? "REF000001 and " : "REF000001");  // 14 or 9 characters
  if constexpr (kCurrent) {
    EXPECT_TRUE(found.Lines.empty());
  }
  replacement.Reference = "NOSUCHREF";
  EXPECT_EQ(table.ReplaceHistOrder(replacement), 4);
  order.OrderNumber = 0;  // the first number free, below the stored 7 where there is one
  order.Reference = "REF000003";
  ASSERT_EQ(table.InsertOrder(order), 0);
  EXPECT_EQ(order.OrderNumber, 2);
  order.OrderNumber = second;
  EXPECT_EQ(table.InsertOrder(order), firstNumber == 0 ? 0 : 5);  // 0301 renumbers it
}

TEST_F(OrderFile, HistoricalOperationsOf0301And0304AndCurrent) {
  HistoricalOperations<CHistOrder0301DB, COrder0301>(1, 2, 0);
  HistoricalOperations<CHistOrder0304DB, COrder0304>(3, 4, 1);
  HistoricalOperations<CHistOrderDB, COrder>(3, 4, 1);
}

}  // namespace
