// The record operations that every table family shares, written once over a layout: read a
// record through a Get operation into a local buffer and parse it; format a record and insert or
// update it. Table classes call these from their ReadFirst / ReadNext / InsertRecord / ... and
// add only what is particular to them (key values, statuses with a meaning of their own).
#pragma once

#include <cstdint>

#include "recfile/btrieve_db.h"
#include "recfile/field_codec.h"

namespace recfile {

// A Get operation of CBtrieveDB (GetFirst, GetNext, GetEqual, ...).
using GetOp = int (CBtrieveDB::*)(void*, uint16_t*, void*, int8_t);

// Whether a read must return exactly the layout's record length (fixed-length layouts: 22
// otherwise) or may return any length (variable-length layouts).
enum class Length { Exact, Any };

// The largest record any table reads or writes: a note of 4096 characters behind the largest
// fixed part, with room to spare.
constexpr size_t kMaxRecord = 8192;

// Calls `get` into a local buffer of `bufferLength` bytes (0: the layout's longest record) and
// parses what was read into `record`. Returns the record manager's status; 22 when the rule is
// Exact and the length read differs from the layout's record length (the record is then not
// parsed).
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
    return 22;
  }
  Parse(layout, buffer, length, record);
  return 0;
}

// Formats `record` and inserts it on `keyNum`. For a fixed-length layout a length other than the
// record length coming back gives 22.
template <class R>
int InsertRecord(CBtrieveDB& table, const Layout<R>& layout, R& record, void* keyBuf,
                 int8_t keyNum) {
  uint8_t buffer[kMaxRecord];
  const size_t written = Format(layout, record, buffer);
  uint16_t length = static_cast<uint16_t>(written);
  const int status = table.Insert(buffer, &length, keyBuf, keyNum);
  if (status == 0 && layout.NoteField() == nullptr && length != written) {
    return 22;
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
    return 22;
  }
  return status;
}

// Positions on the record with key value `keyBuf` (GetEqual on `keyNum`) and deletes it; a
// missing record (4) counts as deleted.
int DeleteByKey(CBtrieveDB& table, void* keyBuf, int8_t keyNum);

}  // namespace recfile
