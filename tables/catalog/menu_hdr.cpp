// The menu header table: layouts, file specifications, record operations and the conversion.
#include "tables/catalog/menu_hdr.h"

#include <ctime>

#include "recfile/table_ops.h"

using recfile::Enc;
using recfile::Length;

// The three short texts are written upper case and filled with spaces.
const recfile::Layout<CMenuHdr> kMenuHdrLayout{127,
                                               {
                                                   {0, 1, Enc::RawChar, &CMenuHdr::Code0},
                                                   {1, 8, Enc::SpaceText, &CMenuHdr::Text1},
                                                   {9, 14, Enc::SpaceText, &CMenuHdr::Text9},
                                                   {23, 14, Enc::SpaceText, &CMenuHdr::Text23},
                                                   {37, 30, Enc::Text, &CMenuHdr::Text37},
                                                   {67, 20, Enc::Text, &CMenuHdr::Text67},
                                                   {88, 8, Enc::Double, &CMenuHdr::Amount88},
                                                   {96, 8, Enc::Double, &CMenuHdr::Amount96},
                                                   {104, 8, Enc::Double, &CMenuHdr::Amount104},
                                                   {112, 8, Enc::Double, &CMenuHdr::Amount112},
                                                   {120, 4, Enc::Time32, &CMenuHdr::Date120},
                                                   {124, 0, Enc::Note, &CMenuHdr::Note},
                                               }};

const recfile::Layout<CMenuHdr0403> kMenuHdr0403Layout{
    111,
    {
        {0, 1, Enc::RawChar, &CMenuHdr0403::Code0},
        {1, 8, Enc::UpperOnRead, &CMenuHdr0403::Text1},
        {9, 14, Enc::UpperOnRead, &CMenuHdr0403::Text9},
        {23, 14, Enc::UpperOnRead, &CMenuHdr0403::Text23},
        {37, 30, Enc::Text, &CMenuHdr0403::Text37},
        {72, 8, Enc::Double, &CMenuHdr0403::Amount88},
        {80, 8, Enc::Double, &CMenuHdr0403::Amount96},
        {88, 8, Enc::Double, &CMenuHdr0403::Amount104},
        {96, 8, Enc::Double, &CMenuHdr0403::Amount112},
        {104, 4, Enc::Time32, &CMenuHdr0403::Date120},
        {108, 0, Enc::Note, &CMenuHdr0403::Note},
    }};

recfile::FileSpec MenuHdrFileSpec(uint16_t recordLength) {
  return {recordLength, true, {{{1, 9, 0x03}}, {{10, 14, 0x00}}}};
}

int CMenuHdrDB::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, MenuHdrFileSpec(127), fileName);
}

int CMenuHdrDB::InsertRecord(CMenuHdr& record) {
  // The stored record carries the time of the insert; the caller's record keeps its own.
  const int64_t kept = record.Date120;
  record.Date120 = static_cast<int64_t>(std::time(nullptr));
  const int status = recfile::InsertRecord(*this, kMenuHdrLayout, record, m_Key1, 1);
  record.Date120 = kept;
  return status;
}

int CMenuHdr0403DB::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, MenuHdrFileSpec(111), fileName);
}

int CMenuHdr0403DB::ReadFirst(CMenuHdr0403& record) {
  return recfile::ReadRecord(*this, &CBtrieveDB::GetFirst, kMenuHdr0403Layout, record, m_Key0, 0,
                             Length::Any, 4208);
}

int CMenuHdr0403DB::ReadNext(CMenuHdr0403& record) {
  return recfile::ReadRecord(*this, &CBtrieveDB::GetNext, kMenuHdr0403Layout, record, m_Key0, 0,
                             Length::Any, 4208);
}

int CMenuHdr0403DB::InsertRecord(CMenuHdr0403& record) {
  return recfile::InsertRecord(*this, kMenuHdr0403Layout, record, m_Key1, 1);
}

void ConvertRecord(const CMenuHdr0403& from, CMenuHdr& to) {
  to.Text9 = from.Text9;
  to.Text1 = from.Text1;
  to.Text37 = from.Text37;
  to.Note = from.Note;
  to.Code0 = from.Code0;
  to.Date120 = from.Date120;
  to.Text67.clear();
  to.Text23 = from.Text23;
  to.Amount88 = from.Amount88;
  to.Amount96 = from.Amount96;
  to.Amount104 = from.Amount104;
  to.Amount112 = from.Amount112;
}
