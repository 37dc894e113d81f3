// The warehouse markup table: layouts, the lenient 0200 flags, the seventeen bytes that move up
// by one, reading on key 2 and the conversion of step 3 through a real file.
#include "tables/customers/whs_markup.h"

#include "recfile/field_codec.h"
#include "tests/tables/customers/test_util.h"

namespace {

using namespace custtest;

Bytes Raw0200(const std::string& text0, const std::string& text12, char flag28) {
  Bytes r(144, 0);
  Put(r, 0, text0);
  Put(r, 4, "whse0004");
  Put(r, 12, text12);
  Put(r, 18, "plabcvend5");  // Text18, Text20, Text23
  r[28] = static_cast<uint8_t>(flag28);
  Put(r, 29, "NY\xEE");
  PutF32(r, 32, 32.5f);
  PutF32(r, 36, -36.5f);
  PutI32(r, 40, -1);
  Put(r, 44, "x\x01t47ayabcdefghij\xEE\xEE\xEE");  // Byte44 to Text51, the reserved bytes
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
  Put(r, 18, "PLABCVEND5");
  r[28] = static_cast<uint8_t>(flag28);
  Put(r, 29, "NY");
  PutF32(r, 32, 32.5f);
  PutF32(r, 36, -36.5f);
  PutI32(r, 40, -1);
  Put(r, 44, "NX\x01T47AYABCDEFGHIJ");  // Flag44 new, the 0200 bytes 44 to 60 one up
  for (int i = 0; i < 10; ++i) {
    PutF32(r, 64 + 4 * i, 64.0f + i);
    PutF32(r, 104 + 4 * i, -104.0f - i);
  }
  return r;
}

// The 0200 reader takes "y" for a set flag (the conversion shows it); the current one does not.
TEST(WhsMarkupLayout, CurrentFlagsAreStrict) {
  Bytes c = Expected("AB", "T12", 'y');
  CWhsMarkup cur;
  recfile::Parse(kWhsMarkupLayout, c.data(), c.size(), cur);
  EXPECT_FALSE(cur.Flag28);
}

class WhsMarkupFile : public rectest::InScratchDir {};

TEST_F(WhsMarkupFile, Converts0200ByteForByteReadingOnKey2) {
  // First in the file, last on key 2 (Text12).
  WriteRaw<CWhsMarkup0200DB>(
      {Raw0200("aa", "zz", 'y'), Raw0200("bb", "mm", 'N'), Raw0200("cc", "aa", 'Y')}, 3);
  const auto run = RunStep<CWhsMarkup0200DB, CWhsMarkup0200, CWhsMarkupDB, CWhsMarkup>(2, 3);
  ASSERT_EQ(run.read.size(), 3u);
  EXPECT_EQ(run.read[0].Text12, "AA");
  EXPECT_EQ(run.read[1].Text12, "MM");
  EXPECT_EQ(run.read[2].Text12, "ZZ");
  EXPECT_EQ(run.converted, (std::vector<Bytes>{Expected("AA", "ZZ", 'Y'), Expected("BB", "MM", 'N'),
                                               Expected("CC", "AA", 'Y')}));
  CWhsMarkupDB table;
  ASSERT_EQ(table.Open("TMP.DB"), 0);
  EXPECT_EQ(InsertRaw(table, Expected("AA", "ZZ", 'Y'), 3), 5);  // key 3 is unique
}

}  // namespace
