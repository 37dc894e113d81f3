// The terms table: layouts, file specifications and the conversion from 0204.
#include "tables/orders/terms.h"

#include "recfile/file_definition.h"
#include "recfile/table_ops.h"

using recfile::Enc;
using recfile::Length;

// Bytes 22 and 23 are padding (written as zero).
const recfile::Layout<CTerms> kTermsLayout{40,
                                           {
                                               {0, 2, Enc::Text, &CTerms::Code},
                                               {2, 20, Enc::Text, &CTerms::Description},
                                               {24, 4, Enc::Int32, &CTerms::Value1},
                                               {28, 4, Enc::Int32, &CTerms::Value2},
                                               {32, 4, Enc::Int32, &CTerms::Value3},
                                               {36, 4, Enc::Int32, &CTerms::Value4},
                                           }};

const recfile::Layout<CTerms0204> kTerms0204Layout{22,
                                                   {
                                                       {0, 2, Enc::Text, &CTerms0204::Code},
                                                       {2, 20, Enc::Text, &CTerms0204::Description},
                                                   }};

namespace {

recfile::FileSpec TermsSpec(uint16_t recordLength) {
  return {recordLength, false, {{{1, 2, 0}}}};
}

// Puts a code into a two-byte key buffer as the text encoding stores it.
void SetCodeKey(uint8_t* key, const CString& code) {
  recfile::WriteText(key, 2, code);
}

}  // namespace

int CTermsDB::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, TermsSpec(40), fileName);
}

int CTermsDB::InsertRecord(CTerms& record) {
  return recfile::InsertRecord(*this, kTermsLayout, record, m_Key0, 0);
}

int CTermsDB::UpdateRecord(CTerms& record) {
  SetCodeKey(m_Key0, record.Code);
  return recfile::UpdateFound(*this, kTermsLayout, record, m_Key0, 0, kTermsLayout.length);
}

int CTermsDB::DeleteRecord(const CString& code) {
  SetCodeKey(m_Key0, code);
  return recfile::DeleteByKey(*this, m_Key0, 0);
}

int CTerms0204DB::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, TermsSpec(22), fileName);
}

int CTerms0204DB::ReadFirst(CTerms0204& record) {
  return recfile::ReadRecord(*this, &CBtrieveDB::GetFirst, kTerms0204Layout, record, m_Key0, 0,
                             Length::Exact);
}

int CTerms0204DB::ReadNext(CTerms0204& record) {
  return recfile::ReadRecord(*this, &CBtrieveDB::GetNext, kTerms0204Layout, record, m_Key0, 0,
                             Length::Exact);
}

int CTerms0204DB::InsertRecord(CTerms0204& record) {
  return recfile::InsertRecord(*this, kTerms0204Layout, record, m_Key0, 0);
}

int CTerms0204DB::UpdateRecord(CTerms0204& record) {
  SetCodeKey(m_Key0, record.Code);
  return recfile::UpdateFound(*this, kTerms0204Layout, record, m_Key0, 0, kTerms0204Layout.length);
}

int CTerms0204DB::DeleteRecord(const CString& code) {
  SetCodeKey(m_Key0, code);
  return recfile::DeleteByKey(*this, m_Key0, 0);
}

void ConvertRecord(const CTerms0204& from, CTerms& to) {
  to.Code = from.Code;
  to.Description = from.Description;
  to.Value1 = 0;
  to.Value2 = 0;
  to.Value3 = 0;
  to.Value4 = 0;
}
