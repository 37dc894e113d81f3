// Order guide item table: the unaligned 33-byte layout, integer keys, and the rebuild of step 1
// byte for byte, for both files.
#include "tables/catalog/guide_item.h"

#include <gtest/gtest.h>

#include "tests/tables/catalog/catalog_test_util.h"

namespace {

using namespace cattest;

Bytes Raw(const std::string& code, int32_t n6, int32_t n10, const std::string& t14,
          const std::string& t26, int32_t date) {
  Bytes b(33, 0);
  Put(b, 0, code, 6);
  PutI32(b, 6, n6);
  PutI32(b, 10, n10);
  Put(b, 14, t14, 12);
  Put(b, 26, t26, 3);
  PutI32(b, 29, date);
  return b;
}

Bytes Upper(Bytes b) {
  for (int at = 0; at < 29; ++at) {
    b[at] = at < 6 || at >= 14 ? UpperByte(b[at]) : b[at];
  }
  return b;
}

class GuideItemFile : public InScratchDir {};

// The rebuild of step 1 for one file: raw records written by hand, read with ReadFirst and
// ReadNext, copied, inserted into TMP.DB and compared byte for byte in key 0 order.
void Rebuild(const char* name, const std::vector<Bytes>& raw, const std::vector<int>& order) {
  SCOPED_TRACE(name);
  WriteRaw<CGuideItemDB>(raw, 0, name);
  std::vector<Bytes> want;
  for (int i : order) {
    want.push_back(Upper(raw[i]));
  }
  ExpectRecords(
      RunStep<CGuideItemDB, CGuideItem, CGuideItemDB, CGuideItem>(0, 0, {0}, name).converted, want);
}

// Key 0 compares Number6 as an integer: -3 before 5 before 256 (whose low byte is 0). The second
// file, "LGDEITM.DB", is rebuilt alike.
TEST_F(GuideItemFile, RebuildsBothFilesInIntegerKeyOrder) {
  Rebuild("GDEITEM.DB",
          {Raw("GUIDE1", 256, 1, "twelve chars", "x", 100), Raw("guide1", -3, 2, "", "", -1),
           Raw("GUIDE1", 5, 3, "a", "abc", 0), Raw("AAA", 7, 1, "first guide", "z", 12345)},
          {3, 1, 2, 0});
  Rebuild("LGDEITM.DB", {Raw("lg", 1, 1, "l", "l", 1), Raw("LG", 0, 2, "m", "m", 2)}, {1, 0});
}

TEST_F(GuideItemFile, UpdatesFindTheRecordByGuideCodeAndNumber10) {
  CGuideItemDB db;
  ASSERT_EQ(db.CreateFile("GDEITEM.DB"), 0);
  CGuideItem r;
  EXPECT_EQ(db.ReadNext(r, 2), 6);
  r.GuideCode = "g1";
  r.Number10 = 4;
  ASSERT_EQ(db.InsertRecord(r), 0);
  r.Number6 = 99;
  r.Text14 = "updated";
  EXPECT_EQ(db.UpdateRecord(r), 0);
  CGuideItem back;
  ASSERT_EQ(db.ReadFirst(back), 0);
  EXPECT_EQ(std::make_pair(back.Text14, back.Number6), std::make_pair(std::string("UPDATED"), 99));
}

}  // namespace
