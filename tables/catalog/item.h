// The item table, "ITEM.DB": the product catalogue, one record per 12-character item number.
//
// Layouts: current (CItemDB / CItem, fixed part 387) and the legacy 0400 (343), 03094 (347),
// 0308 (263) and 0208 (272). The item number and the three secondary keys keep their place in
// every layout; the rest grew by appending and moving fields. The 0208 record is fixed-length
// and keeps an 8-character note inside it; from 0308 on the records are variable-length, a
// fixed part followed by a NUL-terminated note of up to 4096 characters.
//
// Members named after a number are named after their offset in the current layout. Keys:
// 0 item number (unique); 1 Text15 + item number; 2 Text20; 3 Text12 and Text15 + item number.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/framework/object.h"
#include "recfile/btrieve_db.h"
#include "recfile/field_codec.h"
#include "recfile/file_definition.h"

// The members every layout has.
class CItemFields : public CObject {
 public:
  CString Text58, Text56, Text15, Text20, Text96, ItemNumber, Text152, Text12, Note, Text168,
      Text180, Text199, Text211;
  std::vector<CString> CodeList = std::vector<CString>(3);
  CString Text234, Text240, Text255, Text276;
  bool Flag40 = false, Flag146 = false, Flag171 = false, Flag172 = false, Flag196 = false,
       Flag197 = false, Flag223 = false, Flag224 = false, Flag80 = false;
  int32_t Number88 = 0, Number48 = 0, Number52 = 0, Number76 = 0, Number184 = 0, Number188 = 0;
  char Code155 = 0, Code198 = 0;
  float Amount32 = 0, Amount36 = 0, Amount84 = 0, Amount92 = 0, Amount148 = 0, Amount164 = 0,
        Amount156 = 0, Amount160 = 0, Amount176 = 0, Amount192 = 0;
  std::vector<float> AmountList = std::vector<float>(3);  // entry k belongs to CodeList[k]
  int64_t Date272 = 0;
};

class CItem : public CItemFields {
 public:
  virtual void Copy(const CItem& other);

  CString Text41, Text278, Text328, Text348;
  int32_t Number376 = 0;
  char Code81 = 0;
  float Amount344 = 0, Amount380 = 0;
};

// The 0400 record: the current one up to offset 343 (no Code81, Amount344, Text348, Number376,
// Amount380); its character at 81 is not carried forward.
class CItem0400 : public CItemFields {
 public:
  CString Text41, Text278, Text328;
  char LegacyCode81 = 0;  // read, never carried
};

// The 03094 record: the 0400 one without Text41; a 9-character text at 41 pushes every field
// from Number48 on four bytes further.
class CItem03094 : public CItemFields {
 public:
  CString Text278, Text328;
  CString LegacyText41;   // read, never carried
  char LegacyCode85 = 0;  // read, never carried
};

// The 0308 record: the 03094 one with a 30-character Text96 and without Text278 and Text328.
class CItem0308 : public CItemFields {
 public:
  CString LegacyText41;
  char LegacyCode85 = 0;
};

// The 0208 record: the fields of 0308, with an 8-character note at 140 inside the fixed record.
class CItem0208 : public CItemFields {
 public:
  CString LegacyText41;
  char LegacyCode85 = 0;
};

extern const recfile::Layout<CItem> kItemLayout;
extern const recfile::Layout<CItem0400> kItem0400Layout;
extern const recfile::Layout<CItem03094> kItem03094Layout;
extern const recfile::Layout<CItem0308> kItem0308Layout;
extern const recfile::Layout<CItem0208> kItem0208Layout;

// The file specification of an item layout: four keys in six segments; only the record length
// and the file flags (variable-length records from 0308 on) differ between layouts.
recfile::FileSpec ItemFileSpec(uint16_t recordLength, bool variable);

// Key buffers shared by the item table classes: key 0 (12 bytes), key 1 (17), key 3 (20) and
// key 2 (10), in that order; an operation on key n uses the buffer of key n.
class CItemKeys {
 public:
  uint8_t* Buffer(int keyNum);
  uint8_t m_Key0[12] = {};
  uint8_t m_Key1[17] = {};
  uint8_t m_Key3[20] = {};
  uint8_t m_Key2[10] = {};
};

// The table class of one layout `kLayout` of records R. Import lines of version 777 on are
// `kLaterImportLength` characters, earlier ones 369. The one fixed-length layout, 0208: a record
// of another length than 272 reads and writes as 22.
template <class R, const recfile::Layout<R>& kLayout, int kLaterImportLength>
class CItemTable : public CBtrieveDB {
 public:
  ~CItemTable() { Close(); }
  CString GetFileName() override { return "ITEM.DB"; }
  CString GetDisplayName() override { return "Item"; }
  int GetImportLineLength() override { return m_ImportVersion < 777 ? 369 : kLaterImportLength; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

  int ReadFirst(R& record, int keyNum = 0);
  int ReadNext(R& record, int keyNum = 0);
  int InsertRecord(R& record);
  // Reads the item with this number (upper-cased) on key 0.
  int FindRecord(R& record, const CString& itemNumber);
  // Rewrites the stored item of record.ItemNumber; the stored version goes into *stored.
  int UpdateRecord(R& record, R* stored = nullptr);
  // Deletes the item with this number; a missing item counts as deleted.
  int DeleteRecord(const CString& itemNumber);

 private:
  CItemKeys m_Keys;
};

class CItemDB : public CItemTable<CItem, kItemLayout, 484> {
 public:
  int GetImportLineLength() override;
};

using CItem0400DB = CItemTable<CItem0400, kItem0400Layout, 484>;
using CItem03094DB = CItemTable<CItem03094, kItem03094Layout, 484>;
using CItem0308DB = CItemTable<CItem0308, kItem0308Layout, 369>;
using CItem0208DB = CItemTable<CItem0208, kItem0208Layout, 369>;

extern template class CItemTable<CItem, kItemLayout, 484>;
extern template class CItemTable<CItem0400, kItem0400Layout, 484>;
extern template class CItemTable<CItem03094, kItem03094Layout, 484>;
extern template class CItemTable<CItem0308, kItem0308Layout, 369>;
extern template class CItemTable<CItem0208, kItem0208Layout, 369>;

void ConvertRecord(const CItem0208& from, CItem& to);
void ConvertRecord(const CItem0308& from, CItem& to);
void ConvertRecord(const CItem03094& from, CItem& to);
void ConvertRecord(const CItem0400& from, CItem& to);
