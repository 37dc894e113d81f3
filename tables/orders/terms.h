// The terms table, "TERMS.DB": one record per two-character terms code with a description.
//
// Layouts: current (CTermsDB / CTerms, 40 bytes) and 0204 (CTerms0204DB / CTerms0204, 22
// bytes). The current layout adds four whole numbers whose meaning belongs to the product; the
// conversion from 0204 sets them to 0. Key 0 is the code (position 1, length 2, unique).
#pragma once

#include <cstdint>

#include "platform/framework/object.h"
#include "recfile/btrieve_db.h"
#include "recfile/field_codec.h"

class CTerms : public CObject {
 public:
  CString Code;
  CString Description;
  int32_t Value1;  // set by whoever fills the record; the conversion sets 0
  int32_t Value2;
  int32_t Value3;
  int32_t Value4;
};

class CTerms0204 : public CObject {
 public:
  CString Code;
  CString Description;
};

extern const recfile::Layout<CTerms> kTermsLayout;
extern const recfile::Layout<CTerms0204> kTerms0204Layout;

class CTermsDB : public CBtrieveDB {
 public:
  ~CTermsDB() { Close(); }
  CString GetFileName() override { return "TERMS.DB"; }
  CString GetDisplayName() override { return "Terms"; }
  int GetImportLineLength() override { return m_ImportVersion >= 516 ? 47 : 23; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

  int InsertRecord(CTerms& record);
  int UpdateRecord(CTerms& record);
  int DeleteRecord(const CString& code);

 private:
  uint8_t m_Key0[2] = {};
};

class CTerms0204DB : public CBtrieveDB {
 public:
  ~CTerms0204DB() { Close(); }
  CString GetFileName() override { return "TERMS.DB"; }
  CString GetDisplayName() override { return "Terms"; }
  int GetImportLineLength() override { return 23; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

  int ReadFirst(CTerms0204& record);
  int ReadNext(CTerms0204& record);
  int InsertRecord(CTerms0204& record);
  int UpdateRecord(CTerms0204& record);
  int DeleteRecord(const CString& code);

 private:
  uint8_t m_Key0[2] = {};
};

void ConvertRecord(const CTerms0204& from, CTerms& to);
