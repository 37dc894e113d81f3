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

// The members both layouts have.
class CWhsMarkupFields : public CObject {
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
  std::vector<char> Codes52 = std::vector<char>(10);
  std::vector<float> Values64 = std::vector<float>(10);
  std::vector<float> Values104 = std::vector<float>(10);
  float Float32 = 0;
  float Float36 = 0;
  int64_t Date40 = 0;
};

class CWhsMarkup : public CWhsMarkupFields {
 public:
  bool Flag44 = false;
  uint8_t Byte45 = ' ';
  uint8_t Byte46 = ' ';
};

// In 0200 the two bytes behind the date are characters, upper-cased on reading.
class CWhsMarkup0200 : public CWhsMarkupFields {
 public:
  char Byte45 = ' ';
  char Byte46 = ' ';
};

extern const recfile::Layout<CWhsMarkup> kWhsMarkupLayout;
extern const recfile::Layout<CWhsMarkup0200> kWhsMarkup0200Layout;

// The table class of one layout `kLayout` of records R.
template <class R, const recfile::Layout<R>& kLayout, int kImportLineLength>
class CWhsMarkupTable : public CBtrieveDB {
 public:
  ~CWhsMarkupTable() { Close(); }
  CString GetFileName() override { return "WHSMRKUP.DB"; }
  CString GetDisplayName() override { return "Product Line Markup"; }
  uint16_t GetRecordLength() override { return 0; }
  int GetImportLineLength() override { return kImportLineLength; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

  // Key numbers 0 to 5 (6 otherwise).
  int ReadFirst(R& record, int keyNum);
  int ReadNext(R& record, int keyNum);
  // Inserts on key 3.
  int InsertRecord(R& record);
  // Serve the text import alone (and test fixtures): look the record up by its key-3 bytes.
  int UpdateRecord(R& record);
  int DeleteRecord(R& record);

 private:
  uint8_t* KeyBuffer(int keyNum);

  uint8_t m_Key0[4] = {};
  uint8_t m_Key1[8] = {};
  uint8_t m_Key2[6] = {};
  uint8_t m_Key3[31] = {};
  uint8_t m_Key4[30] = {};
  uint8_t m_Key5[30] = {};
};

using CWhsMarkupDB = CWhsMarkupTable<CWhsMarkup, kWhsMarkupLayout, 315>;
using CWhsMarkup0200DB = CWhsMarkupTable<CWhsMarkup0200, kWhsMarkup0200Layout, 314>;

extern template class CWhsMarkupTable<CWhsMarkup, kWhsMarkupLayout, 315>;
extern template class CWhsMarkupTable<CWhsMarkup0200, kWhsMarkup0200Layout, 314>;

void ConvertRecord(const CWhsMarkup0200& from, CWhsMarkup& to);
