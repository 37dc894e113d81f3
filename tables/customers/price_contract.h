// The price contract table, "PCONT.DB": contracts that fix prices for a customer and an item
// over a period of validity.
//
// Layouts: current (CPriceContractDB / CPriceContract, 88 bytes), 0202 (CPriceContract0202DB /
// CPriceContract0202, 84 bytes: Text82 two characters wide and the record ends behind it) and
// 0200 (CPriceContract0200DB / CPriceContract0200, 68 bytes: a six-character contract id, no
// Text21, and a flag at 41 that the later layouts keep as Char57, "C" or "I"). Every text is
// upper text. A time of -1 stands for a date never given.
//
// The legacy readers look at the contract's validity: a record whose period does not include
// the present moment is still read in full but answered with 4 (see ContractValidity).
// ReadNext on another key than the last read moves the currency to that key first, so reading
// goes on behind the current record in the new key's order.
#pragma once

#include <cstdint>
#include <type_traits>

#include "platform/framework/object.h"
#include "recfile/btrieve_db.h"
#include "recfile/field_codec.h"

// The record of the current and 0202 layouts, which hold the same fields (Text82 is narrower in
// 0202); one class per layout.
template <int kVersion>
class CPriceContractRecord : public CObject {
 public:
  CString ContractId;
  CString CustomerNumber;
  CString Text29;
  CString ItemNumber;
  CString Text45;
  CString Text82;
  CString Text21;
  char Char80 = 0;
  char Char81 = 0;
  char Char57 = 'I';
  bool Flag56 = false;
  float Float60 = 0;
  float Float64 = 0;
  float Float68 = 0;
  float Float72 = 0;
  float Float76 = 0;
  int64_t StartDate = 0;
  int64_t EndDate = 0;
};

using CPriceContract = CPriceContractRecord<0x404>;
using CPriceContract0202 = CPriceContractRecord<0x202>;

class CPriceContract0200 : public CObject {
 public:
  CString ContractId;
  CString CustomerNumber;
  CString Text29;
  CString ItemNumber;
  CString Text45;
  CString Text82;
  char Char80 = 0;
  char Char81 = 0;
  bool Flag56 = false;
  bool Flag41 = false;
  float Float60 = 0;
  float Float64 = 0;
  float Float68 = 0;
  float Float72 = 0;
  float Float76 = 0;
  int64_t StartDate = 0;
  int64_t EndDate = 0;
};

extern const recfile::Layout<CPriceContract> kPriceContractLayout;
extern const recfile::Layout<CPriceContract0202> kPriceContract0202Layout;
extern const recfile::Layout<CPriceContract0200> kPriceContract0200Layout;

// The validity test of the legacy readers at the moment `now`: 4 when the contract ended before
// `now` or starts after it, else 0. An end of -1 (never given) stands for 23:59:59 on
// 31 December 2037 local time; a start of -1 for 01:01:01 on 1 January 1970 local time. Other
// negative times are dates before 1970.
int ContractValidity(int64_t startDate, int64_t endDate, int64_t now);

// The table class of one layout `kLayout` of records R. Every layout inserts on key 1, which
// becomes the current key; UpdateRecord and DeleteRecord serve the text import alone (and test
// fixtures) and look the contract up by its id on key 0.
template <class R, const recfile::Layout<R>& kLayout, int kImportLineLength>
class CPriceContractTable : public CBtrieveDB {
 public:
  ~CPriceContractTable() { Close(); }
  CString GetFileName() override { return "PCONT.DB"; }
  CString GetDisplayName() override { return "Price Contracts"; }
  uint16_t GetRecordLength() override { return kLayout.length; }
  int GetImportLineLength() override { return kImportLineLength; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

  // The legacy readers: 0 for a contract in force now, 4 for one read but not in force (the
  // record is filled all the same), 6 for a key number the file does not have, else the record
  // manager's status.
  int ReadFirst(R& record, int keyNum) requires(!std::is_same_v<R, CPriceContract>);
  int ReadNext(R& record, int keyNum) requires(!std::is_same_v<R, CPriceContract>);
  int InsertRecord(R& record);
  int UpdateRecord(R& record);
  int DeleteRecord(const CString& contractId);

 private:
  uint8_t* KeyBuffer(int keyNum);
  void SetIdKey(const CString& contractId);

  uint8_t m_Key0[15] = {};
  uint8_t m_Key1[21] = {};
  uint8_t m_Key2[19] = {};
  uint8_t m_Key3[27] = {};
  int m_CurrentKey = 0;
};

class CPriceContractDB : public CPriceContractTable<CPriceContract, kPriceContractLayout, 158> {
 public:
  int GetImportLineLength() override { return m_ImportVersion >= 515 ? 162 : 158; }
};
using CPriceContract0202DB = CPriceContractTable<CPriceContract0202, kPriceContract0202Layout, 158>;
using CPriceContract0200DB = CPriceContractTable<CPriceContract0200, kPriceContract0200Layout, 134>;

extern template class CPriceContractTable<CPriceContract, kPriceContractLayout, 158>;
extern template class CPriceContractTable<CPriceContract0202, kPriceContract0202Layout, 158>;
extern template class CPriceContractTable<CPriceContract0200, kPriceContract0200Layout, 134>;

void ConvertRecord(const CPriceContract0202& from, CPriceContract& to);
void ConvertRecord(const CPriceContract0200& from, CPriceContract& to);
