// The field codec byte by byte: every encoding's read and write rules, lists, notes, padding,
// and the layout checks.
#include "recfile/field_codec.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

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

// Formats into a buffer full of 0xAA, so that bytes no field covers show whether they were zeroed.
Bytes Format(Rec& r, size_t* length = nullptr) {
  Bytes out(kLayout.MaxLength(), 0xAA);
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

std::string Str(bool b) {
  return b ? "1" : "0";
}
std::string Str(char c) {
  return std::string(1, c);
}

// What one field writes: the record as set, the bytes from `at` on as they must stand.
struct WriteCase {
  const char* name;
  void (*set)(Rec&);
  size_t at;
  std::string bytes;
};

// What one field reads: the bytes placed at `at` in a record of zeros, and the value taken.
struct ReadCase {
  size_t at;
  std::string bytes;
  std::string (*get)(const Rec&);
  std::string value;
};

TEST(FieldCodecEncodings, WriteEachFieldByteForByte) {
  using namespace std::string_literals;
  const WriteCase cases[] = {
      {"short text ends at a NUL", [](Rec& r) { r.text = "ab"; }, 0, "ab\0\0"s},
      {"text as wide as the field has no terminator", [](Rec& r) { r.text = "abcd"; }, 0, "abcd"},
      // The cut text leaves the next field untouched.
      {"longer text is cut", [](Rec& r) { r.text = "abcdef"; }, 0, "abcd\0"s},
      {"upper-casing touches only a to z", [](Rec& r) { r.upper = "a\xe9z{"; }, 4, "A\xe9Z{"},
      {"upper on read writes as it stands", [](Rec& r) { r.upperOnRead = "ab"; }, 8, "ab\0\0"s},
      {"space text is padded with blanks", [](Rec& r) { r.space = "ab"; }, 12, "AB  "},
      {"zip keeps the digits", [](Rec& r) { r.zip = "12345-6789"; }, 16, "123456789"},
      {"short zip is padded", [](Rec& r) { r.zip = "1 2-3"; }, 16, "123      "},
      {"phone keeps the digits", [](Rec& r) { r.phone = "(555) 123-45"; }, 25, "55512345  "},
      {"yes/no", [](Rec& r) { r.yes = true; }, 35, "Y"},
      {"lenient no", [](Rec& r) { r.lenient = false; }, 36, "N"},
      {"char is upper-cased", [](Rec& r) { r.ch = 'a'; }, 37, "A"},
      {"char upper on read is not", [](Rec& r) { r.chRead = 'a'; }, 38, "a"},
      {"byte", [](Rec& r) { r.byte = 0xfe; }, 40, "\xfe"},
      {"int32 little-endian", [](Rec& r) { r.i32 = -2; }, 44, "\xfe\xff\xff\xff"},
      {"sign bit of -0.0", [](Rec& r) { r.d = -0.0; }, 56, "\0\0\0\0\0\0\0\x80"s},
      {"time keeps the low 32 bits", [](Rec& r) { r.t = int64_t{0x1'2345'6789}; }, 64,
       "\x89\x67\x45\x23"},
      {"list entries in order",
       [](Rec& r) {
         r.codes = {"ab", "cde", "f"};
       },
       72, "ABCDF\0"s},
      {"missing list entries are zero", [](Rec& r) { r.amounts = {1.0f}; }, 80,
       "\0\0\x80\x3f\0\0\0\0"s},
      {"bytes between fields are zero", [](Rec&) {}, 41, "\0\0\0"s},
      {"bytes between numbers are zero", [](Rec&) {}, 52, "\0\0\0\0"s},
      {"note, terminator and three bytes", [](Rec& r) { r.note = "hello"; }, 88, "hello\0\0\0\0"s},
  };
  for (const WriteCase& c : cases) {
    SCOPED_TRACE(c.name);
    Rec r;
    c.set(r);
    const Bytes out = Format(r);
    ASSERT_GE(out.size(), c.at + c.bytes.size());
    EXPECT_EQ(Slice(out, c.at, c.bytes.size()), B(c.bytes));
  }
  // The record object itself is upper-cased on writing.
  Rec r;
  r.upper = "a\xe9z{";
  r.space = "ab";
  Format(r);
  EXPECT_EQ(r.upper + r.space, "A\xe9Z{AB");
}

TEST(FieldCodecEncodings, ReadEachFieldFromItsBytes) {
  using namespace std::string_literals;
  const ReadCase cases[] = {
      {0, "x \0z"s, [](const Rec& r) { return r.text; }, "x "},  // nothing behind the NUL
      {0, "wxyz", [](const Rec& r) { return r.text; }, "wxyz"},
      {8, "ab", [](const Rec& r) { return r.upperOnRead; }, "AB"},
      {16, "123456789", [](const Rec& r) { return r.zip; }, "12345-6789"},
      {16,
       "12\0\0\0"s
       "67\0\0"s,
       [](const Rec& r) { return r.zip; }, "12-67"},
      {25, "55512345  ", [](const Rec& r) { return r.phone; }, "(555) 123-45  "},
      {25,
       "555\0\0\0"s
       "1234",
       [](const Rec& r) { return r.phone; }, "(555) -1234"},
      {35, "y", [](const Rec& r) { return Str(r.yes); }, "0"},  // only "Y" is true
      {35, "Y", [](const Rec& r) { return Str(r.yes); }, "1"},
      {36, "y", [](const Rec& r) { return Str(r.lenient); }, "1"},
      {36, " ", [](const Rec& r) { return Str(r.lenient); }, "0"},
      {37, "q", [](const Rec& r) { return Str(r.ch); }, "Q"},
      {38, "q", [](const Rec& r) { return Str(r.chRead); }, "Q"},
      {39, "q", [](const Rec& r) { return Str(r.raw); }, "q"},
      {44, "\xfe\xff\xff\xff", [](const Rec& r) { return std::to_string(r.i32); }, "-2"},
      {64, "\x89\x67\x45\x23", [](const Rec& r) { return std::to_string(r.t); }, "591751049"},
      {64, "\xff\xff\xff\xff", [](const Rec& r) { return std::to_string(r.t); }, "-1"},  // signed
      {72, "ABCDF\0"s,
       [](const Rec& r) { return r.codes[0] + "," + r.codes[1] + "," + r.codes[2]; }, "AB,CD,F"},
      {80, "", [](const Rec& r) { return std::to_string(r.amounts.size()); }, "2"},
      {88, "hello\0"s, [](const Rec& r) { return r.note; }, "hello"},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.at);
    Bytes raw(96, 0);
    std::copy(c.bytes.begin(), c.bytes.end(), raw.begin() + static_cast<long>(c.at));
    EXPECT_EQ(c.get(Parse(raw)), c.value) << c.bytes;
  }
}

TEST(FieldCodecNumbers, FloatsRoundTripBitForBit) {
  Rec r;
  r.f = std::nanf("0x123");
  r.d = -0.0;
  Rec back = Parse(Format(r));
  uint32_t a, b;
  std::memcpy(&a, &r.f, 4);
  std::memcpy(&b, &back.f, 4);
  EXPECT_EQ(a, b);
  EXPECT_TRUE(std::signbit(back.d));
}

// The record-manager date is written from the time (in local time: the velocity tests check the
// bytes zone by zone) and never read back from its bytes.
TEST(FieldCodecDate, RecordManagerDateIsNeverRead) {
  Rec r;
  r.date = 1'000'000'000;
  EXPECT_EQ(Parse(Format(r)).date, 0);
}

TEST(FieldCodecNote, LengthCoversTerminatorAndThreeBytes) {
  Rec r;
  size_t length = 0;
  Format(r, &length);
  EXPECT_EQ(length, 92u);  // 88 + terminator + 3
  r.note = "hello";
  Format(r, &length);
  EXPECT_EQ(length, 97u);
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
  EXPECT_EQ(std::tie(r.text, r.zip, r.yes, r.byte),
            std::make_tuple("qqqq", "qqqqq-qqqq", true, uint8_t{'q'}));
  // i32 is partly held, which counts as not held.
  EXPECT_EQ(std::make_tuple(r.i32, r.f, r.d, r.t, r.note),
            std::make_tuple(0, 0.0f, 0.0, int64_t{0}, ""));
  EXPECT_EQ(r.codes, (std::vector<std::string>{"", "", ""}));
  EXPECT_EQ(r.amounts, (std::vector<float>{0.0f, 0.0f}));

  const Bytes tiny(full.begin(), full.begin() + 3);
  recfile::Parse(kLayout, tiny.data(), tiny.size(), r);
  // The zip is an empty text, not the shown form of nine empty characters.
  EXPECT_EQ(std::tie(r.text, r.zip, r.phone, r.yes, r.lenient, r.ch, r.byte),
            std::make_tuple("", "", "", false, false, '\0', uint8_t{0}));
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

TEST(FieldCodecLayouts, CheckFindsDeclarationFaults) {
  EXPECT_EQ(recfile::CheckLayout(kLayout), "");
  const recfile::Layout<Rec> faulty[] = {
      {8, {{0, 4, Enc::Text, &Rec::text}, {2, 4, Enc::Int32, &Rec::i32}}},  // overlapping
      {8, {{0, 4, Enc::Int32, &Rec::text}}},                                // wrong member type
      {4, {{0, 8, Enc::Double, &Rec::d}}},                                  // outside the record
      {8, {{0, 7, Enc::Text, &Rec::codes, 3}}},  // a list wider than its entries
  };
  for (const auto& layout : faulty) {
    EXPECT_NE(recfile::CheckLayout(layout), "") << &layout - faulty;
  }
}

}  // namespace
