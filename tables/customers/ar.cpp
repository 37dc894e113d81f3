// The accounts receivable table: layouts, file specifications and the conversion from 0204.
#include "tables/customers/ar.h"

#include "recfile/file_definition.h"
#include "recfile/table_ops.h"

using recfile::Enc;
using recfile::Length;

// Reserved bytes (6-7, 54-55, 65-67) are written as zero.
const recfile::Layout<CAr> kArLayout{68,
                                     {
                                         {0, 6, Enc::Text, &CAr::CustomerNumber},
                                         {8, 4, Enc::Time32, &CAr::Date8},
                                         {12, 4, Enc::Time32, &CAr::Date12},
                                         {16, 20, Enc::Text, &CAr::Text16},
                                         {36, 8, Enc::Text, &CAr::Text36},
                                         {44, 8, Enc::Text, &CAr::Text44},
                                         {52, 2, Enc::Text, &CAr::Text52},
                                         {56, 4, Enc::Float32, &CAr::Float56},
                                         {60, 4, Enc::Float32, &CAr::Float60},
                                         {64, 1, Enc::YesNo, &CAr::Flag64},
                                     }};

// The 0204 layout keeps the three short texts in upper case: reading upper-cases them.
const recfile::Layout<CAr0204> kAr0204Layout{64,
                                             {
                                                 {0, 6, Enc::Text, &CAr0204::CustomerNumber},
                                                 {8, 4, Enc::Time32, &CAr0204::Date8},
                                                 {12, 20, Enc::Text, &CAr0204::Text16},
                                                 {32, 8, Enc::UpperText, &CAr0204::Text36},
                                                 {40, 8, Enc::UpperText, &CAr0204::Text44},
                                                 {48, 2, Enc::UpperText, &CAr0204::Text52},
                                                 {52, 4, Enc::Float32, &CAr0204::Float56},
                                                 {56, 4, Enc::Float32, &CAr0204::Float60},
                                                 {60, 1, Enc::YesNo, &CAr0204::Flag64},
                                             }};

namespace {

recfile::FileSpec ArSpec(uint16_t recordLength) {
  return {recordLength, false, {{{1, 6, 0x01}}}};
}

}  // namespace

int CArDB::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, ArSpec(68), fileName);
}

int CArDB::InsertRecord(CAr& record) {
  return recfile::InsertRecord(*this, kArLayout, record, m_Key0, 0);
}

int CAr0204DB::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, ArSpec(64), fileName);
}

int CAr0204DB::ReadFirst(CAr0204& record) {
  return recfile::ReadRecord(*this, &CBtrieveDB::GetFirst, kAr0204Layout, record, m_Key0, 0,
                             Length::Exact);
}

int CAr0204DB::ReadNext(CAr0204& record) {
  return recfile::ReadRecord(*this, &CBtrieveDB::GetNext, kAr0204Layout, record, m_Key0, 0,
                             Length::Exact);
}

int CAr0204DB::InsertRecord(CAr0204& record) {
  return recfile::InsertRecord(*this, kAr0204Layout, record, m_Key0, 0);
}

void ConvertRecord(const CAr0204& from, CAr& to) {
  to.CustomerNumber = from.CustomerNumber;
  to.Text16 = from.Text16;
  to.Text36 = from.Text36;
  to.Text44 = from.Text44;
  to.Text52 = from.Text52;
  to.Date8 = from.Date8;
  to.Date12 = from.Date8;
  to.Float56 = from.Float56;
  to.Float60 = from.Float60;
  to.Flag64 = from.Flag64;
}
