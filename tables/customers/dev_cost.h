// The deviated cost table: costs that deviate from the standard cost for a customer and an
// item.
//
// Layouts: current ("DEVCOST.DB", CDevCostDB / CDevCost, 52 bytes) and 0402 ("DevCost.DB",
// CDevCost0402DB / CDevCost0402, 36 bytes); the two names differ only in case and name one
// file. The current layout adds Flag24 in front of the three numbers (which move from 24, 28, 32
// to 28, 32, 36) and three more numbers behind them. Every text is upper text. Keys: 0 the
// customer (duplicates), 1 customer, item and Text18 (unique).
#pragma once

#include <cstdint>

#include "platform/framework/object.h"
#include "recfile/btrieve_db.h"
#include "recfile/field_codec.h"

class CDevCost : public CObject {
 public:
  CString CustomerNumber;
  CString ItemNumber;
  CString Text18;
  bool Flag24 = false;
  float Float28 = 0;
  float Float32 = 0;
  float Float36 = 0;
  float Float40 = 0;
  float Float44 = 0;
  float Float48 = 0;
};

class CDevCost0402 : public CObject {
 public:
  CString CustomerNumber;
  CString ItemNumber;
  CString Text18;
  float Float28 = 0;
  float Float32 = 0;
  float Float36 = 0;
};

extern const recfile::Layout<CDevCost> kDevCostLayout;
extern const recfile::Layout<CDevCost0402> kDevCost0402Layout;

class CDevCostDB : public CBtrieveDB {
 public:
  ~CDevCostDB() { Close(); }
  CString GetFileName() override { return "DEVCOST.DB"; }
  CString GetDisplayName() override { return "Deviated Cost"; }
  uint16_t GetRecordLength() override { return 0; }
  int GetImportLineLength() override { return m_ImportVersion >= 1026 ? 88 : 55; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

  // Inserts on key 1.
  int InsertRecord(CDevCost& record);

 private:
  uint8_t m_Key0[6] = {};
  uint8_t m_Key1[21] = {};
};

class CDevCost0402DB : public CBtrieveDB {
 public:
  ~CDevCost0402DB() { Close(); }
  CString GetFileName() override { return "DevCost.DB"; }
  CString GetDisplayName() override { return "Deviated Cost"; }
  uint16_t GetRecordLength() override { return 0; }
  int GetImportLineLength() override { return 55; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

  // Read on key 0, the customer number.
  int ReadFirst(CDevCost0402& record);
  int ReadNext(CDevCost0402& record);
  // Serves the text import alone (and test fixtures).
  int InsertRecord(CDevCost0402& record);

 private:
  uint8_t m_Key0[6] = {};
  uint8_t m_Key1[21] = {};
};

void ConvertRecord(const CDevCost0402& from, CDevCost& to);
