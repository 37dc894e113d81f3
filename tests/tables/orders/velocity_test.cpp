// The velocity table: records byte for byte, the record-manager date in local time, the lenient
// flags, the current-key bookkeeping and steps 8a to 8d through real files.
#include "tables/orders/velocity.h"

#include <tuple>

#include "tests/tables/orders/test_util.h"

namespace {

using ordtest::Bytes;
using ordtest::Put;
using ordtest::PutF32;
using ordtest::PutI32;

using ordtest::LocalZone;

constexpr int32_t kDate1 = 1709352000;  // 2024-03-02 04:00 UTC: 2024-03-01 in New York
constexpr int32_t kDate2 = 1000000000;

// Field offsets of one layout, from the layout table.
struct At {
  size_t length, btrDate, number1, code4A, date1, date2, periods, amount3;  // 0: absent
};
constexpr At kAt0201{140, 0, 32, 76, 92, 0, 96, 0};
constexpr At kAt0208{144, 29, 36, 80, 96, 0, 100, 0};
constexpr At kAt0304{148, 29, 36, 80, 96, 100, 104, 0};
constexpr At kAt0401{156, 29, 36, 88, 104, 108, 112, 80};
constexpr At kAtCurrent{160, 29, 36, 88, 104, 108, 112, 80};

// A record written by hand: lower-case key texts, lower-case "y" flags, padding 0xEE.
Bytes RawVelocity(const At& at, const std::string& customer, const std::string& item,
                  int32_t date1 = kDate1, char yesNo2 = 'n') {
  Bytes r(at.length, 0xEE);
  std::memset(r.data(), 0, 29);
  Put(r, 0, customer);
  Put(r, 6, item);            // 12 characters
  Put(r, 18, "sfxc5abcc3a");  // suffix, Code5, Code3
  if (at.btrDate != 0) {
    r[29] = 1;  // whatever the old file held; never read
    r[30] = 2;
    r[31] = r[32] = 0;
  }
  PutI32(r, at.number1, -77);
  r[at.number1 + 4] = 0xAB;
  std::memset(&r[at.number1 + 5], 0, 30);
  Put(r, at.number1 + 5, "Description of thirty chars!!!");
  PutF32(r, at.number1 + 36, 1.25f);
  PutF32(r, at.number1 + 40, -2.5f);
  if (at.amount3 != 0) {
    PutF32(r, at.amount3, 3.5f);
    PutF32(r, at.amount3 + 4, 4.5f);
  }
  Put(r, at.code4A, "ab4a");
  r[at.code4A + 4] = 'y';
  std::memset(&r[at.code4A + 5], 0, 9);
  Put(r, at.code4A + 5, "code9");
  PutI32(r, at.date1, date1);
  if (at.date2 != 0) {
    PutI32(r, at.date2, kDate2);
  }
  for (int i = 0; i < 6; ++i) {
    PutI32(r, at.periods + 4 * i, 100 + i);
  }
  PutI32(r, at.periods + 24, 200);
  PutI32(r, at.periods + 28, -201);
  PutF32(r, at.periods + 32, 5.5f);
  Put(r, at.periods + 36, "4bcd");
  r[at.periods + 40] = static_cast<uint8_t>(yesNo2);
  return r;
}

// A legacy record as the current layout writes it.
Bytes ExpectedVelocity(const At& from, const std::string& customer, const std::string& item,
                       int32_t date2, int32_t date1 = kDate1, char yesNo2 = 'N') {
  Bytes r = RawVelocity(kAtCurrent, customer, item, date1);
  for (size_t i : {33, 34, 35, 71, 102, 103, 153, 154, 155}) {
    r[i] = 0;
  }
  for (size_t i = 0; i < 29; ++i) {  // the key texts
    r[i] = static_cast<uint8_t>(recfile::UpperChar(static_cast<char>(r[i])));
  }
  recfile::WriteBtrDate(&r[29], date1);
  Put(r, 88, "AB4AYCODE9");
  PutI32(r, 108, date2);
  if (from.amount3 == 0) {
    PutF32(r, 80, 0.0f);
    PutF32(r, 84, 0.0f);
  }
  Put(r, 148, "4BCD");
  r[152] = static_cast<uint8_t>(yesNo2);
  PutI32(r, 156, 0);
  return r;
}

// Reading upper-cases the key texts and takes "y" as yes; writing upper-cases every text of the
// object but the description.
TEST(VelocityLayout, ReadsLenientFlagsAndUpperCasesBothWays) {
  LocalZone zone("America/New_York");
  const Bytes raw = ExpectedVelocity(kAtCurrent, "cust01", "item00000001", kDate2);
  Bytes lower = raw;
  Put(lower, 0, "cust01");
  lower[92] = 'y';  // lower-case "y" counts
  CVelocity v;
  recfile::Parse(kVelocityLayout, lower.data(), lower.size(), v);
  EXPECT_EQ(std::tie(v.CustomerNumber, v.YesNo1, v.YesNo2), std::make_tuple("CUST01", true, false));
  v.Code9 = "code9";
  EXPECT_EQ(ordtest::Formatted(kVelocityLayout, v), raw);
  EXPECT_EQ(v.Code9 + v.Description, "CODE9Description of thirty chars!!!");
}

// The record-manager date (day, month, year) is the local date, before 1970 too; -1 is "no
// date": four zero bytes in every zone, while the seconds keep the -1 as stored.
TEST(VelocityLayout, RecordManagerDateIsTheLocalDate) {
  const struct {
    const char* zone;
    int64_t date1;
    Bytes btrDate;
  } cases[] = {
      {"America/New_York", kDate1, {1, 3, 0xE8, 0x07}},
      {"America/New_York", -2, {31, 12, 0xB1, 0x07}},  // the afternoon of 1969-12-31
      {"America/New_York", -1, {0, 0, 0, 0}},
      {"America/New_York", 0, {31, 12, 0xB1, 0x07}},
      {"Asia/Tokyo", -2, {1, 1, 0xB2, 0x07}},  // already 1970-01-01
      {"Asia/Tokyo", -1, {0, 0, 0, 0}},
      {"UTC", -2, {31, 12, 0xB1, 0x07}},
      {"UTC", -1, {0, 0, 0, 0}},
      {"UTC", 0, {1, 1, 0xB2, 0x07}},
  };
  for (const auto& c : cases) {
    LocalZone zone(c.zone);
    CVelocity v;
    v.Date1 = c.date1;
    const Bytes raw = ordtest::Formatted(kVelocityLayout, v);
    Bytes seconds(4);
    PutI32(seconds, 0, static_cast<int32_t>(c.date1));
    EXPECT_EQ(Bytes(raw.begin() + 29, raw.begin() + 33), c.btrDate) << c.zone << " " << c.date1;
    EXPECT_EQ(Bytes(raw.begin() + 104, raw.begin() + 108), seconds) << c.zone << " " << c.date1;
  }
}

// ---- Through real files ----

class VelocityFile : public rectest::InScratchDir {};

// Steps 8a to 8d: two records written raw on key 1, read, converted, inserted; the new file
// compared byte for byte. `date2Of0` and `date2Of1` are what each layout gives Date2.
template <class Legacy, class Old>
void ConvertVelocity(const At& at, int32_t date2Of0, int32_t date2Of1) {
  LocalZone zone("America/New_York");
  ordtest::WriteRaw<Legacy>({RawVelocity(at, "zz", "item00000002", kDate1, 'y'),
                             RawVelocity(at, "cust01", "item00000001", -1)},
                            1);
  const std::vector<Bytes> got = ordtest::RunStep<Legacy, Old, CVelocityDB, CVelocity>(0).converted;
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0], ExpectedVelocity(at, "cust01", "item00000001", date2Of0, -1));
  // YesNo2 differs between the two records, so a flag read from the wrong byte shows.
  EXPECT_EQ(got[1], ExpectedVelocity(at, "zz", "item00000002", date2Of1, kDate1, 'Y'));
  // -1 is "no date": zeros, not 1969-12-31 in New York.
  EXPECT_EQ(Bytes(got[0].begin() + 29, got[0].begin() + 33), (Bytes{0, 0, 0, 0}));
}

TEST_F(VelocityFile, Steps8aTo8dConvertEveryLayout) {
  ConvertVelocity<CVelocity0201DB, CVelocity0201>(kAt0201, 0, 0);
  ConvertVelocity<CVelocity0208DB, CVelocity0208>(kAt0208, -1, kDate1);
  ConvertVelocity<CVelocity0304DB, CVelocity0304>(kAt0304, kDate2, kDate2);
  ConvertVelocity<CVelocity0401DB, CVelocity0401>(kAt0401, kDate2, kDate2);
}

// Customer number and YesNo2 of every record, in key-0 order.
std::vector<std::pair<std::string, bool>> Flags(CVelocityDB& table) {
  std::vector<std::pair<std::string, bool>> flags;
  CVelocity v;
  for (int status = table.ReadFirst(v); status == 0; status = table.ReadNext(v)) {
    flags.emplace_back(v.CustomerNumber + "/" + v.ItemNumber, v.YesNo2);
  }
  return flags;
}

TEST_F(VelocityFile, InsertSwitchKeyClearAndDelete) {
  CVelocityDB table;
  ASSERT_EQ(table.CreateFile("VELOCITY.DB"), 0);
  CVelocity v;
  v.YesNo2 = true;
  // Item numbers on both sides of ITEM1 on key 2, with the suffix ClearItem looks for.
  for (const char* key : {"b/item1", "a/item1", "c/item1", "d/item0", "e/item2"}) {
    v.CustomerNumber = std::string(1, key[0]);
    v.ItemNumber = key + 2;
    v.ItemSuffix = key[0] == 'c' ? "x" : "s";
    ASSERT_EQ(table.InsertRecord(v), 0);
  }
  EXPECT_EQ(table.CurrentKey(), 1);
  ASSERT_EQ(table.ReadFirst(v), 0);
  EXPECT_EQ(v.CustomerNumber, "A");
  ASSERT_EQ(table.SwitchKey(2), 0);
  EXPECT_EQ(table.SwitchKey(3), 6);  // from key 2
  // Along key 2 the three ITEM1 records keep their insertion order: B, A, C, then ITEM2.
  ASSERT_EQ(table.ReadNext(v), 0);
  EXPECT_EQ(v.CustomerNumber, "C");
  ASSERT_EQ(table.SwitchKey(0), 0);  // back to key 0 from C: D follows
  ASSERT_EQ(table.ReadNext(v), 0);
  EXPECT_EQ(v.CustomerNumber, "D");
  ASSERT_EQ(table.ClearItem("ITEM1", "s"), 0);
  EXPECT_EQ(table.CurrentKey(), 2);
  using Flag = std::pair<std::string, bool>;
  EXPECT_EQ(Flags(table), (std::vector<Flag>{{"A/ITEM1", false},
                                             {"B/ITEM1", false},
                                             {"C/ITEM1", true},
                                             {"D/ITEM0", true},
                                             {"E/ITEM2", true}}));
  EXPECT_EQ(table.ClearItem("nothing", "s"), 0);
  ASSERT_EQ(table.ClearOrDelete("c", "item1", "x", false), 0);
  ASSERT_EQ(table.ClearOrDelete("a", "ITEM1", "S", true), 0);
  EXPECT_EQ(table.ClearOrDelete("a", "ITEM1", "S", true), 4);
  EXPECT_EQ(Flags(table),
            (std::vector<Flag>{
                {"B/ITEM1", false}, {"C/ITEM1", false}, {"D/ITEM0", true}, {"E/ITEM2", true}}));
}

TEST_F(VelocityFile, ClearOrDeleteOf0201) {
  CVelocity0201DB table;
  ASSERT_EQ(table.CreateFile("VELOCITY.DB"), 0);
  CVelocity0201 v;
  v.YesNo2 = true;
  v.CustomerNumber = "a";
  v.ItemNumber = "item1";
  v.ItemSuffix = "s";
  ASSERT_EQ(ordtest::InsertRaw(table, ordtest::Formatted(kVelocity0201Layout, v), 1), 0);
  ASSERT_EQ(table.ClearOrDelete("a", "item1", "s", false), 0);
  ASSERT_EQ(table.ReadFirst(v), 0);
  EXPECT_EQ(std::tie(v.CustomerNumber, v.YesNo2), std::make_tuple("A", false));
  EXPECT_EQ(table.ReadNext(v), 9);
}

}  // namespace
