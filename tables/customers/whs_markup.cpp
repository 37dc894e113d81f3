// The warehouse markup table: layouts, the shared file specification and the conversion from
// 0200.
#include "tables/customers/whs_markup.h"

#include "recfile/file_definition.h"
#include "recfile/table_ops.h"
#include "tables/customers/keyed_ops.h"

using recfile::Enc;
using recfile::Length;

// Byte 31 and bytes 62-63 are reserved.
const recfile::Layout<CWhsMarkup> kWhsMarkupLayout{
    144,
    {
        {0, 4, Enc::UpperText, &CWhsMarkup::Text0},
        {4, 8, Enc::UpperText, &CWhsMarkup::Text4},
        {12, 6, Enc::UpperText, &CWhsMarkup::Text12},
        {18, 2, Enc::UpperText, &CWhsMarkup::Text18},
        {20, 3, Enc::UpperText, &CWhsMarkup::Text20},
        {23, 5, Enc::UpperText, &CWhsMarkup::Text23},
        {28, 1, Enc::YesNo, &CWhsMarkup::Flag28},
        {29, 1, Enc::YesNo, &CWhsMarkup::Flag29},
        {30, 1, Enc::YesNo, &CWhsMarkup::Flag30},
        {32, 4, Enc::Float32, &CWhsMarkup::Float32},
        {36, 4, Enc::Float32, &CWhsMarkup::Float36},
        {40, 4, Enc::Time32, &CWhsMarkup::Date40},
        {44, 1, Enc::YesNo, &CWhsMarkup::Flag44},
        {45, 1, Enc::Byte, &CWhsMarkup::Byte45},
        {46, 1, Enc::Byte, &CWhsMarkup::Byte46},
        {47, 4, Enc::UpperText, &CWhsMarkup::Text47},
        {51, 1, Enc::YesNo, &CWhsMarkup::Flag51},
        {52, 10, Enc::Char, &CWhsMarkup::Codes52, 10},
        {64, 40, Enc::Float32, &CWhsMarkup::Values64, 10},
        {104, 40, Enc::Float32, &CWhsMarkup::Values104, 10},
    }};

// Byte 31 and bytes 61-63 are reserved.
const recfile::Layout<CWhsMarkup0200> kWhsMarkup0200Layout{
    144,
    {
        {0, 4, Enc::UpperText, &CWhsMarkup0200::Text0},
        {4, 8, Enc::UpperText, &CWhsMarkup0200::Text4},
        {12, 6, Enc::UpperText, &CWhsMarkup0200::Text12},
        {18, 2, Enc::UpperText, &CWhsMarkup0200::Text18},
        {20, 3, Enc::UpperText, &CWhsMarkup0200::Text20},
        {23, 5, Enc::UpperText, &CWhsMarkup0200::Text23},
        {28, 1, Enc::YesNoLenient, &CWhsMarkup0200::Flag28},
        {29, 1, Enc::YesNoLenient, &CWhsMarkup0200::Flag29},
        {30, 1, Enc::YesNoLenient, &CWhsMarkup0200::Flag30},
        {32, 4, Enc::Float32, &CWhsMarkup0200::Float32},
        {36, 4, Enc::Float32, &CWhsMarkup0200::Float36},
        {40, 4, Enc::Time32, &CWhsMarkup0200::Date40},
        {44, 1, Enc::CharUpperOnRead, &CWhsMarkup0200::Byte45},
        {45, 1, Enc::CharUpperOnRead, &CWhsMarkup0200::Byte46},
        {46, 4, Enc::UpperText, &CWhsMarkup0200::Text47},
        {50, 1, Enc::YesNoLenient, &CWhsMarkup0200::Flag51},
        {51, 10, Enc::Char, &CWhsMarkup0200::Codes52, 10},
        {64, 40, Enc::Float32, &CWhsMarkup0200::Values64, 10},
        {104, 40, Enc::Float32, &CWhsMarkup0200::Values104, 10},
    }};

namespace {

// Keys 0 to 2 are single codes with duplicates; key 3 (unique) runs from Text0 to Flag30; keys
// 4 and 5 leave out Flag29, or Flag28, in a second segment.
recfile::FileSpec WhsMarkupSpec() {
  return {144,
          false,
          {{{1, 4, 1}},
           {{5, 8, 1}},
           {{13, 6, 1}},
           {{1, 31, 0}},
           {{1, 29, 0x11}, {31, 1, 1}},
           {{1, 28, 0x11}, {30, 2, 1}}}};
}

}  // namespace

// ---- Table classes ----

template <class R, const recfile::Layout<R>& kLayout, int kImportLineLength>
uint8_t* CWhsMarkupTable<R, kLayout, kImportLineLength>::KeyBuffer(int keyNum) {
  uint8_t* const keys[] = {m_Key0, m_Key1, m_Key2, m_Key3, m_Key4, m_Key5};
  return keyNum >= 0 && keyNum < 6 ? keys[keyNum] : nullptr;
}

template <class R, const recfile::Layout<R>& kLayout, int kImportLineLength>
int CWhsMarkupTable<R, kLayout, kImportLineLength>::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, WhsMarkupSpec(), fileName);
}

template <class R, const recfile::Layout<R>& kLayout, int kImportLineLength>
int CWhsMarkupTable<R, kLayout, kImportLineLength>::ReadFirst(R& record, int keyNum) {
  uint8_t* key = KeyBuffer(keyNum);
  if (key == nullptr) {
    return btr::kInvalidKeyNumber;
  }
  return recfile::ReadRecord(*this, &CBtrieveDB::GetFirst, kLayout, record, key,
                             static_cast<int8_t>(keyNum), Length::Exact, kLayout.length);
}

template <class R, const recfile::Layout<R>& kLayout, int kImportLineLength>
int CWhsMarkupTable<R, kLayout, kImportLineLength>::ReadNext(R& record, int keyNum) {
  uint8_t* key = KeyBuffer(keyNum);
  if (key == nullptr) {
    return btr::kInvalidKeyNumber;
  }
  return recfile::ReadRecord(*this, &CBtrieveDB::GetNext, kLayout, record, key,
                             static_cast<int8_t>(keyNum), Length::Exact, kLayout.length);
}

template <class R, const recfile::Layout<R>& kLayout, int kImportLineLength>
int CWhsMarkupTable<R, kLayout, kImportLineLength>::InsertRecord(R& record) {
  return recfile::InsertRecord(*this, kLayout, record, m_Key3, 3);
}

template <class R, const recfile::Layout<R>& kLayout, int kImportLineLength>
int CWhsMarkupTable<R, kLayout, kImportLineLength>::UpdateRecord(R& record) {
  recfile::KeyFromRecord(kLayout, record, m_Key3, 1, sizeof m_Key3);
  return recfile::UpdateFound(*this, kLayout, record, m_Key3, 3);
}

template <class R, const recfile::Layout<R>& kLayout, int kImportLineLength>
int CWhsMarkupTable<R, kLayout, kImportLineLength>::DeleteRecord(R& record) {
  recfile::KeyFromRecord(kLayout, record, m_Key3, 1, sizeof m_Key3);
  return recfile::DeleteByKey(*this, m_Key3, 3);
}

template class CWhsMarkupTable<CWhsMarkup, kWhsMarkupLayout, 315>;
template class CWhsMarkupTable<CWhsMarkup0200, kWhsMarkup0200Layout, 314>;

// ---- Conversion ----

void ConvertRecord(const CWhsMarkup0200& from, CWhsMarkup& to) {
  to.Text23 = from.Text23;
  to.Text20 = from.Text20;
  to.Text18 = from.Text18;
  to.Text12 = from.Text12;
  to.Text0 = from.Text0;
  to.Text4 = from.Text4;
  to.Flag28 = from.Flag28;
  to.Flag29 = from.Flag29;
  to.Flag30 = from.Flag30;
  to.Text47 = from.Text47;
  to.Flag51 = from.Flag51;
  to.Flag44 = false;
  to.Byte45 = static_cast<uint8_t>(from.Byte45);
  to.Byte46 = static_cast<uint8_t>(from.Byte46);
  to.Codes52 = from.Codes52;
  to.Values64 = from.Values64;
  to.Values104 = from.Values104;
  to.Float32 = from.Float32;
  to.Float36 = from.Float36;
  to.Date40 = from.Date40;
}
