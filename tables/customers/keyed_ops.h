// Record operations that several customer and pricing tables share beyond recfile/table_ops.h:
// the look-up-then-update of the text import, taking a key value out of a formatted record, and
// moving a table's currency from one key path to another without losing its place.
#pragma once

#include <cstdint>
#include <cstring>

#include "recfile/btrieve_db.h"
#include "recfile/field_codec.h"
#include "recfile/table_ops.h"

namespace customers {

// Copies the bytes that key segment (1-based `position`, `length`) covers in the formatted
// `record` into `key`. Formatting upper-cases the record object's upper-text fields, so the key
// value is the one the record stores.
template <class R>
void KeyFromRecord(const recfile::Layout<R>& layout, R& record, uint8_t* key, size_t position,
                   size_t length) {
  uint8_t buffer[recfile::kMaxRecord];
  recfile::Format(layout, record, buffer);
  std::memcpy(key, buffer + position - 1, length);
}

// Positions on the record whose key `keyNum` holds the value in `key` (GetEqual) and writes
// `record` over it.
template <class R>
int UpdateFound(CBtrieveDB& table, const recfile::Layout<R>& layout, R& record, uint8_t* key,
                int8_t keyNum) {
  uint8_t found[recfile::kMaxRecord];
  uint16_t length = sizeof found;
  const int status = table.GetEqual(found, &length, key, keyNum);
  if (status != 0) {
    return status;
  }
  return recfile::UpdateRecord(table, layout, record, key, keyNum);
}

// Makes `keyNum` the key path of the table's current record: GetPosition of the record the
// table stands on, then GetDirect with that position on the new key (which also fills `key`).
// A following GetNext on `keyNum` reads the record after it in that key's order.
inline int RepositionOnKey(CBtrieveDB& table, uint16_t recordLength, void* key, int8_t keyNum) {
  uint8_t buffer[recfile::kMaxRecord] = {};
  uint16_t length = 4;
  int status = table.GetPosition(buffer, &length);
  if (status != 0) {
    return status;
  }
  length = recordLength;
  return table.GetDirect(buffer, &length, key, keyNum);
}

}  // namespace customers
