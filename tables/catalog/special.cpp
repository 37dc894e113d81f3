// The special table: layout, file specification, the date rule and record operations.
#include "tables/catalog/special.h"

#include <ctime>

#include "recfile/table_ops.h"
#include "tables/catalog/catalog_codec.h"

using recfile::Enc;
using recfile::Length;

namespace {

// Flag28 is "Y" for any non-zero value, Flag29 and Flag48 only for a positive one.
template <int32_t CSpecial::*M>
void ParseFlag(const uint8_t* field, size_t, CSpecial& record) {
  record.*M = field[0] == 'Y' ? 1 : 0;
}

template <int32_t CSpecial::*M>
void FormatNonZeroFlag(CSpecial& record, uint8_t* field, size_t) {
  field[0] = record.*M != 0 ? 'Y' : 'N';
}

template <int32_t CSpecial::*M>
void FormatPositiveFlag(CSpecial& record, uint8_t* field, size_t) {
  field[0] = record.*M > 0 ? 'Y' : 'N';
}

constexpr recfile::CustomCodec<CSpecial> kFlag28{&ParseFlag<&CSpecial::Flag28>,
                                                 &FormatNonZeroFlag<&CSpecial::Flag28>};
constexpr recfile::CustomCodec<CSpecial> kFlag29{&ParseFlag<&CSpecial::Flag29>,
                                                 &FormatPositiveFlag<&CSpecial::Flag29>};
constexpr recfile::CustomCodec<CSpecial> kFlag48{&ParseFlag<&CSpecial::Flag48>,
                                                 &FormatPositiveFlag<&CSpecial::Flag48>};

}  // namespace

// The three texts are read as stored and written upper case.
const recfile::Layout<CSpecial> kSpecialLayout{
    52,
    {
        {0, 6, Enc::Custom, catalog::UpperOnWrite<CSpecial, &CSpecial::Text0>()},
        {6, 12, Enc::Custom, catalog::UpperOnWrite<CSpecial, &CSpecial::Text6>()},
        {18, 3, Enc::Custom, catalog::UpperOnWrite<CSpecial, &CSpecial::Text18>()},
        {24, 4, Enc::Time32, &CSpecial::Date24},
        {28, 1, Enc::Custom, kFlag28},
        {29, 1, Enc::Custom, kFlag29},
        {32, 4, Enc::Float32, &CSpecial::Amount32},
        {36, 4, Enc::Float32, &CSpecial::Amount36},
        {40, 4, Enc::Float32, &CSpecial::Amount40},
        {44, 4, Enc::Float32, &CSpecial::Amount44},
        {48, 1, Enc::Custom, kFlag48},
    }};

recfile::FileSpec SpecialFileSpec() {
  return {52, false, {{{1, 21, 0x00}}, {{7, 15, 0x01}}}};
}

bool SpecialHasPassed(int64_t date, int64_t now) {
  return date < now;
}

int CSpecialDB::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, SpecialFileSpec(), fileName);
}

int CSpecialDB::ReadCurrent(recfile::GetOp get, CSpecial& record, int keyNum, bool keepAll) {
  uint8_t* key = keyNum == 0 ? m_Key0 : m_Key1;
  const int8_t path = static_cast<int8_t>(keyNum);
  int status = recfile::ReadRecord(*this, get, kSpecialLayout, record, key, path, Length::Exact);
  while (status == 0 && !keepAll &&
         SpecialHasPassed(record.Date24, static_cast<int64_t>(std::time(nullptr)))) {
    status = recfile::ReadRecord(*this, &CBtrieveDB::GetNext, kSpecialLayout, record, key, path,
                                 Length::Exact);
  }
  return status;
}

int CSpecialDB::ReadFirst(CSpecial& record, int keyNum) {
  return ReadCurrent(&CBtrieveDB::GetFirst, record, keyNum, false);
}

int CSpecialDB::ReadNext(CSpecial& record, int keyNum, bool keepAll) {
  return ReadCurrent(&CBtrieveDB::GetNext, record, keyNum, keepAll);
}

int CSpecialDB::InsertRecord(CSpecial& record) {
  return recfile::InsertRecord(*this, kSpecialLayout, record, m_Key0, 0);
}

int CSpecialDB::UpdateRecord(CSpecial& record) {
  // Key 0 is the record's first 21 bytes; formatting upper-cases the three texts in `record`.
  recfile::KeyFromRecord(kSpecialLayout, record, m_Key0, 1, sizeof m_Key0);
  return recfile::UpdateFound(*this, kSpecialLayout, record, m_Key0, 0, kSpecialLayout.length);
}

int CSpecialDB::DeleteRecord(const CString& keyValue) {
  recfile::WriteText(m_Key0, sizeof m_Key0, keyValue);
  for (uint8_t& b : m_Key0) {
    b = static_cast<uint8_t>(recfile::UpperChar(static_cast<char>(b)));
  }
  return recfile::DeleteByKey(*this, m_Key0, 0);
}
