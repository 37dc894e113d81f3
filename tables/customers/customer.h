// The customer table, "CUST.DB": one record per customer: number, name, postal address,
// telephone numbers and many codes, flags and numbers that only the product interprets.
//
// Layouts: current (CCustomerDB / CCustomer, 504 bytes), 0308 (CCustomer0308DB /
// CCustomer0308, 496 bytes) and 0302 (CCustomer0302DB / CCustomer0302, 496 bytes). The 0308
// record is the current one without Long496 and Flag500 at its end; the 0302 record also lacks
// Flag321, so the five fields Flag322 to Char331 stand one byte earlier there (321 to 330) and
// byte 331 is reserved. Fields without a known meaning are named after their kind and their
// offset in the current record, and keep that name where a legacy layout puts them elsewhere.
//
// Five single-segment string keys: 0 the customer number (unique), 1 the name, 2 and 3 the two
// index codes, 4 both index codes as one 12-byte segment (1 to 4 allow duplicates).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/framework/object.h"
#include "recfile/btrieve_db.h"
#include "recfile/field_codec.h"

// The members every customer layout has. Each record class adds the fields of its own layout
// and inherits Assign, which copies every field of another record of its class.
template <class Self>
class CCustomerFields : public CObject {
 public:
  virtual Self& Assign(const Self& other) { return static_cast<Self&>(*this) = other; }

  CString Prefix;
  CString CustomerNumber;
  CString Name;
  CString IndexCode1;
  CString IndexCode2;
  std::vector<CString> Address = std::vector<CString>(3);
  CString City;
  CString State;
  CString Zip;
  CString Text146;
  std::vector<CString> Phone = std::vector<CString>(2);
  std::vector<CString> PhoneName = std::vector<CString>(2);
  CString Phone3;
  CString Text236;
  CString Text242;
  CString Text256;
  CString Text258;
  CString Text323;
  CString Text328;
  bool Flag380 = false;
  bool Flag322 = false;
  bool Flag327 = false;
  bool Flag276 = false;
  bool Flag320 = false;
  char Char331 = 0;
  char Char336 = 0;
  uint8_t Byte284 = 0;
  uint8_t Byte245 = 0;
  char Char344 = 0;
  int32_t Long340 = 0;
  int32_t Long248 = 0;
  int32_t Long280 = 0;
  int32_t Long332 = 0;
  float Float296 = 0;
  float Float300 = 0;
  float Float304 = 0;
  float Float308 = 0;
  float Float312 = 0;
  float Float316 = 0;
  float Float252 = 0;
  float Float480 = 0;
  float Float484 = 0;
  float Float488 = 0;
  float Float492 = 0;
  CString Text381;
  CString Text268;
  CString Text285;
  CString Text345;
  CString Text434;
  CString Text442;
  float Float392 = 0;
  bool Flag396 = false;
  bool Flag397 = false;
  CString Text398;
  bool Flag406 = false;
  CString Text407;
  CString Text415;
  char Char418 = 0;
  char Char419 = 0;
  CString Text420;
  float Float428 = 0;
  char Char432 = 0;
  bool Flag433 = false;
  bool Flag450 = false;
  char Char451 = 0;
  bool Flag452 = false;
  bool Flag453 = false;
  CString Text454;
  CString Text458;
  CString Text462;
  CString Text466;
  CString Text470;
  CString Text474;
  bool Flag478 = false;
  float Float368 = 0;
  float Float372 = 0;
  bool Flag379 = false;
  bool Flag376 = false;
  char Char377 = 0;
  char Char378 = 0;
  bool Flag389 = false;
  CString Text354;
  char Char353 = 0;
};

// The 0302 record.
class CCustomer0302 : public CCustomerFields<CCustomer0302> {};

// The 0308 record: the 0302 one with Flag321.
class CCustomer0308 : public CCustomerFields<CCustomer0308> {
 public:
  bool Flag321 = false;
};

class CCustomer : public CCustomerFields<CCustomer> {
 public:
  bool Flag321 = false;
  bool Flag500 = false;
  int32_t Long496 = 0;
};

extern const recfile::Layout<CCustomer> kCustomerLayout;
extern const recfile::Layout<CCustomer0308> kCustomer0308Layout;
extern const recfile::Layout<CCustomer0302> kCustomer0302Layout;

// The table class of one layout `kLayout` of records R; the legacy classes are this template as
// it stands.
template <class R, const recfile::Layout<R>& kLayout>
class CCustomerTable : public CBtrieveDB {
 public:
  ~CCustomerTable() { Close(); }
  CString GetFileName() override { return "CUST.DB"; }
  CString GetDisplayName() override { return "Customer"; }
  uint16_t GetRecordLength() override { return kLayout.length; }
  int GetImportLineLength() override { return 616; }
  int CreateFile(const char* fileName) override;
  int ImportLine(const CString&, int32_t) override { return 0; }

  // Key numbers 0 to 4; any other answers 6 without a record-manager call.
  int ReadFirst(R& record, int keyNum);
  int ReadNext(R& record, int keyNum);
  int InsertRecord(R& record);
  // Serve the text import alone (and test fixtures): look the customer up by number on key 0.
  int UpdateRecord(R& record);
  int DeleteRecord(const CString& customerNumber);

 private:
  uint8_t* KeyBuffer(int keyNum);

  uint8_t m_Key0[6] = {};
  uint8_t m_Key1[25] = {};
  uint8_t m_Key2[4] = {};
  uint8_t m_Key3[8] = {};
  uint8_t m_Key4[12] = {};
};

class CCustomerDB : public CCustomerTable<CCustomer, kCustomerLayout> {
 public:
  int GetImportLineLength() override { return m_ImportVersion >= 777 ? 623 : 616; }
};
using CCustomer0308DB = CCustomerTable<CCustomer0308, kCustomer0308Layout>;
using CCustomer0302DB = CCustomerTable<CCustomer0302, kCustomer0302Layout>;

extern template class CCustomerTable<CCustomer, kCustomerLayout>;
extern template class CCustomerTable<CCustomer0308, kCustomer0308Layout>;
extern template class CCustomerTable<CCustomer0302, kCustomer0302Layout>;

void ConvertRecord(const CCustomer0302& from, CCustomer& to);
void ConvertRecord(const CCustomer0308& from, CCustomer& to);
