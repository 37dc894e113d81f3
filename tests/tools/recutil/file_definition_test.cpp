// The file specification block as Create takes it and Stat returns it.
#include "tools/recutil/file_definition.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace recutil {
namespace {

Segment Seg(uint16_t position, uint16_t length, KeyType type, bool dup, bool mod) {
  Segment s;
  s.position = position;
  s.length = length;
  s.type = type;
  s.duplicates = dup;
  s.modifiable = mod;
  return s;
}

// Order line layout: key 0 order and line number (integers, modifiable), key 1 order and a
// 15-byte text with duplicates.
FileSpec OrderLineSpec() {
  FileSpec spec;
  spec.record_length = 176;
  spec.page_size = 1024;
  spec.keys = {
      {{Seg(1, 4, KeyType::kInteger, false, true), Seg(5, 4, KeyType::kInteger, false, true)}},
      {{Seg(1, 4, KeyType::kInteger, true, false), Seg(9, 15, KeyType::kString, true, false)}},
  };
  return spec;
}

uint16_t At16(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

TEST(FileSpecBlock, EncodesHeaderAndSegmentsByteForByte) {
  FileSpec spec = OrderLineSpec();
  spec.variable = true;
  spec.allocation = 7;
  // Header: record length, page size, keys (not segments), count, variable, preallocation. Then
  // per segment: position, length, flags (0x10 on all but a key's last), type at byte 10.
  const std::vector<uint8_t> expected = {176, 0, 0,  4, 2,    0, 0, 0, 0, 0, 1, 0, 0, 0, 7, 0,  //
                                         1,   0, 4,  0, 0x12, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0,  //
                                         5,   0, 4,  0, 0x02, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0,  //
                                         1,   0, 4,  0, 0x11, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0,  //
                                         9,   0, 15, 0, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(EncodeSpecBlock(spec), expected);
}

TEST(FileSpecBlock, DateSegmentCarriesExtendedTypeThree) {
  FileSpec spec;
  spec.record_length = 40;
  spec.keys = {{{Seg(30, 4, KeyType::kDate, true, true)}}};
  std::vector<uint8_t> block = EncodeSpecBlock(spec);
  EXPECT_EQ(At16(block, 16 + 4), 0x103);
  EXPECT_EQ(block[16 + 10], 3);
}

TEST(FileSpecBlock, DecodesWhatItEncodesWithRecordCount) {
  FileSpec spec = OrderLineSpec();
  spec.keys.push_back({{Seg(30, 4, KeyType::kDate, true, true)}});  // a date key too
  std::vector<uint8_t> block = EncodeSpecBlock(spec);
  block[6] = 0x39;  // record count 0x00012339
  block[7] = 0x23;
  block[8] = 0x01;
  FileSpec decoded;
  std::string error;
  ASSERT_TRUE(DecodeSpecBlock(block.data(), block.size(), &decoded, &error)) << error;
  EXPECT_EQ(decoded.record_count, 0x12339u);
  EXPECT_EQ(EncodeSpecBlock(decoded), EncodeSpecBlock(spec));
  ASSERT_EQ(decoded.keys.size(), 3u);
  EXPECT_EQ(decoded.keys[2].segments[0].type, KeyType::kDate);
  EXPECT_EQ(decoded.keys[1].segments[1].length, 15);
  EXPECT_TRUE(decoded.keys[1].segments[1].duplicates);
}

TEST(FileSpecBlock, DecodeTakesExtendedStringAsString) {
  FileSpec spec;
  spec.record_length = 20;
  spec.keys = {{{Seg(1, 5, KeyType::kString, false, false)}}};
  std::vector<uint8_t> block = EncodeSpecBlock(spec);
  block[16 + 5] = 0x01;  // flags 0x100, type 0
  FileSpec decoded;
  std::string error;
  ASSERT_TRUE(DecodeSpecBlock(block.data(), block.size(), &decoded, &error)) << error;
  EXPECT_EQ(decoded.keys[0].segments[0].type, KeyType::kString);
}

// What a file carries beyond what recutil needs comes back unchanged: file flags of any kind, an
// extended-type flag on a string segment, the preallocation.
TEST(FileSpecBlock, DecodeKeepsEveryFileFlagAndTheExtendedStringFlag) {
  FileSpec spec = OrderLineSpec();
  spec.allocation = 12;
  std::vector<uint8_t> block = EncodeSpecBlock(spec);
  block[10] = 0x07;  // variable length, blank truncation, preallocation
  block[11] = 0x02;
  block[16 * 4 + 5] = 0x01;  // key 1's string segment: flags 0x101
  FileSpec decoded;
  std::string error;
  ASSERT_TRUE(DecodeSpecBlock(block.data(), block.size(), &decoded, &error)) << error;
  EXPECT_TRUE(decoded.variable);
  EXPECT_EQ(decoded.other_flags, 0x206);
  EXPECT_TRUE(decoded.keys[1].segments[1].extended);
  EXPECT_FALSE(decoded.keys[1].segments[0].extended);  // an integer: the flag is its type's
  EXPECT_EQ(decoded.allocation, 12);
  EXPECT_EQ(EncodeSpecBlock(decoded), block);
  EXPECT_NE(FormatStatReport("X.DB", decoded).find("other file flags 0x206\n"), std::string::npos);
}

TEST(FileSpecBlock, DecodeRefusesWhatItCannotExpress) {
  FileSpec spec = OrderLineSpec();
  std::vector<uint8_t> good = EncodeSpecBlock(spec);
  FileSpec decoded;
  std::string error;

  // The last segment of key 1 is cut off.
  EXPECT_FALSE(DecodeSpecBlock(good.data(), good.size() - 16, &decoded, &error));
  EXPECT_NE(error.find("key 1"), std::string::npos) << error;
  EXPECT_FALSE(DecodeSpecBlock(good.data(), 10, &decoded, &error));

  std::vector<uint8_t> binary = good;
  binary[16 + 4] |= 0x04;
  EXPECT_FALSE(DecodeSpecBlock(binary.data(), binary.size(), &decoded, &error));
  EXPECT_NE(error.find("segment 1"), std::string::npos) << error;

  std::vector<uint8_t> money = good;
  money[32 + 10] = 5;  // extended type the tool does not know
  EXPECT_FALSE(DecodeSpecBlock(money.data(), money.size(), &decoded, &error));
  EXPECT_NE(error.find("segment 2"), std::string::npos) << error;
}

}  // namespace
}  // namespace recutil
