// The record operations that every table family shares, written once over a layout: read a
// record through a Get operation into a local buffer and parse it; format a record and insert or
// update it. Table classes call these from their ReadFirst / ReadNext / InsertRecord / ... and
// add only what is particular to them (key values, statuses with a meaning of their own).
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>

#include "platform/btrieve/btrcall.h"  // the status names (btr::kEndOfFile, ...) tables compare against
#include "recfile/btrieve_db.h"
#include "recfile/field_codec.h"
#include "recfile/file_definition.h"

namespace recfile {

// A Get operation of CBtrieveDB (GetFirst, GetNext, GetEqual, ...).
using GetOp = int (CBtrieveDB::*)(void*, uint16_t*, void*, int8_t);

// Whether a read must return exactly the layout's record length (fixed-length layouts:
// btr::kDataBufferLength otherwise) or may return any length (variable-length layouts).
enum class Length { Exact, Any };

// The largest record any table reads or writes: a note of 4096 characters behind the largest
// fixed part, with room to spare.
constexpr size_t kMaxRecord = 8192;

// Calls `get` into a local buffer of `bufferLength` bytes (0: the layout's longest record) and
// parses what was read into `record`. Returns the record manager's status; btr::kDataBufferLength
// when the rule is Exact and the length read differs from the layout's record length (the record is
// then not parsed).
template <class R>
int ReadRecord(CBtrieveDB& table, GetOp get, const Layout<R>& layout, R& record, void* keyBuf,
               int8_t keyNum, Length rule, size_t bufferLength = 0) {
  uint8_t buffer[kMaxRecord];
  if (bufferLength == 0 || bufferLength > kMaxRecord) {
    bufferLength = std::min(layout.MaxLength(), kMaxRecord);
  }
  uint16_t length = static_cast<uint16_t>(bufferLength);
  const int status = (table.*get)(buffer, &length, keyBuf, keyNum);
  if (status != 0) {
    return status;
  }
  if (rule == Length::Exact && length != layout.length) {
    return btr::kDataBufferLength;
  }
  Parse(layout, buffer, length, record);
  return 0;
}

// Formats `record` and inserts it on `keyNum`. For a fixed-length layout a length other than the
// record length coming back gives btr::kDataBufferLength.
template <class R>
int InsertRecord(CBtrieveDB& table, const Layout<R>& layout, R& record, void* keyBuf,
                 int8_t keyNum) {
  uint8_t buffer[kMaxRecord];
  const size_t written = Format(layout, record, buffer);
  uint16_t length = static_cast<uint16_t>(written);
  const int status = table.Insert(buffer, &length, keyBuf, keyNum);
  if (status == 0 && layout.NoteField() == nullptr && length != written) {
    return btr::kDataBufferLength;
  }
  return status;
}

// Formats `record` over the current record (established by a Get) and updates it.
template <class R>
int UpdateRecord(CBtrieveDB& table, const Layout<R>& layout, R& record, void* keyBuf,
                 int8_t keyNum) {
  uint8_t buffer[kMaxRecord];
  const size_t written = Format(layout, record, buffer);
  uint16_t length = static_cast<uint16_t>(written);
  const int status = table.Update(buffer, &length, keyBuf, keyNum);
  if (status == 0 && layout.NoteField() == nullptr && length != written) {
    return btr::kDataBufferLength;
  }
  return status;
}

// Copies the bytes that key segment (1-based `position`, `length`) covers in the formatted
// `record` into `key`. Formatting upper-cases the record object's upper-text fields, so the key
// value is the one the record stores.
template <class R>
void KeyFromRecord(const Layout<R>& layout, R& record, uint8_t* key, size_t position,
                   size_t length) {
  uint8_t buffer[kMaxRecord];
  Format(layout, record, buffer);
  std::memcpy(key, buffer + position - 1, length);
}

// Packs the value of a key out of the formatted `record` into `key`: the bytes of each of the
// key's `segments` (from the file specification), one after the other, as the record manager
// builds a key value. Formatting upper-cases the record object's upper-text fields.
template <class R>
void KeyFromSegments(const Layout<R>& layout, R& record, const std::vector<KeySegment>& segments,
                     uint8_t* key) {
  uint8_t buffer[kMaxRecord];
  Format(layout, record, buffer);
  for (const KeySegment& segment : segments) {
    std::memcpy(key, buffer + segment.position - 1, segment.length);
    key += segment.length;
  }
}

// Packs `values` into `key`, one text value a segment of `segments` (from the file
// specification), each at its segment's width as WriteText stores it: cut at the width or filled
// with NULs, and otherwise as given (not upper-cased). Values beyond the segments are ignored;
// segments beyond the values are filled with NULs.
inline void KeyFromValues(const std::vector<KeySegment>& segments,
                          std::initializer_list<std::string> values, uint8_t* key) {
  auto value = values.begin();
  for (const KeySegment& segment : segments) {
    WriteText(key, segment.length, value != values.end() ? *value++ : std::string());
    key += segment.length;
  }
}

// The look-up-then-update of every table: positions on the record whose key `keyNum` holds the
// value in `keyBuf` (GetEqual into a buffer of `lookupLength` bytes; 0: kMaxRecord) and formats
// `record` over it. The look-up's status comes back as it is: btr::kKeyNotFound when no record
// holds the key, btr::kDataBufferLength when the record found is longer than `lookupLength`.
template <class R>
int UpdateFound(CBtrieveDB& table, const Layout<R>& layout, R& record, void* keyBuf, int8_t keyNum,
                size_t lookupLength = 0) {
  uint8_t found[kMaxRecord];
  if (lookupLength == 0 || lookupLength > kMaxRecord) {
    lookupLength = kMaxRecord;
  }
  uint16_t length = static_cast<uint16_t>(lookupLength);
  const int status = table.GetEqual(found, &length, keyBuf, keyNum);
  if (status != 0) {
    return status;
  }
  return UpdateRecord(table, layout, record, keyBuf, keyNum);
}

// Positions on the record with key value `keyBuf` (GetEqual on `keyNum`) and deletes it; a
// missing record (btr::kKeyNotFound) counts as deleted.
int DeleteByKey(CBtrieveDB& table, void* keyBuf, int8_t keyNum);

}  // namespace recfile
