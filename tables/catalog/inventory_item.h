// The inventory item table, "INVITEM.DB": inventory data identified by three texts of 6, 12 and
// 3 characters and a 7-digit number. One layout (CInventoryItemDB / CInventoryItem, 60 bytes);
// no text import.
//
// The texts are stored upper case and space-filled: Text0 right-aligned, Text6 and Text18
// left-aligned. Number21 is stored as exactly seven decimal characters, zero-filled on the left.
// The 32-bit values at 28, 40 and 48 are carried bit for bit; bytes 32 to 39 are written as
// zero. Keys: 0 the three texts; 1 Text0 and Number21; 2 Text6; 3 Text0 (all duplicates).
#pragma once

#include <cstdint>

#include "platform/framework/object.h"
#include "recfile/btrieve_db.h"
#include "recfile/field_codec.h"
#include "recfile/file_definition.h"

class CInventoryItem : public CObject {
 public:
  CString Text0, Text6, Text18;
  int32_t Number21 = 0;
  int32_t Number28 = 0, Number40 = 0;
  float Amount44 = 0;
  int32_t Number48 = 0;
  float Amount52 = 0;
  int64_t Date56 = 0;
};

extern const recfile::Layout<CInventoryItem> kInventoryItemLayout;

recfile::FileSpec InventoryItemFileSpec();

class CInventoryItemDB : public CBtrieveDB {
 public:
  ~CInventoryItemDB() { Close(); }
  CString GetFileName() override { return "INVITEM.DB"; }
  CString GetDisplayName() override { return "Inventory Item Data"; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

  // Reads the first record on key 3 and makes key 3 the current key.
  int ReadFirst(CInventoryItem& record);
  // Reads the next record on the current key.
  int ReadNext(CInventoryItem& record);
  // Inserts on key 0 and makes key 0 the current key.
  int InsertRecord(CInventoryItem& record);

 private:
  uint8_t* KeyBuffer(int keyNum);

  int32_t m_CurrentKey = 0;
  uint8_t m_Key0[21] = {};
  uint8_t m_Key1[13] = {};
  uint8_t m_Key2[12] = {};
  uint8_t m_Key3[6] = {};
};
