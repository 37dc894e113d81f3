// The category table, "CATEGORY.DB": one record per 5-character category code (key 0, unique).
//
// Layouts: current (CCategoryDB / CCategory, 48 bytes) and 0308 (CCategory0308DB /
// CCategory0308, 44 bytes). The current record is the 0308 one with four more bytes at 44 that
// this system writes as zero; the record class's extra member (1 on construction and
// conversion) is stored nowhere.
#pragma once

#include <cstdint>

#include "platform/framework/object.h"
#include "recfile/btrieve_db.h"
#include "recfile/field_codec.h"
#include "recfile/file_definition.h"

class CCategory0308 : public CObject {
 public:
  CString CategoryCode, Text8, Text5, Text38;
  int32_t Number40 = 0;
};

class CCategory : public CObject {
 public:
  CString CategoryCode, Text8, Text5, Text38;
  int32_t Extra = 1;  // not stored
  int32_t Number40 = 0;
};

extern const recfile::Layout<CCategory> kCategoryLayout;
extern const recfile::Layout<CCategory0308> kCategory0308Layout;

recfile::FileSpec CategoryFileSpec(uint16_t recordLength);

class CCategoryDB : public CBtrieveDB {
 public:
  ~CCategoryDB() { Close(); }
  CString GetFileName() override { return "CATEGORY.DB"; }
  CString GetDisplayName() override { return "Category"; }
  int GetImportLineLength() override { return m_ImportVersion < 777 ? 52 : 53; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

  int InsertRecord(CCategory& record);
  int UpdateRecord(CCategory& record);
  int DeleteRecord(const CString& categoryCode);

 private:
  uint8_t m_Key0[5] = {};
};

class CCategory0308DB : public CBtrieveDB {
 public:
  ~CCategory0308DB() { Close(); }
  CString GetFileName() override { return "CATEGORY.DB"; }
  CString GetDisplayName() override { return "Category"; }
  int GetImportLineLength() override { return m_ImportVersion < 777 ? 52 : 53; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

  int ReadFirst(CCategory0308& record);
  int ReadNext(CCategory0308& record);
  int InsertRecord(CCategory0308& record);
  int UpdateRecord(CCategory0308& record);
  int DeleteRecord(const CString& categoryCode);

 private:
  uint8_t m_Key0[5] = {};
};

void ConvertRecord(const CCategory0308& from, CCategory& to);
