// The item unit table, "ITEMUNIT.DB": one record per item and unit in which it is handled,
// identified by the item number and a 3-character unit code (key 2, unique).
//
// Layouts: current (CItemUnitDB / CItemUnit, 356 bytes) and the legacy 0400 (336), 03094 (316),
// 0308 (296) and 0301 (292; its class names the file "ItemUnit.DB", the same file). Each newer
// layout appends fields and keeps every offset, except that 0301 has three flags at 128 to 130
// and a single at 132 that were dropped, and its character and two singles behind offset 280
// sit four bytes lower (Amount280 came later). All layouts are fixed-length.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/framework/object.h"
#include "recfile/btrieve_db.h"
#include "recfile/field_codec.h"
#include "recfile/file_definition.h"

// The members every layout has.
class CItemUnitFields : public CObject {
 public:
  CString Text16, ItemNumber, Text68, Text98, UnitCode;
  std::vector<CString> textList = std::vector<CString>(10);
  CString Text216, Text36, Text48;
  bool Flag111 = false, Flag120 = false, Flag131 = false;
  char Code12 = ' ', Code284 = ' ';
  int32_t Number56 = 0;
  float Amount28 = 0, Amount32 = 0, Amount44 = 0, Amount276 = 0, Amount268 = 0, Amount272 = 0,
        Amount60 = 0, Amount64 = 0, Amount112 = 0, Amount116 = 0, Amount124 = 0, Amount288 = 0,
        Amount292 = 0;
  std::vector<float> AmountList = std::vector<float>(11);
};

class CItemUnit : public CItemUnitFields {
 public:
  float Amount280 = 0, Amount296 = 0, Amount300 = 0, Amount304 = 0;
  CString Text308, Text316, Text336;
};

// 0400: the current record without Text336.
class CItemUnit0400 : public CItemUnitFields {
 public:
  float Amount280 = 0, Amount296 = 0, Amount300 = 0, Amount304 = 0;
  CString Text308, Text316;
};

// 03094: without Text316 and Text336.
class CItemUnit03094 : public CItemUnitFields {
 public:
  float Amount280 = 0, Amount296 = 0, Amount300 = 0, Amount304 = 0;
  CString Text308;
};

// 0308: ends with Amount292.
class CItemUnit0308 : public CItemUnitFields {
 public:
  float Amount280 = 0;
};

// 0301: no Amount280; Code284 at 280 and Amount288 / Amount292 at 284 / 288. The flags at 128
// to 130 and the single at 132 are read but not carried.
class CItemUnit0301 : public CItemUnitFields {
 public:
  bool LegacyFlag128 = false, LegacyFlag129 = false, LegacyFlag130 = false;
  float LegacyAmount132 = 0;
};

extern const recfile::Layout<CItemUnit> kItemUnitLayout;
extern const recfile::Layout<CItemUnit0400> kItemUnit0400Layout;
extern const recfile::Layout<CItemUnit03094> kItemUnit03094Layout;
extern const recfile::Layout<CItemUnit0308> kItemUnit0308Layout;
extern const recfile::Layout<CItemUnit0301> kItemUnit0301Layout;

// Three keys in four segments, the same for every layout but the record length.
recfile::FileSpec ItemUnitFileSpec(uint16_t recordLength);

// The import line length of an import version, capped at the last one a layout knows.
int ItemUnitImportLineLength(int32_t importVersion, int cap);

// Key buffers of the item unit classes: key 0 (13 bytes), key 1 (12), key 2 (15), in order.
struct CItemUnitKeys {
  uint8_t* Buffer(int keyNum);
  uint8_t m_Key0[13] = {};
  uint8_t m_Key1[12] = {};
  uint8_t m_Key2[15] = {};
};

// The table class of one layout `kLayout` of records R, whose import lines end at
// `kImportCap` characters.
template <class R, const recfile::Layout<R>& kLayout, int kImportCap>
class CItemUnitTable : public CBtrieveDB {
 public:
  ~CItemUnitTable() { Close(); }
  CString GetFileName() override { return "ITEMUNIT.DB"; }
  CString GetDisplayName() override { return "Item Unit"; }
  int GetImportLineLength() override {
    return ItemUnitImportLineLength(m_ImportVersion, kImportCap);
  }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

  // Read in the order of key 2 (item number and unit code).
  int ReadFirst(R& record);
  int ReadNext(R& record);
  int InsertRecord(R& record);

 protected:
  CItemUnitKeys m_Keys;
};

class CItemUnitDB : public CItemUnitTable<CItemUnit, kItemUnitLayout, 544> {
 public:
  // Rewrites the record of record.ItemNumber and record.UnitCode (key 2).
  int UpdateRecord(CItemUnit& record);
  // Deletes the first record whose key `keyNum` (0, 1 or 2) equals `keyValue`; a missing one
  // counts as deleted; another key number answers 6.
  int DeleteRecord(int keyNum, const CString& keyValue);
};

using CItemUnit0400DB = CItemUnitTable<CItemUnit0400, kItemUnit0400Layout, 524>;
using CItemUnit03094DB = CItemUnitTable<CItemUnit03094, kItemUnit03094Layout, 504>;
using CItemUnit0308DB = CItemUnitTable<CItemUnit0308, kItemUnit0308Layout, 463>;

// Layout 0301 names the same file in other letters.
class CItemUnit0301DB : public CItemUnitTable<CItemUnit0301, kItemUnit0301Layout, 452> {
 public:
  CString GetFileName() override { return "ItemUnit.DB"; }
};

extern template class CItemUnitTable<CItemUnit, kItemUnitLayout, 544>;
extern template class CItemUnitTable<CItemUnit0400, kItemUnit0400Layout, 524>;
extern template class CItemUnitTable<CItemUnit03094, kItemUnit03094Layout, 504>;
extern template class CItemUnitTable<CItemUnit0308, kItemUnit0308Layout, 463>;
extern template class CItemUnitTable<CItemUnit0301, kItemUnit0301Layout, 452>;

void ConvertRecord(const CItemUnit0400& from, CItemUnit& to);
void ConvertRecord(const CItemUnit03094& from, CItemUnit& to);
void ConvertRecord(const CItemUnit0308& from, CItemUnit& to);
void ConvertRecord(const CItemUnit0301& from, CItemUnit& to);
