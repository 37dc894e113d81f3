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

}  // namespace
}  // namespace btr
