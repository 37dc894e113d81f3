// The category table: layouts, file specifications, record operations and the conversion.
#include "tables/catalog/category.h"

#include "recfile/table_ops.h"

using recfile::Enc;
using recfile::Length;

// Bytes 44 to 47 belong to the record but carry nothing this system knows: written as zero.
const recfile::Layout<CCategory> kCategoryLayout{
    48,
    {
        {0, 5, Enc::UpperText, &CCategory::CategoryCode},
        {5, 3, Enc::UpperText, &CCategory::Text5},
        {8, 30, Enc::Text, &CCategory::Text8},
        {38, 2, Enc::UpperText, &CCategory::Text38},
        {40, 4, Enc::Int32, &CCategory::Number40},
    }};

const recfile::Layout<CCategory0308> kCategory0308Layout{
    44,
    {
        {0, 5, Enc::UpperText, &CCategory0308::CategoryCode},
        {5, 3, Enc::UpperText, &CCategory0308::Text5},
        {8, 30, Enc::Text, &CCategory0308::Text8},
        {38, 2, Enc::UpperText, &CCategory0308::Text38},
        {40, 4, Enc::Int32, &CCategory0308::Number40},
    }};

recfile::FileSpec CategoryFileSpec(uint16_t recordLength) {
  return {recordLength, false, {{{1, 5, 0x00}}}};
}

namespace {

// Finds the record of `code` on key 0 and rewrites it with `record`.
template <class R>
int UpdateCategory(CBtrieveDB& table, const recfile::Layout<R>& layout, R& record, uint8_t* key) {
  recfile::WriteText(key, 5, record.CategoryCode);
  // Both layouts look the record up in a buffer of the current record's length.
  return recfile::UpdateFound(table, layout, record, key, 0, kCategoryLayout.length);
}

int DeleteCategory(CBtrieveDB& table, uint8_t* key, const CString& code) {
  recfile::WriteText(key, 5, code);
  return recfile::DeleteByKey(table, key, 0);
}

}  // namespace

int CCategoryDB::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, CategoryFileSpec(48), fileName);
}

int CCategoryDB::InsertRecord(CCategory& record) {
  return recfile::InsertRecord(*this, kCategoryLayout, record, m_Key0, 0);
}

int CCategoryDB::UpdateRecord(CCategory& record) {
  return UpdateCategory(*this, kCategoryLayout, record, m_Key0);
}

int CCategoryDB::DeleteRecord(const CString& categoryCode) {
  return DeleteCategory(*this, m_Key0, categoryCode);
}

int CCategory0308DB::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, CategoryFileSpec(44), fileName);
}

int CCategory0308DB::ReadFirst(CCategory0308& record) {
  return recfile::ReadRecord(*this, &CBtrieveDB::GetFirst, kCategory0308Layout, record, m_Key0, 0,
                             Length::Exact);
}

int CCategory0308DB::ReadNext(CCategory0308& record) {
  return recfile::ReadRecord(*this, &CBtrieveDB::GetNext, kCategory0308Layout, record, m_Key0, 0,
                             Length::Exact);
}

int CCategory0308DB::InsertRecord(CCategory0308& record) {
  return recfile::InsertRecord(*this, kCategory0308Layout, record, m_Key0, 0);
}

int CCategory0308DB::UpdateRecord(CCategory0308& record) {
  return UpdateCategory(*this, kCategory0308Layout, record, m_Key0);
}

int CCategory0308DB::DeleteRecord(const CString& categoryCode) {
  return DeleteCategory(*this, m_Key0, categoryCode);
}

void ConvertRecord(const CCategory0308& from, CCategory& to) {
  to.CategoryCode = from.CategoryCode;
  to.Text8 = from.Text8;
  to.Text5 = from.Text5;
  to.Text38 = from.Text38;
  to.Number40 = from.Number40;
  to.Extra = 1;
}
