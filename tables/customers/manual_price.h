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

#include "platform/framework/object.h"
#include "recfile/btrieve_db.h"
#include "recfile/field_codec.h"

class CManualPrice : public CObject {
 public:
  CString CustomerNumber;
  CString Text0;
  CString Text4;
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

class CManualPrice0203 : public CObject {
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

class CManualPriceDB : public CBtrieveDB {
 public:
  ~CManualPriceDB() { Close(); }
  CString GetFileName() override { return "MNPRICE.DB"; }
  CString GetDisplayName() override { return "Manual Prices"; }
  uint16_t GetRecordLength() override { return 0; }
  int GetImportLineLength() override { return 73; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

  int InsertRecord(CManualPrice& record);
  // Serve the text imports alone: look the record up by its key-0 fields (Text0, Text4,
  // CustomerNumber, ItemNumber, Text30 of `record`).
  int FindRecord(CManualPrice& record);
  int UpdateRecord(CManualPrice& record);
  int DeleteRecord(CManualPrice& record);

 private:
  uint8_t m_Key0[33] = {};
  int m_CurrentKey = 0;
};

class CManualPrice0203DB : public CBtrieveDB {
 public:
  ~CManualPrice0203DB() { Close(); }
  CString GetFileName() override { return "MNPRICE.DB"; }
  CString GetDisplayName() override { return "Manual Prices"; }
  uint16_t GetRecordLength() override { return 0; }
  int GetImportLineLength() override { return 73; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

  // Read on key 0.
  int ReadFirst(CManualPrice0203& record);
  int ReadNext(CManualPrice0203& record);
  // Serve the text imports alone (and test fixtures): key 0 is CustomerNumber, ItemNumber and
  // Text30 of `record`.
  int InsertRecord(CManualPrice0203& record);
  int FindRecord(CManualPrice0203& record);
  int UpdateRecord(CManualPrice0203& record);
  int DeleteRecord(CManualPrice0203& record);

 private:
  uint8_t m_Key0[21] = {};
  int m_CurrentKey = 0;
};

class CManualPrice0202DB : public CBtrieveDB {
 public:
  ~CManualPrice0202DB() { Close(); }
  CString GetFileName() override { return "MNPRICE.DB"; }
  CString GetDisplayName() override { return "Manual Prices"; }
  uint16_t GetRecordLength() override { return 0; }
  int GetImportLineLength() override { return 0; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

  // Read on key 0.
  int ReadFirst(CManualPrice0202& record);
  int ReadNext(CManualPrice0202& record);
  // Test fixtures only; the 0202 layout has no import.
  int InsertRecord(CManualPrice0202& record);

 private:
  uint8_t m_Key0[21] = {};
  int m_CurrentKey = 0;
};

void ConvertRecord(const CManualPrice0203& from, CManualPrice& to);
void ConvertRecord(const CManualPrice0202& from, CManualPrice& to);
