// The control table, "CONTROL.DB": named settings of the product, one record per control name
// (30 characters, key 0, unique) with a kind, a switch, a whole number, a real number and a text
// of up to 256 characters. One layout; the upgrade leaves the file alone.
//
// Lookups fill the name with spaces to 30 characters, so names are stored filled with spaces
// as well: a name stored with NULs behind it could never be found.
#pragma once

#include <cstdint>

#include "platform/framework/object.h"
#include "recfile/btrieve_db.h"
#include "recfile/field_codec.h"

class CControl : public CObject {
 public:
  CString ControlName;  // upper case
  char Kind = ' ';
  bool Enabled = false;
  int32_t IntValue = 0;
  double RealValue = 0.0;
  CString TextValue;  // upper case, up to 256 characters
};

extern const recfile::Layout<CControl> kControlLayout;

class CControlDB : public CBtrieveDB {
 public:
  ~CControlDB() { Close(); }
  CString GetFileName() override { return "CONTROL.DB"; }
  CString GetDisplayName() override { return "Control"; }
  int GetImportLineLength() override { return 31; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

  // Get Equal on the name filled with spaces to 30 and upper-cased; 4 when there is no such
  // control, 22 for a record of another length.
  int GetControl(CControl& record, const CString& name);
  int InsertRecord(CControl& record);
  int UpdateRecord(CControl& record);
  // A missing control (4) counts as deleted.
  int DeleteRecord(const CString& name);

 private:
  void SetNameKey(const CString& name);
  uint8_t m_Key0[30] = {};
};
