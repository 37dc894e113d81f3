// A record operation that several customer and pricing tables share beyond recfile/table_ops.h:
// moving a table's currency from one key path to another without losing its place.
#pragma once

#include <cstdint>
#include <cstring>

#include "recfile/btrieve_db.h"
#include "recfile/field_codec.h"
#include "recfile/table_ops.h"

namespace customers {

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
