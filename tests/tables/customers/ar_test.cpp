// The accounts receivable table: the conversion of step 11 through a real file.
#include "tables/customers/ar.h"

#include "recfile/field_codec.h"
#include "tests/tables/customers/step_run.h"

namespace {

using namespace custtest;

Bytes Raw0204(const std::string& customer, int32_t date, const std::string& text16) {
  Bytes r(64, 0);
  Put(r, 0, customer);
  r[6] = r[7] = 0xEE;
  PutI32(r, 8, date);
  Put(r, 12, text16);
  Put(r, 32, "inv-0001");
  Put(r, 40, "po#abc");
  Put(r, 48, "xy");
  r[50] = r[51] = 0xEE;
  PutF32(r, 52, -52.25f);
  PutF32(r, 56, 56.75f);
  r[60] = 'Y';
  r[61] = r[62] = r[63] = 0xEE;
  return r;
}

Bytes Expected(const std::string& customer, int32_t date, const std::string& text16) {
  Bytes r(68, 0);
  Put(r, 0, customer);
  PutI32(r, 8, date);
  PutI32(r, 12, date);
  Put(r, 16, text16);
  Put(r, 36, "INV-0001");
  Put(r, 44, "PO#ABC");
  Put(r, 52, "XY");
  PutF32(r, 56, -52.25f);
  PutF32(r, 60, 56.75f);
  r[64] = 'Y';
  return r;
}

class ArFile : public rectest::InScratchDir {};

TEST_F(ArFile, Converts0204ByteForByteWithDuplicatesInKeyOrder) {
  WriteRaw<CAr0204DB>({Raw0204("c2", 1000, "second customer"),
                       Raw0204("c1", -1, "first item, Mixed"),
                       Raw0204("c1", 2000, "twenty characters!!!")});
  const std::vector<Bytes> got = RunStep<CAr0204DB, CAr0204, CArDB, CAr>(0).converted;
  ASSERT_EQ(got.size(), 3u);
  // The customer number and the twenty-character text keep their lower case.
  EXPECT_EQ(got[0], Expected("c1", -1, "first item, Mixed"));
  EXPECT_EQ(got[1], Expected("c1", 2000, "twenty characters!!!"));
  EXPECT_EQ(got[2], Expected("c2", 1000, "second customer"));
}

TEST_F(ArFile, StatusesOfTheReaders) {
  CAr0204DB table;
  ASSERT_EQ(table.CreateFile("AR.DB"), 0);
  CAr0204 r;
  EXPECT_EQ(table.ReadFirst(r), 9);
  ASSERT_EQ(InsertRaw(table, Raw0204("c1", 0, "x")), 0);
  ASSERT_EQ(InsertRaw(table, Raw0204("c1", 0, "x")), 0);  // duplicates allowed
  ASSERT_EQ(table.ReadFirst(r), 0);
  ASSERT_EQ(table.ReadNext(r), 0);
  EXPECT_EQ(table.ReadNext(r), 9);
  table.Close();
  // 68-byte records where the 0204 reader expects 64.
  EXPECT_EQ((FirstReadOfOtherLength<CArDB, CAr0204DB>(Expected("c1", 0, "x"), r)), 22);
}

}  // namespace
