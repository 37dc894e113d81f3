// Menu header table: the 0403 and current layouts, the note length, the stamp of insertion,
// the unique key, and the conversion of step 21 byte for byte.
#include "tables/catalog/menu_hdr.h"

#include <gtest/gtest.h>

#include <ctime>

#include "tests/tables/catalog/catalog_test_util.h"

using cattest::Bytes;

namespace {

struct Header {
  uint8_t code0;
  std::string text1, text9, text23, text37, note;
  double amounts[4];
  int32_t date;
};

// A 0403 record as stored: the note at 108, its terminator and three bytes behind (never
// shorter than the fixed part of 111).
Bytes Raw0403(const Header& h) {
  Bytes b(108 + h.note.size() + 4, 0xEE);
  b[0] = h.code0;
  cattest::Put(b, 1, h.text1, 8);
  cattest::Put(b, 9, h.text9, 14);
  cattest::Put(b, 23, h.text23, 14);
  cattest::Put(b, 37, h.text37, 30);
  for (int i = 0; i < 4; ++i) {
    cattest::PutF64(b, 72 + 8 * i, h.amounts[i]);
  }
  cattest::PutI32(b, 104, h.date);
  cattest::Put(b, 108, h.note, h.note.size() + 1);
  return b;
}

// Upper case and spaces up to the width.
std::string SpaceFilled(const std::string& s, size_t width) {
  std::string out = cattest::Upper(s.substr(0, std::min(s.size(), width)));
  out.resize(width, ' ');
  return out;
}

// The current record of a converted 0403 one, stamped `date`.
Bytes Current(const Header& h, int32_t date) {
  Bytes b(128 + h.note.size(), 0);
  b[0] = h.code0;
  cattest::Put(b, 1, SpaceFilled(h.text1, 8), 8);
  cattest::Put(b, 9, SpaceFilled(h.text9, 14), 14);
  cattest::Put(b, 23, SpaceFilled(h.text23, 14), 14);
  cattest::Put(b, 37, h.text37, 30);
  for (int i = 0; i < 4; ++i) {
    cattest::PutF64(b, 88 + 8 * i, h.amounts[i]);
  }
  cattest::PutI32(b, 120, date);
  cattest::Put(b, 124, h.note, h.note.size() + 1);
  return b;
}

TEST(MenuHdrLayout, DeclarationsAreSound) {
  EXPECT_EQ(recfile::CheckLayout(kMenuHdrLayout), "");
  EXPECT_EQ(recfile::CheckLayout(kMenuHdr0403Layout), "");
}

TEST(MenuHdrLayout, CurrentRecordIsSpaceFilledWithItsNote) {
  CMenuHdr r;
  r.Text1 = "abc";
  r.Text9 = "fourteen chars";
  r.Text23 = "";
  r.Text37 = "Mixed case";
  r.Text67 = "text 67";
  r.Amount88 = 1.5;
  r.Amount96 = -2.25;
  r.Amount104 = 1e100;
  r.Amount112 = 0.0;
  r.Date120 = 777;
  uint8_t out[recfile::kMaxRecord];
  ASSERT_EQ(recfile::Format(kMenuHdrLayout, r, out), 128u);
  Bytes want(128, 0);
  want[0] = 'G';  // the code of a new header
  cattest::Put(want, 1, "ABC     ", 8);
  cattest::Put(want, 9, "FOURTEEN CHARS", 14);
  cattest::Put(want, 23, std::string(14, ' '), 14);
  cattest::Put(want, 37, "Mixed case", 30);
  cattest::Put(want, 67, "text 67", 20);
  cattest::PutF64(want, 88, 1.5);
  cattest::PutF64(want, 96, -2.25);
  cattest::PutF64(want, 104, 1e100);
  cattest::PutI32(want, 120, 777);
  EXPECT_EQ(cattest::FirstDifference(Bytes(out, out + 128), want), "");
  EXPECT_EQ(r.Text1, "ABC");
  r.Note = std::string(5000, 'n');
  EXPECT_EQ(recfile::Format(kMenuHdrLayout, r, out), 124u + 4096 + 4);
}

TEST(MenuHdrLayout, ConversionCarriesEveryStoredValue) {
  const Header h{'r', "abc", "menu one", "text twenty3", "Recipe", "a note", {1, 2, 3, 4}, -1};
  const Bytes raw = Raw0403(h);
  CMenuHdr0403 old;
  recfile::Parse(kMenuHdr0403Layout, raw.data(), raw.size(), old);
  EXPECT_EQ(old.Code0, 'r');
  EXPECT_EQ(old.Text1, "ABC");
  EXPECT_EQ(old.Text23, "TEXT TWENTY3");
  EXPECT_EQ(old.Note, "a note");
  EXPECT_EQ(old.Date120, -1);
  CMenuHdr to;
  to.Text67 = "stale";
  ConvertRecord(old, to);
  EXPECT_EQ(to.Text67, "");
  EXPECT_EQ(to.Text23, "TEXT TWENTY3");
  EXPECT_EQ(to.Amount112, 4.0);
  EXPECT_EQ(to.Date120, -1);
}

TEST(MenuHdrFileSpec, BlocksMatchTheKeyTable) {
  EXPECT_EQ(recfile::BuildSpecBlock(MenuHdrFileSpec(127)),
            cattest::SpecBlock(127, true, 2, {{1, 9, 0x03}, {10, 14, 0}}));
  EXPECT_EQ(recfile::BuildSpecBlock(MenuHdrFileSpec(111)),
            cattest::SpecBlock(111, true, 2, {{1, 9, 0x03}, {10, 14, 0}}));
}

class MenuHdrFile : public cattest::ScratchDir {};

TEST_F(MenuHdrFile, ConvertsFrom0403AndStampsTheInsertion) {
  const std::vector<Header> headers = {
      {'G', "abc", "menu one", "text twenty3", "Recipe, Mixed", "a note", {1, -2, 3.5, 4}, 12},
      {'g', "fullwdth", "fourteen chars", "", std::string(30, 'x'), "", {0, 0, 0, 0}, -1},
  };
  {
    CMenuHdr0403DB db;
    ASSERT_EQ(db.CreateFile("MenuHdr.DB"), 0);
    for (const Header& h : headers) {
      ASSERT_EQ(cattest::InsertRaw(db, Raw0403(h)), 0);
    }
  }
  const int32_t before = static_cast<int32_t>(std::time(nullptr));
  CMenuHdr0403DB legacy;
  CMenuHdrDB current;
  ASSERT_EQ(legacy.Open(), 0);
  ASSERT_EQ(current.CreateFile("TMP.DB"), 0);
  CMenuHdr0403 r;
  CMenuHdr R;
  int status = legacy.ReadFirst(r);
  for (; status == 0; status = legacy.ReadNext(r)) {
    ConvertRecord(r, R);
    ASSERT_EQ(current.InsertRecord(R), 0);
  }
  EXPECT_EQ(status, 9);
  current.Close();
  const int32_t after = static_cast<int32_t>(std::time(nullptr));
  // Key 1 order: "FOURTEEN CHARS" before "MENU ONE      ".
  const std::vector<Bytes> got = cattest::ReadFile("TMP.DB", 1);
  ASSERT_EQ(got.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    const Header& h = headers[1 - i];
    ASSERT_GE(got[i].size(), 124u);
    const int32_t stamp = recfile::ReadInt32(&got[i][120]);
    EXPECT_GE(stamp, before);
    EXPECT_LE(stamp, after);
    EXPECT_EQ(cattest::FirstDifference(got[i], Current(h, stamp)), "") << i;
  }
}

TEST_F(MenuHdrFile, Text9IsUnique) {
  CMenuHdrDB db;
  ASSERT_EQ(db.CreateFile("MENUHDR.DB"), 0);
  CMenuHdr r;
  r.Text9 = "dup";
  ASSERT_EQ(db.InsertRecord(r), 0);
  r.Text1 = "other";
  EXPECT_EQ(db.InsertRecord(r), 5);
}

}  // namespace
