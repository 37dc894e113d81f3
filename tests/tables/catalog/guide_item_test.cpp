// Order guide item table: the unaligned 33-byte layout, integer keys, and the rebuild of step 1
// byte for byte, for both files.
#include "tables/catalog/guide_item.h"

#include <gtest/gtest.h>

#include "tests/tables/catalog/catalog_test_util.h"

using cattest::Bytes;

namespace {

Bytes Raw(const std::string& code, int32_t n6, int32_t n10, const std::string& t14,
          const std::string& t26, int32_t date) {
  Bytes b(33, 0);
  cattest::Put(b, 0, code, 6);
  cattest::PutI32(b, 6, n6);
  cattest::PutI32(b, 10, n10);
  cattest::Put(b, 14, t14, 12);
  cattest::Put(b, 26, t26, 3);
  cattest::PutI32(b, 29, date);
  return b;
}

Bytes Upper(Bytes b) {
  for (int at = 0; at < 29; ++at) {
    if (at < 6 || at >= 14) {
      b[at] = static_cast<uint8_t>(recfile::UpperChar(static_cast<char>(b[at])));
    }
  }
  return b;
}

TEST(GuideItemLayout, DeclarationIsSound) {
  EXPECT_EQ(recfile::CheckLayout(kGuideItemLayout), "");
}

TEST(GuideItemLayout, NumbersAtOddOffsets) {
  const Bytes raw = Raw("gd1", -2, 0x01020304, "lower text12", "abc", -1);
  CGuideItem r;
  recfile::Parse(kGuideItemLayout, raw.data(), raw.size(), r);
  EXPECT_EQ(r.GuideCode, "GD1");
  EXPECT_EQ(r.Number6, -2);
  EXPECT_EQ(r.Number10, 0x01020304);
  EXPECT_EQ(r.Text14, "LOWER TEXT12");
  EXPECT_EQ(r.Text26, "ABC");
  EXPECT_EQ(r.Date29, -1);
  CGuideItem copy;
  copy.Copy(r);
  uint8_t out[recfile::kMaxRecord];
  ASSERT_EQ(recfile::Format(kGuideItemLayout, copy, out), 33u);
  EXPECT_EQ(cattest::FirstDifference(Bytes(out, out + 33), Upper(raw)), "");
}

TEST(GuideItemFileSpec, KeysAreStringAndInteger) {
  EXPECT_EQ(
      recfile::BuildSpecBlock(GuideItemFileSpec()),
      cattest::SpecBlock(33, false, 2,
                         {{1, 6, 0x13, 0}, {7, 4, 0x103, 1}, {1, 6, 0x10, 0}, {11, 4, 0x100, 1}}));
}

class GuideItemFile : public cattest::ScratchDir {};

// The rebuild of step 1 for one file: read with ReadFirst / ReadNext, copy, insert into TMP.DB.
void Rebuild(const char* name, const std::vector<Bytes>& raw, const std::vector<int>& order) {
  {
    CGuideItemDB db;
    ASSERT_EQ(db.CreateFile(name), 0);
    for (const Bytes& r : raw) {
      ASSERT_EQ(cattest::InsertRaw(db, r), 0);
    }
  }
  CGuideItemDB legacy;
  CGuideItemDB current;
  ASSERT_EQ(legacy.Open(name), 0);
  ASSERT_EQ(current.CreateFile("TMP.DB"), 0);
  CGuideItem r;
  CGuideItem R;
  int status = legacy.ReadFirst(r);
  for (; status == 0; status = legacy.ReadNext(r, 0)) {
    R.Copy(r);
    ASSERT_EQ(current.InsertRecord(R), 0);
  }
  EXPECT_EQ(status, 9);
  current.Close();
  const std::vector<Bytes> got = cattest::ReadFile("TMP.DB");
  ASSERT_EQ(got.size(), order.size());
  for (size_t i = 0; i < order.size(); ++i) {
    EXPECT_EQ(cattest::FirstDifference(got[i], Upper(raw[order[i]])), "") << i;
  }
}

TEST_F(GuideItemFile, RebuildsInIntegerKeyOrder) {
  // Key 0 compares Number6 as an integer: -3 before 5 before 256 (whose low byte is 0).
  const std::vector<Bytes> raw = {
      Raw("GUIDE1", 256, 1, "twelve chars", "x", 100),
      Raw("guide1", -3, 2, "", "", -1),
      Raw("GUIDE1", 5, 3, "a", "abc", 0),
      Raw("AAA", 7, 1, "first guide", "z", 12345),
  };
  Rebuild("GDEITEM.DB", raw, {3, 1, 2, 0});
}

TEST_F(GuideItemFile, SecondFileByNameBehavesAlike) {
  Rebuild("LGDEITM.DB", {Raw("lg", 1, 1, "l", "l", 1), Raw("LG", 0, 2, "m", "m", 2)}, {1, 0});
}

TEST_F(GuideItemFile, StatusesOfReadsAndTheUniqueKey) {
  CGuideItemDB db;
  ASSERT_EQ(db.CreateFile("GDEITEM.DB"), 0);
  CGuideItem r;
  EXPECT_EQ(db.ReadFirst(r), 9);
  EXPECT_EQ(db.ReadNext(r, 2), 6);
  r.GuideCode = "g1";
  r.Number10 = 4;
  ASSERT_EQ(db.InsertRecord(r), 0);
  r.Number6 = 99;
  EXPECT_EQ(db.InsertRecord(r), 5);  // guide code and Number10 are unique together
  r.Text14 = "updated";
  EXPECT_EQ(db.UpdateRecord(r), 0);
  CGuideItem back;
  ASSERT_EQ(db.ReadFirst(back), 0);
  EXPECT_EQ(back.Text14, "UPDATED");
  EXPECT_EQ(back.Number6, 99);
  EXPECT_EQ(db.GetRecordLength(), 33);
}

}  // namespace
