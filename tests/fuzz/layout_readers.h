// The layout readers of the layouts fuzz target: each record layout is parsed from any bytes and
// formatted back, which must be stable, and a legacy record is converted as the upgrade run
// converts it. The table families are compiled apart (layouts_<family>.cpp) so that the heavy
// template code builds in parallel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>
#include <vector>

#include "recfile/field_codec.h"
#include "tests/fuzz/fuzz_check.h"

namespace fuzz {

// Reads one record of one layout from `size` bytes.
using LayoutReader = void (*)(const uint8_t* data, size_t size);

// Every layout of each family, current first, then the legacy ones of the same table.
std::span<const LayoutReader> CatalogReaders();
std::span<const LayoutReader> OrderReaders();
std::span<const LayoutReader> CustomerReaders();

// The number of record layouts that the tables declare; each is read by one reader above.
constexpr size_t kLayoutCount = 58;

template <class>
struct RecordOf;
template <class R>
struct RecordOf<recfile::Layout<R>> {
  using type = R;
};

// Formats a record; the length must stay within what the layout says it may write.
template <class R>
std::vector<uint8_t> Write(const recfile::Layout<R>& layout, R& record) {
  std::vector<uint8_t> out(layout.MaxLength());
  const size_t length = recfile::Format(layout, record, out.data());
  Require(length <= out.size(), "a formatted record fits MaxLength()");
  Require(length >= layout.length, "a formatted record holds the fixed part");
  out.resize(length);
  return out;
}

template <auto& kLayout>
using RecordType = typename RecordOf<std::remove_cvref_t<decltype(kLayout)>>::type;

// The bytes of a formatted record that the shared encodings wrote: a field of its own encoding
// (Custom) is blanked, since some of those are lossy on purpose (a seven-character number that
// drops a digit when negative) and need not give the same bytes twice.
template <class R>
std::vector<uint8_t> SharedEncodings(const recfile::Layout<R>& layout, std::vector<uint8_t> bytes) {
  for (const recfile::Field<R>& f : layout.fields) {
    if (f.enc == recfile::Enc::Custom) {
      for (size_t i = f.offset; i < bytes.size() && i < size_t{f.offset} + f.width; ++i) {
        bytes[i] = 0;
      }
    }
  }
  return bytes;
}

// Parses the bytes into `record` and checks that formatting what was read is stable. Formatting
// upper-cases some fields in the object, so it works on a second record parsed the same way.
template <auto& kLayout>
void ReadAndWrite(const uint8_t* data, size_t size, RecordType<kLayout>& record) {
  using R = RecordType<kLayout>;
  recfile::Parse(kLayout, data, size, record);
  R written{};
  recfile::Parse(kLayout, data, size, written);
  const std::vector<uint8_t> once = Write(kLayout, written);
  R again{};
  recfile::Parse(kLayout, once.data(), once.size(), again);
  Require(SharedEncodings(kLayout, Write(kLayout, again)) == SharedEncodings(kLayout, once),
          "a record read and written again is unchanged");
}

template <auto& kLayout>
void Current(const uint8_t* data, size_t size) {
  RecordType<kLayout> record{};
  ReadAndWrite<kLayout>(data, size, record);
}

template <auto& kLegacy, auto& kCurrent>
void Legacy(const uint8_t* data, size_t size) {
  RecordType<kLegacy> from{};
  ReadAndWrite<kLegacy>(data, size, from);
  using To = RecordType<kCurrent>;
  if constexpr (requires(To & to) { ConvertRecord(from, to); }) {
    To to{};
    ConvertRecord(from, to);
    Write(kCurrent, to);
  }
}

}  // namespace fuzz
