// Byte layout of the file specification block and the stat report.
#include "tools/recutil/file_definition.h"

#include <cstdio>

#include "platform/btrieve/btrcall.h"

namespace recutil {
namespace {

// Header offsets.
constexpr int kRecordLengthAt = 0;
constexpr int kPageSizeAt = 2;
constexpr int kKeyCountAt = 4;
constexpr int kRecordCountAt = 6;
constexpr int kFileFlagsAt = 10;
constexpr int kAllocationAt = 14;

// Segment entry offsets.
constexpr int kPositionAt = 0;
constexpr int kLengthAt = 2;
constexpr int kFlagsAt = 4;
constexpr int kTypeAt = 10;

constexpr uint16_t kKnownFlags =
    btr::kDuplicates | btr::kModifiable | btr::kSegmented | btr::kDescending | btr::kExtendedType;

void Put16(std::vector<uint8_t>& block, size_t at, uint16_t value) {
  block[at] = static_cast<uint8_t>(value & 0xFF);
  block[at + 1] = static_cast<uint8_t>(value >> 8);
}

uint16_t Get16(const uint8_t* block, size_t at) {
  return static_cast<uint16_t>(block[at] | (block[at + 1] << 8));
}

uint32_t Get32(const uint8_t* block, size_t at) {
  return static_cast<uint32_t>(block[at]) | (static_cast<uint32_t>(block[at + 1]) << 8) |
         (static_cast<uint32_t>(block[at + 2]) << 16) |
         (static_cast<uint32_t>(block[at + 3]) << 24);
}

uint8_t TypeCode(KeyType type) {
  switch (type) {
    case KeyType::kInteger:
      return btr::kInteger;
    case KeyType::kDate:
      return btr::kDate;
    case KeyType::kString:
      break;
  }
  return btr::kString;
}

uint16_t SegmentFlags(const Segment& segment, bool more_follow) {
  uint16_t flags = 0;
  if (segment.duplicates)
    flags |= btr::kDuplicates;
  if (segment.modifiable)
    flags |= btr::kModifiable;
  if (more_follow)
    flags |= btr::kSegmented;
  if (segment.descending)
    flags |= btr::kDescending;
  if (segment.type != KeyType::kString || segment.extended)
    flags |= btr::kExtendedType;
  return flags;
}

bool DecodeType(uint16_t flags, uint8_t code, KeyType* type) {
  if (!(flags & btr::kExtendedType) || code == btr::kString) {
    *type = KeyType::kString;
  } else if (code == btr::kInteger) {
    *type = KeyType::kInteger;
  } else if (code == btr::kDate) {
    *type = KeyType::kDate;
  } else {
    return false;
  }
  return true;
}

std::string Hex(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

// Decodes the entry at `at` into *segment; *more tells whether the key has another segment.
bool DecodeSegment(const uint8_t* block, size_t at, int number, Segment* segment, bool* more,
                   std::string* error) {
  uint16_t flags = Get16(block, at + kFlagsAt);
  std::string where = "segment " + std::to_string(number);
  if (flags & ~kKnownFlags) {
    *error = where + " has key flags " + Hex(flags) + " that recutil cannot express";
    return false;
  }
  if (!DecodeType(flags, block[at + kTypeAt], &segment->type)) {
    *error = where + " has key type " + std::to_string(block[at + kTypeAt]) +
             " that recutil cannot express";
    return false;
  }
  segment->position = Get16(block, at + kPositionAt);
  segment->length = Get16(block, at + kLengthAt);
  segment->duplicates = flags & btr::kDuplicates;
  segment->modifiable = flags & btr::kModifiable;
  segment->descending = flags & btr::kDescending;
  segment->extended = segment->type == KeyType::kString && (flags & btr::kExtendedType);
  *more = flags & btr::kSegmented;
  return true;
}

}  // namespace

int FileSpec::SegmentCount() const {
  int count = 0;
  for (const Key& key : keys)
    count += static_cast<int>(key.segments.size());
  return count;
}

std::vector<uint8_t> EncodeSpecBlock(const FileSpec& spec) {
  std::vector<uint8_t> block(kHeaderSize + kSegmentEntrySize * spec.SegmentCount(), 0);
  Put16(block, kRecordLengthAt, spec.record_length);
  Put16(block, kPageSizeAt, spec.page_size);
  Put16(block, kKeyCountAt, static_cast<uint16_t>(spec.keys.size()));
  Put16(block, kFileFlagsAt,
        static_cast<uint16_t>((spec.other_flags & ~btr::kVariableLength) |
                              (spec.variable ? btr::kVariableLength : 0)));
  Put16(block, kAllocationAt, spec.allocation);
  size_t at = kHeaderSize;
  for (const Key& key : spec.keys) {
    for (size_t i = 0; i < key.segments.size(); ++i) {
      const Segment& segment = key.segments[i];
      Put16(block, at + kPositionAt, segment.position);
      Put16(block, at + kLengthAt, segment.length);
      Put16(block, at + kFlagsAt, SegmentFlags(segment, i + 1 < key.segments.size()));
      block[at + kTypeAt] = TypeCode(segment.type);
      at += kSegmentEntrySize;
    }
  }
  return block;
}

bool DecodeSpecBlock(const uint8_t* block, size_t length, FileSpec* spec, std::string* error) {
  if (length < static_cast<size_t>(kHeaderSize)) {
    *error = "specification block of " + std::to_string(length) + " bytes is too short";
    return false;
  }
  FileSpec result;
  result.record_length = Get16(block, kRecordLengthAt);
  result.page_size = Get16(block, kPageSizeAt);
  result.record_count = Get32(block, kRecordCountAt);
  uint16_t file_flags = Get16(block, kFileFlagsAt);
  result.variable = file_flags & btr::kVariableLength;
  result.other_flags = file_flags & ~btr::kVariableLength;
  result.allocation = Get16(block, kAllocationAt);
  int key_count = Get16(block, kKeyCountAt);
  size_t at = kHeaderSize;
  int number = 1;
  for (int k = 0; k < key_count; ++k) {
    Key key;
    bool more = true;
    while (more) {
      if (at + kSegmentEntrySize > length) {
        *error = "specification block of " + std::to_string(length) + " bytes ends inside key " +
                 std::to_string(k);
        return false;
      }
      Segment segment;
      if (!DecodeSegment(block, at, number, &segment, &more, error))
        return false;
      key.segments.push_back(segment);
      at += kSegmentEntrySize;
      ++number;
    }
    result.keys.push_back(std::move(key));
  }
  *spec = std::move(result);
  return true;
}

const char* KeyTypeName(KeyType type) {
  switch (type) {
    case KeyType::kInteger:
      return "integer";
    case KeyType::kDate:
      return "date";
    case KeyType::kString:
      break;
  }
  return "string";
}

namespace {

std::string SegmentAttributes(const Segment& segment) {
  std::string text = segment.duplicates ? "duplicates" : "unique";
  text += segment.modifiable ? ", modifiable" : ", not modifiable";
  if (segment.descending)
    text += ", descending";
  return text;
}

}  // namespace

std::string FormatStatReport(const std::string& file_name, const FileSpec& spec) {
  char line[160];
  std::string out = "File " + file_name + "\n";
  std::snprintf(line, sizeof line,
                "  record length %u (%s)\n  page size %u\n  keys %zu in %d segments\n"
                "  records %u\n",
                spec.record_length, spec.variable ? "variable length" : "fixed length",
                spec.page_size, spec.keys.size(), spec.SegmentCount(), spec.record_count);
  out += line;
  if (spec.other_flags != 0)
    out += "  other file flags " + Hex(spec.other_flags) + "\n";
  if (spec.allocation != 0)
    out += "  preallocated pages " + std::to_string(spec.allocation) + "\n";
  if (spec.keys.empty())
    return out;
  out += "\n  key  segment  position  length  type     attributes\n";
  for (size_t k = 0; k < spec.keys.size(); ++k) {
    const Key& key = spec.keys[k];
    for (size_t s = 0; s < key.segments.size(); ++s) {
      const Segment& seg = key.segments[s];
      std::snprintf(line, sizeof line, "  %3zu  %7zu  %8u  %6u  %-7s  %s\n", k, s + 1, seg.position,
                    seg.length, KeyTypeName(seg.type), SegmentAttributes(seg).c_str());
      out += line;
    }
  }
  return out;
}

}  // namespace recutil
