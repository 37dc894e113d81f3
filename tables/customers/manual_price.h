// The manual price table, "MNPRICE.DB": prices entered by hand for a customer and an item.
//
// Layouts: current (CManualPriceDB / CManualPrice, 88 bytes), 0203 (CManualPrice0203DB /
// CManualPrice0203, 76 bytes) and 0202 (CManualPrice0202DB / CManualPrice0202, 48 bytes). The
// current layout puts two texts (Text0, Text4) in front of the old unique key, which grows from
// 21 to 33 bytes, so every 0203 field stands twelve bytes later. Every text is upper text.
//
// A current record never holds a price outside -9999.99 to 9999.99: writing (and FindRecord's
// read) replaces it by the nearest limit, and a price that is not a number by -9999.99.
#pragma once

#include <cstdint>
#include <type_traits>

#include "platform/framework/object.h"
#include "recfile/btrieve_db.h"
#include "recfile/field_codec.h"

// The fields of the 0203 record, which the current one keeps; one class per layout.
template <int kVersion>
class CManualPriceFields : public CObject {
 public:
  CString CustomerNumber;
  CString ItemNumber;
  CString Text30;
  CString Text33;
  int32_t Long68 = 0;
  uint8_t Byte72 = ' ';
  uint8_t Byte84 = ' ';
  float Price = 0;
  CString Text80;
  bool Flag85 = false;
};

using CManualPrice0203 = CManualPriceFields<0x203>;

// The current record: the 0203 fields behind two new leading texts.
class CManualPrice : public CManualPriceFields<0x404> {
 public:
  CString Text0;
  CString Text4;
};

// The 0202 record has no byte for Byte72; the member holds the space of a new current record.
class CManualPrice0202 : public CObject {
 public:
  CString CustomerNumber;
  CString ItemNumber;
  CString Text30;
  int32_t Long68 = 0;
  uint8_t Byte72 = ' ';
  float Price = 0;
  float Float36 = 0;
  CString Text80;
  bool Flag44 = false;
};

extern const recfile::Layout<CManualPrice> kManualPriceLayout;
extern const recfile::Layout<CManualPrice0203> kManualPrice0203Layout;
extern const recfile::Layout<CManualPrice0202> kManualPrice0202Layout;

// The price a current record stores for `price`: compared in double precision with -9999.99
// and 9999.99; not greater than the lower limit (or not a number) gives the lower limit, not
// less than the upper one the upper limit (both as single-precision values).
float LimitPrice(float price);

// The table class of one layout `kLayout` of records R. Reads run on key 0. FindRecord,
// UpdateRecord and DeleteRecord serve the text imports alone (and test fixtures): they look the
// record up by its key-0 fields (current: Text0, Text4, CustomerNumber, ItemNumber, Text30;
// 0203: CustomerNumber, ItemNumber, Text30). The 0202 layout has no import: its InsertRecord
// serves test fixtures only.
template <class R, const recfile::Layout<R>& kLayout, int kImportLineLength>
class CManualPriceTable : public CBtrieveDB {
 public:
  ~CManualPriceTable() { Close(); }
  CString GetFileName() override { return "MNPRICE.DB"; }
  CString GetDisplayName() override { return "Manual Prices"; }
  uint16_t GetRecordLength() override { return 0; }
  int GetImportLineLength() override { return kImportLineLength; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

  int ReadFirst(R& record) requires(!std::is_same_v<R, CManualPrice>);
  int ReadNext(R& record) requires(!std::is_same_v<R, CManualPrice>);
  int InsertRecord(R& record);
  int FindRecord(R& record) requires(!std::is_same_v<R, CManualPrice0202>);
  int UpdateRecord(R& record) requires(!std::is_same_v<R, CManualPrice0202>);
  int DeleteRecord(R& record) requires(!std::is_same_v<R, CManualPrice0202>);

 private:
  // Packs key 0 from `record`'s own key fields.
  void SetKey0(R& record);

  uint8_t m_Key0[33] = {};
  int m_CurrentKey = 0;
};

using CManualPriceDB = CManualPriceTable<CManualPrice, kManualPriceLayout, 73>;
using CManualPrice0203DB = CManualPriceTable<CManualPrice0203, kManualPrice0203Layout, 73>;
using CManualPrice0202DB = CManualPriceTable<CManualPrice0202, kManualPrice0202Layout, 0>;

extern template class CManualPriceTable<CManualPrice, kManualPriceLayout, 73>;
extern template class CManualPriceTable<CManualPrice0203, kManualPrice0203Layout, 73>;
extern template class CManualPriceTable<CManualPrice0202, kManualPrice0202Layout, 0>;

void ConvertRecord(const CManualPrice0203& from, CManualPrice& to);
void ConvertRecord(const CManualPrice0202& from, CManualPrice& to);
