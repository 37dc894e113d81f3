// The velocity table, "VELOCITY.DB" ("Item History"): sales movement per customer and item, one
// record per customer number and item (number and suffix), key 1 unique.
//
// Layouts: current (160 bytes), 0401 (156, file name "Velocity.DB"), 0304 (148), 0208 (144)
// and 0201 (140, no record-manager date and so no key 5). Date1 is stored twice: as seconds
// and, to feed key 5, as a record-manager date of local time at offset 29 (never read back;
// four zero bytes for a Date1 of -1, "no date").
// Each table object remembers the key of its last positioning (its current key); ReadNext goes
// on along it.
#pragma once

#include <cstdint>

#include "platform/framework/object.h"
#include "recfile/btrieve_db.h"
#include "recfile/field_codec.h"

class CVelocity : public CObject {
 public:
  CString CustomerNumber;
  CString Code5;
  CString Code3;
  CString ItemNumber;
  CString ItemSuffix;
  CString Description;
  CString Code4B;
  CString Code4A;
  CString Code9;
  int64_t Date1 = 0;
  int64_t Date2 = 0;
  int32_t Number1 = 0;
  uint8_t Byte1 = 0;
  float Amount1 = 0;
  float Amount2 = 0;
  float Amount3 = 0;
  float Amount4 = 0;
  float Amount5 = 0;
  bool YesNo1 = false;
  int32_t PeriodValue1 = 0;
  int32_t PeriodValue2 = 0;
  int32_t PeriodValue3 = 0;
  int32_t PeriodValue4 = 0;
  int32_t PeriodValue5 = 0;
  int32_t PeriodValue6 = 0;
  int32_t Number2 = 0;
  int32_t Number3 = 0;
  bool YesNo2 = false;
  int32_t Number4 = 0;
};

class CVelocity0401 : public CObject {
 public:
  CString CustomerNumber;
  CString Code5;
  CString Code3;
  CString ItemNumber;
  CString ItemSuffix;
  CString Description;
  CString Code4B;
  CString Code4A;
  CString Code9;
  int64_t Date1 = 0;
  int64_t Date2 = 0;
  int32_t Number1 = 0;
  uint8_t Byte1 = 0;
  float Amount1 = 0;
  float Amount2 = 0;
  float Amount3 = 0;
  float Amount4 = 0;
  float Amount5 = 0;
  bool YesNo1 = false;
  int32_t PeriodValue1 = 0;
  int32_t PeriodValue2 = 0;
  int32_t PeriodValue3 = 0;
  int32_t PeriodValue4 = 0;
  int32_t PeriodValue5 = 0;
  int32_t PeriodValue6 = 0;
  int32_t Number2 = 0;
  int32_t Number3 = 0;
  bool YesNo2 = false;
};

class CVelocity0304 : public CObject {
 public:
  CString CustomerNumber;
  CString Code5;
  CString Code3;
  CString ItemNumber;
  CString ItemSuffix;
  CString Description;
  CString Code4B;
  CString Code4A;
  CString Code9;
  int64_t Date1 = 0;
  int64_t Date2 = 0;
  int32_t Number1 = 0;
  uint8_t Byte1 = 0;
  float Amount1 = 0;
  float Amount2 = 0;
  float Amount5 = 0;
  bool YesNo1 = false;
  int32_t PeriodValue1 = 0;
  int32_t PeriodValue2 = 0;
  int32_t PeriodValue3 = 0;
  int32_t PeriodValue4 = 0;
  int32_t PeriodValue5 = 0;
  int32_t PeriodValue6 = 0;
  int32_t Number2 = 0;
  int32_t Number3 = 0;
  bool YesNo2 = false;
};

// 0208 and 0201 hold the same fields; 0201 stores no record-manager date.
class CVelocity0208 : public CObject {
 public:
  CString CustomerNumber;
  CString Code5;
  CString Code3;
  CString ItemNumber;
  CString ItemSuffix;
  CString Description;
  CString Code4B;
  CString Code4A;
  CString Code9;
  int64_t Date1 = 0;
  int32_t Number1 = 0;
  uint8_t Byte1 = 0;
  float Amount1 = 0;
  float Amount2 = 0;
  float Amount5 = 0;
  bool YesNo1 = false;
  int32_t PeriodValue1 = 0;
  int32_t PeriodValue2 = 0;
  int32_t PeriodValue3 = 0;
  int32_t PeriodValue4 = 0;
  int32_t PeriodValue5 = 0;
  int32_t PeriodValue6 = 0;
  int32_t Number2 = 0;
  int32_t Number3 = 0;
  bool YesNo2 = false;
};

class CVelocity0201 : public CVelocity0208 {};

extern const recfile::Layout<CVelocity> kVelocityLayout;
extern const recfile::Layout<CVelocity0401> kVelocity0401Layout;
extern const recfile::Layout<CVelocity0304> kVelocity0304Layout;
extern const recfile::Layout<CVelocity0208> kVelocity0208Layout;
extern const recfile::Layout<CVelocity0201> kVelocity0201Layout;

// The reads every velocity layout shares, over its layout; `keys` is 5 for 0201, else 6.
template <class R>
class CVelocityTable : public CBtrieveDB {
 public:
  // Get First on key 0; an empty file (9) answers 4. The current key becomes 0.
  int ReadFirst(R& record);
  // Get Next on the current key; 6 without a call when the current key is not one of the file's.
  int ReadNext(R& record);
  int CurrentKey() const { return m_CurrentKey; }

 protected:
  CVelocityTable(const recfile::Layout<R>& layout, int keys) : m_Layout(layout), m_Keys(keys) {}
  void* KeyBuffer(int keyNum);
  // Get Equal on key 1 with the customer, item and suffix; then Delete, or YesNo2 written "N".
  int DoClearOrDelete(const CString& customer, const CString& item, const CString& suffix,
                      bool remove);

  const recfile::Layout<R>& m_Layout;
  int m_Keys;
  int m_CurrentKey = 0;
  uint8_t m_Key0[26] = {};  // customer, Code5, item and suffix
  uint8_t m_Key1[21] = {};  // customer, item and suffix
  uint8_t m_Key2[12] = {};  // item number
  uint8_t m_Key3[24] = {};  // customer, Code3, item and suffix
  uint8_t m_Key4[29] = {};  // customer, Code3, Code5, item and suffix
  uint8_t m_Key5[30] = {};  // customer, date, Code5, item and suffix
};

extern template class CVelocityTable<CVelocity>;
extern template class CVelocityTable<CVelocity0401>;
extern template class CVelocityTable<CVelocity0304>;
extern template class CVelocityTable<CVelocity0208>;
extern template class CVelocityTable<CVelocity0201>;

class CVelocityDB : public CVelocityTable<CVelocity> {
 public:
  CVelocityDB() : CVelocityTable(kVelocityLayout, 6) {}
  ~CVelocityDB() { Close(); }
  CString GetFileName() override { return "VELOCITY.DB"; }
  CString GetDisplayName() override { return "Item History"; }
  uint16_t GetRecordLength() override { return 160; }
  int GetImportLineLength() override;
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

  // Inserts on key 1 (customer and item, unique); the current key becomes 1.
  int InsertRecord(CVelocity& record);
  // Re-reads the current record along `keyNum` (Get Position, then Get Direct), so that ReadNext
  // goes on along that key. Keys other than 0 to 2 only from current key 3 or 4 (else 6).
  int SwitchKey(int keyNum);
  int ClearOrDelete(const CString& customer, const CString& item, const CString& suffix,
                    bool remove);
  // YesNo2 written "N" on every record of the item number whose suffix is `suffix`. No such
  // record (4), the end of the file (9) and no file (12) are success. The current key becomes 2.
  int ClearItem(const CString& item, const CString& suffix);
};

class CVelocity0401DB : public CVelocityTable<CVelocity0401> {
 public:
  CVelocity0401DB() : CVelocityTable(kVelocity0401Layout, 6) {}
  ~CVelocity0401DB() { Close(); }
  CString GetFileName() override { return "Velocity.DB"; }
  CString GetDisplayName() override { return "Item History"; }
  uint16_t GetRecordLength() override { return 156; }
  int GetImportLineLength() override;
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }
};

class CVelocity0304DB : public CVelocityTable<CVelocity0304> {
 public:
  CVelocity0304DB() : CVelocityTable(kVelocity0304Layout, 6) {}
  ~CVelocity0304DB() { Close(); }
  CString GetFileName() override { return "VELOCITY.DB"; }
  CString GetDisplayName() override { return "Item History"; }
  uint16_t GetRecordLength() override { return 148; }
  int GetImportLineLength() override { return 0; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }
};

class CVelocity0208DB : public CVelocityTable<CVelocity0208> {
 public:
  CVelocity0208DB() : CVelocityTable(kVelocity0208Layout, 6) {}
  ~CVelocity0208DB() { Close(); }
  CString GetFileName() override { return "VELOCITY.DB"; }
  CString GetDisplayName() override { return "Item History"; }
  uint16_t GetRecordLength() override { return 144; }
  int GetImportLineLength() override { return 126; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }
};

class CVelocity0201DB : public CVelocityTable<CVelocity0201> {
 public:
  CVelocity0201DB() : CVelocityTable(kVelocity0201Layout, 5) {}
  ~CVelocity0201DB() { Close(); }
  CString GetFileName() override { return "VELOCITY.DB"; }
  CString GetDisplayName() override { return "Item History"; }
  uint16_t GetRecordLength() override { return 140; }
  int GetImportLineLength() override { return 126; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

  int ClearOrDelete(const CString& customer, const CString& item, const CString& suffix,
                    bool remove);
};

// Date2 stays as it is (0 in a freshly constructed record); Amount3, Amount4, Number4 become 0.
void ConvertRecord(const CVelocity0201& from, CVelocity& to);
// Date2 takes Date1; Amount3, Amount4, Number4 become 0.
void ConvertRecord(const CVelocity0208& from, CVelocity& to);
// Amount3, Amount4, Number4 become 0.
void ConvertRecord(const CVelocity0304& from, CVelocity& to);
// Number4 becomes 0.
void ConvertRecord(const CVelocity0401& from, CVelocity& to);
