// Key lookups without reading a record: the record manager's key-only Get Equal (operation 55).
// The order headers, order lines and modem profiles number new records themselves; they try
// candidate key values in ascending order and take the first that no record holds.
#pragma once

#include <cstdint>

#include "recfile/btrieve_db.h"

namespace orders {

// 0 when a record holds `key` on `keyNum` of the table's open file; the record manager's status
// otherwise (4 when no record holds it, 3 when the table is closed). Reads no record.
int ProbeKey(CBtrieveDB& table, void* key, int8_t keyNum);

// A table object of no layout of its own, opened on some file only for key lookups. Each object
// has its own position block, so probing never moves the position of another object on the
// same file.
class CKeyProbeDB final : public CBtrieveDB {
 public:
  ~CKeyProbeDB() { Close(); }
  int CreateFile(const char*) override { return 1; }  // a probe never creates a file
  int ImportLine(const CString&, int32_t) override { return 0; }
};

}  // namespace orders
