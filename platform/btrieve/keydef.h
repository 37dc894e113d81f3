// The file specification of a record file and the order-preserving encoding of its keys.
//
// A specification block (Create's data buffer, Stat's answer) is a 16-byte header followed by
// one 16-byte entry per key segment, the segments of a key consecutive and keys in key-number
// order; a segment with flag 0x10 is followed by another segment of the same key.
//
// A key is stored as one byte string that sorts, byte by byte, in the key's order: the segments
// encoded one after another, each at its fixed width:
//   string   the bytes as they stand in the record
//   integer  big-endian with the sign bit flipped (lengths 1, 2, 4, 8; little-endian in records)
//   date     year (16-bit, big-endian), month, day (record: day, month, 16-bit little-endian year)
// Fixed widths make the concatenation order-preserving segment by segment.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace btr {

struct Segment {
  uint16_t position = 0;  // 1-based byte position in the record
  uint16_t length = 0;
  uint16_t flags = 0;  // as given at Create, kept for Stat
  uint8_t type = 0;    // kString, kInteger or kDate
};

struct Key {
  std::vector<Segment> segments;
  uint16_t length = 0;  // sum of the segment lengths
  bool duplicates = false;
  bool modifiable = false;
};

struct FileSpec {
  uint16_t record_length = 0;  // the fixed part for variable-length files
  uint16_t page_size = 0;
  uint16_t file_flags = 0;
  uint16_t allocation = 0;  // pages to preallocate: kept and reported, not acted on
  std::vector<Key> keys;

  bool variable() const;
  size_t segment_count() const;
  // Length of the specification block: 16 + 16 per segment.
  uint32_t block_length() const;
  // The longest record the file accepts.
  uint32_t max_record_length() const;
};

// Reads and validates a specification block of `length` bytes. Returns 0, or the status that
// Create answers: 22 block shorter than its segments, 24 page size, 26 number of keys, 28 record
// length, 27 key position, 29 key length for its type, 45 key flags, 49 key type.
int ParseSpec(const uint8_t* block, uint32_t length, FileSpec* spec);

// The specification block of `spec` with `record_count` at byte 6 (Stat's layout).
std::string SpecBlock(const FileSpec& spec, uint32_t record_count);

// The stored form of `key` from a record (which must hold the key's bytes).
void EncodeKeyFromRecord(const Key& key, const uint8_t* record, std::string* out);
// The stored form of `key` from a key buffer (the segments' bytes one after another).
void EncodeKeyFromBuffer(const Key& key, const uint8_t* buffer, std::string* out);
// Turns a stored key back into key-buffer form (key.length bytes).
void DecodeKey(const Key& key, const uint8_t* stored, uint8_t* buffer);

}  // namespace btr
