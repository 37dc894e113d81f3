// Helpers of the catalogue table tests: byte-level record builders, records built from layout
// tables, and records compared with the first differing offset named.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "recfile/field_codec.h"
#include "tests/support/reader_statuses.h"
#include "tests/support/record_bytes.h"

namespace cattest {

using namespace rectest;

// `s` in a field of `width` bytes, NUL-filled.
inline void Put(Bytes& b, size_t at, const std::string& s, size_t width) {
  for (size_t i = 0; i < width; ++i) {
    b[at + i] = i < s.size() ? static_cast<uint8_t>(s[i]) : 0;
  }
}
inline void PutRaw(Bytes& b, size_t at, const Bytes& v) {
  std::memcpy(&b[at], v.data(), v.size());
}
inline std::string Str(const Bytes& b, size_t at, size_t n) {
  return std::string(reinterpret_cast<const char*>(&b[at]), n);
}
inline uint8_t UpperByte(uint8_t b) {
  return static_cast<uint8_t>(recfile::UpperChar(static_cast<char>(b)));
}

// Hand-built sample records: each field of a layout table has a kind, which decides what the
// current layout holds for a stored legacy value.
enum class Kind { Upper, Text, Flag, Code, Bits, List };
struct Sample {
  Bytes legacy;   // the stored legacy record
  Bytes current;  // the current record the conversion must write
};
inline const uint8_t kFlagBytes[] = {'Y', 'y', 'N', ' ', 0};  // only Y is a yes

// The `width` bytes the current layout holds for `stored`: upper-case texts and codes
// upper-cased, flags Y or N, the rest as stored.
inline Bytes Converted(Kind kind, const Bytes& stored, size_t width) {
  Bytes v(width, 0);
  for (size_t k = 0; k < stored.size(); ++k) {
    const uint8_t b = stored[k];
    v[k] = kind == Kind::Upper || kind == Kind::Code ? UpperByte(b)
           : kind == Kind::Flag                      ? (b == 'Y' ? 'Y' : 'N')
                                                     : b;
  }
  return v;
}

// A readable difference of two records: the first differing offset.
inline std::string FirstDifference(const Bytes& got, const Bytes& want) {
  if (got.size() != want.size()) {
    return "length " + std::to_string(got.size()) + " instead of " + std::to_string(want.size());
  }
  for (size_t i = 0; i < got.size(); ++i) {
    if (got[i] != want[i]) {
      return "offset " + std::to_string(i) + ": " + std::to_string(got[i]) + " instead of " +
             std::to_string(want[i]);
    }
  }
  return "";
}

inline void ExpectRecords(const std::vector<Bytes>& got, const std::vector<Bytes>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(FirstDifference(got[i], want[i]), "") << "record " << i;
  }
}

}  // namespace cattest
