// Key-only lookups: see key_probe.h.
#include "tables/orders/key_probe.h"

namespace orders {

int ProbeKey(CBtrieveDB& table, void* key, int8_t keyNum) {
  if (!table.IsOpen()) {
    return 3;
  }
  uint8_t unused[8];
  uint16_t length = sizeof unused;
  constexpr uint16_t kGetKeyEqual = 55;
  return BtrieveCall(kGetKeyEqual, table.PositionBlock(), unused, &length, key, keyNum);
}

}  // namespace orders
