// The accounts receivable table, "AR.DB": the open items of customers, several per customer.
//
// Layouts: current (CArDB / CAr, 68 bytes) and 0204 (CAr0204DB / CAr0204, 64 bytes). The
// current layout adds a second date at 12; the conversion repeats the first date there, so the
// twenty-character text and everything behind it move up by four bytes. Key 0 is the customer
// number (position 1, length 6, duplicates allowed).
#pragma once

#include <cstdint>
#include <ctime>

#include "platform/framework/object.h"
#include "recfile/btrieve_db.h"
#include "recfile/field_codec.h"

class CAr : public CObject {
 public:
  CString CustomerNumber;
  CString Text16;
  CString Text36;
  CString Text44;
  CString Text52;
  int64_t Date8 = std::time(nullptr);
  int64_t Date12 = std::time(nullptr);
  float Float56 = 0;
  float Float60 = 0;
  bool Flag64 = false;
};

class CAr0204 : public CObject {
 public:
  CString CustomerNumber;
  CString Text16;
  CString Text36;
  CString Text44;
  CString Text52;
  int64_t Date8 = std::time(nullptr);
  float Float56 = 0;
  float Float60 = 0;
  bool Flag64 = false;
};

extern const recfile::Layout<CAr> kArLayout;
extern const recfile::Layout<CAr0204> kAr0204Layout;

class CArDB : public CBtrieveDB {
 public:
  ~CArDB() { Close(); }
  CString GetFileName() override { return "AR.DB"; }
  CString GetDisplayName() override { return "A/R"; }
  uint16_t GetRecordLength() override { return 0; }
  int GetImportLineLength() override { return m_ImportVersion >= 516 ? 96 : 86; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

  int InsertRecord(CAr& record);

 private:
  uint8_t m_Key0[6] = {};
};

class CAr0204DB : public CBtrieveDB {
 public:
  ~CAr0204DB() { Close(); }
  CString GetFileName() override { return "AR.DB"; }
  CString GetDisplayName() override { return "A/R"; }
  uint16_t GetRecordLength() override { return 0; }
  int GetImportLineLength() override { return 86; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

  int ReadFirst(CAr0204& record);
  int ReadNext(CAr0204& record);
  // Serves the text import alone (and test fixtures).
  int InsertRecord(CAr0204& record);

 private:
  uint8_t m_Key0[6] = {};
};

void ConvertRecord(const CAr0204& from, CAr& to);
