// The accounts receivable table: the conversion of step 11 through a real file.
#include "tables/customers/ar.h"

#include "tests/tables/customers/test_util.h"

namespace {

using namespace custtest;

// A 0204 record and its conversion: the date is carried twice; texts other than the customer
// number and Text16 are upper-cased; the reserved bytes (0xEE) are not carried.
Pair Ar(const std::string& customer, int32_t date, const std::string& text16) {
  return Records(64, 68,
                 {{0, 0, customer, customer},
                  {6, -1, "\xEE\xEE", ""},
                  {8, 8, I32(date), I32(date)},
                  {-1, 12, "", I32(date)},
                  {12, 16, text16, text16},
                  {32, 36, "inv-0001", "INV-0001"},
                  {40, 44, "po#abc", "PO#ABC"},
                  {48, 52, "xy", "XY"},
                  {50, -1, "\xEE\xEE", ""},
                  {52, 56, F32(-52.25f) + F32(56.75f) + "Y", F32(-52.25f) + F32(56.75f) + "Y"},
                  {61, -1, "\xEE\xEE\xEE", ""}});
}

class ArFile : public InScratchDir {};

// Key 0, the customer number, allows duplicates and keeps them in the order stored; the customer
// number and the twenty-character text keep their lower case.
TEST_F(ArFile, Converts0204ByteForByteWithDuplicatesInKeyOrder) {
  const std::vector<Pair> ar = {Ar("c2", 1000, "second customer"),
                                Ar("c1", -1, "first item, Mixed"),
                                Ar("c1", 2000, "twenty characters!!!")};
  WriteRaw<CAr0204DB>(Legacy(ar));
  EXPECT_EQ((RunStep<CAr0204DB, CAr0204, CArDB, CAr>(0).converted), Converted(ar, {1, 2, 0}));
}

}  // namespace
