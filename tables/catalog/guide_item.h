// The order guide item table: entries of order guides, each a 6-character guide code and two
// 32-bit numbers tied to two texts and a date. One layout, used by two files: "GDEITEM.DB" (the
// class's own file name) and "LGDEITM.DB" (opened by passing its name).
//
// The 33-byte record has no alignment padding: its 32-bit numbers sit at odd offsets. Key 0 is
// the guide code and Number6 (duplicates), key 1 the guide code and Number10 (unique); the
// numbers are keyed as integers, so negative ones sort before positive ones.
#pragma once

#include <cstdint>

#include "platform/framework/object.h"
#include "recfile/btrieve_db.h"
#include "recfile/field_codec.h"
#include "recfile/file_definition.h"

class CGuideItem : public CObject {
 public:
  virtual void Copy(const CGuideItem& other);

  CString GuideCode;
  int32_t Number6 = 0, Number10 = 0;
  CString Text14, Text26;
  int64_t Date29 = 0;
};

extern const recfile::Layout<CGuideItem> kGuideItemLayout;

recfile::FileSpec GuideItemFileSpec();

class CGuideItemDB : public CBtrieveDB {
 public:
  ~CGuideItemDB() { Close(); }
  CString GetFileName() override { return "GDEITEM.DB"; }
  CString GetDisplayName() override { return "Order Guide Item"; }
  uint16_t GetRecordLength() override { return 33; }
  int GetImportLineLength() override { return 52; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }
  int ProcessRecord(const void*, int32_t) override { return 0; }

  // Reads in the order of key 0.
  int ReadFirst(CGuideItem& record);
  // Reads on key 0 or 1; any other key number answers 6 without reading.
  int ReadNext(CGuideItem& record, int keyNum = 0);
  int InsertRecord(CGuideItem& record);
  // Rewrites the record of record.GuideCode and record.Number10 (key 1).
  int UpdateRecord(CGuideItem& record);

 private:
  uint8_t m_Key0[10] = {};
  uint8_t m_Key1[10] = {};
};
