// The record manager's entry point (work in progress).
#include "platform/btrieve/btrcall.h"

int16_t BTRCALL(uint16_t, void*, void*, uint32_t*, void*, uint8_t, int8_t) {
  return btr::kInvalidOperation;
}
