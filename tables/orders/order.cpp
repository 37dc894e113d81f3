// The order header tables: layouts, file specifications, conversions and the order operations.
#include "tables/orders/order.h"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>

#include "recfile/file_definition.h"
#include "recfile/table_ops.h"
#include "tables/orders/key_probe.h"

using recfile::Enc;

namespace {

// Offsets 0 to 389, shared by the current layout and 0306 to 0401. Bytes 125 to 127 and 132
// to 135 are padding.
template <class R>
std::vector<recfile::Field<R>> HeaderFields() {
  return {
      {0, 4, Enc::Int32, &R::OrderNumber},
      {4, 14, Enc::UpperText, &R::OrderStamp},
      {18, 14, Enc::UpperText, &R::DateStamp},
      {32, 6, Enc::UpperText, &R::CustomerNumber},
      {38, 14, Enc::Text, &R::Reference},
      {52, 1, Enc::Char, &R::Flag1},
      {53, 42, Enc::Text, &R::Text1},
      {95, 25, Enc::Text, &R::Text2},
      {120, 4, Enc::Time32, &R::OrderDate},
      {124, 1, Enc::YesNo, &R::Flag2},
      {128, 4, Enc::Int32, &R::SummaryCount},
      {136, 8, Enc::Double, &R::SummaryAmount5},
      {144, 8, Enc::Double, &R::SummaryAmount1},
      {152, 8, Enc::Double, &R::SummaryAmount2},
      {160, 8, Enc::Double, &R::SummaryAmount3},
      {168, 8, Enc::Double, &R::SummaryAmount4},
      {176, 25, Enc::Text, &R::Text3},
      {201, 25, Enc::Text, &R::AddressName},
      {226, 25, Enc::Text, &R::AddressLine1},
      {251, 25, Enc::Text, &R::AddressLine2},
      {276, 25, Enc::Text, &R::AddressLine3},
      {301, 15, Enc::Text, &R::City},
      {316, 2, Enc::Text, &R::State},
      {318, 9, Enc::Zip, &R::PostalCode},
      {327, 15, Enc::Text, &R::AddressText},
      {342, 6, Enc::Text, &R::AddressCode},
      {348, 10, Enc::Phone, &R::Phone1},
      {358, 10, Enc::Phone, &R::Phone2},
      {368, 2, Enc::Text, &R::Code2},
      {370, 20, Enc::Text, &R::Text20},
  };
}

recfile::Layout<COrder> CurrentLayout() {
  auto fields = HeaderFields<COrder>();
  fields.push_back({390, 1, Enc::Char, &COrder::Flag3});
  fields.push_back({391, 1, Enc::Char, &COrder::Flag4});
  fields.push_back({392, 15, Enc::Text, &COrder::Text4});
  return {408, std::move(fields)};
}

recfile::Layout<COrder0401> Layout0401() {
  auto fields = HeaderFields<COrder0401>();
  fields.push_back({390, 1, Enc::Char, &COrder0401::Flag3});
  fields.push_back({391, 1, Enc::Char, &COrder0401::Flag4});
  return {392, std::move(fields)};
}

recfile::Layout<COrder0308> Layout0308() {
  auto fields = HeaderFields<COrder0308>();
  fields.push_back({390, 1, Enc::Char, &COrder0308::Flag3});
  return {392, std::move(fields)};
}

// 0304: a 9-character Reference, and every field behind it earlier than in the current layout.
// Bytes 114, 115, 122, 123, 382 and 383 are padding.
recfile::Layout<COrder0304> Layout0304() {
  using R = COrder0304;
  return {384,
          {
              {0, 4, Enc::Int32, &R::OrderNumber},
              {4, 14, Enc::UpperText, &R::OrderStamp},
              {18, 14, Enc::UpperText, &R::DateStamp},
              {32, 6, Enc::UpperText, &R::CustomerNumber},
              {38, 9, Enc::Text, &R::Reference},
              {47, 42, Enc::Text, &R::Text1},
              {89, 25, Enc::Text, &R::Text2},
              {116, 4, Enc::Time32, &R::OrderDate},
              {120, 1, Enc::Char, &R::Flag1},
              {121, 1, Enc::YesNo, &R::Flag2},
              {124, 4, Enc::Int32, &R::SummaryCount},
              {128, 8, Enc::Double, &R::SummaryAmount5},
              {136, 8, Enc::Double, &R::SummaryAmount1},
              {144, 8, Enc::Double, &R::SummaryAmount2},
              {152, 8, Enc::Double, &R::SummaryAmount3},
              {160, 8, Enc::Double, &R::SummaryAmount4},
              {168, 25, Enc::Text, &R::Text3},
              {193, 25, Enc::Text, &R::AddressName},
              {218, 25, Enc::Text, &R::AddressLine1},
              {243, 25, Enc::Text, &R::AddressLine2},
              {268, 25, Enc::Text, &R::AddressLine3},
              {293, 15, Enc::Text, &R::City},
              {308, 2, Enc::Text, &R::State},
              {310, 9, Enc::Zip, &R::PostalCode},
              {319, 15, Enc::Text, &R::AddressText},
              {334, 6, Enc::Text, &R::AddressCode},
              {340, 10, Enc::Phone, &R::Phone1},
              {350, 10, Enc::Phone, &R::Phone2},
              {360, 2, Enc::Text, &R::Code2},
              {362, 20, Enc::Text, &R::Text20},
          }};
}

// 0301: one 12-character stamp MMDDYYHHMMSS and no DateStamp. Bytes 98, 99, 106, 107, 366 and
// 367 are padding.
recfile::Layout<COrder0301> Layout0301() {
  using R = COrder0301;
  return {368,
          {
              {0, 4, Enc::Int32, &R::OrderNumber},
              {4, 12, Enc::UpperText, &R::OrderStamp},
              {16, 6, Enc::UpperText, &R::CustomerNumber},
              {22, 9, Enc::Text, &R::Reference},
              {31, 42, Enc::Text, &R::Text1},
              {73, 25, Enc::Text, &R::Text2},
              {100, 4, Enc::Time32, &R::OrderDate},
              {104, 1, Enc::Char, &R::Flag1},
              {105, 1, Enc::YesNo, &R::Flag2},
              {108, 4, Enc::Int32, &R::SummaryCount},
              {112, 8, Enc::Double, &R::SummaryAmount5},
              {120, 8, Enc::Double, &R::SummaryAmount1},
              {128, 8, Enc::Double, &R::SummaryAmount2},
              {136, 8, Enc::Double, &R::SummaryAmount3},
              {144, 8, Enc::Double, &R::SummaryAmount4},
              {152, 25, Enc::Text, &R::Text3},
              {177, 25, Enc::Text, &R::AddressName},
              {202, 25, Enc::Text, &R::AddressLine1},
              {227, 25, Enc::Text, &R::AddressLine2},
              {252, 25, Enc::Text, &R::AddressLine3},
              {277, 15, Enc::Text, &R::City},
              {292, 2, Enc::Text, &R::State},
              {294, 9, Enc::Zip, &R::PostalCode},
              {303, 15, Enc::Text, &R::AddressText},
              {318, 6, Enc::Text, &R::AddressCode},
              {324, 10, Enc::Phone, &R::Phone1},
              {334, 10, Enc::Phone, &R::Phone2},
              {344, 2, Enc::Text, &R::Code2},
              {346, 20, Enc::Text, &R::Text20},
          }};
}

constexpr recfile::KeySegment kNumberKey{1, 4, 0x100, 1};

recfile::FileSpec OpenOrderSpec(uint16_t recordLength) {
  return {recordLength, false, {{kNumberKey}, {{5, 14, 0}}, {{19, 14, 0}}}};
}

recfile::FileSpec HistOrderSpec(uint16_t recordLength, uint16_t referenceWidth, bool flagKey) {
  recfile::FileSpec spec{
      recordLength,
      false,
      {{kNumberKey}, {{5, 14, 0x3}}, {{19, 14, 0x3}}, {{39, referenceWidth, 0x3}}, {{33, 6, 0x3}}}};
  if (flagKey) {
    spec.keys.push_back({{53, 1, 0x3}});
  }
  return spec;
}

CString Stamp(int year, int month, int day, int hour, int minute, int second) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%4.4d%2.2d%2.2d%2.2d%2.2d%2.2d", year, month, day, hour, minute,
                second);
  return buf;
}

// The local date "YYYYMMDD" of a time; zeros where the platform cannot convert it.
CString LocalDay(int64_t t) {
  const CString stamp = recfile::DateTimeStamp(t);
  return stamp.size() >= 8 ? stamp.substr(0, 8) : CString("00000000");
}

bool BeginsWith(const CString& text, const CString& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool KeyBeginsWith(const uint8_t* key, const CString& prefix) {
  return std::memcmp(key, prefix.data(), prefix.size()) == 0;
}

// The fields every legacy header shares with the current one, copied unchanged.
template <class L>
void CopySharedFields(const L& from, COrder& to) {
  to.OrderNumber = from.OrderNumber;
  to.SummaryCount = from.SummaryCount;
  to.SummaryAmount1 = from.SummaryAmount1;
  to.SummaryAmount2 = from.SummaryAmount2;
  to.SummaryAmount3 = from.SummaryAmount3;
  to.SummaryAmount4 = from.SummaryAmount4;
  to.SummaryAmount5 = from.SummaryAmount5;
  to.CustomerNumber = from.CustomerNumber;
  to.Text3 = from.Text3;
  to.Reference = from.Reference;
  to.Text1 = from.Text1;
  to.Text2 = from.Text2;
  to.OrderDate = from.OrderDate;
  to.Flag1 = from.Flag1;
  to.Flag2 = from.Flag2;
  to.LinesChanged = from.LinesChanged;
  to.AddressName = from.AddressName;
  to.AddressLine1 = from.AddressLine1;
  to.AddressLine2 = from.AddressLine2;
  to.AddressLine3 = from.AddressLine3;
  to.City = from.City;
  to.State = from.State;
  to.PostalCode = from.PostalCode;
  to.AddressText = from.AddressText;
  to.AddressCode = from.AddressCode;
  to.Phone1 = from.Phone1;
  to.Phone2 = from.Phone2;
  to.Code2 = from.Code2;
  to.Text20 = from.Text20;
  // Flags that the later layouts carry are not taken over: every converted header starts
  // with the values of a new one.
  to.Flag3 = 'T';
  to.Flag4 = ' ';
  to.Text4.clear();
}

// Layouts 0304 to 0401 keep the order's own stamp in DateStamp; it becomes both stamps.
template <class L>
void ConvertStampedRecord(const L& from, COrder& to) {
  CopySharedFields(from, to);
  to.OrderStamp = from.DateStamp;
  to.DateStamp = from.DateStamp;
}

}  // namespace

const recfile::Layout<COrder> kOrderLayout = CurrentLayout();
const recfile::Layout<COrder0401> kOrder0401Layout = Layout0401();
const recfile::Layout<COrder0308> kOrder0308Layout = Layout0308();
const recfile::Layout<COrder0306> kOrder0306Layout{392, HeaderFields<COrder0306>()};
const recfile::Layout<COrder0304> kOrder0304Layout = Layout0304();
const recfile::Layout<COrder0301> kOrder0301Layout = Layout0301();

// ---- Stamps ----

CString CurrentOrderStamp() {
  const time_t now = std::time(nullptr);
  struct tm parts;
  if (localtime_r(&now, &parts) == nullptr) {
    return Stamp(0, 0, 0, -1, -1, -1);
  }
  return Stamp(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min,
               parts.tm_sec);
}

CString CurrentOrderStamp0301() {
  const time_t now = std::time(nullptr);
  struct tm parts;
  if (localtime_r(&now, &parts) == nullptr) {
    return Stamp(0, 0, 0, -1, -1, -1).substr(2);
  }
  const int year = parts.tm_year + 1900;
  const int shortYear = year > 2000 ? year - 2000 : year - 1900;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%2.2d%2.2d%2.2d%2.2d%2.2d%2.2d", parts.tm_mon + 1, parts.tm_mday,
                shortYear, parts.tm_hour, parts.tm_min, parts.tm_sec);
  return buf;
}

CString DateStampFrom0301(const CString& stamp) {
  if (stamp.find_first_not_of(" \t\r\n\v\f") == CString::npos) {
    return CString(14, ' ');
  }
  // The year digits are characters 5 and 6 as stored, read as a number the way atoi reads.
  const CString digits = stamp.size() > 4 ? stamp.substr(4, 2) : CString();
  const int yy = std::atoi(digits.c_str());
  const int year = yy > 50 ? 1900 + yy : 2000 + yy;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%4.4d%4.4s%6.6s", year, stamp.substr(0, 4).c_str(),
                stamp.size() > 6 ? stamp.substr(6, 6).c_str() : "");
  return buf;
}

void COrder::WriteText(std::FILE* file) const {
  std::fprintf(file, "ORDER\t%d", OrderNumber);
  for (const CString* text :
       {&OrderStamp,  &DateStamp,    &CustomerNumber, &Reference,    &Text1, &Text2,  &Text3,
        &AddressName, &AddressLine1, &AddressLine2,   &AddressLine3, &City,  &State,  &PostalCode,
        &AddressText, &AddressCode,  &Phone1,         &Phone2,       &Code2, &Text20, &Text4}) {
    std::fprintf(file, "\t%s", text->c_str());
  }
  const time_t t = static_cast<time_t>(OrderDate);
  struct tm parts = {};
  if (localtime_r(&t, &parts) == nullptr) {
    parts = {};
  }
  std::fprintf(file, "\t%.2d/%.2d/%.4d", parts.tm_mon + 1, parts.tm_mday, parts.tm_year + 1900);
  std::fprintf(file, "\t%c\t%c\t%c\t%c\t%d\t%g\t%g\t%g\t%g\t%g\n", Flag1, Flag2 ? 'Y' : 'N', Flag3,
               Flag4, SummaryCount, SummaryAmount1, SummaryAmount2, SummaryAmount3, SummaryAmount4,
               SummaryAmount5);
}

// ---- Shared body of the header tables ----

template <class TOrder, class TLineDB>
COrderTableCore<TOrder, TLineDB>::COrderTableCore(const recfile::Layout<TOrder>& layout,
                                                  std::vector<uint16_t> keyWidths)
    : m_Layout(layout), m_KeyWidths(std::move(keyWidths)) {}

template <class TOrder, class TLineDB>
COrderTableCore<TOrder, TLineDB>::~COrderTableCore() = default;

namespace {

// Line tables have no virtual destructor; every deleter below names the class the object was
// made as, so the object is always destroyed as what it is.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdelete-non-virtual-dtor"
template <class TMade, class TBase>
void DeleteAs(TBase* table) {
  delete static_cast<TMade*>(table);
}
#pragma GCC diagnostic pop

}  // namespace

template <class TOrder, class TLineDB>
typename COrderTableCore<TOrder, TLineDB>::LineTablePtr
COrderTableCore<TOrder, TLineDB>::MakeLineTable() {
  return LineTablePtr(new (std::nothrow) TLineDB, &DeleteAs<TLineDB, TLineDB>);
}

template <class Base, class THistLineDB>
typename CHistOrderTable<Base, THistLineDB>::LineTablePtr
CHistOrderTable<Base, THistLineDB>::MakeHistLineTable() {
  using TLineDB = typename LineTablePtr::element_type;
  return LineTablePtr(new (std::nothrow) THistLineDB, &DeleteAs<THistLineDB, TLineDB>);
}

template <class TOrder, class TLineDB>
int COrderTableCore<TOrder, TLineDB>::ReadOrder(GetOp get, TOrder& order, void* key,
                                                int8_t keyNum) {
  return recfile::ReadRecord(*this, get, m_Layout, order, key, keyNum, recfile::Length::Exact,
                             m_Layout.length);
}

template <class TOrder, class TLineDB>
int COrderTableCore<TOrder, TLineDB>::InsertOn(TOrder& order, int8_t keyNum) {
  return recfile::InsertRecord(*this, m_Layout, order, TextKeyOrNumber(keyNum), keyNum);
}

template <class TOrder, class TLineDB>
int COrderTableCore<TOrder, TLineDB>::UpdateOn(TOrder& order, int8_t keyNum) {
  return recfile::UpdateRecord(*this, m_Layout, order, TextKeyOrNumber(keyNum), keyNum);
}

template <class TOrder, class TLineDB>
void* COrderTableCore<TOrder, TLineDB>::TextKeyOrNumber(int keyNum) {
  uint16_t width = 0;
  if (keyNum == 0) {
    return m_Key0;
  }
  uint8_t* key = TextKey(keyNum, &width);
  return key != nullptr ? key : m_Key0;
}

template <class TOrder, class TLineDB>
uint8_t* COrderTableCore<TOrder, TLineDB>::TextKey(int keyNum, uint16_t* width) {
  if (keyNum < 1 || keyNum >= static_cast<int>(m_KeyWidths.size()) || m_KeyWidths[keyNum] == 0) {
    return nullptr;
  }
  *width = m_KeyWidths[keyNum];
  uint8_t* buffers[] = {m_Key0, m_Key1, m_Key2, m_Key3, m_Key4, m_Key5};
  return buffers[keyNum];
}

template <class TOrder, class TLineDB>
int COrderTableCore<TOrder, TLineDB>::ReadFirst(TOrder& order) {
  return ReadOrder(&CBtrieveDB::GetFirst, order, m_Key0, 0);
}

template <class TOrder, class TLineDB>
int COrderTableCore<TOrder, TLineDB>::AvoidNumbersIn(const CString& fileName) {
  auto probe = std::make_unique<orders::CKeyProbeDB>();
  const int status = probe->Open(fileName.c_str());
  if (status != 0) {
    return status;
  }
  m_Avoid = std::move(probe);
  return 0;
}

template <class TOrder, class TLineDB>
int32_t COrderTableCore<TOrder, TLineDB>::FirstFreeOrderNumber(int32_t from) {
  auto taken = [](CBtrieveDB& table, int32_t number) {
    uint8_t key[4];
    recfile::WriteInt32(key, number);
    return orders::ProbeKey(table, key, 0) == 0;
  };
  int32_t candidate = from;
  while (taken(*this, candidate) || (m_Avoid != nullptr && taken(*m_Avoid, candidate))) {
    ++candidate;
  }
  return candidate;
}

template <class TOrder, class TLineDB>
int COrderTableCore<TOrder, TLineDB>::DoAddOrder(TOrder& order, int32_t count,
                                                 const double (&amounts)[5], bool newOrder) {
  if (newOrder) {
    order.OrderNumber = FirstFreeOrderNumber(1);
    if constexpr (std::is_same_v<TOrder, COrder0301>) {
      order.OrderStamp = CurrentOrderStamp0301();
    } else {
      order.OrderStamp = CurrentOrderStamp();
      order.DateStamp = order.OrderStamp;
    }
  }
  order.SummaryCount = count;
  order.SummaryAmount1 = amounts[0];
  order.SummaryAmount2 = amounts[1];
  order.SummaryAmount3 = amounts[2];
  order.SummaryAmount4 = amounts[3];
  order.SummaryAmount5 = amounts[4];
  return InsertOn(order, 0);
}

// 12 (no line file) counts as success where there are no lines to delete.
template <class TOrder, class TLineDB>
int COrderTableCore<TOrder, TLineDB>::DoUpdateOrder(TOrder& order, int32_t count,
                                                    const double (&amounts)[5], bool allLines,
                                                    LineTablePtr lines) {
  order.SummaryCount = count;
  order.SummaryAmount1 = amounts[0];
  order.SummaryAmount2 = amounts[1];
  order.SummaryAmount3 = amounts[2];
  order.SummaryAmount4 = amounts[3];
  order.SummaryAmount5 = amounts[4];
  TOrder stored;
  int status = DoGetOrder(stored, order.OrderNumber);
  if (status != 0) {
    return status;
  }
  status = UpdateOn(order, 0);
  if (status != 0) {
    return status;
  }
  if (lines == nullptr) {
    return kNoLineTable;
  }
  status = lines->Open();
  if (status != 0) {
    return status == btr::kFileNotFound ? 0 : status;
  }
  if (allLines) {
    return lines->DeleteLinesOfOrder(order.OrderNumber);
  }
  for (const auto& removed : order.RemovedLines) {
    if (removed->LineNumber == -1) {
      continue;  // never stored
    }
    status = lines->DeleteLine(*removed);
    if (status != 0 && status != btr::kKeyNotFound) {
      return status;
    }
  }
  return 0;
}

template <class TOrder, class TLineDB>
int COrderTableCore<TOrder, TLineDB>::DoUpdateLine(Line& line, LineTablePtr lines) {
  if (lines == nullptr) {
    return kNoLineTable;
  }
  const int status = lines->Open();
  return status != 0 ? status : lines->RewriteLine(line);
}

template <class TOrder, class TLineDB>
int COrderTableCore<TOrder, TLineDB>::DoAddLine(const TOrder& order, const Line& line,
                                                LineTablePtr lines) {
  if (lines == nullptr) {
    return kNoLineTable;
  }
  const int status = lines->Open();
  if (status != 0) {
    return status;
  }
  Line copy(line);
  copy.OrderNumber = order.OrderNumber;
  return lines->InsertLine(copy);
}

template <class TOrder, class TLineDB>
int COrderTableCore<TOrder, TLineDB>::DoGetFirstOrder(TOrder& order) {
  recfile::WriteInt32(m_Key0, 0);
  return ReadOrder(&CBtrieveDB::GetGreaterOrEqual, order, m_Key0, 0);
}

// The status of a read along the date stamps of one day: 4 when no further order carries the
// date, whether the order read has a later date or the file has run out (9).
template <class TOrder, class TLineDB>
int COrderTableCore<TOrder, TLineDB>::NoFurtherOrderOfDay(int status, const TOrder& order,
                                                          const CString& date) {
  if (status == btr::kEndOfFile) {
    return btr::kKeyNotFound;
  }
  if constexpr (!std::is_same_v<TOrder, COrder0301>) {
    if (status == 0 && !BeginsWith(order.DateStamp, date)) {
      return btr::kKeyNotFound;
    }
  }
  return status;
}

template <class TOrder, class TLineDB>
int COrderTableCore<TOrder, TLineDB>::DoGetFirstOrderOfDay(TOrder& order, int64_t day) {
  const CString date = LocalDay(day);
  std::memset(m_Key2, 0, sizeof m_Key2);
  std::memcpy(m_Key2, date.data(), date.size());
  return NoFurtherOrderOfDay(ReadOrder(&CBtrieveDB::GetGreaterOrEqual, order, m_Key2, 2), order,
                             date);
}

template <class TOrder, class TLineDB>
int COrderTableCore<TOrder, TLineDB>::DoGetNextOrderOfDay(TOrder& order, int64_t day) {
  const CString date = LocalDay(day);
  if (!KeyBeginsWith(m_Key2, date)) {
    return btr::kKeyPosition;
  }
  return NoFurtherOrderOfDay(ReadOrder(&CBtrieveDB::GetNext, order, m_Key2, 2), order, date);
}

template <class TOrder, class TLineDB>
int COrderTableCore<TOrder, TLineDB>::DoGetNextOrder(TOrder& order) {
  return ReadOrder(&CBtrieveDB::GetNext, order, m_Key0, 0);
}

template <class TOrder, class TLineDB>
int COrderTableCore<TOrder, TLineDB>::DoGetOrderByStamp(TOrder& order, const CString& stamp) {
  const size_t width = m_KeyWidths[1];
  CString key = stamp.substr(0, width);
  key.resize(width, ' ');
  std::memcpy(m_Key1, key.data(), width);
  return ReadOrder(&CBtrieveDB::GetEqual, order, m_Key1, 1);
}

template <class TOrder, class TLineDB>
int COrderTableCore<TOrder, TLineDB>::DoGetOrder(TOrder& order, int32_t number) {
  recfile::WriteInt32(m_Key0, number);
  return ReadOrder(&CBtrieveDB::GetEqual, order, m_Key0, 0);
}

template <class TOrder, class TLineDB>
int COrderTableCore<TOrder, TLineDB>::DoDeleteOrder(int32_t number, LineTablePtr lines) {
  TOrder stored;
  int status = DoGetOrder(stored, number);
  if (status != 0) {
    return status;
  }
  status = Delete();
  if (status != 0) {
    return status;
  }
  if (lines == nullptr) {
    return kNoLineTable;
  }
  status = lines->Open();
  if (status != 0) {
    return status == btr::kFileNotFound ? 0 : status;
  }
  return lines->DeleteLinesOfOrder(number);
}

template <class TOrder, class TLineDB>
int COrderTableCore<TOrder, TLineDB>::DoLoadLines(TOrder& order, LineTablePtr lines) {
  order.Lines.clear();
  if (lines == nullptr) {
    return kNoLineTable;
  }
  int status = lines->Open();
  if (status != 0) {
    return status;
  }
  Line line;
  for (status = lines->GetFirstLineOfOrder(line, order.OrderNumber);
       status == 0 && line.OrderNumber == order.OrderNumber; status = lines->GetNextLine(line, 0)) {
    auto copy = std::make_unique<Line>(line);
    copy->Changed = true;
    order.Lines.push_back(std::move(copy));
    order.LinesChanged = true;
  }
  return status == 0 || status == btr::kKeyNotFound || status == btr::kEndOfFile ? 0 : status;
}

// The reference key is looked up with the first 9 characters of Reference and NULs behind them,
// the way a 9-character reference is stored.
template <class TOrder, class TLineDB>
int COrderTableCore<TOrder, TLineDB>::DoReplaceHistOrder(TOrder& order, int keyNum,
                                                         LineTablePtr lines) {
  uint16_t width = 0;
  uint8_t* key = TextKey(keyNum, &width);
  if (key == nullptr) {
    return btr::kInvalidKeyNumber;
  }
  recfile::WriteText(key, width, order.Reference.substr(0, 9));
  uint8_t stored[recfile::kMaxRecord];
  uint16_t length = m_Layout.length;
  int status = GetEqual(stored, &length, key, static_cast<int8_t>(keyNum));
  if (status != 0) {
    return status;
  }
  if (length != m_Layout.length) {
    return btr::kDataBufferLength;
  }
  TOrder found;
  recfile::Parse(m_Layout, stored, length, found);
  order.OrderNumber = found.OrderNumber;
  status = UpdateOn(order, static_cast<int8_t>(keyNum));
  if (status != 0) {
    return status;
  }
  if (lines == nullptr) {
    return kNoLineTable;
  }
  status = lines->Open();
  if (status != 0) {
    return status == btr::kFileNotFound ? 0 : status;
  }
  return lines->DeleteLinesOfOrder(order.OrderNumber);
}

// Key 0 takes the value as a decimal order number; a text key takes the value's first
// characters, as many as the key holds.
//
// Every text key is looked up in its own buffer, of its own width. The product's operation puts
// the value of every key but 0 and 3 into the customer-number (key-4) buffer, 6 characters; the
// record manager reads a key value of the key's full length, so for the 14-byte stamp keys it
// would read 8 bytes past that buffer, and it writes the key of the record found back over the
// same length. Key 4 gets the same 6 characters either way, key 5 the same first character; the
// stamp keys get up to 14 characters of the value and NULs behind it instead of 6 and whatever
// lay behind the buffer.
template <class TOrder, class TLineDB>
int COrderTableCore<TOrder, TLineDB>::DoGetHistOrderByKey(TOrder& order, const CString& keyValue,
                                                          int keyNum) {
  if (keyNum == 0) {
    recfile::WriteInt32(m_Key0, static_cast<int32_t>(std::strtol(keyValue.c_str(), nullptr, 10)));
    return ReadOrder(&CBtrieveDB::GetEqual, order, m_Key0, 0);
  }
  uint16_t width = 0;
  uint8_t* key = TextKey(keyNum, &width);
  if (key == nullptr) {
    return btr::kInvalidKeyNumber;
  }
  recfile::WriteText(key, width, keyValue.substr(0, width));
  return ReadOrder(&CBtrieveDB::GetEqual, order, key, static_cast<int8_t>(keyNum));
}

template <class TOrder, class TLineDB>
int COrderTableCore<TOrder, TLineDB>::DoGetFirstHistOrderWithFlag(TOrder& order, char flag) {
  uint16_t width = 0;
  uint8_t* key = TextKey(5, &width);
  if (key == nullptr) {
    return btr::kInvalidKeyNumber;
  }
  key[0] = static_cast<uint8_t>(flag);
  const int status = ReadOrder(&CBtrieveDB::GetEqual, order, key, 5);
  if (status == 0 && order.Flag1 != flag) {
    return btr::kKeyNotFound;
  }
  return status;
}

// Get Next on a key in that key's own buffer. The product's operation gives keys 0, 3 and 5
// their own buffers and every other key the customer-number (key-4) buffer of 6 bytes, but the
// record manager writes the key value of the record read back into the buffer over the key's
// full length: 14 bytes for the stamp keys 1 and 2, 8 more than that buffer holds. Get Next
// moves on from the current position, not from the buffer's content, so the record read is the
// same either way.
template <class TOrder, class TLineDB>
int COrderTableCore<TOrder, TLineDB>::DoGetNextHistOrder(TOrder& order, int keyNum) {
  void* key = m_Key0;
  if (keyNum != 0) {
    uint16_t width = 0;
    key = TextKey(keyNum, &width);
    if (key == nullptr) {
      return btr::kInvalidKeyNumber;
    }
  }
  return ReadOrder(&CBtrieveDB::GetNext, order, key, static_cast<int8_t>(keyNum));
}

template class COrderTableCore<COrder, COrderItemDB>;
template class COrderTableCore<COrder0401, COrderItem0401DB>;
template class COrderTableCore<COrder0308, COrderItem0308DB>;
template class COrderTableCore<COrder0306, COrderItem0306DB>;
template class COrderTableCore<COrder0304, COrderItem0304DB>;
template class COrderTableCore<COrder0301, COrderItem0301DB>;
template class CHistOrderTable<COrderDB, CHistOrderItemDB>;
template class CHistOrderTable<COrder0401DB, CHistOrderItem0401DB>;
template class CHistOrderTable<COrder0308DB, CHistOrderItem0308DB>;
template class CHistOrderTable<COrder0306DB, CHistOrderItem0306DB>;

// ---- Table classes ----

namespace {
// Characters of each text key, by key number (0: the order number).
const std::vector<uint16_t> kOpenKeys = {4, 14, 14};
const std::vector<uint16_t> kHistKeys = {4, 14, 14, 14, 6, 1};
const std::vector<uint16_t> kHist0304Keys = {4, 14, 14, 9, 6};
const std::vector<uint16_t> kOpen0301Keys = {4, 12};
const std::vector<uint16_t> kHist0301Keys = {4, 9, 6};
}  // namespace

template <class TOrder, class TLineDB, const recfile::Layout<TOrder>& kLayout, uint16_t kLength>
COrderFileDB<TOrder, TLineDB, kLayout, kLength>::COrderFileDB()
    : COrderTable<TOrder, TLineDB>(kLayout, kOpenKeys) {}
template <class TOrder, class TLineDB, const recfile::Layout<TOrder>& kLayout, uint16_t kLength>
COrderFileDB<TOrder, TLineDB, kLayout, kLength>::COrderFileDB(std::vector<uint16_t> keyWidths)
    : COrderTable<TOrder, TLineDB>(kLayout, std::move(keyWidths)) {}
template <class TOrder, class TLineDB, const recfile::Layout<TOrder>& kLayout, uint16_t kLength>
int COrderFileDB<TOrder, TLineDB, kLayout, kLength>::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, OpenOrderSpec(kLength), fileName);
}
template class COrderFileDB<COrder, COrderItemDB, kOrderLayout, 408>;
template class COrderFileDB<COrder0401, COrderItem0401DB, kOrder0401Layout, 392>;
template class COrderFileDB<COrder0308, COrderItem0308DB, kOrder0308Layout, 392>;
template class COrderFileDB<COrder0306, COrderItem0306DB, kOrder0306Layout, 392>;
template class COrderFileDB<COrder0304, COrderItem0304DB, kOrder0304Layout, 384>;

COrder0301DB::COrder0301DB() : COrderTableCore(kOrder0301Layout, kOpen0301Keys) {}
COrder0301DB::COrder0301DB(std::vector<uint16_t> keyWidths)
    : COrderTableCore(kOrder0301Layout, std::move(keyWidths)) {}
int COrder0301DB::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, {368, false, {{kNumberKey}, {{5, 12, 0}}}}, fileName);
}

int COrder0301DB::AddOrder(COrder0301& order, int32_t count, double amount1, double amount2,
                           double amount3, double amount4, double amount5, bool newOrder) {
  return DoAddOrder(order, count, {amount1, amount2, amount3, amount4, amount5}, newOrder);
}
int COrder0301DB::UpdateOrder(COrder0301& order, int32_t count, double amount1, double amount2,
                              double amount3, double amount4, double amount5, bool allLines) {
  return DoUpdateOrder(order, count, {amount1, amount2, amount3, amount4, amount5}, allLines,
                       CreateLineTable());
}
int COrder0301DB::UpdateLine(COrderItem0301& line) {
  return DoUpdateLine(line, CreateLineTable());
}
int COrder0301DB::AddLine(COrder0301& order, COrderItem0301& line) {
  return DoAddLine(order, line, CreateLineTable());
}
int COrder0301DB::GetFirstOrder(COrder0301& order, bool loadLines) {
  const int status = DoGetFirstOrder(order);
  return status == 0 && loadLines ? LoadLines(order) : status;
}
int COrder0301DB::GetNextOrder(COrder0301& order, bool loadLines) {
  const int status = DoGetNextOrder(order);
  return status == 0 && loadLines ? LoadLines(order) : status;
}
int COrder0301DB::GetOrderByStamp(COrder0301& order, const CString& stamp, bool loadLines) {
  const int status = DoGetOrderByStamp(order, stamp);
  return status == 0 && loadLines ? LoadLines(order) : status;
}
int COrder0301DB::GetOrder(COrder0301& order, int32_t number, bool loadLines) {
  const int status = DoGetOrder(order, number);
  return status == 0 && loadLines ? LoadLines(order) : status;
}
int COrder0301DB::DeleteOrder(int32_t number) {
  return DoDeleteOrder(number, CreateLineTable());
}
int COrder0301DB::LoadLines(COrder0301& order) {
  return DoLoadLines(order, CreateLineTable());
}

template <class TOpenDB, class THistLineDB, uint16_t kLength>
CHistOrderFile<TOpenDB, THistLineDB, kLength>::CHistOrderFile()
    : CHistOrderTable<TOpenDB, THistLineDB>(kHistKeys) {}
template <class TOpenDB, class THistLineDB, uint16_t kLength>
int CHistOrderFile<TOpenDB, THistLineDB, kLength>::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, HistOrderSpec(kLength, 14, true), fileName);
}
template class CHistOrderFile<COrderDB, CHistOrderItemDB, 408>;
template class CHistOrderFile<COrder0401DB, CHistOrderItem0401DB, 392>;
template class CHistOrderFile<COrder0308DB, CHistOrderItem0308DB, 392>;
template class CHistOrderFile<COrder0306DB, CHistOrderItem0306DB, 392>;

CHistOrder0304DB::CHistOrder0304DB() : COrder0304DB(kHist0304Keys) {}
int CHistOrder0304DB::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, HistOrderSpec(384, 9, false), fileName);
}
CHistOrder0304DB::LineTablePtr CHistOrder0304DB::CreateLineTable() {
  return LineTablePtr(new (std::nothrow) CHistOrderItem0304DB,
                      &DeleteAs<CHistOrderItem0304DB, COrderItem0304DB>);
}
int CHistOrder0304DB::InsertOrder(COrder0304& order) {
  if (order.OrderNumber == 0) {
    order.OrderNumber = FirstFreeOrderNumber(1);
  }
  return InsertOn(order, 3);
}
int CHistOrder0304DB::ReplaceHistOrder(COrder0304& order) {
  return DoReplaceHistOrder(order, 3, CreateLineTable());
}
int CHistOrder0304DB::GetHistOrderByKey(COrder0304& order, const CString& keyValue, int keyNum,
                                        bool loadLines) {
  return Loaded(DoGetHistOrderByKey(order, keyValue, keyNum), order, loadLines);
}
int CHistOrder0304DB::GetNextHistOrder(COrder0304& order, int keyNum, bool loadLines) {
  return Loaded(DoGetNextHistOrder(order, keyNum), order, loadLines);
}

CHistOrder0301DB::CHistOrder0301DB() : COrder0301DB(kHist0301Keys) {}
int CHistOrder0301DB::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(
      *this, {368, false, {{kNumberKey}, {{23, 9, 0x3}}, {{17, 6, 0x3}}}}, fileName);
}
CHistOrder0301DB::LineTablePtr CHistOrder0301DB::CreateLineTable() {
  return LineTablePtr(new (std::nothrow) CHistOrderItem0301DB,
                      &DeleteAs<CHistOrderItem0301DB, COrderItem0301DB>);
}
int CHistOrder0301DB::InsertOrder(COrder0301& order) {
  order.OrderNumber = FirstFreeOrderNumber(0);
  return InsertOn(order, 1);
}
int CHistOrder0301DB::ReplaceHistOrder(COrder0301& order) {
  return DoReplaceHistOrder(order, 1, CreateLineTable());
}
int CHistOrder0301DB::GetHistOrderByKey(COrder0301& order, const CString& keyValue, int keyNum,
                                        bool loadLines) {
  const int status = DoGetHistOrderByKey(order, keyValue, keyNum);
  return status == 0 && loadLines ? LoadLines(order) : status;
}
int CHistOrder0301DB::GetNextHistOrder(COrder0301& order, int keyNum, bool loadLines) {
  const int status = DoGetNextHistOrder(order, keyNum);
  return status == 0 && loadLines ? LoadLines(order) : status;
}

// ---- Conversions ----

void ConvertRecord(const COrder0301& from, COrder& to) {
  CopySharedFields(from, to);
  to.OrderStamp = from.OrderStamp;
  to.DateStamp = DateStampFrom0301(from.OrderStamp);
}

void ConvertRecord(const COrder0304& from, COrder& to) {
  ConvertStampedRecord(from, to);
}

void ConvertRecord(const COrder0306& from, COrder& to) {
  ConvertStampedRecord(from, to);
}

void ConvertRecord(const COrder0308& from, COrder& to) {
  ConvertStampedRecord(from, to);
}

void ConvertRecord(const COrder0401& from, COrder& to) {
  ConvertStampedRecord(from, to);
}
