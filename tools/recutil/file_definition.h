// The file specification of a record file as recutil sees it: the block that Create takes and
// Stat returns (a 16-byte header, then one 16-byte entry per key segment, little-endian), decoded
// into plain structs, and the report that `recutil stat` prints from it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace recutil {

enum class KeyType { kString, kInteger, kDate };

struct Segment {
  uint16_t position = 1;  // 1-based byte position in the record
  uint16_t length = 1;
  bool duplicates = false;
  bool modifiable = false;
  bool descending = false;
  KeyType type = KeyType::kString;
  // A string segment that carries the extended-type flag (0x100) with type code 0, as files
  // created by the program do; integer and date segments always carry it.
  bool extended = false;
};

struct Key {
  std::vector<Segment> segments;
};

struct FileSpec {
  uint16_t record_length = 0;  // the fixed part for variable-length files
  uint16_t page_size = 1024;
  bool variable = false;
  uint16_t other_flags = 0;   // the file flags besides variable length, kept as they stand
  uint16_t allocation = 0;    // pages to preallocate
  uint32_t record_count = 0;  // filled by Stat only
  std::vector<Key> keys;

  int SegmentCount() const;
};

constexpr int kHeaderSize = 16;
constexpr int kSegmentEntrySize = 16;

// The Create data buffer for `spec`: 16 + 16 * segments bytes, every unlisted byte zero. A string
// segment is written as the standard string type (no extended-type flag) unless it is marked
// extended; integer and date segments carry the extended-type flag 0x100 and their type code.
std::vector<uint8_t> EncodeSpecBlock(const FileSpec& spec);

// Decodes a Stat result of `length` bytes. Returns false, with a reason in *error, when the
// block is shorter than its keys need, a segment carries flags or a type that recutil cannot
// express (binary, null, alternate collating, supplemental, manual keys; types other than
// string, integer and date), or the header and segments disagree. File flags are kept whatever
// they are, so that a file described and created again carries the flags of the original.
bool DecodeSpecBlock(const uint8_t* block, size_t length, FileSpec* spec, std::string* error);

const char* KeyTypeName(KeyType type);

// The human-readable report of `recutil stat`.
std::string FormatStatReport(const std::string& file_name, const FileSpec& spec);

}  // namespace recutil
