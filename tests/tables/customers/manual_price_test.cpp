// The manual price table: layouts, the price limit, the leading twelve bytes of converted
// records and the conversions of steps 9a and 9b through real files.
#include "tables/customers/manual_price.h"

#include <cmath>
#include <limits>

#include "recfile/field_codec.h"
#include "tests/tables/customers/test_util.h"

namespace {

using custtest::Bytes;
using custtest::Put;
using custtest::PutF32;
using custtest::PutI32;

Bytes Raw0203(const std::string& customer, float price) {
  Bytes r(76, 0);
  Put(r, 0, customer);
  Put(r, 6, "item-0000001");
  Put(r, 18, "ea");
  Put(r, 21, "a note of thirty-five characters!!!");
  PutI32(r, 56, -56);
  r[60] = 'q';  // a byte: kept as it stands
  r[61] = r[62] = r[63] = 0xEE;
  PutF32(r, 64, price);
  Put(r, 68, "t80");
  r[72] = 0x84;
  r[73] = 'Y';
  r[74] = r[75] = 0xEE;
  return r;
}

Bytes Expected0203(const std::string& customer, float price) {
  Bytes r(88, 0);
  Put(r, 0, "            ");  // Text0 and Text4: twelve spaces
  Put(r, 12, customer);
  Put(r, 18, "ITEM-0000001");
  Put(r, 30, "EA");
  Put(r, 33, "A NOTE OF THIRTY-FIVE CHARACTERS!!!");
  PutI32(r, 68, -56);
  r[72] = 'q';
  PutF32(r, 76, price);
  Put(r, 80, "T80");
  r[84] = 0x84;
  r[85] = 'Y';
  return r;
}

Bytes Raw0202(const std::string& customer, float price) {
  Bytes r(48, 0);
  Put(r, 0, customer);
  Put(r, 6, "item-0000002");
  Put(r, 18, "cs");
  r[21] = r[22] = r[23] = 0xEE;
  PutI32(r, 24, 24242424);
  r[28] = r[29] = r[30] = r[31] = 0xEE;
  PutF32(r, 32, price);
  PutF32(r, 36, 36.5f);
  Put(r, 40, "abcd");
  r[44] = 'Y';
  r[45] = r[46] = r[47] = 0xEE;
  return r;
}

Bytes Expected0202(const std::string& customer, float price) {
  Bytes r(88, 0);  // Text0, Text4 and Text33 empty: NUL bytes
  Put(r, 12, customer);
  Put(r, 18, "ITEM-0000002");
  Put(r, 30, "CS");
  PutI32(r, 68, 24242424);
  r[72] = ' ';
  PutF32(r, 76, price);
  Put(r, 80, "ABCD");
  r[84] = ' ';
  r[85] = 'N';  // Flag44 is not carried over
  return r;
}

float StoredPrice(float price) {
  CManualPrice m;
  m.Price = price;
  Bytes out(88);
  recfile::Format(kManualPriceLayout, m, out.data());
  return recfile::ReadFloat32(&out[76]);
}

TEST(ManualPriceLayout, DeclarationsAreSoundAndLeaveOnlyTheReservedBytes) {
  using custtest::Join;
  using custtest::Range;
  EXPECT_EQ(recfile::CheckLayout(kManualPriceLayout), "");
  EXPECT_EQ(recfile::CheckLayout(kManualPrice0203Layout), "");
  EXPECT_EQ(recfile::CheckLayout(kManualPrice0202Layout), "");
  EXPECT_EQ(custtest::Uncovered(kManualPriceLayout), Join({Range(73, 75), Range(86, 87)}));
  EXPECT_EQ(custtest::Uncovered(kManualPrice0203Layout), Join({Range(61, 63), Range(74, 75)}));
  EXPECT_EQ(custtest::Uncovered(kManualPrice0202Layout),
            Join({Range(21, 23), Range(28, 31), Range(45, 47)}));
}

TEST(ManualPriceLimit, AboveBelowAtAndNaN) {
  const float top = 9999.99f;
  EXPECT_EQ(StoredPrice(12345.0f), top);
  EXPECT_EQ(StoredPrice(-12345.0f), -top);
  EXPECT_EQ(StoredPrice(top), top);
  EXPECT_EQ(StoredPrice(-top), -top);
  EXPECT_EQ(StoredPrice(std::numeric_limits<float>::quiet_NaN()), -top);
  EXPECT_EQ(StoredPrice(std::numeric_limits<float>::infinity()), top);
  EXPECT_EQ(StoredPrice(9999.98f), 9999.98f);
  EXPECT_EQ(StoredPrice(-9999.98f), -9999.98f);
  EXPECT_EQ(StoredPrice(0.0f), 0.0f);
  CManualPrice m;
  m.Price = 20000.0f;
  Bytes out(88);
  recfile::Format(kManualPriceLayout, m, out.data());
  EXPECT_EQ(m.Price, 20000.0f);  // the record object keeps what it holds
}

TEST(ManualPriceLimit, LegacyReadsTakeThePriceUnchanged) {
  Bytes r = Raw0203("c1", 50000.0f);
  CManualPrice0203 m;
  recfile::Parse(kManualPrice0203Layout, r.data(), r.size(), m);
  EXPECT_EQ(m.Price, 50000.0f);
}

TEST(ManualPriceSpec, BlocksByteForByte) {
  EXPECT_EQ(custtest::CapturedBlock<CManualPriceDB>(),
            custtest::ExpectedBlock(88, 3, {{1, 33, 0}, {19, 12, 3}, {34, 35, 3}}));
  EXPECT_EQ(custtest::CapturedBlock<CManualPrice0203DB>(),
            custtest::ExpectedBlock(76, 3, {{1, 21, 0}, {7, 12, 3}, {22, 35, 3}}));
  EXPECT_EQ(custtest::CapturedBlock<CManualPrice0202DB>(),
            custtest::ExpectedBlock(48, 2, {{1, 21, 0}, {7, 12, 3}}));
}

class ManualPriceFile : public custtest::ScratchDir {};

template <class LegacyDB, class Legacy>
std::vector<Bytes> ConvertFile(const std::vector<Bytes>& raw) {
  {
    LegacyDB old;
    EXPECT_EQ(old.CreateFile("MNPRICE.DB"), 0);
    for (const Bytes& r : raw) {
      EXPECT_EQ(custtest::InsertRaw(old, r), 0);
    }
  }
  LegacyDB old;
  CManualPriceDB fresh;
  EXPECT_EQ(old.Open(), 0);
  EXPECT_EQ(fresh.CreateFile("TMP.DB"), 0);
  Legacy r;
  CManualPrice m;  // one object for the whole table, as the run keeps it
  int status = old.ReadFirst(r);
  while (status == 0) {
    ConvertRecord(r, m);
    EXPECT_EQ(fresh.InsertRecord(m), 0);
    status = old.ReadNext(r);
  }
  EXPECT_EQ(status, 9);
  return custtest::ReadAllRaw(fresh);
}

TEST_F(ManualPriceFile, Converts0203ByteForByteWithSpacesInFront) {
  const std::vector<Bytes> got = ConvertFile<CManualPrice0203DB, CManualPrice0203>(
      {Raw0203("c2", 10000.0f), Raw0203("c1", 12.5f), Raw0203("c3", -10000.0f)});
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0], Expected0203("C1", 12.5f));
  EXPECT_EQ(got[1], Expected0203("C2", 9999.99f));
  EXPECT_EQ(got[2], Expected0203("C3", -9999.99f));
}

TEST_F(ManualPriceFile, Converts0202ByteForByteWithNulsInFront) {
  const std::vector<Bytes> got = ConvertFile<CManualPrice0202DB, CManualPrice0202>(
      {Raw0202("c2", 9999.99f), Raw0202("c1", std::numeric_limits<float>::quiet_NaN())});
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0], Expected0202("C1", -9999.99f));
  EXPECT_EQ(got[1], Expected0202("C2", 9999.99f));
}

TEST_F(ManualPriceFile, StatusesOfTheReaders) {
  CManualPrice0202DB table;
  ASSERT_EQ(table.CreateFile("MNPRICE.DB"), 0);
  CManualPrice0202 r;
  EXPECT_EQ(table.ReadFirst(r), 9);
  ASSERT_EQ(custtest::InsertRaw(table, Raw0202("c1", 1.0f)), 0);
  EXPECT_EQ(custtest::InsertRaw(table, Raw0202("c1", 2.0f)), 5);  // key 0 is unique
  table.Close();
  CManualPrice0203DB wrong;  // expects 76-byte records
  ASSERT_EQ(wrong.Open(), 0);
  CManualPrice0203 r3;
  EXPECT_EQ(wrong.ReadFirst(r3), 22);
}

TEST_F(ManualPriceFile, FindRecordReadsThePriceThroughTheLimit) {
  CManualPriceDB table;
  ASSERT_EQ(table.CreateFile("MNPRICE.DB"), 0);
  Bytes r = Expected0203("C1", 0.0f);
  PutF32(r, 76, 123456.0f);  // stored past the limit by another writer
  ASSERT_EQ(custtest::InsertRaw(table, r), 0);
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
  EXPECT_EQ(recfile::ReadInt32(&custtest::ReadAllRaw(table)[0][68]), 7);
  EXPECT_EQ(table.DeleteRecord(m), 0);
  EXPECT_EQ(table.FindRecord(m), 4);
}

}  // namespace
