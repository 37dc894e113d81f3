// Item table: the five layouts byte for byte, the four conversions through real files, checked
// against records built by hand from the layout table, and the operations on item numbers.
#include "tables/catalog/item.h"

#include <gtest/gtest.h>

#include "tests/tables/catalog/catalog_test_util.h"

namespace {

using namespace cattest;

// One field of the item layouts: its width (current, and in 0308/0208 where it differs) and
// its offset in the current, 0400, 03094, 0308 and 0208 layouts (-1: absent).
struct Column {
  const char* name;
  Kind kind;
  int width;
  int cur;
  int at[4];         // indexed by Form
  int oldWidth = 0;  // 0308 and 0208, when different
};

const Column kColumns[] = {
    {"ItemNumber", Kind::Upper, 12, 0, {0, 0, 0, 0}},
    {"Text12", Kind::Upper, 3, 12, {12, 12, 12, 12}},
    {"Text15", Kind::Upper, 5, 15, {15, 15, 15, 15}},
    {"Text20", Kind::Upper, 10, 20, {20, 20, 20, 20}},
    {"Amount32", Kind::Bits, 4, 32, {32, 32, 32, 32}},
    {"Amount36", Kind::Bits, 4, 36, {36, 36, 36, 36}},
    {"Flag40", Kind::Flag, 1, 40, {40, 40, 40, 40}},
    {"Text41", Kind::Upper, 4, 41, {41, -1, -1, -1}},
    {"Number48", Kind::Bits, 4, 48, {48, 52, 52, 52}},
    {"Number52", Kind::Bits, 4, 52, {52, 56, 56, 56}},
    {"Text56", Kind::Upper, 2, 56, {56, 60, 60, 60}},
    {"Text58", Kind::Text, 15, 58, {58, 62, 62, 62}},
    {"Number76", Kind::Bits, 4, 76, {76, 80, 80, 80}},
    {"Flag80", Kind::Flag, 1, 80, {80, 84, 84, 84}},
    {"Amount84", Kind::Bits, 4, 84, {84, 88, 88, 88}},
    {"Number88", Kind::Bits, 4, 88, {88, 92, 92, 92}},
    {"Amount92", Kind::Bits, 4, 92, {92, 96, 96, 96}},
    {"Text96", Kind::Text, 50, 96, {96, 100, 100, 100}, 30},
    {"Flag146", Kind::Flag, 1, 146, {146, 150, 130, 130}},
    {"Amount148", Kind::Bits, 4, 148, {148, 152, 132, 132}},
    {"Text152", Kind::Upper, 3, 152, {152, 156, 136, 136}},
    {"Code155", Kind::Code, 1, 155, {155, 159, 139, 139}},
    {"Amount156", Kind::Bits, 4, 156, {156, 160, 140, 148}},
    {"Amount160", Kind::Bits, 4, 160, {160, 164, 144, 152}},
    {"Amount164", Kind::Bits, 4, 164, {164, 168, 148, 156}},
    {"Text168", Kind::Upper, 3, 168, {168, 172, 152, 160}},
    {"Flag171", Kind::Flag, 1, 171, {171, 175, 155, 163}},
    {"Flag172", Kind::Flag, 1, 172, {172, 176, 156, 164}},
    {"Amount176", Kind::Bits, 4, 176, {176, 180, 160, 168}},
    {"Text180", Kind::Upper, 3, 180, {180, 184, 164, 172}},
    {"Number184", Kind::Bits, 4, 184, {184, 188, 168, 176}},
    {"Number188", Kind::Bits, 4, 188, {188, 192, 172, 180}},
    {"Amount192", Kind::Bits, 4, 192, {192, 196, 176, 184}},
    {"Flag196", Kind::Flag, 1, 196, {196, 200, 180, 188}},
    {"Flag197", Kind::Flag, 1, 197, {197, 201, 181, 189}},
    {"Code198", Kind::Code, 1, 198, {198, 202, 182, 190}},
    {"Text199", Kind::Upper, 12, 199, {199, 203, 183, 191}},
    {"Text211", Kind::Upper, 12, 211, {211, 215, 195, 203}},
    {"Flag223", Kind::Flag, 1, 223, {223, 227, 207, 215}},
    {"Flag224", Kind::Flag, 1, 224, {224, 228, 208, 216}},
    {"CodeList", Kind::Upper, 9, 225, {225, 229, 209, 217}},
    {"Text234", Kind::Upper, 6, 234, {234, 238, 218, 226}},
    {"Text240", Kind::Upper, 15, 240, {240, 244, 224, 232}},
    {"Text255", Kind::Upper, 2, 255, {255, 259, 239, 247}},
    {"AmountList", Kind::Bits, 12, 260, {260, 264, 244, 252}},
    {"Date272", Kind::Bits, 4, 272, {272, 276, 256, 264}},
    {"Text276", Kind::Upper, 2, 276, {276, 280, 260, 268}},
    // Read as stored, written upper case.
    {"Text278", Kind::Upper, 50, 278, {278, 282, -1, -1}},
    {"Text328", Kind::Upper, 15, 328, {328, 332, -1, -1}},
};

enum Form { k0400 = 0, k03094, k0308, k0208 };

int WidthIn(const Column& c, Form f) {
  return (f == k0308 || f == k0208) && c.oldWidth != 0 ? c.oldWidth : c.width;
}

// The stored bytes of field `i` in sample `n`, `width` bytes: lower-case letters (every other
// text field full width, without terminator), flag bytes Y, y, N, space and NUL, numbers with
// their sign bit set in turn.
Bytes SampleValue(const Column& c, size_t i, int n, int width) {
  Bytes v(width, 0);
  switch (c.kind) {
    case Kind::List:  // none in the item layouts
    case Kind::Upper:
    case Kind::Text: {
      if (std::string(c.name) == "CodeList") {
        const std::string codes = n == 0 ? std::string("ab\0cdef\0\0", 9) : "xyzuvwrst";
        return Bytes(codes.begin(), codes.end());
      }
      const int len = (i + n) % 2 == 0 ? width : width - 1;
      for (int k = 0; k < len; ++k) {
        v[k] = static_cast<uint8_t>('a' + (i * 7 + k + n) % 26);
      }
      if (c.kind == Kind::Text && len > 2) {
        v[1] = 'Q';  // a capital that must stay, and a space
        v[2] = ' ';
      }
      return v;
    }
    case Kind::Flag: {
      v[0] = kFlagBytes[(i + n) % 5];
      return v;
    }
    case Kind::Code:
      v[0] = static_cast<uint8_t>('c' + i % 20 + n);
      return v;
    case Kind::Bits:
      for (int k = 0; k < width; ++k) {
        v[k] = static_cast<uint8_t>(0x10 + i * 3 + k * 5 + n);
      }
      if ((i + n) % 3 == 0) {
        v[width - 1] |= 0x80;  // a negative number, or -1-like high bits in a date
      }
      if (std::string(c.name) == "Date272" && n == 1) {
        v = {0xFF, 0xFF, 0xFF, 0xFF};  // a date of -1 is carried as -1
      }
      return v;
  }
  return v;
}

const int kNoteOffsets[] = {343, 347, 262, 140};
const size_t kFixedLengths[] = {343, 347, 263, 272};

// Legacy record `n` of layout `f`, built from the layout table above, and the current record
// it converts into. Sample 1 has no note: it ends with the fixed part, which in 0400 and 03094
// holds no byte of the note at all, so that the conversion, read after sample 0, shows whether
// the note of sample 0 is left behind.
Sample MakeSample(Form f, int n) {
  // Legacy notes keep leading spaces and lose trailing ones on conversion.
  const std::string note =
      f == k0208 ? (n == 0 ? " ab c   " : "xyz") : (n == 0 ? "  lower note, Mixed   " : "");
  const std::string newNote =
      f == k0208 ? (n == 0 ? " ab c" : "xyz") : (n == 0 ? "  lower note, Mixed" : "");
  const size_t tail = f == k0308 ? 2 : 1;  // what the legacy writers add behind the note
  const size_t legacyLength =
      f == k0208 || n == 1 ? kFixedLengths[f] : kNoteOffsets[f] + note.size() + tail;
  Sample s;
  s.legacy.assign(legacyLength, 0xEE);  // padding bytes that no reader may look at
  s.current.assign(388 + newNote.size(), 0);
  for (size_t i = 0; i < std::size(kColumns); ++i) {
    const Column& c = kColumns[i];
    const int at = c.at[f];
    if (at < 0) {
      continue;
    }
    const Bytes stored = SampleValue(c, i, n, WidthIn(c, f));
    PutRaw(s.legacy, at, stored);
    if (std::string(c.name) != "Text41" || f == k0400) {
      PutRaw(s.current, c.cur, Converted(c.kind, stored, c.width));
    }
  }
  // Fields of the legacy layouts that are not carried: a 9-character text at 41 and a
  // character at 85 (81 in 0400).
  if (f == k0400) {
    s.legacy[81] = 'q';
  } else {
    Put(s.legacy, 41, "legacy41x", 9);
    s.legacy[85] = 'q';
  }
  if (f == k0208) {
    Put(s.legacy, 140, note, 8);
  } else {
    Put(s.legacy, kNoteOffsets[f], note, std::min(note.size() + 1, legacyLength - kNoteOffsets[f]));
  }
  s.current[81] = ' ';
  Put(s.current, 384, newNote, newNote.size() + 1);
  return s;
}

// The current layout, every field at its offset: a converted sample (every field distinct, from
// the table above, full-width texts without terminator) with the fields no conversion fills,
// read and written back.
TEST(ItemLayout, CurrentRecordReadsAndWritesEveryField) {
  Bytes raw = MakeSample(k0400, 0).current;
  raw[81] = 'K';
  PutF32(raw, 344, 344.0f);
  Put(raw, 348, "Text 348 kept", 25);
  PutI32(raw, 376, -376);
  PutF32(raw, 380, 380.0f);
  CItem r;
  recfile::Parse(kItemLayout, raw.data(), raw.size(), r);
  EXPECT_EQ(r.Code81, 'K');
  EXPECT_EQ(r.Amount344, 344.0f);
  EXPECT_EQ(r.Text348, "Text 348 kept");
  EXPECT_EQ(r.Number376, -376);
  EXPECT_EQ(r.Amount380, 380.0f);
  CItem again;
  again.Copy(r);
  EXPECT_EQ(FirstDifference(Formatted(kItemLayout, again), raw), "");
}

// Text278 is read as stored and written upper case (the conversions check the bytes); the key
// and the code list are upper-cased on reading.
TEST(ItemLayout, UpperCasingOnReadingVersusOnWriting) {
  Bytes raw(388, 0);
  Put(raw, 0, "item", 12);
  Put(raw, 278, "lower 278", 50);
  Put(raw, 225, "ab", 3);
  raw[40] = 'y';
  CItem r;
  recfile::Parse(kItemLayout, raw.data(), raw.size(), r);
  EXPECT_EQ(r.ItemNumber + r.Text278 + r.CodeList.at(0), "ITEMlower 278AB");
  EXPECT_FALSE(r.Flag40);  // a lower-case y is not a yes
  Formatted(kItemLayout, r);
  EXPECT_EQ(r.Text278, "LOWER 278");  // upper-cased in the record object itself
}

class ItemFile : public InScratchDir {};

// Legacy bytes written by hand, read through the legacy class into one record object (the
// record with a note first, then the one without; the object seeded with values of the fields
// no conversion fills), converted and inserted through CItemDB; the new file compared byte for
// byte in key 0 order.
template <class LegacyDB, class Legacy>
void ConvertFile(Form f) {
  SCOPED_TRACE(f);
  const Sample a = MakeSample(f, 0);
  const Sample b = MakeSample(f, 1);
  WriteRaw<LegacyDB>({b.legacy, a.legacy});
  auto seed = [](CItem& r) {
    r.Text41 = "T41";
    r.Amount344 = 5.0f;
    r.Text348 = "x";
    r.Number376 = 7;
  };
  ExpectRecords(RunStep<LegacyDB, Legacy, CItemDB, CItem>(0, 0, {0}, nullptr, seed).converted,
                {a.current, b.current});
}

TEST_F(ItemFile, ConvertsEveryLegacyLayout) {
  ConvertFile<CItem0208DB, CItem0208>(k0208);
  ConvertFile<CItem0308DB, CItem0308>(k0308);
  ConvertFile<CItem03094DB, CItem03094>(k03094);
  ConvertFile<CItem0400DB, CItem0400>(k0400);
}

TEST_F(ItemFile, KeysFindUpdateAndDelete) {
  CItemDB db;
  ASSERT_EQ(db.CreateFile("ITEM.DB"), 0);
  CItem r;
  r.ItemNumber = "abc";
  r.Note = "first";
  ASSERT_EQ(db.InsertRecord(r), 0);
  CItem dup;
  dup.ItemNumber = "ABC";
  EXPECT_EQ(db.InsertRecord(dup), 5);  // the key is stored upper case
  CItem noNote;
  noNote.ItemNumber = "abd";
  noNote.Amount32 = 1.5f;
  ASSERT_EQ(db.InsertRecord(noNote), 0);
  r.Note = "second, longer than the first";
  CItem stored;
  ASSERT_EQ(db.UpdateRecord(r, &stored), 0);
  EXPECT_EQ(stored.Note, "first");
  CItem found;  // one object for every look-up: a record without a note leaves none behind
  ASSERT_EQ(db.FindRecord(found, "abc"), 0);  // looked up upper case
  EXPECT_EQ(found.Note, "second, longer than the first");
  ASSERT_EQ(db.FindRecord(found, "ABD"), 0);
  EXPECT_EQ(FirstDifference(Formatted(kItemLayout, found), Formatted(kItemLayout, noNote)), "");
  EXPECT_EQ(db.DeleteRecord("abc"), 0);
  EXPECT_EQ(db.FindRecord(found, "ABC"), 4);
  EXPECT_EQ(db.DeleteRecord("abc"), 0);  // a missing item counts as deleted
  CItem missing;
  missing.ItemNumber = "NONE";
  EXPECT_EQ(db.UpdateRecord(missing), 4);
}

}  // namespace
