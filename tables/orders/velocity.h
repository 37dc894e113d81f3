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

// The members every layout has.
class CVelocityFields : public CObject {
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

class CVelocity : public CVelocityFields {
 public:
  int64_t Date2 = 0;
  float Amount3 = 0;
  float Amount4 = 0;
  int32_t Number4 = 0;
};

class CVelocity0401 : public CVelocityFields {
 public:
  int64_t Date2 = 0;
  float Amount3 = 0;
  float Amount4 = 0;
};

class CVelocity0304 : public CVelocityFields {
 public:
  int64_t Date2 = 0;
};

// 0208 and 0201 hold the same fields; 0201 stores no record-manager date.
class CVelocity0208 : public CVelocityFields {};
class CVelocity0201 : public CVelocityFields {};

extern const recfile::Layout<CVelocity> kVelocityLayout;
extern const recfile::Layout<CVelocity0401> kVelocity0401Layout;
extern const recfile::Layout<CVelocity0304> kVelocity0304Layout;
extern const recfile::Layout<CVelocity0208> kVelocity0208Layout;
extern const recfile::Layout<CVelocity0201> kVelocity0201Layout;

// The table class of one layout `kLayout` of records R. A layout without a record-manager date
// (0201) has no key 5.
template <class R, const recfile::Layout<R>& kLayout>
class CVelocityTable : public CBtrieveDB {
 public:
  CVelocityTable();
  ~CVelocityTable() { Close(); }
  CString GetFileName() override { return "VELOCITY.DB"; }
  CString GetDisplayName() override { return "Item History"; }
  uint16_t GetRecordLength() override { return kLayout.length; }
  int GetImportLineLength() override { return 126; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

  // Get First on key 0; an empty file (9) answers 4. The current key becomes 0.
  int ReadFirst(R& record);
  // Get Next on the current key; 6 without a call when the current key is not one of the file's.
  int ReadNext(R& record);
  int CurrentKey() const { return m_CurrentKey; }
  // Get Equal on key 1 with the customer, item and suffix; then Delete, or YesNo2 written "N".
  int ClearOrDelete(const CString& customer, const CString& item, const CString& suffix,
                    bool remove);

 protected:
  void* KeyBuffer(int keyNum);

  int m_Keys;
  int m_CurrentKey = 0;
  uint8_t m_Key0[26] = {};  // customer, Code5, item and suffix
  uint8_t m_Key1[21] = {};  // customer, item and suffix
  uint8_t m_Key2[12] = {};  // item number
  uint8_t m_Key3[24] = {};  // customer, Code3, item and suffix
  uint8_t m_Key4[29] = {};  // customer, Code3, Code5, item and suffix
  uint8_t m_Key5[30] = {};  // customer, date, Code5, item and suffix
};

class CVelocityDB : public CVelocityTable<CVelocity, kVelocityLayout> {
 public:
  int GetImportLineLength() override;

  // Inserts on key 1 (customer and item, unique); the current key becomes 1.
  int InsertRecord(CVelocity& record);
  // Re-reads the current record along `keyNum` (Get Position, then Get Direct), so that ReadNext
  // goes on along that key. Keys other than 0 to 2 only from current key 3 or 4 (else 6).
  int SwitchKey(int keyNum);
  // YesNo2 written "N" on every record of the item number whose suffix is `suffix`. No such
  // record (4), the end of the file (9) and no file (12) are success. The current key becomes 2.
  int ClearItem(const CString& item, const CString& suffix);
};

// Layout 0401 names the same file in other letters.
class CVelocity0401DB : public CVelocityTable<CVelocity0401, kVelocity0401Layout> {
 public:
  CString GetFileName() override { return "Velocity.DB"; }
  int GetImportLineLength() override;
};

class CVelocity0304DB : public CVelocityTable<CVelocity0304, kVelocity0304Layout> {
 public:
  int GetImportLineLength() override { return 0; }
};

using CVelocity0208DB = CVelocityTable<CVelocity0208, kVelocity0208Layout>;
using CVelocity0201DB = CVelocityTable<CVelocity0201, kVelocity0201Layout>;

extern template class CVelocityTable<CVelocity, kVelocityLayout>;
extern template class CVelocityTable<CVelocity0401, kVelocity0401Layout>;
extern template class CVelocityTable<CVelocity0304, kVelocity0304Layout>;
extern template class CVelocityTable<CVelocity0208, kVelocity0208Layout>;
extern template class CVelocityTable<CVelocity0201, kVelocity0201Layout>;

// Date2 stays as it is (0 in a freshly constructed record); Amount3, Amount4, Number4 become 0.
void ConvertRecord(const CVelocity0201& from, CVelocity& to);
// Date2 takes Date1; Amount3, Amount4, Number4 become 0.
void ConvertRecord(const CVelocity0208& from, CVelocity& to);
// Amount3, Amount4, Number4 become 0.
void ConvertRecord(const CVelocity0304& from, CVelocity& to);
// Number4 becomes 0.
void ConvertRecord(const CVelocity0401& from, CVelocity& to);
