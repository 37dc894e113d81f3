// Inventory item table: right-aligned and space-filled texts, the seven-digit number, bytes
// carried bit for bit, the keys, and the rebuild of step 12 byte for byte.
#include "tables/catalog/inventory_item.h"

#include <gtest/gtest.h>

#include "tests/tables/catalog/catalog_test_util.h"

using cattest::Bytes;

namespace {

// The stored forms (right-aligned Text0, space-filled texts, "%7.7d", bits carried as they are)
// are checked by the rebuild below; here, what does not fit.
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
  raw[28] = '9';  // a digit right behind the field does not extend it
  for (auto [text, value] : {std::pair{"  123x5", 123}, {"0000042", 42}, {"-000004", -4}}) {
    cattest::Put(raw, 21, text, 7);
    CInventoryItem r;
    recfile::Parse(kInventoryItemLayout, raw.data(), raw.size(), r);
    EXPECT_EQ(r.Number21, value) << text;
    EXPECT_EQ(r.Text0, "  AB");
    EXPECT_EQ(r.Text6, "X");
  }
}

class InventoryItemFile : public rectest::InScratchDir {};

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
  cattest::WriteRaw<CInventoryItemDB>("INVITEM.DB", raw);
  EXPECT_EQ(
      (cattest::Upgrade<CInventoryItemDB, CInventoryItemDB, CInventoryItem, CInventoryItem>()), 3);
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
  cattest::ExpectFile("TMP.DB", 3, want);
}

}  // namespace
