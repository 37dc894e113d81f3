// The warehouse markup table, "WHSMRKUP.DB": markups by product line. Each record is named by
// six codes and three flags and carries ten one-character codes, two tables of ten numbers, two
// single numbers and a date.
//
// Layouts, both 144 bytes with the same file specification: current (CWhsMarkupDB /
// CWhsMarkup) and 0200 (CWhsMarkup0200DB / CWhsMarkup0200). The current layout inserts Flag44
// and moves the seventeen bytes 44 to 60 up by one into what was a reserved byte. The 0200
// flags are read leniently ("y" counts as yes); the current ones strictly.
//
// Six keys in eight segments; key 3 (the six codes and three flags) is unique. The upgrade run
// reads on key 2 and inserts on key 3.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/framework/object.h"
#include "recfile/btrieve_db.h"
#include "recfile/field_codec.h"

class CWhsMarkup : public CObject {
 public:
  CString Text23;
  CString Text20;
  CString Text18;
  CString Text12;
  CString Text0;
  CString Text4;
  bool Flag28 = false;
  bool Flag29 = false;
  bool Flag30 = false;
  CString Text47;
  bool Flag51 = false;
  bool Flag44 = false;
  uint8_t Byte45 = ' ';
  uint8_t Byte46 = ' ';
  std::vector<char> Codes52 = std::vector<char>(10);
  std::vector<float> Values64 = std::vector<float>(10);
  std::vector<float> Values104 = std::vector<float>(10);
  float Float32 = 0;
  float Float36 = 0;
  int64_t Date40 = 0;
};

// In 0200 the two bytes behind the date are characters, upper-cased on reading.
class CWhsMarkup0200 : public CObject {
 public:
  CString Text23;
  CString Text20;
  CString Text18;
  CString Text12;
  CString Text0;
  CString Text4;
  bool Flag28 = false;
  bool Flag29 = false;
  bool Flag30 = false;
  CString Text47;
  bool Flag51 = false;
  char Byte45 = ' ';
  char Byte46 = ' ';
  std::vector<char> Codes52 = std::vector<char>(10);
  std::vector<float> Values64 = std::vector<float>(10);
  std::vector<float> Values104 = std::vector<float>(10);
  float Float32 = 0;
  float Float36 = 0;
  int64_t Date40 = 0;
};

extern const recfile::Layout<CWhsMarkup> kWhsMarkupLayout;
extern const recfile::Layout<CWhsMarkup0200> kWhsMarkup0200Layout;

class CWhsMarkupDB : public CBtrieveDB {
 public:
  ~CWhsMarkupDB() { Close(); }
  CString GetFileName() override { return "WHSMRKUP.DB"; }
  CString GetDisplayName() override { return "Product Line Markup"; }
  uint16_t GetRecordLength() override { return 0; }
  int GetImportLineLength() override { return 315; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

  // Inserts on key 3.
  int InsertRecord(CWhsMarkup& record);
  // Serve the text import alone: look the record up by its key-3 bytes.
  int UpdateRecord(CWhsMarkup& record);
  int DeleteRecord(CWhsMarkup& record);

 private:
  uint8_t m_Key0[4] = {};
  uint8_t m_Key1[8] = {};
  uint8_t m_Key2[6] = {};
  uint8_t m_Key3[31] = {};
  uint8_t m_Key4[30] = {};
  uint8_t m_Key5[30] = {};
};

class CWhsMarkup0200DB : public CBtrieveDB {
 public:
  ~CWhsMarkup0200DB() { Close(); }
  CString GetFileName() override { return "WHSMRKUP.DB"; }
  CString GetDisplayName() override { return "Product Line Markup"; }
  uint16_t GetRecordLength() override { return 0; }
  int GetImportLineLength() override { return 314; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

  // Key numbers 0 to 5 (6 otherwise).
  int ReadFirst(CWhsMarkup0200& record, int keyNum);
  int ReadNext(CWhsMarkup0200& record, int keyNum);
  // Serve the text import alone (and test fixtures).
  int InsertRecord(CWhsMarkup0200& record);
  int UpdateRecord(CWhsMarkup0200& record);
  int DeleteRecord(CWhsMarkup0200& record);

 private:
  uint8_t* KeyBuffer(int keyNum);

  uint8_t m_Key0[4] = {};
  uint8_t m_Key1[8] = {};
  uint8_t m_Key2[6] = {};
  uint8_t m_Key3[31] = {};
  uint8_t m_Key4[30] = {};
  uint8_t m_Key5[30] = {};
};

void ConvertRecord(const CWhsMarkup0200& from, CWhsMarkup& to);
