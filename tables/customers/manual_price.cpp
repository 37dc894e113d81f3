// The manual price table: layouts, the price limit, file specifications and the conversions
// from 0202 and 0203.
#include "tables/customers/manual_price.h"

#include <cmath>

#include "recfile/file_definition.h"
#include "recfile/table_ops.h"
#include "tables/customers/keyed_ops.h"

using recfile::Enc;
using recfile::Length;

float LimitPrice(float price) {
  constexpr double kLimit = 9999.99;
  const double p = price;
  if (!(p > -kLimit)) {  // also a price that is not a number
    return -static_cast<float>(kLimit);
  }
  if (!(p < kLimit)) {
    return static_cast<float>(kLimit);
  }
  return price;
}

namespace {

void ParseLimitedPrice(const uint8_t* field, size_t, CManualPrice& record) {
  record.Price = LimitPrice(recfile::ReadFloat32(field));
}

void FormatLimitedPrice(CManualPrice& record, uint8_t* field, size_t) {
  recfile::WriteFloat32(field, LimitPrice(record.Price));
}

}  // namespace

// Bytes 73-75 and 86-87 are reserved.
const recfile::Layout<CManualPrice> kManualPriceLayout{
    88,
    {
        {0, 4, Enc::UpperText, &CManualPrice::Text0},
        {4, 8, Enc::UpperText, &CManualPrice::Text4},
        {12, 6, Enc::UpperText, &CManualPrice::CustomerNumber},
        {18, 12, Enc::UpperText, &CManualPrice::ItemNumber},
        {30, 3, Enc::UpperText, &CManualPrice::Text30},
        {33, 35, Enc::UpperText, &CManualPrice::Text33},
        {68, 4, Enc::Int32, &CManualPrice::Long68},
        {72, 1, Enc::Byte, &CManualPrice::Byte72},
        {76, 4, Enc::Custom,
         recfile::CustomCodec<CManualPrice>{ParseLimitedPrice, FormatLimitedPrice}},
        {80, 4, Enc::UpperText, &CManualPrice::Text80},
        {84, 1, Enc::Byte, &CManualPrice::Byte84},
        {85, 1, Enc::YesNo, &CManualPrice::Flag85},
    }};

// Bytes 61-63 and 74-75 are reserved.
const recfile::Layout<CManualPrice0203> kManualPrice0203Layout{
    76,
    {
        {0, 6, Enc::UpperText, &CManualPrice0203::CustomerNumber},
        {6, 12, Enc::UpperText, &CManualPrice0203::ItemNumber},
        {18, 3, Enc::UpperText, &CManualPrice0203::Text30},
        {21, 35, Enc::UpperText, &CManualPrice0203::Text33},
        {56, 4, Enc::Int32, &CManualPrice0203::Long68},
        {60, 1, Enc::Byte, &CManualPrice0203::Byte72},
        {64, 4, Enc::Float32, &CManualPrice0203::Price},
        {68, 4, Enc::UpperText, &CManualPrice0203::Text80},
        {72, 1, Enc::Byte, &CManualPrice0203::Byte84},
        {73, 1, Enc::YesNo, &CManualPrice0203::Flag85},
    }};

// Bytes 21-23, 28-31 and 45-47 are reserved.
const recfile::Layout<CManualPrice0202> kManualPrice0202Layout{
    48,
    {
        {0, 6, Enc::UpperText, &CManualPrice0202::CustomerNumber},
        {6, 12, Enc::UpperText, &CManualPrice0202::ItemNumber},
        {18, 3, Enc::UpperText, &CManualPrice0202::Text30},
        {24, 4, Enc::Int32, &CManualPrice0202::Long68},
        {32, 4, Enc::Float32, &CManualPrice0202::Price},
        {36, 4, Enc::Float32, &CManualPrice0202::Float36},
        {40, 4, Enc::UpperText, &CManualPrice0202::Text80},
        {44, 1, Enc::YesNo, &CManualPrice0202::Flag44},
    }};

namespace {

recfile::FileSpec ManualPriceSpec() {
  return {88, false, {{{1, 33, 0}}, {{19, 12, 3}}, {{34, 35, 3}}}};
}

recfile::FileSpec ManualPrice0203Spec() {
  return {76, false, {{{1, 21, 0}}, {{7, 12, 3}}, {{22, 35, 3}}}};
}

recfile::FileSpec ManualPrice0202Spec() {
  return {48, false, {{{1, 21, 0}}, {{7, 12, 3}}}};
}

template <class R>
const recfile::FileSpec& SpecOf() {
  static const recfile::FileSpec spec = std::is_same_v<R, CManualPrice> ? ManualPriceSpec()
                                        : std::is_same_v<R, CManualPrice0203>
                                            ? ManualPrice0203Spec()
                                            : ManualPrice0202Spec();
  return spec;
}

}  // namespace

// ---- Table classes ----

template <class R, const recfile::Layout<R>& kLayout, int kImportLineLength>
void CManualPriceTable<R, kLayout, kImportLineLength>::SetKey0(R& record) {
  m_CurrentKey = 0;
  recfile::KeyFromSegments(kLayout, record, SpecOf<R>().keys[0], m_Key0);
}

template <class R, const recfile::Layout<R>& kLayout, int kImportLineLength>
int CManualPriceTable<R, kLayout, kImportLineLength>::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, SpecOf<R>(), fileName);
}

template <class R, const recfile::Layout<R>& kLayout, int kImportLineLength>
int CManualPriceTable<R, kLayout, kImportLineLength>::ReadFirst(R& record) requires(
    !std::is_same_v<R, CManualPrice>) {
  m_CurrentKey = 0;
  return recfile::ReadRecord(*this, &CBtrieveDB::GetFirst, kLayout, record, m_Key0, 0,
                             Length::Exact, kLayout.length);
}

template <class R, const recfile::Layout<R>& kLayout, int kImportLineLength>
int CManualPriceTable<R, kLayout, kImportLineLength>::ReadNext(R& record) requires(
    !std::is_same_v<R, CManualPrice>) {
  m_CurrentKey = 0;
  return recfile::ReadRecord(*this, &CBtrieveDB::GetNext, kLayout, record, m_Key0, 0, Length::Exact,
                             kLayout.length);
}

template <class R, const recfile::Layout<R>& kLayout, int kImportLineLength>
int CManualPriceTable<R, kLayout, kImportLineLength>::InsertRecord(R& record) {
  m_CurrentKey = 0;
  return recfile::InsertRecord(*this, kLayout, record, m_Key0, 0);
}

template <class R, const recfile::Layout<R>& kLayout, int kImportLineLength>
int CManualPriceTable<R, kLayout, kImportLineLength>::FindRecord(R& record) requires(
    !std::is_same_v<R, CManualPrice0202>) {
  SetKey0(record);
  return recfile::ReadRecord(*this, &CBtrieveDB::GetEqual, kLayout, record, m_Key0, 0,
                             Length::Exact, kLayout.length);
}

template <class R, const recfile::Layout<R>& kLayout, int kImportLineLength>
int CManualPriceTable<R, kLayout, kImportLineLength>::UpdateRecord(R& record) requires(
    !std::is_same_v<R, CManualPrice0202>) {
  SetKey0(record);
  return recfile::UpdateFound(*this, kLayout, record, m_Key0, 0);
}

template <class R, const recfile::Layout<R>& kLayout, int kImportLineLength>
int CManualPriceTable<R, kLayout, kImportLineLength>::DeleteRecord(R& record) requires(
    !std::is_same_v<R, CManualPrice0202>) {
  SetKey0(record);
  return recfile::DeleteByKey(*this, m_Key0, 0);
}

template class CManualPriceTable<CManualPrice, kManualPriceLayout, 73>;
template class CManualPriceTable<CManualPrice0203, kManualPrice0203Layout, 73>;
template class CManualPriceTable<CManualPrice0202, kManualPrice0202Layout, 0>;

// ---- Conversions ----

void ConvertRecord(const CManualPrice0203& from, CManualPrice& to) {
  to.Text0 = "    ";
  to.Text4 = "        ";
  to.CustomerNumber = from.CustomerNumber;
  to.ItemNumber = from.ItemNumber;
  to.Text30 = from.Text30;
  to.Text33 = from.Text33;
  to.Long68 = from.Long68;
  to.Byte72 = from.Byte72;
  to.Price = from.Price;
  to.Text80 = from.Text80;
  to.Byte84 = from.Byte84;
  to.Flag85 = from.Flag85;
}

// The fields 0202 lacks take the values of a new current record: empty leading texts (NUL
// bytes, unlike the spaces of a 0203 conversion), an empty Text33, spaces in the two bytes and
// a false flag. Float36 and Flag44 have no place in the current layout.
void ConvertRecord(const CManualPrice0202& from, CManualPrice& to) {
  to.Text0 = "";
  to.Text4 = "";
  to.CustomerNumber = from.CustomerNumber;
  to.ItemNumber = from.ItemNumber;
  to.Text30 = from.Text30;
  to.Text33 = "";
  to.Long68 = from.Long68;
  to.Byte72 = ' ';
  to.Price = from.Price;
  to.Text80 = from.Text80;
  to.Byte84 = ' ';
  to.Flag85 = false;
}
