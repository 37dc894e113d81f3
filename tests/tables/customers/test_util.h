// Helpers of the customer and pricing table tests: the shared record helpers under the name the
// tests use, and legacy records written side by side with what they convert into.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tests/support/reader_statuses.h"
#include "tests/support/record_bytes.h"

namespace custtest {

using namespace rectest;

// One value of a conversion: its offset in the legacy record and in the converted one (-1: not
// in that record), as stored and as written.
struct Cell {
  int from, to;
  std::string stored, written;
};

// A legacy record of `fromLength` bytes and the record of `toLength` it converts into: NUL bytes
// but for the cells.
struct Pair {
  Bytes legacy, converted;
};
inline Pair Records(size_t fromLength, size_t toLength, const std::vector<Cell>& cells) {
  Pair p{Bytes(fromLength, 0), Bytes(toLength, 0)};
  for (const Cell& c : cells) {
    if (c.from >= 0) {
      Put(p.legacy, c.from, c.stored);
    }
    if (c.to >= 0) {
      Put(p.converted, c.to, c.written);
    }
  }
  return p;
}

inline std::string Upper(std::string s) {
  recfile::UpperInPlace(s);
  return s;
}
inline std::string I32(int32_t v) {
  Bytes b(4);
  PutI32(b, 0, v);
  return std::string(b.begin(), b.end());
}
inline std::string F32(float v) {
  Bytes b(4);
  PutF32(b, 0, v);
  return std::string(b.begin(), b.end());
}
// `n` values of `step` apart, from `first`, one after the other.
inline std::string F32s(float first, float step, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) {
    s += F32(first + step * i);
  }
  return s;
}

// The legacy records in the order given, and the converted records in the order `order`.
inline std::vector<Bytes> Legacy(const std::vector<Pair>& pairs) {
  std::vector<Bytes> out;
  for (const Pair& p : pairs) {
    out.push_back(p.legacy);
  }
  return out;
}
inline std::vector<Bytes> Converted(const std::vector<Pair>& pairs, const std::vector<int>& order) {
  std::vector<Bytes> out;
  for (int i : order) {
    out.push_back(pairs[i].converted);
  }
  return out;
}

}  // namespace custtest
