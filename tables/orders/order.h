// The order header tables: "ORDER.DB" holds open orders, "HORDER.DB" historical orders, in one
// record layout. A header names its lines (order_item.h) by its order number; the record object
// COrder owns the lines loaded into it.
//
// Layouts: current (408 bytes), 0401 / 0308 / 0306 (392: without Text4, then without Flag4,
// then without Flag3), 0304 (384: a 9-character Reference, fields shifted) and 0301 (368: one
// 12-character stamp MMDDYYHHMMSS instead of OrderStamp and DateStamp). In the open file every
// key is unique; the historical file allows duplicates on every key but the order number.
//
// Every header table carries the order operations after ImportLine (add, update, delete an
// order with its lines, load the lines, find orders by number, stamp, day or other keys). Their
// bodies are written once, in COrderTableCore; each class declares its own virtual operations
// in its own order and forwards to them:
//   COrderDB and 0304 / 0306 / 0308 / 0401      49 CreateLineTable ... 62 LoadLines
//   CHistOrderDB, CHistOrder0306/0308/0401DB     as COrderDB, then 63 ReplaceHistOrder,
//                                                64 GetHistOrderByKey,
//                                                65 GetFirstHistOrderWithFlag, 66 GetNextHistOrder
//   CHistOrder0304DB                             as COrderDB, then 63, 64, 65 GetNextHistOrder
//   COrder0301DB                                 49 CreateLineTable ... 59 LoadLines
//   CHistOrder0301DB                             as COrder0301DB, then 60 InsertOrder ...
//                                                63 GetNextHistOrder
// A line table made by CreateLineTable belongs to the caller and lives for one operation.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "platform/framework/object.h"
#include "recfile/btrieve_db.h"
#include "recfile/field_codec.h"
#include "tables/orders/order_item.h"

// The status of an operation that needs the order-line table when no line table could be made:
// the record manager's status for memory it could not allocate.
constexpr int kNoLineTable = 1002;

// ---- Record classes ----

// The members every header layout has; `TLine` is the line class of the layout.
template <class TLine>
class COrderFields : public CObject {
 public:
  using Line = TLine;
  int32_t OrderNumber = -1;
  int32_t SummaryCount = -1;
  double SummaryAmount1 = -1.0;
  double SummaryAmount2 = 0.0;
  double SummaryAmount3 = 0.0;
  double SummaryAmount4 = 0.0;
  double SummaryAmount5 = 0.0;
  CString OrderStamp;
  CString CustomerNumber;
  CString Text3;
  CString Reference;
  CString Text1;
  CString Text2;
  int64_t OrderDate = 0;
  char Flag1 = 'Y';
  bool Flag2 = true;
  bool LinesChanged = false;  // memory only
  CString AddressName;
  CString AddressLine1;
  CString AddressLine2;
  CString AddressLine3;
  CString City;
  CString State;
  CString PostalCode;  // shown as "%.5s-%.4s"
  CString AddressText;
  CString AddressCode;
  CString Phone1;  // shown as "(%.3s) %.3s-%.4s"
  CString Phone2;
  CString Code2;
  CString Text20;
  std::vector<std::unique_ptr<TLine>> Lines;         // in line-number order
  std::vector<std::unique_ptr<TLine>> RemovedLines;  // to delete from the line file
};

// Layouts 0304 on: a second stamp, YYYYMMDDhhmmss.
template <class TLine>
class CStampedOrderFields : public COrderFields<TLine> {
 public:
  CString DateStamp;
};

class COrder : public CStampedOrderFields<COrderItem> {
 public:
  char Flag3 = 'T';
  char Flag4 = ' ';
  CString Text4;

  // The order as one line of text: "ORDER" and its fields, each after a tab; OrderDate as
  // MM/DD/YYYY.
  virtual void WriteText(std::FILE* file) const;
};

class COrder0401 : public CStampedOrderFields<COrderItem0401> {
 public:
  char Flag3 = 'T';
  char Flag4 = ' ';
};

class COrder0308 : public CStampedOrderFields<COrderItem0308> {
 public:
  char Flag3 = 'T';
};

// 0306 and 0304 hold the same fields; 0304 stores Reference in 9 characters.
class COrder0306 : public CStampedOrderFields<COrderItem0306> {};
class COrder0304 : public CStampedOrderFields<COrderItem0304> {};

// OrderStamp is MMDDYYhhmmss, 12 characters; Reference 9 characters.
class COrder0301 : public COrderFields<COrderItem0301> {};

extern const recfile::Layout<COrder> kOrderLayout;
extern const recfile::Layout<COrder0401> kOrder0401Layout;
extern const recfile::Layout<COrder0308> kOrder0308Layout;
extern const recfile::Layout<COrder0306> kOrder0306Layout;
extern const recfile::Layout<COrder0304> kOrder0304Layout;
extern const recfile::Layout<COrder0301> kOrder0301Layout;

// The stamp of a new order from the local time: "YYYYMMDDhhmmss", or for layout 0301
// "MMDDYYhhmmss" (the year less 2000 after 2000, else less 1900).
CString CurrentOrderStamp();
CString CurrentOrderStamp0301();
// DateStamp rebuilt from a 0301 stamp MMDDYYhhmmss: 14 spaces for a blank stamp; otherwise the
// year (digits above 50 in the 1900s, others in the 2000s), month and day, hour to second.
CString DateStampFrom0301(const CString& stamp);

// ---- Shared body of the header tables ----

// `TLineDB` is the line table class of the layout. The key widths give, per key number, the
// characters of a text key (0 for a key the file does not have); key 0 is the order number.
template <class TOrder, class TLineDB>
class COrderTableCore : public CBtrieveDB {
 public:
  using Order = TOrder;
  using Line = typename TOrder::Line;
  using LineTablePtr = std::unique_ptr<TLineDB, void (*)(TLineDB*)>;
  ~COrderTableCore();

  // Get First on key 0: the first header of the file whatever its number (a header numbered
  // below 0 included, which GetFirstOrder, starting from 0, passes by).
  int ReadFirst(TOrder& order);
  // Get Next on key 0: the next header in order-number order, as GetNextOrder and, on key 0,
  // GetNextHistOrder read it. With ReadFirst, the reads of the upgrade.
  int ReadNext(TOrder& order) { return DoGetNextOrder(order); }
  // While the upgrade rebuilds a header file, the legacy file still holds headers yet to be
  // inserted; a number given to an order must not be one of theirs. Opens `fileName` (a header
  // file of any layout: key 0 is the order number) for lookups only.
  int AvoidNumbersIn(const CString& fileName);
  // The first of from, from + 1, ... that key 0 holds neither here nor in the avoided file.
  int32_t FirstFreeOrderNumber(int32_t from);

 protected:
  using GetOp = int (CBtrieveDB::*)(void*, uint16_t*, void*, int8_t);
  COrderTableCore(const recfile::Layout<TOrder>& layout, std::vector<uint16_t> keyWidths);

  static LineTablePtr MakeLineTable();  // TLineDB itself
  int ReadOrder(GetOp get, TOrder& order, void* key, int8_t keyNum);
  int InsertOn(TOrder& order, int8_t keyNum);
  int UpdateOn(TOrder& order, int8_t keyNum);
  // The key buffer and width for a text key; null for a key the file does not have.
  uint8_t* TextKey(int keyNum, uint16_t* width);
  // The buffer of a key for Insert and Update: key 0's, or the text key's own.
  void* TextKeyOrNumber(int keyNum);

  int DoAddOrder(TOrder& order, int32_t count, const double (&amounts)[5], bool newOrder);
  int DoUpdateOrder(TOrder& order, int32_t count, const double (&amounts)[5], bool allLines,
                    LineTablePtr lines);
  int DoUpdateLine(Line& line, LineTablePtr lines);
  int DoAddLine(const TOrder& order, const Line& line, LineTablePtr lines);
  int DoGetFirstOrder(TOrder& order);
  int DoGetFirstOrderOfDay(TOrder& order, int64_t day);
  int DoGetNextOrderOfDay(TOrder& order, int64_t day);
  static int NoFurtherOrderOfDay(int status, const TOrder& order, const CString& date);
  int DoGetNextOrder(TOrder& order);
  int DoGetOrderByStamp(TOrder& order, const CString& stamp);
  int DoGetOrder(TOrder& order, int32_t number);
  int DoDeleteOrder(int32_t number, LineTablePtr lines);
  int DoLoadLines(TOrder& order, LineTablePtr lines);
  int DoReplaceHistOrder(TOrder& order, int keyNum, LineTablePtr lines);
  int DoGetHistOrderByKey(TOrder& order, const CString& keyValue, int keyNum);
  int DoGetFirstHistOrderWithFlag(TOrder& order, char flag);
  int DoGetNextHistOrder(TOrder& order, int keyNum);

  const recfile::Layout<TOrder>& m_Layout;
  std::vector<uint16_t> m_KeyWidths;
  uint8_t m_Key0[4] = {};   // order number
  uint8_t m_Key1[14] = {};  // OrderStamp (0301 historical: Reference)
  uint8_t m_Key2[14] = {};  // DateStamp (0301 historical: CustomerNumber)
  uint8_t m_Key3[14] = {};  // Reference
  uint8_t m_Key4[6] = {};   // CustomerNumber
  uint8_t m_Key5[1] = {};   // Flag1
  std::unique_ptr<orders::CKeyProbeDB> m_Avoid;
};

// The order operations of the open-order classes, in their order from 49.
template <class TOrder, class TLineDB>
class COrderTable : public COrderTableCore<TOrder, TLineDB> {
 public:
  using Core = COrderTableCore<TOrder, TLineDB>;
  using Line = typename Core::Line;
  using LineTablePtr = typename Core::LineTablePtr;

  virtual LineTablePtr CreateLineTable() { return Core::MakeLineTable(); }
  virtual int AddOrder(TOrder& order, int32_t count, double amount1, double amount2, double amount3,
                       double amount4, double amount5, bool newOrder) {
    return this->DoAddOrder(order, count, {amount1, amount2, amount3, amount4, amount5}, newOrder);
  }
  virtual int UpdateOrder(TOrder& order, int32_t count, double amount1, double amount2,
                          double amount3, double amount4, double amount5, bool allLines) {
    return this->DoUpdateOrder(order, count, {amount1, amount2, amount3, amount4, amount5},
                               allLines, CreateLineTable());
  }
  virtual int UpdateLine(Line& line) { return this->DoUpdateLine(line, CreateLineTable()); }
  virtual int AddLine(TOrder& order, Line& line) {
    return this->DoAddLine(order, line, CreateLineTable());
  }
  virtual int GetFirstOrder(TOrder& order, bool loadLines) {
    return this->Loaded(this->DoGetFirstOrder(order), order, loadLines);
  }
  virtual int GetFirstOrderOfDay(TOrder& order, int64_t day, bool loadLines) {
    return this->Loaded(this->DoGetFirstOrderOfDay(order, day), order, loadLines);
  }
  virtual int GetNextOrderOfDay(TOrder& order, int64_t day, bool loadLines) {
    return this->Loaded(this->DoGetNextOrderOfDay(order, day), order, loadLines);
  }
  virtual int InsertOrder(TOrder& order) { return this->InsertOn(order, 0); }
  virtual int GetNextOrder(TOrder& order, bool loadLines) {
    return this->Loaded(this->DoGetNextOrder(order), order, loadLines);
  }
  virtual int GetOrderByStamp(TOrder& order, const CString& stamp, bool loadLines) {
    return this->Loaded(this->DoGetOrderByStamp(order, stamp), order, loadLines);
  }
  virtual int GetOrder(TOrder& order, int32_t number, bool loadLines) {
    return this->Loaded(this->DoGetOrder(order, number), order, loadLines);
  }
  virtual int DeleteOrder(int32_t number) { return this->DoDeleteOrder(number, CreateLineTable()); }
  virtual int LoadLines(TOrder& order) { return this->DoLoadLines(order, CreateLineTable()); }

  // The upgrade's insert: InsertOrder of the table's own class.
  int InsertRecord(TOrder& order) { return InsertOrder(order); }

 protected:
  using Core::Core;
  // A read with the load-lines flag set ends with LoadLines on the order read.
  int Loaded(int status, TOrder& order, bool loadLines) {
    return status == 0 && loadLines ? LoadLines(order) : status;
  }
};

// The four operations of the historical classes, 63 to 66, over an open-order class `Base`;
// CreateLineTable gives the historical line table and InsertOrder numbers an order numbered 0
// and inserts on key 3.
template <class Base, class THistLineDB>
class CHistOrderTable : public Base {
 public:
  using Order = typename Base::Order;
  using LineTablePtr = typename Base::LineTablePtr;

  LineTablePtr CreateLineTable() override { return MakeHistLineTable(); }
  int InsertOrder(Order& order) override {
    if (order.OrderNumber == 0) {
      order.OrderNumber = this->FirstFreeOrderNumber(1);
    }
    return this->InsertOn(order, 3);
  }
  virtual int ReplaceHistOrder(Order& order) {
    return this->DoReplaceHistOrder(order, 3, CreateLineTable());
  }
  virtual int GetHistOrderByKey(Order& order, const CString& keyValue, int keyNum, bool loadLines) {
    return this->Loaded(this->DoGetHistOrderByKey(order, keyValue, keyNum), order, loadLines);
  }
  virtual int GetFirstHistOrderWithFlag(Order& order, char flag, bool loadLines) {
    return this->Loaded(this->DoGetFirstHistOrderWithFlag(order, flag), order, loadLines);
  }
  virtual int GetNextHistOrder(Order& order, int keyNum, bool loadLines) {
    return this->Loaded(this->DoGetNextHistOrder(order, keyNum), order, loadLines);
  }

  static LineTablePtr MakeHistLineTable();

 protected:
  using Base::Base;
};

// ---- Open-order classes ----

// An open-order file: the order operations over the records of one layout.
template <class TOrder, class TLineDB, const recfile::Layout<TOrder>& kLayout, uint16_t kLength>
class COrderFileDB : public COrderTable<TOrder, TLineDB> {
 public:
  COrderFileDB();
  ~COrderFileDB() { this->Close(); }
  CString GetFileName() override { return "ORDER.DB"; }
  CString GetDisplayName() override { return "Order"; }
  int GetImportLineLength() override { return 0; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

 protected:
  explicit COrderFileDB(std::vector<uint16_t> keyWidths);
};

using COrderDB = COrderFileDB<COrder, COrderItemDB, kOrderLayout, 408>;
using COrder0401DB = COrderFileDB<COrder0401, COrderItem0401DB, kOrder0401Layout, 392>;
using COrder0308DB = COrderFileDB<COrder0308, COrderItem0308DB, kOrder0308Layout, 392>;
using COrder0306DB = COrderFileDB<COrder0306, COrderItem0306DB, kOrder0306Layout, 392>;
using COrder0304DB = COrderFileDB<COrder0304, COrderItem0304DB, kOrder0304Layout, 384>;

// Layout 0301 has its own order of operations (49 to 59) and a 12-character stamp on key 1.
class COrder0301DB : public COrderTableCore<COrder0301, COrderItem0301DB> {
 public:
  COrder0301DB();
  ~COrder0301DB() { Close(); }
  CString GetFileName() override { return "ORDER.DB"; }
  CString GetDisplayName() override { return "Order"; }
  int GetImportLineLength() override { return 0; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

  virtual LineTablePtr CreateLineTable() { return MakeLineTable(); }
  virtual int AddOrder(COrder0301& order, int32_t count, double amount1, double amount2,
                       double amount3, double amount4, double amount5, bool newOrder);
  virtual int UpdateOrder(COrder0301& order, int32_t count, double amount1, double amount2,
                          double amount3, double amount4, double amount5, bool allLines);
  virtual int UpdateLine(COrderItem0301& line);
  virtual int AddLine(COrder0301& order, COrderItem0301& line);
  virtual int GetFirstOrder(COrder0301& order, bool loadLines);
  virtual int GetNextOrder(COrder0301& order, bool loadLines);
  virtual int GetOrderByStamp(COrder0301& order, const CString& stamp, bool loadLines);
  virtual int GetOrder(COrder0301& order, int32_t number, bool loadLines);
  virtual int DeleteOrder(int32_t number);
  virtual int LoadLines(COrder0301& order);

 protected:
  explicit COrder0301DB(std::vector<uint16_t> keyWidths);
};

// ---- Historical classes ----

// The historical file over an open-order class whose layout has every key, current or legacy.
template <class TOpenDB, class THistLineDB, uint16_t kLength>
class CHistOrderFile : public CHistOrderTable<TOpenDB, THistLineDB> {
 public:
  CHistOrderFile();
  ~CHistOrderFile() { this->Close(); }
  CString GetFileName() override { return "HORDER.DB"; }
  CString GetDisplayName() override { return "Historical Order"; }
  int GetImportLineLength() override { return this->m_ImportVersion >= 770 ? 318 : 304; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }
};

using CHistOrderDB = CHistOrderFile<COrderDB, CHistOrderItemDB, 408>;
using CHistOrder0401DB = CHistOrderFile<COrder0401DB, CHistOrderItem0401DB, 392>;
using CHistOrder0308DB = CHistOrderFile<COrder0308DB, CHistOrderItem0308DB, 392>;
using CHistOrder0306DB = CHistOrderFile<COrder0306DB, CHistOrderItem0306DB, 392>;

// Layout 0304 has no key 5, so no GetFirstHistOrderWithFlag: GetNextHistOrder is 65.
class CHistOrder0304DB : public COrder0304DB {
 public:
  CHistOrder0304DB();
  ~CHistOrder0304DB() { Close(); }
  CString GetFileName() override { return "HORDER.DB"; }
  CString GetDisplayName() override { return "Historical Order"; }
  int GetImportLineLength() override { return m_ImportVersion >= 770 ? 318 : 304; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }
  LineTablePtr CreateLineTable() override;
  int InsertOrder(COrder0304& order) override;

  virtual int ReplaceHistOrder(COrder0304& order);
  virtual int GetHistOrderByKey(COrder0304& order, const CString& keyValue, int keyNum,
                                bool loadLines);
  virtual int GetNextHistOrder(COrder0304& order, int keyNum, bool loadLines);
};

class CHistOrder0301DB : public COrder0301DB {
 public:
  CHistOrder0301DB();
  ~CHistOrder0301DB() { Close(); }
  CString GetFileName() override { return "HORDER.DB"; }
  CString GetDisplayName() override { return "Historical Order"; }
  int GetImportLineLength() override { return 304; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }
  LineTablePtr CreateLineTable() override;

  // Gives every order a new number, the first free one counting from 0; inserts on key 1.
  virtual int InsertOrder(COrder0301& order);
  virtual int ReplaceHistOrder(COrder0301& order);
  virtual int GetHistOrderByKey(COrder0301& order, const CString& keyValue, int keyNum,
                                bool loadLines);
  virtual int GetNextHistOrder(COrder0301& order, int keyNum, bool loadLines);
};

// ---- Conversions into the current layout (the same for both files) ----

void ConvertRecord(const COrder0301& from, COrder& to);
void ConvertRecord(const COrder0304& from, COrder& to);
void ConvertRecord(const COrder0306& from, COrder& to);
void ConvertRecord(const COrder0308& from, COrder& to);
void ConvertRecord(const COrder0401& from, COrder& to);
