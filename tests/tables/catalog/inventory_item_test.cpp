// Inventory item table: right-aligned and space-filled texts, the seven-digit number, bytes
// carried bit for bit, and the rebuild of step 12 byte for byte.
#include "tables/catalog/inventory_item.h"

#include <gtest/gtest.h>

#include "tests/tables/catalog/catalog_test_util.h"

namespace {

using namespace cattest;

// The stored forms (right-aligned Text0, space-filled texts, "%7.7d", bits carried as they are)
// are checked by the rebuild below; here, what does not fit, and a number read from its own
// seven characters.
TEST(InventoryItemLayout, LongValuesAreCutAndNumber21ReadsItsOwnCharacters) {
  CInventoryItem r;
  r.Number21 = 12345678;
  r.Text0 = "toolongtext";
  r.Text6 = "abcdefghijklmnop";
  const Bytes b = Formatted(kInventoryItemLayout, r);
  EXPECT_EQ(Str(b, 0, 18) + Str(b, 21, 7), "TOOLONABCDEFGHIJKL1234567");
  Bytes raw(60, 0);
  raw[28] = '9';  // a digit right behind the field does not extend it
  for (auto [text, value] : {std::pair{"  123x5", 123}, {"0000042", 42}, {"-000004", -4}}) {
    Put(raw, 21, text, 7);
    recfile::Parse(kInventoryItemLayout, raw.data(), raw.size(), r);
    EXPECT_EQ(r.Number21, value) << text;
  }
}

Bytes Raw(const std::string& t0, const std::string& t6, const std::string& t18,
          const std::string& n21, uint32_t bits) {
  Bytes b(60, 0);
  Put(b, 0, t0, 6);
  Put(b, 6, t6, 12);
  Put(b, 18, t18, 3);
  Put(b, 21, n21, 7);
  PutI32(b, 28, static_cast<int32_t>(bits));
  std::fill(b.begin() + 32, b.begin() + 40, 0xEE);  // never read; written as zero
  PutI32(b, 40, static_cast<int32_t>(~bits));
  PutF32(b, 44, 1.25f);
  PutI32(b, 48, static_cast<int32_t>(bits ^ 0x55555555));
  PutF32(b, 52, -2.5f);
  PutI32(b, 56, -1);
  return b;
}

class InventoryItemFile : public InScratchDir {};

TEST_F(InventoryItemFile, RebuildWritesTheStoredForm) {
  const std::vector<Bytes> raw = {
      Raw("ab", "item one", "ea", "0000042", 0xFFFFFFFF),
      Raw("    CD", "ITEM TWO    ", "CS ", "1234567", 0x7FC00001),
      Raw("abcdef", "twelve chars", "xyz", "-000004", 0x00000000),
  };
  WriteRaw<CInventoryItemDB>(raw);
  // Key 3 (Text0) order of the stored forms: "    AB", "    CD", "ABCDEF". -4 is written "%7.7d"
  // and cut to seven characters: the sign and six of the seven digits.
  std::vector<Bytes> want = {Raw("    AB", "ITEM ONE    ", "EA ", "0000042", 0xFFFFFFFF), raw[1],
                             Raw("ABCDEF", "TWELVE CHARS", "XYZ", "-000000", 0x00000000)};
  for (Bytes& w : want) {
    std::fill(w.begin() + 32, w.begin() + 40, 0);
  }
  ExpectRecords(
      RunStep<CInventoryItemDB, CInventoryItem, CInventoryItemDB, CInventoryItem>(0, 3).converted,
      want);
}

}  // namespace
