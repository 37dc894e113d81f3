// The special table, "SPECIAL.DB": dated specials keyed by three texts of 6, 12 and 3
// characters together (key 0, unique); key 1 is the last two texts (duplicates).
//
// One layout (CSpecialDB / CSpecial, 52 bytes). Reading checks the date: a special whose
// Date24 lies before the current time has passed. The readers drop passed specials and read
// on, in ReadFirst and ReadNext alike, so a rebuilt file keeps every current special whatever
// its place in key order; ReadNext's keep-all flag returns every record instead. A Date24 of -1
// (all bits set) is a time before 1970 and so has passed.
#pragma once

#include <cstdint>

#include "platform/framework/object.h"
#include "recfile/btrieve_db.h"
#include "recfile/field_codec.h"
#include "recfile/file_definition.h"
#include "recfile/table_ops.h"

class CSpecial : public CObject {
 public:
  CString Text0, Text6, Text18;
  int64_t Date24 = 0;
  int32_t Flag28 = 0, Flag29 = 0;  // truth values: "Y" on disk
  float Amount32 = 0, Amount36 = 0, Amount40 = 0, Amount44 = 0;
  int32_t Flag48 = 0;
};

extern const recfile::Layout<CSpecial> kSpecialLayout;

recfile::FileSpec SpecialFileSpec();

class CSpecialDB : public CBtrieveDB {
 public:
  ~CSpecialDB() { Close(); }
  CString GetFileName() override { return "SPECIAL.DB"; }
  CString GetDisplayName() override { return "Specials"; }
  int GetImportLineLength() override { return 87; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

  // The first special that has not passed, on key 0 (or key 1 for any other number); 9 when
  // there is none.
  int ReadFirst(CSpecial& record, int keyNum = 0);
  // The next special that has not passed; with keepAll the next record whatever its date.
  int ReadNext(CSpecial& record, int keyNum = 0, bool keepAll = false);
  int InsertRecord(CSpecial& record);
  int UpdateRecord(CSpecial& record);
  // Deletes the special whose key 0 (up to 21 characters, upper-cased) is `keyValue`.
  int DeleteRecord(const CString& keyValue);

 private:
  // Reads with `get`, then on with GetNext past passed specials unless keepAll.
  int ReadCurrent(recfile::GetOp get, CSpecial& record, int keyNum, bool keepAll);

  uint8_t m_Key0[21] = {};
  uint8_t m_Key1[15] = {};
};

// Whether a special dated `date` has passed at `now` (seconds since 1970).
bool SpecialHasPassed(int64_t date, int64_t now);
