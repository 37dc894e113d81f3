// The accounts receivable table: the conversion of step 11 through a real file.
#include "tables/customers/ar.h"

#include "recfile/field_codec.h"
#include "tests/tables/customers/test_util.h"

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

// Key 0, the customer number, allows duplicates and keeps them in the order stored.
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

}  // namespace
