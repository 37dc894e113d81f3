// The price sequence table, "PRICESEQ.DB": per four-character code and customer, the ordered
// numbers the product walks when it works out a customer's price.
//
// Layouts: current (CPriceSeqDB / CPriceSeq, 108 bytes: a second 30-character text at 40 and
// nine numbers from 72) and 0201 (CPriceSeq0201DB / CPriceSeq0201, 72 bytes: eight numbers from
// 40). The conversion leaves Text40 empty and sets the ninth number to -1. Keys: 0 the code, 1
// the customer (both with duplicates), 2 code and customer together (unique).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/framework/object.h"
#include "recfile/btrieve_db.h"
#include "recfile/field_codec.h"

class CPriceSeq : public CObject {
 public:
  CString CustomerNumber;
  CString Text0;
  CString Text10;
  CString Text40;
  std::vector<int32_t> Sequence = std::vector<int32_t>(9);
};

class CPriceSeq0201 : public CObject {
 public:
  CString CustomerNumber;
  CString Text0;
  CString Text10;
  std::vector<int32_t> Sequence = std::vector<int32_t>(8);
};

extern const recfile::Layout<CPriceSeq> kPriceSeqLayout;
extern const recfile::Layout<CPriceSeq0201> kPriceSeq0201Layout;

class CPriceSeqDB : public CBtrieveDB {
 public:
  ~CPriceSeqDB() { Close(); }
  CString GetFileName() override { return "PRICESEQ.DB"; }
  CString GetDisplayName() override { return "Customer Pricing Sequence"; }
  uint16_t GetRecordLength() override { return 0; }
  int GetImportLineLength() override { return 125; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

  // Inserts on key 2, which becomes the current key.
  int InsertRecord(CPriceSeq& record);
  // Serve the text import alone: look the record up by code and customer on key 2.
  int UpdateRecord(CPriceSeq& record);
  int DeleteRecord(CPriceSeq& record);

 private:
  uint8_t m_Key0[4] = {};
  uint8_t m_Key1[6] = {};
  uint8_t m_Key2[10] = {};
  int m_CurrentKey = 0;
};

class CPriceSeq0201DB : public CBtrieveDB {
 public:
  ~CPriceSeq0201DB() { Close(); }
  CString GetFileName() override { return "PRICESEQ.DB"; }
  CString GetDisplayName() override { return "Customer Pricing Sequence"; }
  uint16_t GetRecordLength() override { return 0; }
  int GetImportLineLength() override { return 89; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

  // Key numbers 0 to 2 (6 otherwise). ReadNext on another key than the last read moves the
  // currency to that key first and goes on behind the current record in its order.
  int ReadFirst(CPriceSeq0201& record, int keyNum);
  int ReadNext(CPriceSeq0201& record, int keyNum);
  // Serve the text import alone (and test fixtures).
  int InsertRecord(CPriceSeq0201& record);
  int UpdateRecord(CPriceSeq0201& record);
  int DeleteRecord(CPriceSeq0201& record);

 private:
  uint8_t* KeyBuffer(int keyNum);

  uint8_t m_Key0[4] = {};
  uint8_t m_Key1[6] = {};
  uint8_t m_Key2[10] = {};
  int m_CurrentKey = 0;
};

void ConvertRecord(const CPriceSeq0201& from, CPriceSeq& to);
