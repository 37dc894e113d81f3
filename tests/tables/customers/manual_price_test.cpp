// The manual price table: layouts, the price limit, the leading twelve bytes of converted
// records and the conversions of steps 9a and 9b through real files.
#include "tables/customers/manual_price.h"

#include <cmath>
#include <limits>

#include "recfile/field_codec.h"
#include "tests/tables/customers/test_util.h"

namespace {

using namespace custtest;

Bytes Raw0203(const std::string& customer, float price) {
  Bytes r(76, 0);
  Put(r, 0, customer);
  Put(r, 6, "item-0000001ea");
  Put(r, 21, "a note of thirty-five characters!!!");
  PutI32(r, 56, -56);
  Put(r, 60, "q\xEE\xEE\xEE");  // Byte60, kept as it stands, and reserved bytes
  PutF32(r, 64, price);
  Put(r, 68, "t80");
  Put(r, 72, "\x84Y\xEE\xEE");
  return r;
}

Bytes Expected0203(const std::string& customer, float price) {
  Bytes r(88, 0);
  Put(r, 0, "            ");  // Text0 and Text4: twelve spaces
  Put(r, 12, customer);
  Put(r, 18, "ITEM-0000001EA");
  Put(r, 33, "A NOTE OF THIRTY-FIVE CHARACTERS!!!");
  PutI32(r, 68, -56);
  r[72] = 'q';
  PutF32(r, 76, price);
  Put(r, 80, "T80");
  Put(r, 84, "\x84Y");
  return r;
}

Bytes Raw0202(const std::string& customer, float price) {
  Bytes r(48, 0);
  Put(r, 0, customer);
  Put(r, 6, "item-0000002cs");
  r[21] = r[22] = r[23] = 0xEE;
  PutI32(r, 24, 24242424);
  Put(r, 28, "\xEE\xEE\xEE\xEE");
  PutF32(r, 32, price);
  PutF32(r, 36, 36.5f);
  Put(r, 40, "abcdY\xEE\xEE\xEE");  // Text40, Flag44, reserved bytes
  return r;
}

Bytes Expected0202(const std::string& customer, float price) {
  Bytes r(88, 0);  // Text0, Text4 and Text33 empty: NUL bytes
  Put(r, 12, customer);
  Put(r, 18, "ITEM-0000002CS");
  PutI32(r, 68, 24242424);
  r[72] = ' ';
  PutF32(r, 76, price);
  Put(r, 80, "ABCD N");  // Flag44 is not carried over: "N" at 85
  return r;
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
  Bytes out(88);
  recfile::Format(kManualPriceLayout, m, out.data());
  EXPECT_EQ(m.Price, 20000.0f);  // the record object keeps what it holds
}

class ManualPriceFile : public rectest::InScratchDir {};

// Steps 9a and 9b: read on key 0, convert, insert; the new file's raw records in key-0 order.
template <class LegacyDB, class Legacy>
std::vector<Bytes> ConvertFile(const std::vector<Bytes>& raw) {
  WriteRaw<LegacyDB>(raw);
  return RunStep<LegacyDB, Legacy, CManualPriceDB, CManualPrice>(0).converted;
}

TEST_F(ManualPriceFile, Converts0203ByteForByteWithSpacesInFront) {
  const std::vector<Bytes> got = ConvertFile<CManualPrice0203DB, CManualPrice0203>(
      {Raw0203("c2", 10000.0f), Raw0203("c1", 12.5f), Raw0203("c3", -10000.0f)});
  EXPECT_EQ(got, (std::vector<Bytes>{Expected0203("C1", 12.5f), Expected0203("C2", 9999.99f),
                                     Expected0203("C3", -9999.99f)}));
}

TEST_F(ManualPriceFile, Converts0202ByteForByteWithNulsInFront) {
  const std::vector<Bytes> got = ConvertFile<CManualPrice0202DB, CManualPrice0202>(
      {Raw0202("c2", 9999.99f), Raw0202("c1", std::numeric_limits<float>::quiet_NaN())});
  EXPECT_EQ(got, (std::vector<Bytes>{Expected0202("C1", -9999.99f), Expected0202("C2", 9999.99f)}));
}

TEST_F(ManualPriceFile, FindRecordReadsThePriceThroughTheLimit) {
  CManualPriceDB table;
  ASSERT_EQ(table.CreateFile("MNPRICE.DB"), 0);
  Bytes r = Expected0203("C1", 0.0f);
  PutF32(r, 76, 123456.0f);  // stored past the limit by another writer
  ASSERT_EQ(InsertRaw(table, r), 0);
  EXPECT_EQ(InsertRaw(table, r), 5);  // key 0 is unique
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
