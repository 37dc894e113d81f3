// Category table: the conversion from 0308 byte for byte (the 44-byte record grows by four zero
// bytes), and updates and deletes by code.
#include "tables/catalog/category.h"

#include <gtest/gtest.h>

#include "tests/tables/catalog/catalog_test_util.h"

namespace {

using namespace cattest;

// A 0308 record as stored: code, Text5, Text8, Text38, Number40.
Bytes Raw0308(const std::string& code, const std::string& t5, const std::string& t8,
              const std::string& t38, int32_t n40) {
  Bytes b(44, 0);
  Put(b, 0, code, 5);
  Put(b, 5, t5, 3);
  Put(b, 8, t8, 30);
  Put(b, 38, t38, 2);
  PutI32(b, 40, n40);
  return b;
}

// The current record: the first 44 bytes with the upper-case texts upper-cased, then four zeros.
Bytes Current(const Bytes& old) {
  Bytes b(48, 0);
  std::copy(old.begin(), old.end(), b.begin());
  for (int at : {0, 1, 2, 3, 4, 5, 6, 7, 38, 39}) {
    b[at] = UpperByte(b[at]);
  }
  return b;
}

class CategoryFile : public InScratchDir {};

TEST_F(CategoryFile, ConvertsFrom0308) {
  const std::vector<Bytes> old = {
      Raw0308("ab1", "x y", "Mixed case text of thirty char", "zq", -40),
      Raw0308("C0002", "ABC", "short", "", 0x7FFFFFFF),
      Raw0308("c3", "", std::string(30, 'w'), "a", 0),
  };
  WriteRaw<CCategory0308DB>(old);
  // Key order of the upper-cased codes: "AB1", "C0002", "C3".
  ExpectRecords(RunStep<CCategory0308DB, CCategory0308, CCategoryDB, CCategory>(0).converted,
                {Current(old[0]), Current(old[1]), Current(old[2])});
  // Extra is not stored; a conversion sets it to its construction value.
  CCategory to;
  to.Extra = 7;
  ConvertRecord(CCategory0308{}, to);
  EXPECT_EQ(to.Extra, 1);
}

TEST_F(CategoryFile, UpdatesAndDeletesByCode) {
  CCategoryDB db;
  ASSERT_EQ(db.CreateFile("CATEGORY.DB"), 0);
  CCategory c;
  c.CategoryCode = "meat";
  ASSERT_EQ(db.InsertRecord(c), 0);
  c.Text8 = "Changed";
  EXPECT_EQ(db.UpdateRecord(c), 0);
  EXPECT_EQ(db.DeleteRecord("MEAT"), 0);
  EXPECT_EQ(db.DeleteRecord("MEAT"), 0);
  EXPECT_TRUE(ReadAllRaw(db).empty());
}

}  // namespace
