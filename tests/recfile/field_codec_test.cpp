// The field codec byte by byte: every encoding's read and write rules, lists, notes, padding,
// and the layout checks.
#include "recfile/field_codec.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "recfile/file_definition.h"

using recfile::Enc;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes B(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

struct Rec {
  std::string text, upper, upperOnRead, space, zip, phone, note;
  bool yes = false, lenient = false;
  char ch = 0, chRead = 0, raw = 0;
  uint8_t byte = 0;
  int32_t i32 = 0;
  float f = 0;
  double d = 0;
  int64_t t = 0, date = 0;
  std::vector<std::string> codes;
  std::vector<float> amounts;
};

const recfile::Layout<Rec> kLayout{96,
                                   {
                                       {0, 4, Enc::Text, &Rec::text},
                                       {4, 4, Enc::UpperText, &Rec::upper},
                                       {8, 4, Enc::UpperOnRead, &Rec::upperOnRead},
                                       {12, 4, Enc::SpaceText, &Rec::space},
                                       {16, 9, Enc::Zip, &Rec::zip},
                                       {25, 10, Enc::Phone, &Rec::phone},
                                       {35, 1, Enc::YesNo, &Rec::yes},
                                       {36, 1, Enc::YesNoLenient, &Rec::lenient},
                                       {37, 1, Enc::Char, &Rec::ch},
                                       {38, 1, Enc::CharUpperOnRead, &Rec::chRead},
                                       {39, 1, Enc::RawChar, &Rec::raw},
                                       {40, 1, Enc::Byte, &Rec::byte},
                                       {44, 4, Enc::Int32, &Rec::i32},
                                       {48, 4, Enc::Float32, &Rec::f},
                                       {56, 8, Enc::Double, &Rec::d},
                                       {64, 4, Enc::Time32, &Rec::t},
                                       {68, 4, Enc::BtrDate, &Rec::date},
                                       {72, 6, Enc::UpperText, &Rec::codes, 3},
                                       {80, 8, Enc::Float32, &Rec::amounts, 2},
                                       {88, 0, Enc::Note, &Rec::note},
                                   }};

Bytes Format(Rec& r, size_t* length = nullptr) {
  Bytes out(kLayout.MaxLength());
  const size_t n = recfile::Format(kLayout, r, out.data());
  if (length != nullptr) {
    *length = n;
  }
  out.resize(n);
  return out;
}

Rec Parse(const Bytes& raw) {
  Rec r;
  recfile::Parse(kLayout, raw.data(), raw.size(), r);
  return r;
}

Bytes Slice(const Bytes& b, size_t at, size_t n) {
  return Bytes(b.begin() + at, b.begin() + at + n);
}

TEST(FieldCodecText, WidthRulesAndTerminators) {
  Rec r;
  r.text = "ab";
  Bytes out = Format(r);
  EXPECT_EQ(Slice(out, 0, 4), (Bytes{'a', 'b', 0, 0}));
  r.text = "abcd";  // as wide as the field: no terminator
  EXPECT_EQ(Slice(Format(r), 0, 4), B("abcd"));
  r.text = "abcdef";  // longer: cut
  out = Format(r);
  EXPECT_EQ(Slice(out, 0, 4), B("abcd"));
  EXPECT_EQ(out[4], 0);  // the next field is untouched by the cut text
  Bytes raw(96, 0);
  raw[0] = 'x';
  raw[1] = ' ';
  raw[2] = 0;
  raw[3] = 'z';  // behind the terminator
  EXPECT_EQ(Parse(raw).text, "x ");
  std::memcpy(raw.data(), "wxyz", 4);
  EXPECT_EQ(Parse(raw).text, "wxyz");
}

TEST(FieldCodecText, UpperCasingTouchesOnlyAToZ) {
  Rec r;
  r.upper = "a\xe9z{";
  Bytes out = Format(r);
  EXPECT_EQ(Slice(out, 4, 4), (Bytes{'A', 0xe9, 'Z', '{'}));
  EXPECT_EQ(r.upper, "A\xe9Z{");  // the record object itself is upper-cased on writing
  r.upperOnRead = "ab";
  out = Format(r);
  EXPECT_EQ(Slice(out, 8, 4), (Bytes{'a', 'b', 0, 0}));  // written as it stands
  EXPECT_EQ(Parse(out).upperOnRead, "AB");               // upper-cased on reading
  r.space = "ab";
  out = Format(r);
  EXPECT_EQ(Slice(out, 12, 4), B("AB  "));
  EXPECT_EQ(r.space, "AB");
}

TEST(FieldCodecZipPhone, StoredFormAndShownForm) {
  Rec r;
  r.zip = "12345-6789";
  r.phone = "(555) 123-45";
  Bytes out = Format(r);
  EXPECT_EQ(Slice(out, 16, 9), B("123456789"));
  EXPECT_EQ(Slice(out, 25, 10), B("55512345  "));
  Rec back = Parse(out);
  EXPECT_EQ(back.zip, "12345-6789");
  EXPECT_EQ(back.phone, "(555) 123-45  ");
  r.zip = "1 2-3";
  EXPECT_EQ(Slice(Format(r), 16, 9), B("123      "));
  Bytes raw(96, 0);
  std::memcpy(&raw[16],
              "12\0\0\0"
              "67\0\0",
              9);
  EXPECT_EQ(Parse(raw).zip, "12-67");
  std::memcpy(&raw[25],
              "555\0\0\0"
              "1234",
              10);
  EXPECT_EQ(Parse(raw).phone, "(555) -1234");
}

TEST(FieldCodecFlags, YesNoAndCharacters) {
  Bytes raw(96, 0);
  raw[35] = 'y';
  raw[36] = 'y';
  raw[37] = 'q';
  raw[38] = 'q';
  raw[39] = 'q';
  Rec r = Parse(raw);
  EXPECT_FALSE(r.yes);  // only "Y" is true
  EXPECT_TRUE(r.lenient);
  EXPECT_EQ(r.ch, 'Q');
  EXPECT_EQ(r.chRead, 'Q');
  EXPECT_EQ(r.raw, 'q');
  raw[35] = 'Y';
  raw[36] = ' ';
  EXPECT_TRUE(Parse(raw).yes);
  EXPECT_FALSE(Parse(raw).lenient);
  r.yes = true;
  r.lenient = false;
  r.ch = 'a';
  r.chRead = 'a';
  Bytes out = Format(r);
  EXPECT_EQ(out[35], 'Y');
  EXPECT_EQ(out[36], 'N');
  EXPECT_EQ(out[37], 'A');
  EXPECT_EQ(out[38], 'a');
}

TEST(FieldCodecNumbers, LittleEndianBitForBit) {
  Rec r;
  r.byte = 0xfe;
  r.i32 = -2;
  r.f = std::nanf("0x123");
  r.d = -0.0;
  r.t = int64_t{0x1'2345'6789};  // the low 32 bits are written
  Bytes out = Format(r);
  EXPECT_EQ(out[40], 0xfe);
  EXPECT_EQ(Slice(out, 44, 4), (Bytes{0xfe, 0xff, 0xff, 0xff}));
  EXPECT_EQ(Slice(out, 64, 4), (Bytes{0x89, 0x67, 0x45, 0x23}));
  EXPECT_EQ(out[63], 0x80);  // sign bit of -0.0
  Rec back = Parse(out);
  EXPECT_EQ(back.i32, -2);
  uint32_t a, b;
  std::memcpy(&a, &r.f, 4);
  std::memcpy(&b, &back.f, 4);
  EXPECT_EQ(a, b);
  EXPECT_TRUE(std::signbit(back.d));
  EXPECT_EQ(back.t, 0x23456789);
  out[64] = out[65] = out[66] = out[67] = 0xff;
  EXPECT_EQ(Parse(out).t, -1);  // sign-extended
}

TEST(FieldCodecDate, RecordManagerDateInLocalTime) {
  setenv("TZ", "America/New_York", 1);
  tzset();
  Rec r;
  r.date = 1'000'000'000;  // 2001-09-09 01:46:40 UTC is 2001-09-08 21:46:40 in New York
  Bytes out = Format(r);
  EXPECT_EQ(Slice(out, 68, 4), (Bytes{8, 9, 0xd1, 0x07}));
  EXPECT_EQ(Parse(out).date, 0);  // never read back from the key bytes
  unsetenv("TZ");
  tzset();
}

TEST(FieldCodecLists, EntriesInOrder) {
  Rec r;
  r.codes = {"ab", "cde", "f"};
  r.amounts = {1.0f};
  Bytes out = Format(r);
  EXPECT_EQ(Slice(out, 72, 6), (Bytes{'A', 'B', 'C', 'D', 'F', 0}));
  EXPECT_EQ(Slice(out, 84, 4), (Bytes{0, 0, 0, 0}));  // missing entries are zero
  Rec back = Parse(out);
  EXPECT_EQ(back.codes, (std::vector<std::string>{"AB", "CD", "F"}));
  EXPECT_EQ(back.amounts.size(), 2u);
}

TEST(FieldCodecNote, LengthCoversTerminatorAndThreeBytes) {
  Rec r;
  size_t length = 0;
  Format(r, &length);
  EXPECT_EQ(length, 92u);  // 88 + terminator + 3
  r.note = "hello";
  Bytes out = Format(r, &length);
  EXPECT_EQ(length, 97u);
  EXPECT_EQ(Slice(out, 88, 9), (Bytes{'h', 'e', 'l', 'l', 'o', 0, 0, 0, 0}));
  EXPECT_EQ(Parse(out).note, "hello");
  r.note = std::string(5000, 'n');
  Format(r, &length);
  EXPECT_EQ(length, 88u + 4096 + 4);
  Bytes shortRecord(90, 0);
  shortRecord[88] = 'a';
  shortRecord[89] = 'b';  // no terminator before the end of the data
  EXPECT_EQ(Parse(shortRecord).note, "ab");
}

// A record object is reused for every record of a step: a short record must not keep what a
// longer one left in the fields it does not hold.
TEST(FieldCodecShortRecord, FieldsPastTheEndTakeEmptyValues) {
  Bytes full(100, 'q');  // every field non-empty; the note runs to the end of the data
  full[35] = full[36] = 'Y';
  Rec r;
  recfile::Parse(kLayout, full.data(), full.size(), r);
  ASSERT_NE(r.i32, 0);
  ASSERT_EQ(r.note, "qqqqqqqqqqqq");

  const Bytes upToNote(full.begin(), full.begin() + 88);  // ends where the note begins
  recfile::Parse(kLayout, upToNote.data(), upToNote.size(), r);
  EXPECT_EQ(r.note, "");
  EXPECT_EQ(r.codes, (std::vector<std::string>{"QQ", "QQ", "QQ"}));  // still held: read

  const Bytes cut(full.begin(), full.begin() + 46);  // ends inside i32 (44 to 47)
  recfile::Parse(kLayout, cut.data(), cut.size(), r);
  EXPECT_EQ(r.text, "qqqq");
  EXPECT_EQ(r.zip, "qqqqq-qqqq");
  EXPECT_TRUE(r.yes);
  EXPECT_EQ(r.byte, 'q');
  EXPECT_EQ(r.i32, 0);  // partly held counts as not held
  EXPECT_EQ(r.f, 0.0f);
  EXPECT_EQ(r.d, 0.0);
  EXPECT_EQ(r.t, 0);
  EXPECT_EQ(r.codes, (std::vector<std::string>{"", "", ""}));
  EXPECT_EQ(r.amounts, (std::vector<float>{0.0f, 0.0f}));
  EXPECT_EQ(r.note, "");

  const Bytes tiny(full.begin(), full.begin() + 3);
  recfile::Parse(kLayout, tiny.data(), tiny.size(), r);
  EXPECT_EQ(r.text, "");
  EXPECT_EQ(r.zip, "");  // an empty text, not the shown form of nine empty characters
  EXPECT_EQ(r.phone, "");
  EXPECT_FALSE(r.yes);
  EXPECT_FALSE(r.lenient);
  EXPECT_EQ(r.ch, 0);
  EXPECT_EQ(r.byte, 0);
}

struct Odd {
  std::string seen;
};

void ParseOdd(const uint8_t* field, size_t width, Odd& record) {
  record.seen = std::string(reinterpret_cast<const char*>(field), width);
}

void FormatOdd(Odd&, uint8_t*, size_t) {}

// A field of its own encoding past the end reads as from zero bytes, its own empty value.
TEST(FieldCodecShortRecord, CustomFieldPastTheEndReadsZeros) {
  const recfile::Layout<Odd> layout{
      8, {{4, 3, Enc::Custom, recfile::CustomCodec<Odd>{&ParseOdd, &FormatOdd}}}};
  const Bytes raw = B("abcdefgh");
  Odd odd;
  recfile::Parse(layout, raw.data(), raw.size(), odd);
  EXPECT_EQ(odd.seen, "efg");
  recfile::Parse(layout, raw.data(), 6, odd);
  EXPECT_EQ(odd.seen, std::string(3, '\0'));
}

TEST(FieldCodecPadding, UncoveredBytesAreZero) {
  Rec r;
  r.text = "abcd";
  Bytes out(kLayout.MaxLength(), 0xAA);
  recfile::Format(kLayout, r, out.data());
  EXPECT_EQ(out[41], 0);
  EXPECT_EQ(out[52], 0);
}

TEST(FieldCodecLayouts, CheckFindsDeclarationFaults) {
  EXPECT_EQ(recfile::CheckLayout(kLayout), "");
  const recfile::Layout<Rec> overlap{
      8, {{0, 4, Enc::Text, &Rec::text}, {2, 4, Enc::Int32, &Rec::i32}}};
  EXPECT_NE(recfile::CheckLayout(overlap), "");
  const recfile::Layout<Rec> wrongType{8, {{0, 4, Enc::Int32, &Rec::text}}};
  EXPECT_NE(recfile::CheckLayout(wrongType), "");
  const recfile::Layout<Rec> outside{4, {{0, 8, Enc::Double, &Rec::d}}};
  EXPECT_NE(recfile::CheckLayout(outside), "");
  const recfile::Layout<Rec> badList{8, {{0, 7, Enc::Text, &Rec::codes, 3}}};
  EXPECT_NE(recfile::CheckLayout(badList), "");
}

TEST(FileSpecBlock, HeaderSegmentsAndSegmentedFlag) {
  const recfile::FileSpec spec{33, true, {{{1, 6, 0x03}, {7, 4, 0x103, 1}}, {{11, 4, 0x100, 1}}}};
  const std::vector<uint8_t> block = recfile::BuildSpecBlock(spec);
  ASSERT_EQ(block.size(), 16u + 3 * 16);
  EXPECT_EQ(Slice(block, 0, 16), (Bytes{33, 0, 0, 4, 2, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Slice(block, 16, 16), (Bytes{1, 0, 6, 0, 0x13, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Slice(block, 32, 16), (Bytes{7, 0, 4, 0, 0x03, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Slice(block, 48, 16), (Bytes{11, 0, 4, 0, 0x00, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0}));
}

}  // namespace
