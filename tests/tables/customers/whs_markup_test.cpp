// The warehouse markup table: layouts, the lenient 0200 flags, the seventeen bytes that move up
// by one, reading on key 2 and the conversion of step 3 through a real file.
#include "tables/customers/whs_markup.h"

#include "recfile/field_codec.h"
#include "tests/tables/customers/test_util.h"

namespace {

using custtest::Bytes;
using custtest::Put;
using custtest::PutF32;
using custtest::PutI32;

Bytes Raw0200(const std::string& text0, const std::string& text12, char flag28) {
  Bytes r(144, 0);
  Put(r, 0, text0);
  Put(r, 4, "whse0004");
  Put(r, 12, text12);
  Put(r, 18, "pl");
  Put(r, 20, "abc");
  Put(r, 23, "vend5");
  r[28] = static_cast<uint8_t>(flag28);
  r[29] = 'N';
  r[30] = 'Y';
  r[31] = 0xEE;
  PutF32(r, 32, 32.5f);
  PutF32(r, 36, -36.5f);
  PutI32(r, 40, -1);
  r[44] = 'x';
  r[45] = 0x01;
  Put(r, 46, "t47a");
  r[50] = 'y';
  Put(r, 51, "abcdefghij");
  r[61] = r[62] = r[63] = 0xEE;
  for (int i = 0; i < 10; ++i) {
    PutF32(r, 64 + 4 * i, 64.0f + i);
    PutF32(r, 104 + 4 * i, -104.0f - i);
  }
  return r;
}

Bytes Expected(const std::string& text0, const std::string& text12, char flag28) {
  Bytes r(144, 0);
  Put(r, 0, text0);
  Put(r, 4, "WHSE0004");
  Put(r, 12, text12);
  Put(r, 18, "PL");
  Put(r, 20, "ABC");
  Put(r, 23, "VEND5");
  r[28] = static_cast<uint8_t>(flag28);
  r[29] = 'N';
  r[30] = 'Y';
  PutF32(r, 32, 32.5f);
  PutF32(r, 36, -36.5f);
  PutI32(r, 40, -1);
  r[44] = 'N';  // Flag44, new
  r[45] = 'X';
  r[46] = 0x01;
  Put(r, 47, "T47A");
  r[51] = 'Y';
  Put(r, 52, "ABCDEFGHIJ");
  for (int i = 0; i < 10; ++i) {
    PutF32(r, 64 + 4 * i, 64.0f + i);
    PutF32(r, 104 + 4 * i, -104.0f - i);
  }
  return r;
}

TEST(WhsMarkupLayout, DeclarationsAreSoundAndLeaveOnlyTheReservedBytes) {
  using custtest::Join;
  using custtest::Range;
  EXPECT_EQ(recfile::CheckLayout(kWhsMarkupLayout), "");
  EXPECT_EQ(recfile::CheckLayout(kWhsMarkup0200Layout), "");
  EXPECT_EQ(custtest::Uncovered(kWhsMarkupLayout), Join({Range(31, 31), Range(62, 63)}));
  EXPECT_EQ(custtest::Uncovered(kWhsMarkup0200Layout), Join({Range(31, 31), Range(61, 63)}));
}

TEST(WhsMarkupLayout, LenientFlagsIn0200StrictInTheCurrentLayout) {
  Bytes r = Raw0200("ab", "t12", 'y');
  CWhsMarkup0200 old;
  recfile::Parse(kWhsMarkup0200Layout, r.data(), r.size(), old);
  EXPECT_TRUE(old.Flag28);
  EXPECT_TRUE(old.Flag51);
  EXPECT_EQ(old.Byte45, 'X');
  Bytes c = Expected("AB", "T12", 'y');
  CWhsMarkup cur;
  recfile::Parse(kWhsMarkupLayout, c.data(), c.size(), cur);
  EXPECT_FALSE(cur.Flag28);
}

TEST(WhsMarkupSpec, BothLayoutsShareTheBlock) {
  const Bytes want = custtest::ExpectedBlock(144, 6,
                                             {{1, 4, 1},
                                              {5, 8, 1},
                                              {13, 6, 1},
                                              {1, 31, 0},
                                              {1, 29, 0x11},
                                              {31, 1, 1},
                                              {1, 28, 0x11},
                                              {30, 2, 1}});
  EXPECT_EQ(want.size(), 144u);
  EXPECT_EQ(custtest::CapturedBlock<CWhsMarkupDB>(), want);
  EXPECT_EQ(custtest::CapturedBlock<CWhsMarkup0200DB>(), want);
}

class WhsMarkupFile : public custtest::ScratchDir {};

TEST_F(WhsMarkupFile, Converts0200ByteForByteReadingOnKey2) {
  {
    CWhsMarkup0200DB old;
    ASSERT_EQ(old.CreateFile("WHSMRKUP.DB"), 0);
    // First in the file, last on key 2 (Text12).
    ASSERT_EQ(custtest::InsertRaw(old, Raw0200("aa", "zz", 'y'), 3), 0);
    ASSERT_EQ(custtest::InsertRaw(old, Raw0200("bb", "mm", 'N'), 3), 0);
    ASSERT_EQ(custtest::InsertRaw(old, Raw0200("cc", "aa", 'Y'), 3), 0);
  }
  CWhsMarkup0200DB old;
  CWhsMarkupDB fresh;
  ASSERT_EQ(old.Open(), 0);
  ASSERT_EQ(fresh.CreateFile("TMP.DB"), 0);
  CWhsMarkup0200 r;
  CWhsMarkup m;
  std::vector<std::string> order;
  int status = old.ReadFirst(r, 2);
  while (status == 0) {
    order.push_back(r.Text12);
    ConvertRecord(r, m);
    ASSERT_EQ(fresh.InsertRecord(m), 0);
    status = old.ReadNext(r, 2);
  }
  EXPECT_EQ(status, 9);
  EXPECT_EQ(order, (std::vector<std::string>{"AA", "MM", "ZZ"}));
  const std::vector<Bytes> got = custtest::ReadAllRaw(fresh, 3);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0], Expected("AA", "ZZ", 'Y'));
  EXPECT_EQ(got[1], Expected("BB", "MM", 'N'));
  EXPECT_EQ(got[2], Expected("CC", "AA", 'Y'));
}

TEST_F(WhsMarkupFile, StatusesOfTheReaders) {
  CWhsMarkup0200DB table;
  ASSERT_EQ(table.CreateFile("WHSMRKUP.DB"), 0);
  CWhsMarkup0200 r;
  EXPECT_EQ(table.ReadFirst(r, 2), 9);
  EXPECT_EQ(table.ReadFirst(r, 6), 6);
  EXPECT_EQ(table.ReadNext(r, -1), 6);
  ASSERT_EQ(custtest::InsertRaw(table, Raw0200("aa", "zz", 'Y'), 3), 0);
  EXPECT_EQ(custtest::InsertRaw(table, Raw0200("aa", "zz", 'Y'), 3), 5);  // key 3 is unique
  ASSERT_EQ(table.ReadFirst(r, 0), 0);
  EXPECT_EQ(table.ReadNext(r, 0), 9);
}

}  // namespace
