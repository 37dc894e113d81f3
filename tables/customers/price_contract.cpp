// The price contract table: layouts, file specifications, the validity test of the legacy
// readers and the conversions from 0200 and 0202.
#include "tables/customers/price_contract.h"

#include <ctime>

#include "recfile/file_definition.h"
#include "recfile/table_ops.h"
#include "tables/customers/keyed_ops.h"

using recfile::Enc;
using recfile::Field;
using recfile::Length;

namespace {

// The fields of the current and 0202 layouts up to Char81; the two differ only in the width of
// Text82 and in the record length. Bytes 58-59 (and 86-87 of the current record) are reserved
// and written as zero.
template <class R>
std::vector<Field<R>> ContractFields(uint16_t text82Width) {
  return {
      {0, 15, Enc::UpperText, &R::ContractId},  {15, 6, Enc::UpperText, &R::CustomerNumber},
      {21, 8, Enc::UpperText, &R::Text21},      {29, 4, Enc::UpperText, &R::Text29},
      {33, 12, Enc::UpperText, &R::ItemNumber}, {45, 3, Enc::UpperText, &R::Text45},
      {48, 4, Enc::Time32, &R::EndDate},        {52, 4, Enc::Time32, &R::StartDate},
      {56, 1, Enc::YesNo, &R::Flag56},          {57, 1, Enc::Char, &R::Char57},
      {60, 4, Enc::Float32, &R::Float60},       {64, 4, Enc::Float32, &R::Float64},
      {68, 4, Enc::Float32, &R::Float68},       {72, 4, Enc::Float32, &R::Float72},
      {76, 4, Enc::Float32, &R::Float76},       {80, 1, Enc::Char, &R::Char80},
      {81, 1, Enc::Char, &R::Char81},           {82, text82Width, Enc::UpperText, &R::Text82},
  };
}

}  // namespace

const recfile::Layout<CPriceContract> kPriceContractLayout{88, ContractFields<CPriceContract>(4)};

const recfile::Layout<CPriceContract0202> kPriceContract0202Layout{
    84, ContractFields<CPriceContract0202>(2)};

// Byte 31 and bytes 42-43 are reserved.
const recfile::Layout<CPriceContract0200> kPriceContract0200Layout{
    68,
    {
        {0, 6, Enc::UpperText, &CPriceContract0200::ContractId},
        {6, 6, Enc::UpperText, &CPriceContract0200::CustomerNumber},
        {12, 4, Enc::UpperText, &CPriceContract0200::Text29},
        {16, 12, Enc::UpperText, &CPriceContract0200::ItemNumber},
        {28, 3, Enc::UpperText, &CPriceContract0200::Text45},
        {32, 4, Enc::Time32, &CPriceContract0200::EndDate},
        {36, 4, Enc::Time32, &CPriceContract0200::StartDate},
        {40, 1, Enc::YesNo, &CPriceContract0200::Flag56},
        {41, 1, Enc::YesNo, &CPriceContract0200::Flag41},
        {44, 4, Enc::Float32, &CPriceContract0200::Float60},
        {48, 4, Enc::Float32, &CPriceContract0200::Float64},
        {52, 4, Enc::Float32, &CPriceContract0200::Float68},
        {56, 4, Enc::Float32, &CPriceContract0200::Float72},
        {60, 4, Enc::Float32, &CPriceContract0200::Float76},
        {64, 1, Enc::Char, &CPriceContract0200::Char80},
        {65, 1, Enc::Char, &CPriceContract0200::Char81},
        {66, 2, Enc::UpperText, &CPriceContract0200::Text82},
    }};

namespace {

// Current and 0202: 0 the contract id; 1 customer, item and qualifier; 2 Text29, item and
// qualifier; 3 Text21 to the qualifier.
recfile::FileSpec ContractSpec(uint16_t recordLength) {
  return {recordLength,
          false,
          {{{1, 15, 0}}, {{16, 6, 0x13}, {34, 15, 3}}, {{30, 19, 3}}, {{22, 27, 3}}}};
}

recfile::FileSpec Contract0200Spec() {
  return {68, false, {{{1, 6, 0}}, {{7, 6, 0x13}, {17, 15, 3}}, {{13, 19, 3}}}};
}

template <class R>
const recfile::FileSpec& SpecOf() {
  static const recfile::FileSpec spec =
      std::is_same_v<R, CPriceContract0200>
          ? Contract0200Spec()
          : ContractSpec(std::is_same_v<R, CPriceContract> ? 88 : 84);
  return spec;
}

int64_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
  struct tm parts = {};
  parts.tm_year = year - 1900;
  parts.tm_mon = month - 1;
  parts.tm_mday = day;
  parts.tm_hour = hour;
  parts.tm_min = minute;
  parts.tm_sec = second;
  parts.tm_isdst = -1;
  return static_cast<int64_t>(std::mktime(&parts));
}

// A legacy read on `key`, then the validity test on the record read.
template <class R>
int ReadContract(CBtrieveDB& table, recfile::GetOp get, const recfile::Layout<R>& layout, R& record,
                 uint8_t* key, int keyNum) {
  const int status = recfile::ReadRecord(table, get, layout, record, key,
                                         static_cast<int8_t>(keyNum), Length::Exact, layout.length);
  if (status != 0) {
    return status;
  }
  return ContractValidity(record.StartDate, record.EndDate, std::time(nullptr));
}

// ReadNext of the legacy tables: moves the currency to `keyNum` when the last positioning read
// used another key, then reads the next record on it.
template <class R>
int ReadNextContract(CBtrieveDB& table, const recfile::Layout<R>& layout, R& record, uint8_t* key,
                     int keyNum, int& currentKey) {
  if (key == nullptr) {
    return btr::kInvalidKeyNumber;
  }
  if (keyNum != currentKey) {
    const int status =
        customers::RepositionOnKey(table, layout.length, key, static_cast<int8_t>(keyNum));
    if (status != 0) {
      return status;
    }
    currentKey = keyNum;
  }
  return ReadContract(table, &CBtrieveDB::GetNext, layout, record, key, keyNum);
}

}  // namespace

int ContractValidity(int64_t startDate, int64_t endDate, int64_t now) {
  const int64_t end = endDate == -1 ? LocalTime(2037, 12, 31, 23, 59, 59) : endDate;
  if (end < now) {
    return btr::kKeyNotFound;
  }
  const int64_t start = startDate == -1 ? LocalTime(1970, 1, 1, 1, 1, 1) : startDate;
  if (start > now) {
    return btr::kKeyNotFound;
  }
  return 0;
}

// ---- Table classes ----

template <class R, const recfile::Layout<R>& kLayout, int kImportLineLength>
uint8_t* CPriceContractTable<R, kLayout, kImportLineLength>::KeyBuffer(int keyNum) {
  uint8_t* const keys[] = {m_Key0, m_Key1, m_Key2, m_Key3};
  const int count = static_cast<int>(SpecOf<R>().keys.size());
  return keyNum >= 0 && keyNum < count ? keys[keyNum] : nullptr;
}

// The id as key 0 stores it: upper case, NUL-filled to the key's length.
template <class R, const recfile::Layout<R>& kLayout, int kImportLineLength>
void CPriceContractTable<R, kLayout, kImportLineLength>::SetIdKey(const CString& contractId) {
  CString id = contractId;
  recfile::UpperInPlace(id);
  recfile::WriteText(m_Key0, SpecOf<R>().keys[0][0].length, id);
  m_CurrentKey = 0;
}

template <class R, const recfile::Layout<R>& kLayout, int kImportLineLength>
int CPriceContractTable<R, kLayout, kImportLineLength>::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, SpecOf<R>(), fileName);
}

template <class R, const recfile::Layout<R>& kLayout, int kImportLineLength>
int CPriceContractTable<R, kLayout, kImportLineLength>::ReadFirst(R& record, int keyNum) requires(
    !std::is_same_v<R, CPriceContract>) {
  uint8_t* key = KeyBuffer(keyNum);
  if (key == nullptr) {
    return btr::kInvalidKeyNumber;
  }
  m_CurrentKey = keyNum;
  return ReadContract(*this, &CBtrieveDB::GetFirst, kLayout, record, key, keyNum);
}

template <class R, const recfile::Layout<R>& kLayout, int kImportLineLength>
int CPriceContractTable<R, kLayout, kImportLineLength>::ReadNext(R& record, int keyNum) requires(
    !std::is_same_v<R, CPriceContract>) {
  return ReadNextContract(*this, kLayout, record, KeyBuffer(keyNum), keyNum, m_CurrentKey);
}

template <class R, const recfile::Layout<R>& kLayout, int kImportLineLength>
int CPriceContractTable<R, kLayout, kImportLineLength>::InsertRecord(R& record) {
  m_CurrentKey = 1;
  return recfile::InsertRecord(*this, kLayout, record, m_Key1, 1);
}

template <class R, const recfile::Layout<R>& kLayout, int kImportLineLength>
int CPriceContractTable<R, kLayout, kImportLineLength>::UpdateRecord(R& record) {
  SetIdKey(record.ContractId);
  return recfile::UpdateFound(*this, kLayout, record, m_Key0, 0);
}

template <class R, const recfile::Layout<R>& kLayout, int kImportLineLength>
int CPriceContractTable<R, kLayout, kImportLineLength>::DeleteRecord(const CString& contractId) {
  SetIdKey(contractId);
  return recfile::DeleteByKey(*this, m_Key0, 0);
}

template class CPriceContractTable<CPriceContract, kPriceContractLayout, 158>;
template class CPriceContractTable<CPriceContract0202, kPriceContract0202Layout, 158>;
template class CPriceContractTable<CPriceContract0200, kPriceContract0200Layout, 134>;

// ---- Conversions ----

void ConvertRecord(const CPriceContract0202& from, CPriceContract& to) {
  to.ContractId = from.ContractId;
  to.CustomerNumber = from.CustomerNumber;
  to.Text29 = from.Text29;
  to.ItemNumber = from.ItemNumber;
  to.Text45 = from.Text45;
  to.Text82 = from.Text82;
  to.Text21 = from.Text21;
  to.Char80 = from.Char80;
  to.Char81 = from.Char81;
  to.Char57 = from.Char57;
  to.Flag56 = from.Flag56;
  to.Float60 = from.Float60;
  to.Float64 = from.Float64;
  to.Float68 = from.Float68;
  to.Float72 = from.Float72;
  to.Float76 = from.Float76;
  to.StartDate = from.StartDate;
  to.EndDate = from.EndDate;
}

void ConvertRecord(const CPriceContract0200& from, CPriceContract& to) {
  to.ContractId = from.ContractId;
  to.CustomerNumber = from.CustomerNumber;
  to.Text29 = from.Text29;
  to.ItemNumber = from.ItemNumber;
  to.Text45 = from.Text45;
  to.Text82 = from.Text82;
  to.Text21 = "";
  to.Char80 = from.Char80;
  to.Char81 = from.Char81;
  to.Char57 = from.Flag41 ? 'C' : 'I';
  to.Flag56 = from.Flag56;
  to.Float60 = from.Float60;
  to.Float64 = from.Float64;
  to.Float68 = from.Float68;
  to.Float72 = from.Float72;
  to.Float76 = from.Float76;
  to.StartDate = from.StartDate;
  to.EndDate = from.EndDate;
}
