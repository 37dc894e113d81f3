// File specifications and key encoding; see keydef.h.
#include "platform/btrieve/keydef.h"

#include <cstring>

#include "platform/btrieve/btrcall.h"

namespace btr {
namespace {

constexpr uint32_t kHeaderSize = 16;
constexpr uint32_t kEntrySize = 16;
constexpr int kMaxKeys = 24;
constexpr uint16_t kMaxKeyLength = 255;
// Key flags this engine honours; any other flag bit makes Create answer 45.
constexpr uint16_t kSupportedKeyFlags = kDuplicates | kModifiable | kSegmented | kExtendedType;
// A page holds at least one record and its few bytes of bookkeeping.
constexpr uint16_t kPageOverhead = 6;
constexpr uint16_t kMinRecordLength = 4;

uint16_t Get16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

void Put16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) {
    p[i] = static_cast<uint8_t>(v >> (8 * i));
  }
}

bool ValidPageSize(uint16_t size) {
  return size >= 512 && size <= 4096 && size % 512 == 0;
}

int SegmentStatus(const Segment& s, uint16_t record_length) {
  if ((s.flags & ~kSupportedKeyFlags) != 0) {
    return kInvalidKeyFlags;
  }
  if (s.type != kString && s.type != kInteger && s.type != kDate) {
    return kInvalidExtendedType;
  }
  bool length_ok = s.length >= 1 && s.length <= kMaxKeyLength;
  if (s.type == kInteger) {
    length_ok = s.length == 1 || s.length == 2 || s.length == 4 || s.length == 8;
  } else if (s.type == kDate) {
    length_ok = s.length == 4;
  }
  if (!length_ok) {
    return kKeyLength;
  }
  if (s.position < 1 || s.position + s.length - 1 > record_length) {
    return kKeyPosition;
  }
  return kOk;
}

// Reads the segments of one key starting at entry `*entry`; advances `*entry`.
int ParseKey(const uint8_t* block, uint32_t length, uint16_t record_length, uint32_t* entry,
             Key* key) {
  for (;;) {
    uint32_t offset = kHeaderSize + *entry * kEntrySize;
    if (offset + kEntrySize > length) {
      return kDataBufferLength;
    }
    const uint8_t* e = block + offset;
    Segment s;
    s.position = Get16(e);
    s.length = Get16(e + 2);
    s.flags = Get16(e + 4);
    // Without the extended-type flag a segment is a plain byte string.
    s.type = (s.flags & kExtendedType) ? e[10] : static_cast<uint8_t>(kString);
    ++*entry;
    if (int status = SegmentStatus(s, record_length); status != kOk) {
      return status;
    }
    bool dup = s.flags & kDuplicates;
    bool mod = s.flags & kModifiable;
    if (key->segments.empty()) {
      key->duplicates = dup;
      key->modifiable = mod;
    } else if (dup != key->duplicates || mod != key->modifiable) {
      return kInvalidKeyFlags;  // every segment of a key carries the same attributes
    }
    key->segments.push_back(s);
    key->length = static_cast<uint16_t>(key->length + s.length);
    if (key->length > kMaxKeyLength) {
      return kKeyLength;
    }
    if (!(s.flags & kSegmented)) {
      return kOk;
    }
  }
}

// Writes one segment's stored form; `src` holds the segment as it stands in a record.
void EncodeSegment(const Segment& s, const uint8_t* src, uint8_t* dst) {
  switch (s.type) {
    case kInteger:
      for (int i = 0; i < s.length; ++i) {
        dst[i] = src[s.length - 1 - i];
      }
      dst[0] ^= 0x80;
      break;
    case kDate:
      dst[0] = src[3];
      dst[1] = src[2];
      dst[2] = src[1];
      dst[3] = src[0];
      break;
    default:
      std::memcpy(dst, src, s.length);
  }
}

void DecodeSegment(const Segment& s, const uint8_t* stored, uint8_t* dst) {
  switch (s.type) {
    case kInteger:
      for (int i = 0; i < s.length; ++i) {
        dst[i] = stored[s.length - 1 - i];
      }
      dst[s.length - 1] ^= 0x80;
      break;
    case kDate:
      dst[0] = stored[3];
      dst[1] = stored[2];
      dst[2] = stored[1];
      dst[3] = stored[0];
      break;
    default:
      std::memcpy(dst, stored, s.length);
  }
}

}  // namespace

bool FileSpec::variable() const {
  return (file_flags & kVariableLength) != 0;
}

size_t FileSpec::segment_count() const {
  size_t n = 0;
  for (const Key& k : keys) {
    n += k.segments.size();
  }
  return n;
}

uint32_t FileSpec::block_length() const {
  return kHeaderSize + kEntrySize * static_cast<uint32_t>(segment_count());
}

uint32_t FileSpec::max_record_length() const {
  return variable() ? kMaxRecordLength : record_length;
}

int ParseSpec(const uint8_t* block, uint32_t length, FileSpec* spec) {
  *spec = FileSpec();
  if (block == nullptr || length < kHeaderSize) {
    return kDataBufferLength;
  }
  spec->record_length = Get16(block);
  spec->page_size = Get16(block + 2);
  uint16_t key_count = Get16(block + 4);
  spec->file_flags = Get16(block + 10);
  spec->allocation = Get16(block + 14);
  if (!ValidPageSize(spec->page_size)) {
    return kPageSize;
  }
  if (spec->record_length < kMinRecordLength ||
      spec->record_length + kPageOverhead > spec->page_size) {
    return kRecordLength;
  }
  if (key_count < 1 || key_count > kMaxKeys) {
    return kNumberOfKeys;
  }
  uint32_t entry = 0;
  for (int k = 0; k < key_count; ++k) {
    Key key;
    if (int status = ParseKey(block, length, spec->record_length, &entry, &key); status != kOk) {
      return status;
    }
    spec->keys.push_back(std::move(key));
  }
  return kOk;
}

std::string SpecBlock(const FileSpec& spec, uint32_t record_count) {
  std::string out(spec.block_length(), '\0');
  auto* p = reinterpret_cast<uint8_t*>(out.data());
  Put16(p, spec.record_length);
  Put16(p + 2, spec.page_size);
  Put16(p + 4, static_cast<uint16_t>(spec.keys.size()));
  Put32(p + 6, record_count);
  Put16(p + 10, spec.file_flags);
  Put16(p + 14, spec.allocation);
  uint8_t* e = p + kHeaderSize;
  for (const Key& key : spec.keys) {
    for (const Segment& s : key.segments) {
      Put16(e, s.position);
      Put16(e + 2, s.length);
      Put16(e + 4, s.flags);
      e[10] = (s.flags & kExtendedType) ? s.type : 0;
      e += kEntrySize;
    }
  }
  return out;
}

void EncodeKeyFromRecord(const Key& key, const uint8_t* record, std::string* out) {
  out->resize(key.length);
  auto* dst = reinterpret_cast<uint8_t*>(out->data());
  for (const Segment& s : key.segments) {
    EncodeSegment(s, record + s.position - 1, dst);
    dst += s.length;
  }
}

void EncodeKeyFromBuffer(const Key& key, const uint8_t* buffer, std::string* out) {
  out->resize(key.length);
  auto* dst = reinterpret_cast<uint8_t*>(out->data());
  for (const Segment& s : key.segments) {
    EncodeSegment(s, buffer, dst);
    buffer += s.length;
    dst += s.length;
  }
}

void DecodeKey(const Key& key, const uint8_t* stored, uint8_t* buffer) {
  for (const Segment& s : key.segments) {
    DecodeSegment(s, stored, buffer);
    stored += s.length;
    buffer += s.length;
  }
}

}  // namespace btr
