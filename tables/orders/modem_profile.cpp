// The modem profile table: layouts, the scrambling of SecretText, renumbering and conversions.
#include "tables/orders/modem_profile.h"

#include <cstdio>

#include "recfile/file_definition.h"
#include "recfile/table_ops.h"
#include "tables/orders/key_probe.h"

using recfile::Enc;

namespace {

constexpr uint8_t kSecretKey[4] = {0x5A, 0x17, 0xC9, 0x2E};

template <class R>
void ParseSecret(const uint8_t* field, size_t width, R& record) {
  record.SecretText = UnscrambleSecret(recfile::ReadText(field, width));
}

template <class R>
void FormatSecret(R& record, uint8_t* field, size_t width) {
  recfile::WriteText(field, width, ScrambleSecret(record.SecretText));
}

// A yes/no kept as a whole number: "Y" for 1, "N" for anything else; read as 1 for "Y".
template <class R, int32_t R::*Member>
void ParseFlag(const uint8_t* field, size_t, R& record) {
  record.*Member = field[0] == 'Y' ? 1 : 0;
}

template <class R, int32_t R::*Member>
void FormatFlag(R& record, uint8_t* field, size_t) {
  field[0] = record.*Member == 1 ? 'Y' : 'N';
}

template <class R, bool kScrambled>
std::vector<recfile::Field<R>> TextFields() {
  std::vector<recfile::Field<R>> fields = {
      {0, 6, Enc::UpperText, &R::ProfileCode}, {6, 35, Enc::Text, &R::Text35},
      {41, 25, Enc::Text, &R::Text25},         {116, 50, Enc::Text, &R::Text50A},
      {166, 50, Enc::Text, &R::Text50B},       {216, 4, Enc::Int32, &R::Value1},
      {220, 4, Enc::Int32, &R::Value2},
  };
  if constexpr (kScrambled) {
    fields.push_back(
        {66, 50, Enc::Custom, recfile::CustomCodec<R>{&ParseSecret<R>, &FormatSecret<R>}});
    fields.push_back(
        {224, 1, Enc::Custom,
         recfile::CustomCodec<R>{&ParseFlag<R, &R::Flag1>, &FormatFlag<R, &R::Flag1>}});
  } else {
    fields.push_back({66, 50, Enc::Text, &R::SecretText});
  }
  return fields;
}

recfile::Layout<CModemProfile> CurrentLayout() {
  auto fields = TextFields<CModemProfile, true>();
  fields.push_back(
      {225, 1, Enc::Custom,
       recfile::CustomCodec<CModemProfile>{&ParseFlag<CModemProfile, &CModemProfile::Flag2>,
                                           &FormatFlag<CModemProfile, &CModemProfile::Flag2>}});
  return {228, std::move(fields)};
}

recfile::Layout<CModemProfile0208> Layout0208() {
  auto fields = TextFields<CModemProfile0208, false>();
  fields.push_back({224, 4, Enc::Int32, &CModemProfile0208::Value3});
  fields.push_back({228, 4, Enc::Int32, &CModemProfile0208::Value4});
  fields.push_back({232, 1, Enc::YesNo, &CModemProfile0208::Flag1});
  fields.push_back({233, 1, Enc::YesNo, &CModemProfile0208::Flag2});
  return {236, std::move(fields)};
}

recfile::FileSpec ModemSpec(uint16_t recordLength) {
  return {recordLength, false, {{{1, 6, 0}}}};
}

}  // namespace

const recfile::Layout<CModemProfile> kModemProfileLayout = CurrentLayout();
const recfile::Layout<CModemProfile0300> kModemProfile0300Layout{
    228, TextFields<CModemProfile0300, true>()};
const recfile::Layout<CModemProfile0208> kModemProfile0208Layout = Layout0208();

CString ScrambleSecret(const CString& text) {
  CString out;
  uint8_t previous = kSecretKey[0];
  for (size_t i = 0; i < text.size(); ++i) {
    const uint8_t k = kSecretKey[i % 4];
    const uint8_t y = static_cast<uint8_t>((static_cast<uint8_t>(text[i]) ^ k) + previous);
    out.push_back(static_cast<char>('A' + (y >> 2)));
    out.push_back(static_cast<char>('A' + ((y & 3) << 4) + (k & 15)));
    previous = y;
  }
  return out;
}

CString UnscrambleSecret(const CString& stored) {
  CString out;
  uint8_t previous = kSecretKey[0];
  for (size_t i = 0; 2 * i + 1 < stored.size(); ++i) {
    const int a = static_cast<uint8_t>(stored[2 * i]) - 'A';
    const int b = static_cast<uint8_t>(stored[2 * i + 1]) - 'A';
    const uint8_t y = static_cast<uint8_t>(a * 4 + ((b >> 4) & 3));
    out.push_back(static_cast<char>(static_cast<uint8_t>(y - previous) ^ kSecretKey[i % 4]));
    previous = y;
  }
  return out;
}

// ---- Tables ----

int CModemProfileDB::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, ModemSpec(228), fileName);
}

int32_t CModemProfileDB::FirstCandidate(uint64_t calls, uint32_t records) const {
  const bool holds = m_Taken.known && m_Taken.calls == calls && m_Taken.records == records;
  return holds ? m_Taken.next : 1;
}

int CModemProfileDB::InsertRecord(CModemProfile& record) {
  const uint64_t calls = CallCount();  // before the record count is asked for
  const uint32_t records = GetRecordCount();
  int32_t n = FirstCandidate(calls, records);
  m_Taken.known = false;
  char code[16];
  for (;; ++n) {
    std::snprintf(code, sizeof code, "%.6d", n);
    uint8_t key[6];
    recfile::WriteText(key, sizeof key, code);
    if (orders::ProbeKey(*this, key, 0) != 0) {
      break;
    }
  }
  record.ProfileCode = code;
  const int status = recfile::InsertRecord(*this, kModemProfileLayout, record, m_Key0, 0);
  if (status == 0) {
    m_Taken = {true, CallCount(), records + 1, n + 1};
  }
  return status;
}

int CModemProfile0300DB::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, ModemSpec(228), fileName);
}

int CModemProfile0300DB::ReadFirst(CModemProfile0300& record) {
  return recfile::ReadRecord(*this, &CBtrieveDB::GetFirst, kModemProfile0300Layout, record, m_Key0,
                             0, recfile::Length::Exact, 228);
}

int CModemProfile0300DB::ReadNext(CModemProfile0300& record) {
  return recfile::ReadRecord(*this, &CBtrieveDB::GetNext, kModemProfile0300Layout, record, m_Key0,
                             0, recfile::Length::Exact, 228);
}

int CModemProfile0208DB::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, ModemSpec(236), fileName);
}

int CModemProfile0208DB::ReadFirst(CModemProfile0208& record) {
  return recfile::ReadRecord(*this, &CBtrieveDB::GetFirst, kModemProfile0208Layout, record, m_Key0,
                             0, recfile::Length::Exact, 236);
}

int CModemProfile0208DB::ReadNext(CModemProfile0208& record) {
  return recfile::ReadRecord(*this, &CBtrieveDB::GetNext, kModemProfile0208Layout, record, m_Key0,
                             0, recfile::Length::Exact, 236);
}

// ---- Conversions ----

void ConvertRecord(const CModemProfile0208& from, CModemProfile& to) {
  to.ProfileCode = from.ProfileCode;
  to.Text35 = from.Text35;
  to.Text25.clear();
  to.SecretText.clear();
  to.Text50A = from.Text50A;
  to.Text50B = from.Text50B;
  to.Value1 = from.Value2;
  to.Value2 = 21;
  to.Flag1 = from.Flag2 ? 1 : 0;
  to.Flag2 = 1;
}

void ConvertRecord(const CModemProfile0300& from, CModemProfile& to) {
  to.ProfileCode = from.ProfileCode;
  to.Text35 = from.Text35;
  to.Text25 = from.Text25;
  to.SecretText = from.SecretText;
  to.Text50A = from.Text50A;
  to.Text50B = from.Text50B;
  to.Value1 = from.Value1;
  to.Value2 = 21;
  to.Flag1 = from.Flag1;
  to.Flag2 = 1;
}
