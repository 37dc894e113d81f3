// Category table: the 44- and 48-byte layouts, the key, and the conversion from 0308 byte for
// byte.
#include "tables/catalog/category.h"

#include <gtest/gtest.h>

#include "tests/tables/catalog/catalog_test_util.h"

using cattest::Bytes;

namespace {

// A 0308 record as stored: code, Text5, Text8, Text38, Number40.
Bytes Raw0308(const std::string& code, const std::string& t5, const std::string& t8,
              const std::string& t38, int32_t n40) {
  Bytes b(44, 0);
  cattest::Put(b, 0, code, 5);
  cattest::Put(b, 5, t5, 3);
  cattest::Put(b, 8, t8, 30);
  cattest::Put(b, 38, t38, 2);
  cattest::PutI32(b, 40, n40);
  return b;
}

// The current record: the first 44 bytes with the upper-case texts upper-cased, then four zeros.
Bytes Current(const Bytes& old) {
  Bytes b(48, 0);
  std::copy(old.begin(), old.end(), b.begin());
  for (int at : {0, 1, 2, 3, 4, 5, 6, 7, 38, 39}) {
    b[at] = static_cast<uint8_t>(recfile::UpperChar(static_cast<char>(b[at])));
  }
  return b;
}

// Bytes 44 to 47 are written as zero whatever the buffer held; Extra is not stored, and a
// conversion sets it to its construction value.
TEST(CategoryLayout, ConversionAndTheZeroTail) {
  CCategory to;
  to.Extra = 7;
  ConvertRecord(CCategory0308{}, to);
  EXPECT_EQ(to.Extra, 1);
  uint8_t out[recfile::kMaxRecord];
  std::memset(out, 0xEE, sizeof out);
  ASSERT_EQ(recfile::Format(kCategoryLayout, to, out), 48u);
  EXPECT_EQ(Bytes(out + 44, out + 48), Bytes(4, 0));
}

class CategoryFile : public rectest::InScratchDir {};

TEST_F(CategoryFile, ConvertsFrom0308) {
  const std::vector<Bytes> old = {
      Raw0308("ab1", "x y", "Mixed case text of thirty char", "zq", -40),
      Raw0308("C0002", "ABC", "short", "", 0x7FFFFFFF),
      Raw0308("c3", "", std::string(30, 'w'), "a", 0),
  };
  cattest::WriteRaw<CCategory0308DB>("CATEGORY.DB", old);
  EXPECT_EQ((cattest::Upgrade<CCategory0308DB, CCategoryDB, CCategory0308, CCategory>()), 3);
  // Key order of the upper-cased codes: "AB1", "C0002", "C3".
  cattest::ExpectFile("TMP.DB", 0, {Current(old[0]), Current(old[1]), Current(old[2])});
}

TEST_F(CategoryFile, RecordOfAnotherLengthReads22) {
  {
    cattest::RawTable raw({40, false, {{{1, 5, 0}}}});
    ASSERT_EQ(raw.CreateFile("CATEGORY.DB"), 0);
    ASSERT_EQ(cattest::InsertRaw(raw, Bytes(40, 'A')), 0);
  }
  CCategory0308DB legacy;
  ASSERT_EQ(legacy.Open(), 0);
  CCategory0308 r;
  EXPECT_EQ(legacy.ReadFirst(r), 22);
}

TEST_F(CategoryFile, CodeIsUniqueAndUpdatesAndDeletesWork) {
  CCategoryDB db;
  ASSERT_EQ(db.CreateFile("CATEGORY.DB"), 0);
  CCategory c;
  c.CategoryCode = "meat";
  ASSERT_EQ(db.InsertRecord(c), 0);
  EXPECT_EQ(db.InsertRecord(c), 5);
  c.Text8 = "Changed";
  EXPECT_EQ(db.UpdateRecord(c), 0);
  EXPECT_EQ(db.DeleteRecord("MEAT"), 0);
  EXPECT_EQ(db.DeleteRecord("MEAT"), 0);
  db.Close();
  EXPECT_TRUE(cattest::ReadFile("CATEGORY.DB").empty());
}

}  // namespace
