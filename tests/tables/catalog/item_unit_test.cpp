// Item unit table: the five layouts byte for byte (the moved fields of 0301 included), the four
// conversions through real files, checked against records built by hand from the layout table,
// the import line lengths and the operations on item and unit.
#include "tables/catalog/item_unit.h"

#include <gtest/gtest.h>

#include "tests/tables/catalog/catalog_test_util.h"

namespace {

using namespace cattest;

// Offsets in the current, 0400, 03094, 0308 and 0301 layouts (-1: absent).
struct Column {
  const char* name;
  Kind kind;
  int width;
  int at[5];
};

enum Form { kCurrent = 0, k0400, k03094, k0308, k0301 };

const Column kColumns[] = {
    {"ItemNumber", Kind::Upper, 12, {0, 0, 0, 0, 0}},
    {"Code12", Kind::Code, 1, {12, 12, 12, 12, 12}},
    {"UnitCode", Kind::Upper, 3, {13, 13, 13, 13, 13}},
    {"Text16", Kind::Upper, 10, {16, 16, 16, 16, 16}},
    {"Amount28", Kind::Bits, 4, {28, 28, 28, 28, 28}},
    {"Amount32", Kind::Bits, 4, {32, 32, 32, 32, 32}},
    {"Text36", Kind::Text, 8, {36, 36, 36, 36, 36}},
    {"Amount44", Kind::Bits, 4, {44, 44, 44, 44, 44}},
    {"Text48", Kind::Text, 8, {48, 48, 48, 48, 48}},
    {"Number56", Kind::Bits, 4, {56, 56, 56, 56, 56}},
    {"Amount60", Kind::Bits, 4, {60, 60, 60, 60, 60}},
    {"Amount64", Kind::Bits, 4, {64, 64, 64, 64, 64}},
    {"Text68", Kind::Text, 30, {68, 68, 68, 68, 68}},
    {"Text98", Kind::Upper, 13, {98, 98, 98, 98, 98}},
    {"Flag111", Kind::Flag, 1, {111, 111, 111, 111, 111}},
    {"Amount112", Kind::Bits, 4, {112, 112, 112, 112, 112}},
    {"Amount116", Kind::Bits, 4, {116, 116, 116, 116, 116}},
    {"Flag120", Kind::Flag, 1, {120, 120, 120, 120, 120}},
    {"Amount124", Kind::Bits, 4, {124, 124, 124, 124, 124}},
    {"Flag131", Kind::Flag, 1, {131, 131, 131, 131, 131}},
    {"textList", Kind::List, 80, {136, 136, 136, 136, 136}},
    {"Text216", Kind::Text, 8, {216, 216, 216, 216, 216}},
    {"AmountList", Kind::Bits, 44, {224, 224, 224, 224, 224}},
    {"Amount268", Kind::Bits, 4, {268, 268, 268, 268, 268}},
    {"Amount272", Kind::Bits, 4, {272, 272, 272, 272, 272}},
    {"Amount276", Kind::Bits, 4, {276, 276, 276, 276, 276}},
    {"Amount280", Kind::Bits, 4, {280, 280, 280, 280, -1}},
    {"Code284", Kind::Code, 1, {284, 284, 284, 284, 280}},
    {"Amount288", Kind::Bits, 4, {288, 288, 288, 288, 284}},
    {"Amount292", Kind::Bits, 4, {292, 292, 292, 292, 288}},
    {"Amount296", Kind::Bits, 4, {296, 296, 296, -1, -1}},
    {"Amount300", Kind::Bits, 4, {300, 300, 300, -1, -1}},
    {"Amount304", Kind::Bits, 4, {304, 304, 304, -1, -1}},
    {"Text308", Kind::Text, 8, {308, 308, 308, -1, -1}},
    // Upper-cased on reading only: a lower-case stored text arrives upper case.
    {"Text316", Kind::Upper, 20, {316, 316, -1, -1, -1}},
    {"Text336", Kind::Upper, 20, {336, -1, -1, -1, -1}},
};

const size_t kLengths[] = {356, 336, 316, 296, 292};

Bytes SampleValue(const Column& c, size_t i, int n) {
  Bytes v(c.width, 0);
  switch (c.kind) {
    case Kind::Upper:
    case Kind::Text: {
      // One item number in both samples, with two units; the other texts full width or not.
      const bool item = std::string(c.name) == "ItemNumber";
      const int len = item || (i + n) % 2 == 0 ? c.width : c.width - 2;
      for (int k = 0; k < len; ++k) {
        v[k] = static_cast<uint8_t>('a' + (i * 5 + k) % 26);
      }
      if (std::string(c.name) == "UnitCode") {
        v[0] = static_cast<uint8_t>('p' + n);
      }
      return v;
    }
    case Kind::List:
      for (int e = 0; e < 10; ++e) {
        const int len = e % 3 == 0 ? 8 : e % 3 + 3;
        for (int k = 0; k < len; ++k) {
          v[e * 8 + k] = static_cast<uint8_t>('a' + (e + k + n) % 26);
        }
      }
      return v;
    case Kind::Flag: {
      v[0] = kFlagBytes[(i + n) % 5];
      return v;
    }
    case Kind::Code:
      v[0] = static_cast<uint8_t>('d' + i % 20);
      return v;
    case Kind::Bits:
      for (int k = 0; k < c.width; ++k) {
        v[k] = static_cast<uint8_t>(0x21 + i * 3 + k * 7 + n);
      }
      return v;
  }
  return v;
}

Sample MakeSample(Form f, int n) {
  Sample s;
  s.legacy.assign(kLengths[f], 0xEE);  // padding and unused bytes: never read
  s.current.assign(356, 0);
  for (size_t i = 0; i < std::size(kColumns); ++i) {
    const Column& c = kColumns[i];
    if (c.at[f] < 0) {
      continue;
    }
    const Bytes stored = SampleValue(c, i, n);
    PutRaw(s.legacy, c.at[f], stored);
    PutRaw(s.current, c.at[kCurrent], Converted(c.kind, stored, c.width));
  }
  if (f == k0301) {  // the dropped flags and single
    Put(s.legacy, 128, "YNY", 3);
    PutF32(s.legacy, 132, 132.5f);
  }
  return s;
}

TEST(ItemUnitLayout, CurrentRecordRoundTripsWithUnusedBytesZero) {
  Sample s = MakeSample(kCurrent, 0);
  // Unused bytes 128 to 135 and the padding must come back as zero whatever was stored.
  Bytes stored = s.current;
  for (int at : {26, 27, 121, 122, 123, 128, 129, 130, 132, 133, 134, 135, 285, 286, 287}) {
    stored[at] = 0xEE;
  }
  CItemUnit r;
  recfile::Parse(kItemUnitLayout, stored.data(), stored.size(), r);
  EXPECT_EQ(FirstDifference(Formatted(kItemUnitLayout, r), s.current), "");
}

TEST(ItemUnitLayout, Text316IsUpperCasedOnReadingOnly) {
  Bytes raw(356, 0);
  Put(raw, 316, "lower", 20);
  CItemUnit r;
  recfile::Parse(kItemUnitLayout, raw.data(), raw.size(), r);
  EXPECT_EQ(r.Text316, "LOWER");
  r.Text316 = "set lower";
  r.Text98 = "upper me";
  const Bytes out = Formatted(kItemUnitLayout, r);
  EXPECT_EQ(Str(out, 316, 9) + Str(out, 98, 8), "set lowerUPPER ME");
  EXPECT_EQ(r.Text316 + r.Text98, "set lowerUPPER ME");
}

TEST(ItemUnitImport, LineLengthsFollowTheImportVersion) {
  const int cases[][3] = {{769, 544, 452},  {770, 544, 463},  {777, 544, 504},
                          {1024, 544, 524}, {1025, 544, 544}, {1025, 463, 463}};
  for (const auto& c : cases) {
    EXPECT_EQ(ItemUnitImportLineLength(c[0], c[1]), c[2]) << c[0] << " " << c[1];
  }
}

class ItemUnitFile : public InScratchDir {};

// Legacy bytes written by hand, read through the legacy class, converted and inserted through
// CItemUnitDB (into an object holding an Amount280, which 0301 lacks); the new file compared byte
// for byte in key 2 order: unit code "p.." (sample 0) before "q.." (sample 1). The 0301 class
// names its file "ItemUnit.DB": it finds "ITEMUNIT.DB".
template <class LegacyDB, class Legacy>
void ConvertFile(Form f) {
  SCOPED_TRACE(f);
  const Sample a = MakeSample(f, 0);
  const Sample b = MakeSample(f, 1);
  WriteRaw<LegacyDB>({b.legacy, a.legacy}, 0, "ITEMUNIT.DB");
  auto seed = [](CItemUnit& r) { r.Amount280 = 9.0f; };
  ExpectRecords(
      RunStep<LegacyDB, Legacy, CItemUnitDB, CItemUnit>(0, 2, {0}, nullptr, seed).converted,
      {a.current, b.current});
}

TEST_F(ItemUnitFile, ConvertsEveryLegacyLayout) {
  ConvertFile<CItemUnit0301DB, CItemUnit0301>(k0301);
  ConvertFile<CItemUnit0308DB, CItemUnit0308>(k0308);
  ConvertFile<CItemUnit03094DB, CItemUnit03094>(k03094);
  ConvertFile<CItemUnit0400DB, CItemUnit0400>(k0400);
}

TEST_F(ItemUnitFile, Key2RefusesTheSameItemAndUnitTwice) {
  CItemUnitDB db;
  ASSERT_EQ(db.CreateFile("ITEMUNIT.DB"), 0);
  CItemUnit r;
  r.ItemNumber = "ITEM1";
  r.UnitCode = "CS";
  ASSERT_EQ(db.InsertRecord(r), 0);
  r.UnitCode = "EA";
  ASSERT_EQ(db.InsertRecord(r), 0);
  r.Text68 = "updated";
  EXPECT_EQ(db.UpdateRecord(r), 0);
  // The key takes the item number and unit code as given, not upper-cased as the record stores
  // them: a lower-case pair finds no record.
  CItemUnit lower = r;
  lower.ItemNumber = "item1";
  EXPECT_EQ(db.UpdateRecord(lower), 4);
  lower.ItemNumber = "ITEM1";
  lower.UnitCode = "ea";
  EXPECT_EQ(db.UpdateRecord(lower), 4);
  EXPECT_EQ(db.DeleteRecord(3, "ITEM1"), 6);
  EXPECT_EQ(db.DeleteRecord(1, "ITEM1"), 0);
  EXPECT_EQ(db.DeleteRecord(2, "NOSUCHITEM"), 0);
  EXPECT_EQ(ReadAllRaw(db).size(), 1u);
}

}  // namespace
