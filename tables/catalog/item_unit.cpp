// The item unit table: layouts, file specifications, record operations and conversions.
#include "tables/catalog/item_unit.h"

#include "recfile/table_ops.h"

using recfile::Enc;
using recfile::Field;
using recfile::Length;

namespace {

// The fields at offsets 0 to 279 that every layout has at the same place. Bytes 128 to 130 and
// the single at 132 belong to no current field (written as zero; 0.0 is all zero bits).
template <class R>
std::vector<Field<R>> SharedFields() {
  return {
      {0, 12, Enc::UpperText, &R::ItemNumber},
      {12, 1, Enc::Char, &R::Code12},
      {13, 3, Enc::UpperText, &R::UnitCode},
      {16, 10, Enc::UpperText, &R::Text16},
      {28, 4, Enc::Float32, &R::Amount28},
      {32, 4, Enc::Float32, &R::Amount32},
      {36, 8, Enc::Text, &R::Text36},
      {44, 4, Enc::Float32, &R::Amount44},
      {48, 8, Enc::Text, &R::Text48},
      {56, 4, Enc::Int32, &R::Number56},
      {60, 4, Enc::Float32, &R::Amount60},
      {64, 4, Enc::Float32, &R::Amount64},
      {68, 30, Enc::Text, &R::Text68},
      {98, 13, Enc::UpperText, &R::Text98},
      {111, 1, Enc::YesNo, &R::Flag111},
      {112, 4, Enc::Float32, &R::Amount112},
      {116, 4, Enc::Float32, &R::Amount116},
      {120, 1, Enc::YesNo, &R::Flag120},
      {124, 4, Enc::Float32, &R::Amount124},
      {131, 1, Enc::YesNo, &R::Flag131},
      {136, 80, Enc::Text, &R::textList, 10},
      {216, 8, Enc::Text, &R::Text216},
      {224, 44, Enc::Float32, &R::AmountList, 11},
      {268, 4, Enc::Float32, &R::Amount268},
      {272, 4, Enc::Float32, &R::Amount272},
      {276, 4, Enc::Float32, &R::Amount276},
  };
}

// 0308 on: Amount280, then the character and the pair of singles of 0301 four bytes higher.
template <class R>
std::vector<Field<R>> From0308(std::vector<Field<R>> fields) {
  fields.insert(fields.end(), {
                                  {280, 4, Enc::Float32, &R::Amount280},
                                  {284, 1, Enc::Char, &R::Code284},
                                  {288, 4, Enc::Float32, &R::Amount288},
                                  {292, 4, Enc::Float32, &R::Amount292},
                              });
  return fields;
}

// 03094 on: three more singles and Text308.
template <class R>
std::vector<Field<R>> From03094(std::vector<Field<R>> fields) {
  fields.insert(fields.end(), {
                                  {296, 4, Enc::Float32, &R::Amount296},
                                  {300, 4, Enc::Float32, &R::Amount300},
                                  {304, 4, Enc::Float32, &R::Amount304},
                                  {308, 8, Enc::Text, &R::Text308},
                              });
  return fields;
}

std::vector<Field<CItemUnit>> CurrentFields() {
  auto fields = From03094(From0308(SharedFields<CItemUnit>()));
  // Kept upper case by reading alone: written as the record object holds them.
  fields.push_back({316, 20, Enc::UpperOnRead, &CItemUnit::Text316});
  fields.push_back({336, 20, Enc::UpperOnRead, &CItemUnit::Text336});
  return fields;
}

std::vector<Field<CItemUnit0400>> Fields0400() {
  auto fields = From03094(From0308(SharedFields<CItemUnit0400>()));
  fields.push_back({316, 20, Enc::UpperOnRead, &CItemUnit0400::Text316});
  return fields;
}

std::vector<Field<CItemUnit0301>> Fields0301() {
  auto fields = SharedFields<CItemUnit0301>();
  fields.insert(fields.end(), {
                                  {128, 1, Enc::YesNo, &CItemUnit0301::LegacyFlag128},
                                  {129, 1, Enc::YesNo, &CItemUnit0301::LegacyFlag129},
                                  {130, 1, Enc::YesNo, &CItemUnit0301::LegacyFlag130},
                                  {132, 4, Enc::Float32, &CItemUnit0301::LegacyAmount132},
                                  {280, 1, Enc::Char, &CItemUnit0301::Code284},
                                  {284, 4, Enc::Float32, &CItemUnit0301::Amount288},
                                  {288, 4, Enc::Float32, &CItemUnit0301::Amount292},
                              });
  return fields;
}

}  // namespace

const recfile::Layout<CItemUnit> kItemUnitLayout{356, CurrentFields()};
const recfile::Layout<CItemUnit0400> kItemUnit0400Layout{336, Fields0400()};
const recfile::Layout<CItemUnit03094> kItemUnit03094Layout{
    316, From03094(From0308(SharedFields<CItemUnit03094>()))};
const recfile::Layout<CItemUnit0308> kItemUnit0308Layout{296,
                                                         From0308(SharedFields<CItemUnit0308>())};
const recfile::Layout<CItemUnit0301> kItemUnit0301Layout{292, Fields0301()};

recfile::FileSpec ItemUnitFileSpec(uint16_t recordLength) {
  return {recordLength,
          false,
          {
              {{1, 13, 0x03}},
              {{1, 12, 0x01}},
              {{1, 12, 0x00}, {14, 3, 0x00}},
          }};
}

int ItemUnitImportLineLength(int32_t importVersion, int cap) {
  int length = 544;
  if (importVersion < 770) {
    length = 452;
  } else if (importVersion < 777) {
    length = 463;
  } else if (importVersion < 1024) {
    length = 504;
  } else if (importVersion < 1025) {
    length = 524;
  }
  return std::min(length, cap);
}

uint8_t* CItemUnitKeys::Buffer(int keyNum) {
  switch (keyNum) {
    case 0:
      return m_Key0;
    case 1:
      return m_Key1;
    case 2:
      return m_Key2;
    default:
      return nullptr;
  }
}

// ---- Table classes ----

template <class R, const recfile::Layout<R>& kLayout, int kImportCap>
int CItemUnitTable<R, kLayout, kImportCap>::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, ItemUnitFileSpec(kLayout.length), fileName);
}

template <class R, const recfile::Layout<R>& kLayout, int kImportCap>
int CItemUnitTable<R, kLayout, kImportCap>::ReadFirst(R& record) {
  return recfile::ReadRecord(*this, &CBtrieveDB::GetFirst, kLayout, record, m_Keys.m_Key2, 2,
                             Length::Exact);
}

template <class R, const recfile::Layout<R>& kLayout, int kImportCap>
int CItemUnitTable<R, kLayout, kImportCap>::ReadNext(R& record) {
  return recfile::ReadRecord(*this, &CBtrieveDB::GetNext, kLayout, record, m_Keys.m_Key2, 2,
                             Length::Exact);
}

template <class R, const recfile::Layout<R>& kLayout, int kImportCap>
int CItemUnitTable<R, kLayout, kImportCap>::InsertRecord(R& record) {
  return recfile::InsertRecord(*this, kLayout, record, m_Keys.m_Key2, 2);
}

template class CItemUnitTable<CItemUnit, kItemUnitLayout, 544>;
template class CItemUnitTable<CItemUnit0400, kItemUnit0400Layout, 524>;
template class CItemUnitTable<CItemUnit03094, kItemUnit03094Layout, 504>;
template class CItemUnitTable<CItemUnit0308, kItemUnit0308Layout, 463>;
template class CItemUnitTable<CItemUnit0301, kItemUnit0301Layout, 452>;

int CItemUnitDB::UpdateRecord(CItemUnit& record) {
  // The item number and unit code go into the key as given: a lower-case one finds no record.
  recfile::KeyFromValues(ItemUnitFileSpec(kItemUnitLayout.length).keys[2],
                         {record.ItemNumber, record.UnitCode}, m_Keys.m_Key2);
  return recfile::UpdateFound(*this, kItemUnitLayout, record, m_Keys.m_Key2, 2,
                              kItemUnitLayout.length);
}

int CItemUnitDB::DeleteRecord(int keyNum, const CString& keyValue) {
  static constexpr size_t kKeyLengths[] = {13, 12, 15};
  uint8_t* key = m_Keys.Buffer(keyNum);
  if (key == nullptr) {
    return btr::kInvalidKeyNumber;
  }
  recfile::WriteText(key, kKeyLengths[keyNum], keyValue);
  return recfile::DeleteByKey(*this, key, static_cast<int8_t>(keyNum));
}

// ---- Conversions ----

namespace {

// The fields of 0301 and every later layout, at the same place in all of them.
template <class L>
void ConvertShared(const L& from, CItemUnit& to) {
  to.Text16 = from.Text16;
  to.ItemNumber = from.ItemNumber;
  to.Text68 = from.Text68;
  to.Text98 = from.Text98;
  to.UnitCode = from.UnitCode;
  to.textList = from.textList;
  to.Text216 = from.Text216;
  to.Text36 = from.Text36;
  to.Text48 = from.Text48;
  to.Flag111 = from.Flag111;
  to.Flag120 = from.Flag120;
  to.Flag131 = from.Flag131;
  to.Code12 = from.Code12;
  to.Code284 = from.Code284;
  to.Number56 = from.Number56;
  to.Amount28 = from.Amount28;
  to.Amount32 = from.Amount32;
  to.Amount44 = from.Amount44;
  to.Amount276 = from.Amount276;
  to.Amount268 = from.Amount268;
  to.Amount272 = from.Amount272;
  to.Amount60 = from.Amount60;
  to.Amount64 = from.Amount64;
  to.Amount112 = from.Amount112;
  to.Amount116 = from.Amount116;
  to.Amount124 = from.Amount124;
  to.Amount288 = from.Amount288;
  to.Amount292 = from.Amount292;
  to.AmountList = from.AmountList;
  to.Amount280 = 0.0f;
  to.Text308.clear();
  to.Text316.clear();
  to.Text336.clear();
  to.Amount296 = 0.0f;
  to.Amount300 = 0.0f;
  to.Amount304 = 0.0f;
}

template <class L>
void Convert03094Fields(const L& from, CItemUnit& to) {
  to.Amount296 = from.Amount296;
  to.Amount300 = from.Amount300;
  to.Amount304 = from.Amount304;
  to.Text308 = from.Text308;
}

}  // namespace

void ConvertRecord(const CItemUnit0400& from, CItemUnit& to) {
  ConvertShared(from, to);
  to.Amount280 = from.Amount280;
  Convert03094Fields(from, to);
  to.Text316 = from.Text316;
}

void ConvertRecord(const CItemUnit03094& from, CItemUnit& to) {
  ConvertShared(from, to);
  to.Amount280 = from.Amount280;
  Convert03094Fields(from, to);
}

void ConvertRecord(const CItemUnit0308& from, CItemUnit& to) {
  ConvertShared(from, to);
  to.Amount280 = from.Amount280;
}

// Amount280 did not exist yet: it keeps the value of a new record, 0.0.
void ConvertRecord(const CItemUnit0301& from, CItemUnit& to) {
  ConvertShared(from, to);
}
