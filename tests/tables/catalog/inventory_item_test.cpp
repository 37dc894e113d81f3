// Inventory item table: right-aligned and space-filled texts, the seven-digit number, bytes
// carried bit for bit, the keys, and the rebuild of step 12 byte for byte.
#include "tables/catalog/inventory_item.h"

#include <gtest/gtest.h>

#include "tests/tables/catalog/catalog_test_util.h"

using cattest::Bytes;

namespace {

TEST(InventoryItemLayout, DeclarationIsSound) {
  EXPECT_EQ(recfile::CheckLayout(kInventoryItemLayout), "");
}

TEST(InventoryItemLayout, TextsAreSpaceFilledAndNumber21HasSevenDigits) {
  CInventoryItem r;
  r.Text0 = "ab";
  r.Text6 = "cd";
  r.Text18 = "e";
  r.Number21 = 42;
  r.Number28 = static_cast<int32_t>(0x7FC00001);  // a NaN pattern stays as it is
  r.Number40 = -1;
  r.Amount44 = 44.5f;
  r.Number48 = 0x30313233;
  r.Amount52 = -52.0f;
  r.Date56 = -1;
  Bytes want(60, 0);
  cattest::Put(want, 0, "    AB", 6);
  cattest::Put(want, 6, "CD          ", 12);
  cattest::Put(want, 18, "E  ", 3);
  cattest::Put(want, 21, "0000042", 7);
  cattest::PutI32(want, 28, static_cast<int32_t>(0x7FC00001));
  cattest::PutI32(want, 40, -1);
  cattest::PutF32(want, 44, 44.5f);
  cattest::PutI32(want, 48, 0x30313233);
  cattest::PutF32(want, 52, -52.0f);
  cattest::PutI32(want, 56, -1);
  uint8_t out[recfile::kMaxRecord];
  std::memset(out, 0xEE, sizeof out);
  ASSERT_EQ(recfile::Format(kInventoryItemLayout, r, out), 60u);
  EXPECT_EQ(cattest::FirstDifference(Bytes(out, out + 60), want), "");
  EXPECT_EQ(r.Text0, "AB");  // upper-cased in the record, not padded there
}

TEST(InventoryItemLayout, NegativeAndLongValuesAreCut) {
  CInventoryItem r;
  r.Number21 = -42;
  r.Text0 = "toolongtext";
  r.Text6 = "abcdefghijklmnop";
  uint8_t out[recfile::kMaxRecord];
  recfile::Format(kInventoryItemLayout, r, out);
  const Bytes b(out, out + 60);
  EXPECT_EQ(cattest::Str(b, 21, 7), "-000004");
  EXPECT_EQ(cattest::Str(b, 0, 6), "TOOLON");
  EXPECT_EQ(cattest::Str(b, 6, 12), "ABCDEFGHIJKL");
  r.Number21 = 12345678;
  recfile::Format(kInventoryItemLayout, r, out);
  EXPECT_EQ(cattest::Str(Bytes(out, out + 60), 21, 7), "1234567");
}

TEST(InventoryItemLayout, Number21ReadsItsOwnSevenCharacters) {
  Bytes raw(60, 0);
  cattest::Put(raw, 0, "  ab", 6);
  cattest::Put(raw, 6, "x", 12);
  cattest::Put(raw, 21, "  123x5", 7);
  raw[28] = '9';  // a digit right behind the field does not extend it
  CInventoryItem r;
  recfile::Parse(kInventoryItemLayout, raw.data(), raw.size(), r);
  EXPECT_EQ(r.Text0, "  AB");
  EXPECT_EQ(r.Text6, "X");
  EXPECT_EQ(r.Number21, 123);
  cattest::Put(raw, 21, "0000042", 7);
  recfile::Parse(kInventoryItemLayout, raw.data(), raw.size(), r);
  EXPECT_EQ(r.Number21, 42);
  cattest::Put(raw, 21, "-000004", 7);
  recfile::Parse(kInventoryItemLayout, raw.data(), raw.size(), r);
  EXPECT_EQ(r.Number21, -4);
}

TEST(InventoryItemFileSpec, BlockMatchesTheKeyTable) {
  EXPECT_EQ(
      recfile::BuildSpecBlock(InventoryItemFileSpec()),
      cattest::SpecBlock(
          60, false, 4, {{1, 21, 0x03}, {1, 6, 0x13}, {22, 7, 0x03}, {7, 12, 0x03}, {1, 6, 0x03}}));
}

class InventoryItemFile : public cattest::ScratchDir {};

Bytes Raw(const std::string& t0, const std::string& t6, const std::string& t18,
          const std::string& n21, uint32_t bits) {
  Bytes b(60, 0);
  cattest::Put(b, 0, t0, 6);
  cattest::Put(b, 6, t6, 12);
  cattest::Put(b, 18, t18, 3);
  cattest::Put(b, 21, n21, 7);
  cattest::PutI32(b, 28, static_cast<int32_t>(bits));
  for (int at = 32; at < 40; ++at) {
    b[at] = 0xEE;  // never read; written as zero
  }
  cattest::PutI32(b, 40, static_cast<int32_t>(~bits));
  cattest::PutF32(b, 44, 1.25f);
  cattest::PutI32(b, 48, static_cast<int32_t>(bits ^ 0x55555555));
  cattest::PutF32(b, 52, -2.5f);
  cattest::PutI32(b, 56, -1);
  return b;
}

TEST_F(InventoryItemFile, RebuildWritesTheStoredForm) {
  const std::vector<Bytes> raw = {
      Raw("ab", "item one", "ea", "0000042", 0xFFFFFFFF),
      Raw("    CD", "ITEM TWO    ", "CS ", "1234567", 0x7FC00001),
      Raw("abcdef", "twelve chars", "xyz", "-000004", 0x00000000),
  };
  {
    CInventoryItemDB db;
    ASSERT_EQ(db.CreateFile("INVITEM.DB"), 0);
    for (const Bytes& r : raw) {
      ASSERT_EQ(cattest::InsertRaw(db, r), 0);
    }
  }
  CInventoryItemDB legacy;
  CInventoryItemDB current;
  ASSERT_EQ(legacy.Open(), 0);
  ASSERT_EQ(current.CreateFile("TMP.DB"), 0);
  CInventoryItem r;
  int status = legacy.ReadFirst(r);
  int count = 0;
  for (; status == 0; status = legacy.ReadNext(r)) {
    ASSERT_EQ(current.InsertRecord(r), 0);
    ++count;
  }
  EXPECT_EQ(status, 9);
  EXPECT_EQ(count, 3);
  current.Close();
  // Key 3 (Text0) order of the stored forms: "    AB", "    CD", "ABCDEF".
  std::vector<Bytes> want = {raw[0], raw[1], raw[2]};
  cattest::Put(want[0], 0, "    AB", 6);
  cattest::Put(want[0], 6, "ITEM ONE    ", 12);
  cattest::Put(want[0], 18, "EA ", 3);
  cattest::Put(want[2], 0, "ABCDEF", 6);
  cattest::Put(want[2], 6, "TWELVE CHARS", 12);
  cattest::Put(want[2], 18, "XYZ", 3);
  // -4 is written "%7.7d" and cut to seven characters: the sign and six of the seven digits.
  cattest::Put(want[2], 21, "-000000", 7);
  for (Bytes& w : want) {
    std::fill(w.begin() + 32, w.begin() + 40, 0);
  }
  const std::vector<Bytes> got = cattest::ReadFile("TMP.DB", 3);
  ASSERT_EQ(got.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(cattest::FirstDifference(got[i], want[i]), "") << i;
  }
}

}  // namespace
