// The stored form of keys: it must sort byte by byte exactly as the key values order.
#include "platform/btrieve/keydef.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "platform/btrieve/btrcall.h"

namespace btr {
namespace {

Key OneSegment(uint8_t type, uint16_t length) {
  Key key;
  key.segments.push_back({1, length, kExtendedType, type});
  key.length = length;
  return key;
}

template <typename T>
std::string Stored(const Key& key, T value) {
  uint8_t record[8] = {};
  std::memcpy(record, &value, sizeof value);
  std::string out;
  EncodeKeyFromRecord(key, record, &out);
  return out;
}

TEST(BtrieveKeyEncoding, IntegersOfEveryWidthSortAsSignedValues) {
  std::vector<int64_t> values = {INT64_MIN, -70000, -129, -128,  -1,       0,
                                 1,         127,    128,  70000, INT64_MAX};
  for (uint16_t width : {1, 2, 4, 8}) {
    Key key = OneSegment(kInteger, width);
    std::vector<std::pair<std::string, int64_t>> stored;
    for (int64_t v : values) {
      int64_t lo = width == 8 ? INT64_MIN : -(int64_t{1} << (8 * width - 1));
      int64_t hi = width == 8 ? INT64_MAX : (int64_t{1} << (8 * width - 1)) - 1;
      if (v >= lo && v <= hi) {
        stored.emplace_back(Stored(key, v), v);  // little-endian: the low bytes come first
      }
    }
    EXPECT_TRUE(std::is_sorted(stored.begin(), stored.end())) << width;
    for (const auto& [bytes, v] : stored) {
      uint8_t back[8] = {};
      DecodeKey(key, reinterpret_cast<const uint8_t*>(bytes.data()), back);
      EXPECT_EQ(std::memcmp(back, &v, width), 0) << width << " " << v;
    }
  }
}

TEST(BtrieveKeyEncoding, DatesSortByYearThenMonthThenDay) {
  Key key = OneSegment(kDate, 4);
  auto date = [&](int d, int m, int y) {
    uint8_t rec[4] = {static_cast<uint8_t>(d), static_cast<uint8_t>(m), static_cast<uint8_t>(y),
                      static_cast<uint8_t>(y >> 8)};
    std::string out;
    EncodeKeyFromRecord(key, rec, &out);
    return out;
  };
  EXPECT_LT(date(31, 12, 1999), date(1, 1, 2000));
  EXPECT_LT(date(31, 1, 2000), date(1, 2, 2000));
  EXPECT_LT(date(1, 2, 2000), date(2, 2, 2000));
  EXPECT_LT(date(1, 1, 255), date(1, 1, 256));
}

TEST(BtrieveSpecBlock, StatBlockRepeatsTheCreateBlockWithTheCount) {
  uint8_t block[48] = {};
  block[0] = 176;  // record length
  block[3] = 4;    // page size 1024
  block[4] = 2;    // two keys
  block[16] = 1;   // key 0: position 1, 4 bytes, integer, segmented
  block[18] = 4;
  block[20] = 0x10;
  block[21] = 0x01;
  block[26] = kInteger;
  block[32] = 5;  // key 0 second segment: position 5, 4 bytes integer
  block[34] = 4;
  block[37] = 0x01;
  block[42] = kInteger;
  FileSpec spec;
  // Two keys announced, segments for one only.
  ASSERT_EQ(ParseSpec(block, 16 + 32, &spec), kDataBufferLength);
  block[4] = 1;
  ASSERT_EQ(ParseSpec(block, 16 + 32, &spec), kOk);
  ASSERT_EQ(spec.keys.size(), 1u);
  EXPECT_EQ(spec.keys[0].length, 8);
  std::string stat = SpecBlock(spec, 0x01020304);
  ASSERT_EQ(stat.size(), 48u);
  EXPECT_EQ(std::memcmp(stat.data() + 10, block + 10, 38), 0);
  EXPECT_EQ(static_cast<uint8_t>(stat[6]), 4);
  EXPECT_EQ(static_cast<uint8_t>(stat[9]), 1);
}

}  // namespace
}  // namespace btr
