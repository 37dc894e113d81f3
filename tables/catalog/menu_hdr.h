// The menu header table, "MENUHDR.DB": one header per recipe master entry ("Recipie Master
// Header", spelled so), variable-length records of a fixed part and a NUL-terminated note of up
// to 4096 characters.
//
// Layouts: current (CMenuHdrDB / CMenuHdr, fixed part 127, note at 124) and 0403
// (CMenuHdr0403DB / CMenuHdr0403, fixed part 111, note at 108; its class names the file
// "MenuHdr.DB", the same file). The current layout inserts a 20-character Text67 and moves the
// four doubles and the date up by 16 bytes. Inserting a current record stamps Date120 with the
// time of insertion. Keys: 0 Code0 and Text1 (duplicates), 1 Text9 (unique).
#pragma once

#include <cstdint>

#include "platform/framework/object.h"
#include "recfile/btrieve_db.h"
#include "recfile/field_codec.h"
#include "recfile/file_definition.h"

class CMenuHdr : public CObject {
 public:
  CString Text9, Text37, Text1, Text23, Note, Text67;
  char Code0 = 'G';
  double Amount88 = 0, Amount96 = 0, Amount104 = 0, Amount112 = 0;
  int64_t Date120 = 0;
};

class CMenuHdr0403 : public CObject {
 public:
  CString Text9, Text37, Text1, Text23, Note;
  char Code0 = 'G';
  double Amount88 = 0, Amount96 = 0, Amount104 = 0, Amount112 = 0;
  int64_t Date120 = 0;
};

extern const recfile::Layout<CMenuHdr> kMenuHdrLayout;
extern const recfile::Layout<CMenuHdr0403> kMenuHdr0403Layout;

recfile::FileSpec MenuHdrFileSpec(uint16_t recordLength);

class CMenuHdrDB : public CBtrieveDB {
 public:
  ~CMenuHdrDB() { Close(); }
  CString GetFileName() override { return "MENUHDR.DB"; }
  CString GetDisplayName() override { return "Recipie Master Header"; }
  uint16_t GetRecordLength() override { return 4224; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }
  int ProcessRecord(const void*, int32_t) override { return 0; }

  // Inserts on key 1; the stored Date120 is the time of insertion, not the record's.
  int InsertRecord(CMenuHdr& record);

 private:
  uint8_t m_Key0[9] = {};
  uint8_t m_Key1[14] = {};
};

class CMenuHdr0403DB : public CBtrieveDB {
 public:
  ~CMenuHdr0403DB() { Close(); }
  CString GetFileName() override { return "MenuHdr.DB"; }
  CString GetDisplayName() override { return "Recipie Master Header"; }
  uint16_t GetRecordLength() override { return 4208; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }
  int ProcessRecord(const void*, int32_t) override { return 0; }

  // Read in the order of key 0.
  int ReadFirst(CMenuHdr0403& record);
  int ReadNext(CMenuHdr0403& record);
  // Writes a record as stored (for building 0403 files).
  int InsertRecord(CMenuHdr0403& record);

 private:
  uint8_t m_Key0[9] = {};
  uint8_t m_Key1[14] = {};
};

// Carries every stored value of the 0403 record, Text23 and the four doubles included; Text67
// starts empty.
void ConvertRecord(const CMenuHdr0403& from, CMenuHdr& to);
