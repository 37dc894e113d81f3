// The order line tables: "ORDRITEM.DB" holds the lines of open orders, "HORDRITM.DB" those of
// historical orders, in one layout. A line belongs to its order by the order number and is
// numbered within it; key 0 (order number, line number) is unique.
//
// Layouts: current (176 bytes, keys 0 to 3), 0306 / 0308 / 0401 (the current layout and keys),
// 0301 / 0304 (the current record, keys 0 to 2) and 0202 (168 bytes: no Amount5 and AltCode4,
// keys 0 to 2). The upgrade converts from 0202 and from 0304 (which also reads 0301 files); the
// conversion from 0304 copies every field, its whole effect is the rebuilt file with key 3.
//
// Every line table class shares the line operations of COrderItemTable<line record>; the
// historical classes derive from the open ones and differ only in file name, display name and
// import line length.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

#include "platform/framework/object.h"
#include "recfile/btrieve_db.h"
#include "recfile/field_codec.h"

class COrderItem : public CObject {
 public:
  int32_t OrderNumber = 0;
  int32_t Position = -1;    // place in its order's Lines (memory only)
  int32_t EntryId = -1;     // identity within its order's Lines while edited (memory only)
  int32_t LineNumber = -1;  // -1: not yet stored; InsertLine assigns one
  int32_t Number2 = 0;
  int32_t Number3 = 0;
  int32_t Number4 = 0;
  float Amount1 = -1.0f;
  float Amount4 = 0.0f;
  float Amount2 = -1.0f;
  float Amount3 = -1.0f;
  float Amount5 = -1.0f;
  CString ItemId;  // item number (12) and suffix (3)
  int32_t Number1 = -1;
  CString Description;
  CString UnitName;
  CString Code4;
  CString Note;
  CString Code2;
  CString AltCode4;
  int32_t Number5 = 0;
  char Mark = ' ';
  bool Changed = false;  // memory only: merged into an order's Lines
  bool YesNo2 = false;
  bool YesNo3 = false;
  bool YesNo1 = false;
  int32_t Number6 = 0;

  // The line as one line of text: "ORDITEM" and the stored fields, each after a tab.
  virtual void WriteText(std::FILE* file) const;
  virtual bool IsChanged() const { return Changed; }
};

// Layouts 0301 to 0401 store exactly the current record.
class COrderItem0301 : public COrderItem {};
class COrderItem0304 : public COrderItem {};
class COrderItem0306 : public COrderItem {};
class COrderItem0308 : public COrderItem {};
class COrderItem0401 : public COrderItem {};

class COrderItem0202 : public CObject {
 public:
  int32_t OrderNumber = 0;
  int32_t Position = -1;
  int32_t EntryId = -1;
  int32_t LineNumber = -1;
  int32_t Number2 = 0;
  int32_t Number3 = 0;
  int32_t Number4 = 0;
  float Amount1 = -1.0f;
  float Amount4 = 0.0f;
  float Amount2 = -1.0f;
  float Amount3 = -1.0f;
  CString ItemId;
  int32_t Number1 = -1;
  CString Description;
  CString UnitName;
  CString Code4;
  CString Note;
  CString Code2;
  int32_t Number5 = 0;
  char Mark = ' ';
  bool Changed = false;
  bool YesNo2 = false;
  bool YesNo3 = false;
  bool YesNo1 = false;
  int32_t Number6 = 0;
};

extern const recfile::Layout<COrderItem> kOrderItemLayout;
extern const recfile::Layout<COrderItem0301> kOrderItem0301Layout;
extern const recfile::Layout<COrderItem0304> kOrderItem0304Layout;
extern const recfile::Layout<COrderItem0306> kOrderItem0306Layout;
extern const recfile::Layout<COrderItem0308> kOrderItem0308Layout;
extern const recfile::Layout<COrderItem0401> kOrderItem0401Layout;
extern const recfile::Layout<COrderItem0202> kOrderItem0202Layout;

namespace orders {
class CKeyProbeDB;
}

// The line operations, the same for every layout (the layout's record length as data length).
// Reads parse into the given line, set Position and EntryId to -1 and Changed to false, and
// answer 22 when the record manager reports success with another length.
template <class TLine>
class COrderItemTable : public CBtrieveDB {
 public:
  using Line = TLine;
  ~COrderItemTable();

  // (order number, 0) Get Greater or Equal on key 0; 4 when the line found is of another order.
  int GetFirstLineOfOrder(TLine& line, int32_t orderNumber);
  // Get Next on `keyNum`; 6 without a call for a key the file does not have.
  int GetNextLine(TLine& line, int keyNum);
  // Get First on key 0: the first line of the file.
  int ReadFirst(TLine& line);
  // Gives a line numbered -1 the first free line number of its order, then inserts on key 0.
  int InsertLine(TLine& line);
  // The reads and the insert of the upgrade, in the names every table shares: GetNextLine on
  // key 0 and InsertLine.
  int ReadNext(TLine& line) { return GetNextLine(line, 0); }
  int InsertRecord(TLine& line) { return InsertLine(line); }
  // Get Equal by (order number, line number), then Update with the formatted line.
  int RewriteLine(TLine& line);
  // Get Equal by (order number, line number), then Delete (4 when there is no such line).
  int DeleteLine(const TLine& line);
  // Deletes every line of the order; no line at all (4) or the end of the file (9) is success.
  int DeleteLinesOfOrder(int32_t orderNumber);
  // The first of 0, 1, 2, ... that key 0 does not hold for the order (key-only Get Equal),
  // skipping also the numbers held in the file named by AvoidNumbersIn.
  int32_t FirstFreeLineNumber(int32_t orderNumber);

  // While the upgrade rebuilds a line file, the legacy file still holds lines that are yet to be
  // inserted; numbering a line into a number the legacy file holds would make that later line a
  // duplicate. Opens `fileName` (a line file of any layout: key 0 is the same) for lookups only.
  int AvoidNumbersIn(const CString& fileName);

 protected:
  COrderItemTable(const recfile::Layout<TLine>& layout, int keys);
  int ReadLine(int (CBtrieveDB::*get)(void*, uint16_t*, void*, int8_t), TLine& line, void* keyBuf,
               int8_t keyNum);
  // The key-0 value of a line, packed from the layout as the file's key 0 describes it.
  void Key0Of(int32_t orderNumber, int32_t lineNumber, uint8_t* key);
  void SetKey0(int32_t orderNumber, int32_t lineNumber);
  bool Key0Taken(CBtrieveDB& table, int32_t orderNumber, int32_t lineNumber);
  void* KeyBuffer(int keyNum);

  const recfile::Layout<TLine>& m_Layout;
  int m_Keys;
  uint8_t m_Key0[8] = {};   // order number, line number
  uint8_t m_Key1[19] = {};  // order number, ItemId
  uint8_t m_Key2[16] = {};  // order number, item number
  uint8_t m_Key3[12] = {};  // item number
  std::unique_ptr<orders::CKeyProbeDB> m_Avoid;
};

extern template class COrderItemTable<COrderItem>;
extern template class COrderItemTable<COrderItem0301>;
extern template class COrderItemTable<COrderItem0304>;
extern template class COrderItemTable<COrderItem0306>;
extern template class COrderItemTable<COrderItem0308>;
extern template class COrderItemTable<COrderItem0401>;
extern template class COrderItemTable<COrderItem0202>;

// The open-line and historical-line classes of one layout: `Open` is the ORDRITEM.DB class,
// `Hist` the HORDRITM.DB class derived from it.
#define REMOLD_ORDER_ITEM_TABLES(Open, Hist, Record, Layout, Keys)        \
  class Open : public COrderItemTable<Record> {                           \
   public:                                                                \
    Open() : COrderItemTable<Record>(Layout, Keys) {}                     \
    ~Open() { Close(); }                                                  \
    CString GetFileName() override { return "ORDRITEM.DB"; }              \
    CString GetDisplayName() override { return "Order Item"; }            \
    int GetImportLineLength() override { return 0; }                      \
    int CreateFile(const char* fileName) override;                        \
    int ImportLine(const CString&, int32_t) override { return 0; }        \
  };                                                                      \
  class Hist : public Open {                                              \
   public:                                                                \
    ~Hist() { Close(); }                                                  \
    CString GetFileName() override { return "HORDRITM.DB"; }              \
    CString GetDisplayName() override { return "Historical Order Item"; } \
    int GetImportLineLength() override { return 147; }                    \
    int ImportLine(const CString&, int32_t) override { return 0; }        \
  };

REMOLD_ORDER_ITEM_TABLES(COrderItemDB, CHistOrderItemDB, COrderItem, kOrderItemLayout, 4)
REMOLD_ORDER_ITEM_TABLES(COrderItem0401DB, CHistOrderItem0401DB, COrderItem0401,
                         kOrderItem0401Layout, 4)
REMOLD_ORDER_ITEM_TABLES(COrderItem0308DB, CHistOrderItem0308DB, COrderItem0308,
                         kOrderItem0308Layout, 4)
REMOLD_ORDER_ITEM_TABLES(COrderItem0306DB, CHistOrderItem0306DB, COrderItem0306,
                         kOrderItem0306Layout, 4)
REMOLD_ORDER_ITEM_TABLES(COrderItem0304DB, CHistOrderItem0304DB, COrderItem0304,
                         kOrderItem0304Layout, 3)
REMOLD_ORDER_ITEM_TABLES(COrderItem0301DB, CHistOrderItem0301DB, COrderItem0301,
                         kOrderItem0301Layout, 3)
REMOLD_ORDER_ITEM_TABLES(COrderItem0202DB, CHistOrderItem0202DB, COrderItem0202,
                         kOrderItem0202Layout, 3)

#undef REMOLD_ORDER_ITEM_TABLES

// Layout 0202: every field copied (the memory fields too), ItemId upper-cased; Amount5 takes the
// old Amount1 and AltCode4 the old Code4.
void ConvertRecord(const COrderItem0202& from, COrderItem& to);
// Layout 0304 (and 0301, the same record): every field copied.
void ConvertRecord(const COrderItem0304& from, COrderItem& to);
