// The price sequence table: layouts, file specifications and the conversion from 0201.
#include "tables/customers/price_seq.h"

#include "recfile/file_definition.h"
#include "recfile/table_ops.h"
#include "tables/customers/keyed_ops.h"

using recfile::Enc;
using recfile::Length;

namespace {

// Text40 is upper text whose trailing white space is dropped before it is written, so that a
// value padded with spaces is stored NUL-filled like any other text.
void ParseText40(const uint8_t* field, size_t width, CPriceSeq& record) {
  record.Text40 = recfile::ReadText(field, width);
  recfile::UpperInPlace(record.Text40);
}

void FormatText40(CPriceSeq& record, uint8_t* field, size_t width) {
  recfile::UpperInPlace(record.Text40);
  const size_t end = record.Text40.find_last_not_of(" \t\r\n\v\f");
  recfile::WriteText(field, width,
                     end == CString::npos ? CString() : record.Text40.substr(0, end + 1));
}

}  // namespace

// Bytes 70-71 are reserved.
const recfile::Layout<CPriceSeq> kPriceSeqLayout{
    108,
    {
        {0, 4, Enc::UpperText, &CPriceSeq::Text0},
        {4, 6, Enc::UpperText, &CPriceSeq::CustomerNumber},
        {10, 30, Enc::Text, &CPriceSeq::Text10},
        {40, 30, Enc::Custom, recfile::CustomCodec<CPriceSeq>{ParseText40, FormatText40}},
        {72, 36, Enc::Int32, &CPriceSeq::Sequence, 9},
    }};

const recfile::Layout<CPriceSeq0201> kPriceSeq0201Layout{
    72,
    {
        {0, 4, Enc::UpperText, &CPriceSeq0201::Text0},
        {4, 6, Enc::UpperText, &CPriceSeq0201::CustomerNumber},
        {10, 30, Enc::Text, &CPriceSeq0201::Text10},
        {40, 32, Enc::Int32, &CPriceSeq0201::Sequence, 8},
    }};

namespace {

recfile::FileSpec PriceSeqSpec(uint16_t recordLength) {
  return {recordLength, false, {{{1, 4, 3}}, {{5, 6, 3}}, {{1, 10, 0}}}};
}

}  // namespace

// ---- CPriceSeqDB ----

int CPriceSeqDB::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, PriceSeqSpec(108), fileName);
}

int CPriceSeqDB::InsertRecord(CPriceSeq& record) {
  m_CurrentKey = 2;
  return recfile::InsertRecord(*this, kPriceSeqLayout, record, m_Key2, 2);
}

int CPriceSeqDB::UpdateRecord(CPriceSeq& record) {
  m_CurrentKey = 2;
  recfile::KeyFromRecord(kPriceSeqLayout, record, m_Key2, 1, sizeof m_Key2);
  return recfile::UpdateFound(*this, kPriceSeqLayout, record, m_Key2, 2);
}

int CPriceSeqDB::DeleteRecord(CPriceSeq& record) {
  m_CurrentKey = 2;
  recfile::KeyFromRecord(kPriceSeqLayout, record, m_Key2, 1, sizeof m_Key2);
  return recfile::DeleteByKey(*this, m_Key2, 2);
}

// ---- CPriceSeq0201DB ----

uint8_t* CPriceSeq0201DB::KeyBuffer(int keyNum) {
  uint8_t* const keys[] = {m_Key0, m_Key1, m_Key2};
  return keyNum >= 0 && keyNum < 3 ? keys[keyNum] : nullptr;
}

int CPriceSeq0201DB::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, PriceSeqSpec(72), fileName);
}

int CPriceSeq0201DB::ReadFirst(CPriceSeq0201& record, int keyNum) {
  uint8_t* key = KeyBuffer(keyNum);
  if (key == nullptr) {
    return btr::kInvalidKeyNumber;
  }
  m_CurrentKey = keyNum;
  return recfile::ReadRecord(*this, &CBtrieveDB::GetFirst, kPriceSeq0201Layout, record, key,
                             static_cast<int8_t>(keyNum), Length::Exact, 72);
}

int CPriceSeq0201DB::ReadNext(CPriceSeq0201& record, int keyNum) {
  uint8_t* key = KeyBuffer(keyNum);
  if (key == nullptr) {
    return btr::kInvalidKeyNumber;
  }
  if (keyNum != m_CurrentKey) {
    const int status = customers::RepositionOnKey(*this, 72, key, static_cast<int8_t>(keyNum));
    if (status != 0) {
      return status;
    }
    m_CurrentKey = keyNum;
  }
  return recfile::ReadRecord(*this, &CBtrieveDB::GetNext, kPriceSeq0201Layout, record, key,
                             static_cast<int8_t>(keyNum), Length::Exact, 72);
}

int CPriceSeq0201DB::InsertRecord(CPriceSeq0201& record) {
  m_CurrentKey = 2;
  return recfile::InsertRecord(*this, kPriceSeq0201Layout, record, m_Key2, 2);
}

int CPriceSeq0201DB::UpdateRecord(CPriceSeq0201& record) {
  m_CurrentKey = 2;
  recfile::KeyFromRecord(kPriceSeq0201Layout, record, m_Key2, 1, sizeof m_Key2);
  return recfile::UpdateFound(*this, kPriceSeq0201Layout, record, m_Key2, 2);
}

int CPriceSeq0201DB::DeleteRecord(CPriceSeq0201& record) {
  m_CurrentKey = 2;
  recfile::KeyFromRecord(kPriceSeq0201Layout, record, m_Key2, 1, sizeof m_Key2);
  return recfile::DeleteByKey(*this, m_Key2, 2);
}

// ---- Conversion ----

void ConvertRecord(const CPriceSeq0201& from, CPriceSeq& to) {
  to.Text0 = from.Text0;
  to.CustomerNumber = from.CustomerNumber;
  to.Text10 = from.Text10;
  to.Text40 = "";
  to.Sequence.assign(9, 0);
  for (size_t i = 0; i < 8 && i < from.Sequence.size(); ++i) {
    to.Sequence[i] = from.Sequence[i];
  }
  to.Sequence[8] = -1;
}
