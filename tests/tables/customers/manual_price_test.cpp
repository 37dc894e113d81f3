// The manual price table: layouts, the price limit, the leading twelve bytes of converted
// records and the conversions of steps 9a and 9b through real files.
#include "tables/customers/manual_price.h"

#include <cmath>
#include <limits>

#include "recfile/field_codec.h"
#include "tests/tables/customers/test_util.h"

namespace {

using namespace custtest;

// A 0203 record and its conversion: twelve spaces (Text0 and Text4) in front, the rest twelve
// bytes on, the price through the limit, the reserved bytes (0xEE) not carried.
Pair Price0203(const std::string& customer, float price, float written) {
  const std::string note = "a note of thirty-five characters!!!";
  return Records(76, 88,
                 {{-1, 0, "", std::string(12, ' ')},
                  {0, 12, customer, Upper(customer)},
                  {6, 18, "item-0000001ea", "ITEM-0000001EA"},
                  {21, 33, note, Upper(note)},
                  {56, 68, I32(-56) + "q\xEE\xEE\xEE", I32(-56) + "q"},  // Byte60 kept as it stands
                  {64, 76, F32(price) + "t80", F32(written) + "T80"},
                  {72, 84, "\x84Y\xEE\xEE", "\x84Y"}});
}

// A 0202 record and its conversion: Text0, Text4 and Text33 empty (NUL bytes), a space in Byte72,
// Flag44 not carried ("N" at 85).
Pair Price0202(const std::string& customer, float price, float written) {
  return Records(48, 88,
                 {{0, 12, customer, Upper(customer)},
                  {6, 18, "item-0000002cs", "ITEM-0000002CS"},
                  {21, -1, "\xEE\xEE\xEE", ""},
                  {24, 68, I32(24242424) + "\xEE\xEE\xEE\xEE", I32(24242424) + " "},
                  {32, 76, F32(price) + F32(36.5f), F32(written)},
                  {40, 80, "abcdY\xEE\xEE\xEE", "ABCD N"}});
}

float StoredPrice(float price) {
  CManualPrice m;
  m.Price = price;
  Bytes out(88);
  recfile::Format(kManualPriceLayout, m, out.data());
  return recfile::ReadFloat32(&out[76]);
}

TEST(ManualPriceLimit, AboveBelowAtAndNaN) {
  const float top = 9999.99f;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const std::pair<float, float> cases[] = {
      {12345.0f, top}, {-12345.0f, -top}, {top, top},           {-top, -top},
      {nan, -top},     {inf, top},        {9999.98f, 9999.98f}, {-9999.98f, -9999.98f},
      {0.0f, 0.0f}};
  for (const auto& [price, stored] : cases) {
    EXPECT_EQ(StoredPrice(price), stored) << price;
  }
  CManualPrice m;
  m.Price = 20000.0f;
  Formatted(kManualPriceLayout, m);
  EXPECT_EQ(m.Price, 20000.0f);  // the record object keeps what it holds
}

class ManualPriceFile : public InScratchDir {};

// Steps 9a and 9b: read on key 0, convert, insert; the new file's raw records in key-0 order.
TEST_F(ManualPriceFile, ConvertsBothLayoutsByteForByte) {
  const std::vector<Pair> p0203 = {Price0203("c2", 10000.0f, 9999.99f),
                                   Price0203("c1", 12.5f, 12.5f),
                                   Price0203("c3", -10000.0f, -9999.99f)};
  WriteRaw<CManualPrice0203DB>(Legacy(p0203));
  EXPECT_EQ(
      (RunStep<CManualPrice0203DB, CManualPrice0203, CManualPriceDB, CManualPrice>(0).converted),
      Converted(p0203, {1, 0, 2}));
  const std::vector<Pair> p0202 = {
      Price0202("c2", 9999.99f, 9999.99f),
      Price0202("c1", std::numeric_limits<float>::quiet_NaN(), -9999.99f)};
  WriteRaw<CManualPrice0202DB>(Legacy(p0202));
  EXPECT_EQ(
      (RunStep<CManualPrice0202DB, CManualPrice0202, CManualPriceDB, CManualPrice>(0).converted),
      Converted(p0202, {1, 0}));
}

TEST_F(ManualPriceFile, FindRecordReadsThePriceThroughTheLimit) {
  CManualPriceDB table;
  ASSERT_EQ(table.CreateFile("MNPRICE.DB"), 0);
  // A price stored past the limit by another writer.
  const Bytes r = Price0203("c1", 0.0f, 123456.0f).converted;
  ASSERT_EQ(InsertRaw(table, r), 0);
  CManualPrice m;
  m.Text0 = "    ";
  m.Text4 = "        ";
  m.CustomerNumber = "c1";
  m.ItemNumber = "item-0000001";
  m.Text30 = "ea";
  ASSERT_EQ(table.FindRecord(m), 0);
  EXPECT_EQ(m.Price, 9999.99f);
  EXPECT_EQ(m.Text33, "A NOTE OF THIRTY-FIVE CHARACTERS!!!");
  m.Long68 = 7;
  EXPECT_EQ(table.UpdateRecord(m), 0);
  EXPECT_EQ(recfile::ReadInt32(&ReadAllRaw(table)[0][68]), 7);
  EXPECT_EQ(table.DeleteRecord(m), 0);
  EXPECT_EQ(table.FindRecord(m), 4);
}

}  // namespace
