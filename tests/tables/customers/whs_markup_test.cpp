// The warehouse markup table: the lenient 0200 flags, the seventeen bytes that move up by one,
// reading on key 2 and the conversion of step 3 through a real file.
#include "tables/customers/whs_markup.h"

#include "tests/tables/customers/test_util.h"

namespace {

using namespace custtest;

// A 0200 record and its conversion: Flag44 ("N") new, the 0200 bytes 44 to 60 one up, the
// reserved bytes (0xEE) not carried.
Pair Markup(const std::string& text0, const std::string& text12, char flag28, char written28) {
  const std::string amounts = F32(32.5f) + F32(-36.5f) + I32(-1);
  const std::string lists = F32s(64, 1, 10) + F32s(-104, -1, 10);
  return Records(144, 144,
                 {{0, 0, text0, Upper(text0)},
                  {4, 4, "whse0004", "WHSE0004"},
                  {12, 12, text12, Upper(text12)},
                  {18, 18, "plabcvend5", "PLABCVEND5"},
                  {28, 28, std::string(1, flag28), std::string(1, written28)},
                  {29, 29, "NY\xEE", "NY"},
                  {32, 32, amounts, amounts},
                  {44, 45, "x\x01t47ayabcdefghij\xEE\xEE\xEE", "X\x01T47AYABCDEFGHIJ"},
                  {-1, 44, "", "N"},
                  {64, 64, lists, lists}});
}

// The 0200 reader takes "y" for a set flag (the conversion shows it); the current one does not.
TEST(WhsMarkupLayout, CurrentFlagsAreStrict) {
  Bytes c = Markup("ab", "t12", 'y', 'y').converted;
  CWhsMarkup cur;
  recfile::Parse(kWhsMarkupLayout, c.data(), c.size(), cur);
  EXPECT_FALSE(cur.Flag28);
}

class WhsMarkupFile : public InScratchDir {};

TEST_F(WhsMarkupFile, Converts0200ByteForByteReadingOnKey2) {
  // First in the file, last on key 2 (Text12).
  const std::vector<Pair> markups = {Markup("aa", "zz", 'y', 'Y'), Markup("bb", "mm", 'N', 'N'),
                                     Markup("cc", "aa", 'Y', 'Y')};
  WriteRaw<CWhsMarkup0200DB>(Legacy(markups), 3);
  const auto run = RunStep<CWhsMarkup0200DB, CWhsMarkup0200, CWhsMarkupDB, CWhsMarkup>(2, 3);
  ASSERT_EQ(run.read.size(), 3u);
  EXPECT_EQ(run.read[0].Text12, "AA");
  EXPECT_EQ(run.read[1].Text12, "MM");
  EXPECT_EQ(run.read[2].Text12, "ZZ");
  EXPECT_EQ(run.converted, Converted(markups, {0, 1, 2}));
}

}  // namespace
