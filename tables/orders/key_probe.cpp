// Key-only lookups: see key_probe.h.
#include "tables/orders/key_probe.h"

#include "recfile/table_ops.h"

namespace orders {

int ProbeKey(CBtrieveDB& table, void* key, int8_t keyNum) {
  if (!table.IsOpen()) {
    return btr::kFileNotOpen;
  }
  uint8_t unused[8];
  uint16_t length = sizeof unused;
  return BtrieveCall(btr::kGetKeyEqual, table.PositionBlock(), unused, &length, key, keyNum);
}

}  // namespace orders
