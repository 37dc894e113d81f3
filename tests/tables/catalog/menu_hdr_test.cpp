// Menu header table: the 0403 and current layouts, the stamp of insertion and the conversion of
// step 21 byte for byte.
#include "tables/catalog/menu_hdr.h"

#include <gtest/gtest.h>

#include <ctime>

#include "tests/tables/catalog/catalog_test_util.h"

namespace {

using namespace cattest;

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
  Put(b, 1, h.text1, 8);
  Put(b, 9, h.text9, 14);
  Put(b, 23, h.text23, 14);
  Put(b, 37, h.text37, 30);
  for (int i = 0; i < 4; ++i) {
    PutF64(b, 72 + 8 * i, h.amounts[i]);
  }
  PutI32(b, 104, h.date);
  Put(b, 108, h.note, h.note.size() + 1);
  return b;
}

// Upper case and spaces up to the width.
std::string SpaceFilled(const std::string& s, size_t width) {
  std::string out = s.substr(0, std::min(s.size(), width));
  recfile::UpperInPlace(out);
  out.resize(width, ' ');
  return out;
}

// The current record of a converted 0403 one, stamped `date`.
Bytes Current(const Header& h, int32_t date) {
  Bytes b(128 + h.note.size(), 0);
  b[0] = h.code0;
  Put(b, 1, SpaceFilled(h.text1, 8), 8);
  Put(b, 9, SpaceFilled(h.text9, 14), 14);
  Put(b, 23, SpaceFilled(h.text23, 14), 14);
  Put(b, 37, h.text37, 30);
  for (int i = 0; i < 4; ++i) {
    PutF64(b, 88 + 8 * i, h.amounts[i]);
  }
  PutI32(b, 120, date);
  Put(b, 124, h.note, h.note.size() + 1);
  return b;
}

// The file test below checks the converted fields; here, what a conversion never sets: the code
// of a new header and Text67, which 0403 lacks and a conversion clears.
TEST(MenuHdrLayout, NewHeaderAndText67) {
  CMenuHdr r;
  r.Text67 = "text 67";
  const Bytes b = Formatted(kMenuHdrLayout, r);
  ASSERT_EQ(b.size(), 128u);
  EXPECT_EQ(b[0], 'G');
  EXPECT_EQ(Str(b, 67, 8), std::string("text 67\0", 8));
  ConvertRecord(CMenuHdr0403{}, r);
  EXPECT_EQ(r.Text67, "");
}

class MenuHdrFile : public InScratchDir {};

TEST_F(MenuHdrFile, ConvertsFrom0403AndStampsTheInsertion) {
  const std::vector<Header> headers = {
      {'G', "abc", "menu one", "text twenty3", "Recipe, Mixed", "a note", {1, -2, 3.5, 4}, 12},
      {'g', "fullwdth", "fourteen chars", "", std::string(30, 'x'), "", {0, 0, 0, 0}, -1},
  };
  std::vector<Bytes> raw;
  for (const Header& h : headers) {
    raw.push_back(Raw0403(h));
  }
  WriteRaw<CMenuHdr0403DB>(raw);
  const int32_t before = static_cast<int32_t>(std::time(nullptr));
  // Key 1 order: "FOURTEEN CHARS" before "MENU ONE      ".
  const std::vector<Bytes> got =
      RunStep<CMenuHdr0403DB, CMenuHdr0403, CMenuHdrDB, CMenuHdr>(0, 1).converted;
  const int32_t after = static_cast<int32_t>(std::time(nullptr));
  ASSERT_EQ(got.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    const Header& h = headers[1 - i];
    ASSERT_GE(got[i].size(), 124u);
    const int32_t stamp = recfile::ReadInt32(&got[i][120]);
    EXPECT_GE(stamp, before);
    EXPECT_LE(stamp, after);
    EXPECT_EQ(FirstDifference(got[i], Current(h, stamp)), "") << i;
  }
}

}  // namespace
