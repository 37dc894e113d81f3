// The velocity table: layouts, file specifications, reads along the current key, the key switch,
// the flag clearing and the conversions.
#include "tables/orders/velocity.h"

#include <cstring>

#include "recfile/file_definition.h"
#include "recfile/table_ops.h"

using recfile::Enc;

namespace {

// Date1 is stored twice: as a record-manager date at 29 (for key 5; never read) and as seconds.
// The bytes between fields are padding.
recfile::Layout<CVelocity> CurrentLayout() {
  using R = CVelocity;
  return {160,
          {
              {0, 6, Enc::UpperText, &R::CustomerNumber}, {6, 12, Enc::UpperText, &R::ItemNumber},
              {18, 3, Enc::UpperText, &R::ItemSuffix},    {21, 5, Enc::UpperText, &R::Code5},
              {26, 3, Enc::UpperText, &R::Code3},         {29, 4, Enc::BtrDate, &R::Date1},
              {36, 4, Enc::Int32, &R::Number1},           {40, 1, Enc::Byte, &R::Byte1},
              {41, 30, Enc::Text, &R::Description},       {72, 4, Enc::Float32, &R::Amount1},
              {76, 4, Enc::Float32, &R::Amount2},         {80, 4, Enc::Float32, &R::Amount3},
              {84, 4, Enc::Float32, &R::Amount4},         {88, 4, Enc::UpperText, &R::Code4A},
              {92, 1, Enc::YesNoLenient, &R::YesNo1},     {93, 9, Enc::UpperText, &R::Code9},
              {104, 4, Enc::Time32, &R::Date1},           {108, 4, Enc::Time32, &R::Date2},
              {112, 4, Enc::Int32, &R::PeriodValue1},     {116, 4, Enc::Int32, &R::PeriodValue2},
              {120, 4, Enc::Int32, &R::PeriodValue3},     {124, 4, Enc::Int32, &R::PeriodValue4},
              {128, 4, Enc::Int32, &R::PeriodValue5},     {132, 4, Enc::Int32, &R::PeriodValue6},
              {136, 4, Enc::Int32, &R::Number2},          {140, 4, Enc::Int32, &R::Number3},
              {144, 4, Enc::Float32, &R::Amount5},        {148, 4, Enc::UpperText, &R::Code4B},
              {152, 1, Enc::YesNoLenient, &R::YesNo2},    {156, 4, Enc::Int32, &R::Number4},
          }};
}

recfile::Layout<CVelocity0401> Layout0401() {
  using R = CVelocity0401;
  return {156,
          {
              {0, 6, Enc::UpperText, &R::CustomerNumber}, {6, 12, Enc::UpperText, &R::ItemNumber},
              {18, 3, Enc::UpperText, &R::ItemSuffix},    {21, 5, Enc::UpperText, &R::Code5},
              {26, 3, Enc::UpperText, &R::Code3},         {29, 4, Enc::BtrDate, &R::Date1},
              {36, 4, Enc::Int32, &R::Number1},           {40, 1, Enc::Byte, &R::Byte1},
              {41, 30, Enc::Text, &R::Description},       {72, 4, Enc::Float32, &R::Amount1},
              {76, 4, Enc::Float32, &R::Amount2},         {80, 4, Enc::Float32, &R::Amount3},
              {84, 4, Enc::Float32, &R::Amount4},         {88, 4, Enc::UpperText, &R::Code4A},
              {92, 1, Enc::YesNoLenient, &R::YesNo1},     {93, 9, Enc::UpperText, &R::Code9},
              {104, 4, Enc::Time32, &R::Date1},           {108, 4, Enc::Time32, &R::Date2},
              {112, 4, Enc::Int32, &R::PeriodValue1},     {116, 4, Enc::Int32, &R::PeriodValue2},
              {120, 4, Enc::Int32, &R::PeriodValue3},     {124, 4, Enc::Int32, &R::PeriodValue4},
              {128, 4, Enc::Int32, &R::PeriodValue5},     {132, 4, Enc::Int32, &R::PeriodValue6},
              {136, 4, Enc::Int32, &R::Number2},          {140, 4, Enc::Int32, &R::Number3},
              {144, 4, Enc::Float32, &R::Amount5},        {148, 4, Enc::UpperText, &R::Code4B},
              {152, 1, Enc::YesNoLenient, &R::YesNo2},
          }};
}

recfile::Layout<CVelocity0304> Layout0304() {
  using R = CVelocity0304;
  return {148,
          {
              {0, 6, Enc::UpperText, &R::CustomerNumber},
              {6, 12, Enc::UpperText, &R::ItemNumber},
              {18, 3, Enc::UpperText, &R::ItemSuffix},
              {21, 5, Enc::UpperText, &R::Code5},
              {26, 3, Enc::UpperText, &R::Code3},
              {29, 4, Enc::BtrDate, &R::Date1},
              {36, 4, Enc::Int32, &R::Number1},
              {40, 1, Enc::Byte, &R::Byte1},
              {41, 30, Enc::Text, &R::Description},
              {72, 4, Enc::Float32, &R::Amount1},
              {76, 4, Enc::Float32, &R::Amount2},
              {80, 4, Enc::UpperText, &R::Code4A},
              {84, 1, Enc::YesNoLenient, &R::YesNo1},
              {85, 9, Enc::UpperText, &R::Code9},
              {96, 4, Enc::Time32, &R::Date1},
              {100, 4, Enc::Time32, &R::Date2},
              {104, 4, Enc::Int32, &R::PeriodValue1},
              {108, 4, Enc::Int32, &R::PeriodValue2},
              {112, 4, Enc::Int32, &R::PeriodValue3},
              {116, 4, Enc::Int32, &R::PeriodValue4},
              {120, 4, Enc::Int32, &R::PeriodValue5},
              {124, 4, Enc::Int32, &R::PeriodValue6},
              {128, 4, Enc::Int32, &R::Number2},
              {132, 4, Enc::Int32, &R::Number3},
              {136, 4, Enc::Float32, &R::Amount5},
              {140, 4, Enc::UpperText, &R::Code4B},
              {144, 1, Enc::YesNoLenient, &R::YesNo2},
          }};
}

recfile::Layout<CVelocity0208> Layout0208() {
  using R = CVelocity0208;
  return {144,
          {
              {0, 6, Enc::UpperText, &R::CustomerNumber},
              {6, 12, Enc::UpperText, &R::ItemNumber},
              {18, 3, Enc::UpperText, &R::ItemSuffix},
              {21, 5, Enc::UpperText, &R::Code5},
              {26, 3, Enc::UpperText, &R::Code3},
              {29, 4, Enc::BtrDate, &R::Date1},
              {36, 4, Enc::Int32, &R::Number1},
              {40, 1, Enc::Byte, &R::Byte1},
              {41, 30, Enc::Text, &R::Description},
              {72, 4, Enc::Float32, &R::Amount1},
              {76, 4, Enc::Float32, &R::Amount2},
              {80, 4, Enc::UpperText, &R::Code4A},
              {84, 1, Enc::YesNoLenient, &R::YesNo1},
              {85, 9, Enc::UpperText, &R::Code9},
              {96, 4, Enc::Time32, &R::Date1},
              {100, 4, Enc::Int32, &R::PeriodValue1},
              {104, 4, Enc::Int32, &R::PeriodValue2},
              {108, 4, Enc::Int32, &R::PeriodValue3},
              {112, 4, Enc::Int32, &R::PeriodValue4},
              {116, 4, Enc::Int32, &R::PeriodValue5},
              {120, 4, Enc::Int32, &R::PeriodValue6},
              {124, 4, Enc::Int32, &R::Number2},
              {128, 4, Enc::Int32, &R::Number3},
              {132, 4, Enc::Float32, &R::Amount5},
              {136, 4, Enc::UpperText, &R::Code4B},
              {140, 1, Enc::YesNoLenient, &R::YesNo2},
          }};
}

// No record-manager date: bytes 29 to 31 are padding.
recfile::Layout<CVelocity0201> Layout0201() {
  using R = CVelocity0201;
  return {140,
          {
              {0, 6, Enc::UpperText, &R::CustomerNumber},
              {6, 12, Enc::UpperText, &R::ItemNumber},
              {18, 3, Enc::UpperText, &R::ItemSuffix},
              {21, 5, Enc::UpperText, &R::Code5},
              {26, 3, Enc::UpperText, &R::Code3},
              {32, 4, Enc::Int32, &R::Number1},
              {36, 1, Enc::Byte, &R::Byte1},
              {37, 30, Enc::Text, &R::Description},
              {68, 4, Enc::Float32, &R::Amount1},
              {72, 4, Enc::Float32, &R::Amount2},
              {76, 4, Enc::UpperText, &R::Code4A},
              {80, 1, Enc::YesNoLenient, &R::YesNo1},
              {81, 9, Enc::UpperText, &R::Code9},
              {92, 4, Enc::Time32, &R::Date1},
              {96, 4, Enc::Int32, &R::PeriodValue1},
              {100, 4, Enc::Int32, &R::PeriodValue2},
              {104, 4, Enc::Int32, &R::PeriodValue3},
              {108, 4, Enc::Int32, &R::PeriodValue4},
              {112, 4, Enc::Int32, &R::PeriodValue5},
              {116, 4, Enc::Int32, &R::PeriodValue6},
              {120, 4, Enc::Int32, &R::Number2},
              {124, 4, Enc::Int32, &R::Number3},
              {128, 4, Enc::Float32, &R::Amount5},
              {132, 4, Enc::UpperText, &R::Code4B},
              {136, 1, Enc::YesNoLenient, &R::YesNo2},
          }};
}

recfile::FileSpec VelocitySpec(uint16_t recordLength, bool withDateKey) {
  const recfile::KeySegment customer{1, 6, 0x3}, code5{22, 5, 0x3}, code3{27, 3, 0x3},
      item{7, 15, 0x3};
  recfile::FileSpec spec{recordLength,
                         false,
                         {
                             {customer, code5, item},
                             {{1, 21, 0}},
                             {{7, 12, 0x3}},
                             {customer, code3, item},
                             {customer, code3, code5, item},
                         }};
  if (withDateKey) {
    spec.keys.push_back({customer, {30, 4, 0x103, 3}, code5, item});
  }
  return spec;
}

// Clears YesNo2 ('N') in the raw record `raw` and leaves every other byte as it was read.
template <class R>
void ClearYesNo2(const recfile::Layout<R>& layout, uint8_t* raw) {
  raw[recfile::FieldOf(layout, &R::YesNo2)->offset] = 'N';
}

// Whether field `f` holds the same bytes in the records `a` and `b`.
template <class R>
bool SameBytes(const recfile::Field<R>& f, const uint8_t* a, const uint8_t* b) {
  return std::memcmp(a + f.offset, b + f.offset, f.width) == 0;
}

}  // namespace

const recfile::Layout<CVelocity> kVelocityLayout = CurrentLayout();
const recfile::Layout<CVelocity0401> kVelocity0401Layout = Layout0401();
const recfile::Layout<CVelocity0304> kVelocity0304Layout = Layout0304();
const recfile::Layout<CVelocity0208> kVelocity0208Layout = Layout0208();
const recfile::Layout<CVelocity0201> kVelocity0201Layout = Layout0201();

// ---- Reads along the current key ----

namespace {

// Whether a layout stores Date1 as a record-manager date too (for key 5).
template <class R>
bool HasDateKey(const recfile::Layout<R>& layout) {
  for (const auto& field : layout.fields) {
    if (field.enc == Enc::BtrDate) {
      return true;
    }
  }
  return false;
}

}  // namespace

template <class R, const recfile::Layout<R>& kLayout>
CVelocityTable<R, kLayout>::CVelocityTable() : m_Keys(HasDateKey(kLayout) ? 6 : 5) {}

template <class R, const recfile::Layout<R>& kLayout>
int CVelocityTable<R, kLayout>::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, VelocitySpec(kLayout.length, m_Keys == 6), fileName);
}

template <class R, const recfile::Layout<R>& kLayout>
void* CVelocityTable<R, kLayout>::KeyBuffer(int keyNum) {
  void* buffers[] = {m_Key0, m_Key1, m_Key2, m_Key3, m_Key4, m_Key5};
  return keyNum >= 0 && keyNum < m_Keys ? buffers[keyNum] : nullptr;
}

template <class R, const recfile::Layout<R>& kLayout>
int CVelocityTable<R, kLayout>::ReadFirst(R& record) {
  m_CurrentKey = 0;
  const int status = recfile::ReadRecord(*this, &CBtrieveDB::GetFirst, kLayout, record, m_Key0, 0,
                                         recfile::Length::Exact, kLayout.length);
  return status == btr::kEndOfFile ? btr::kKeyNotFound : status;
}

template <class R, const recfile::Layout<R>& kLayout>
int CVelocityTable<R, kLayout>::ReadNext(R& record) {
  void* key = KeyBuffer(m_CurrentKey);
  if (key == nullptr) {
    return btr::kInvalidKeyNumber;
  }
  return recfile::ReadRecord(*this, &CBtrieveDB::GetNext, kLayout, record, key,
                             static_cast<int8_t>(m_CurrentKey), recfile::Length::Exact,
                             kLayout.length);
}

template <class R, const recfile::Layout<R>& kLayout>
int CVelocityTable<R, kLayout>::ClearOrDelete(const CString& customer, const CString& item,
                                              const CString& suffix, bool remove) {
  R wanted;
  wanted.CustomerNumber = customer;
  wanted.ItemNumber = item;
  wanted.ItemSuffix = suffix;
  recfile::KeyFromRecord(kLayout, wanted, m_Key1, 1, sizeof m_Key1);
  m_CurrentKey = 1;
  uint8_t raw[recfile::kMaxRecord];
  uint16_t length = kLayout.length;
  int status = GetEqual(raw, &length, m_Key1, 1);
  if (status != 0) {
    return status;
  }
  if (remove) {
    return Delete();
  }
  ClearYesNo2(kLayout, raw);
  const uint16_t read = length;
  status = Update(raw, &length, m_Key1, 1);
  return status == 0 && length != read ? btr::kDataBufferLength : status;
}

template class CVelocityTable<CVelocity, kVelocityLayout>;
template class CVelocityTable<CVelocity0401, kVelocity0401Layout>;
template class CVelocityTable<CVelocity0304, kVelocity0304Layout>;
template class CVelocityTable<CVelocity0208, kVelocity0208Layout>;
template class CVelocityTable<CVelocity0201, kVelocity0201Layout>;

// ---- Current layout ----

int CVelocityDB::GetImportLineLength() {
  if (m_ImportVersion < 521) {
    return 126;
  }
  if (m_ImportVersion < 773) {
    return 136;
  }
  return m_ImportVersion < 1026 ? 158 : 164;
}

int CVelocityDB::InsertRecord(CVelocity& record) {
  m_CurrentKey = 1;
  return recfile::InsertRecord(*this, kVelocityLayout, record, m_Key1, 1);
}

int CVelocityDB::SwitchKey(int keyNum) {
  if (keyNum < 0 || keyNum > 5 || (keyNum > 2 && m_CurrentKey != 3 && m_CurrentKey != 4)) {
    return btr::kInvalidKeyNumber;
  }
  uint8_t raw[recfile::kMaxRecord];
  uint16_t length = 4;
  int status = GetPosition(raw, &length);
  if (status != 0) {
    return status;
  }
  length = kVelocityLayout.length;
  status = GetDirect(raw, &length, KeyBuffer(keyNum), static_cast<int8_t>(keyNum));
  if (status == 0) {
    m_CurrentKey = keyNum;
  }
  return status;
}

int CVelocityDB::ClearItem(const CString& item, const CString& suffix) {
  CVelocity wanted;
  wanted.ItemNumber = item;
  wanted.ItemSuffix = suffix;
  uint8_t wantedRaw[recfile::kMaxRecord];
  recfile::Format(kVelocityLayout, wanted, wantedRaw);
  const auto& number = *recfile::FieldOf(kVelocityLayout, &CVelocity::ItemNumber);
  const auto& suffixField = *recfile::FieldOf(kVelocityLayout, &CVelocity::ItemSuffix);
  std::memcpy(m_Key2, wantedRaw + number.offset, sizeof m_Key2);
  m_CurrentKey = 2;
  uint8_t raw[recfile::kMaxRecord];
  uint16_t length = kVelocityLayout.length;
  int status = GetEqual(raw, &length, m_Key2, 2);
  while (status == 0 && SameBytes(number, raw, wantedRaw)) {
    if (SameBytes(suffixField, raw, wantedRaw)) {
      ClearYesNo2(kVelocityLayout, raw);
      const uint16_t read = length;
      status = Update(raw, &length, m_Key2, 2);
      if (status != 0) {
        return status;
      }
      if (length != read) {
        return btr::kDataBufferLength;
      }
    }
    length = kVelocityLayout.length;
    status = GetNext(raw, &length, m_Key2, 2);
  }
  return status == btr::kKeyNotFound || status == btr::kEndOfFile || status == btr::kFileNotFound
             ? 0
             : status;
}

// ---- Legacy layouts ----

int CVelocity0401DB::GetImportLineLength() {
  if (m_ImportVersion < 521) {
    return 126;
  }
  return m_ImportVersion < 773 ? 136 : 158;
}

// ---- Conversions ----

namespace {

template <class L>
void CopyShared(const L& from, CVelocity& to) {
  to.CustomerNumber = from.CustomerNumber;
  to.Code5 = from.Code5;
  to.Code3 = from.Code3;
  to.ItemNumber = from.ItemNumber;
  to.ItemSuffix = from.ItemSuffix;
  to.Description = from.Description;
  to.Code4B = from.Code4B;
  to.Code4A = from.Code4A;
  to.Code9 = from.Code9;
  to.Date1 = from.Date1;
  to.Number1 = from.Number1;
  to.Byte1 = from.Byte1;
  to.Amount1 = from.Amount1;
  to.Amount2 = from.Amount2;
  to.Amount5 = from.Amount5;
  to.YesNo1 = from.YesNo1;
  to.PeriodValue1 = from.PeriodValue1;
  to.PeriodValue2 = from.PeriodValue2;
  to.PeriodValue3 = from.PeriodValue3;
  to.PeriodValue4 = from.PeriodValue4;
  to.PeriodValue5 = from.PeriodValue5;
  to.PeriodValue6 = from.PeriodValue6;
  to.Number2 = from.Number2;
  to.Number3 = from.Number3;
  to.YesNo2 = from.YesNo2;
  to.Amount3 = 0.0f;
  to.Amount4 = 0.0f;
  to.Number4 = 0;
}

}  // namespace

void ConvertRecord(const CVelocity0201& from, CVelocity& to) {
  CopyShared(from, to);
}

void ConvertRecord(const CVelocity0208& from, CVelocity& to) {
  CopyShared(from, to);
  to.Date2 = from.Date1;
}

void ConvertRecord(const CVelocity0304& from, CVelocity& to) {
  CopyShared(from, to);
  to.Date2 = from.Date2;
}

void ConvertRecord(const CVelocity0401& from, CVelocity& to) {
  CopyShared(from, to);
  to.Date2 = from.Date2;
  to.Amount3 = from.Amount3;
  to.Amount4 = from.Amount4;
}
