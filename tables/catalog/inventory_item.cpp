// The inventory item table: layout, file specification and record operations.
#include "tables/catalog/inventory_item.h"

#include <cstdio>
#include <cstring>

#include "recfile/table_ops.h"

using recfile::Enc;
using recfile::Length;

namespace {

template <CString CInventoryItem::*M>
void ParseUpper(const uint8_t* field, size_t width, CInventoryItem& record) {
  record.*M = recfile::ReadText(field, width);
  recfile::UpperInPlace(record.*M);
}

// Upper-cased in the record object, then filled with spaces to the width (in front for a
// right-aligned text, behind otherwise) and cut at the width.
template <CString CInventoryItem::*M, bool kRight>
void FormatSpaceFilled(CInventoryItem& record, uint8_t* field, size_t width) {
  CString& value = record.*M;
  recfile::UpperInPlace(value);
  CString filled = value;
  if (filled.size() < width) {
    filled.insert(kRight ? 0 : filled.size(), width - filled.size(), ' ');
  }
  std::memcpy(field, filled.data(), width);
}

// Seven characters read as a signed decimal number: leading spaces skipped, an optional sign,
// then digits up to the first other character.
void ParseNumber21(const uint8_t* field, size_t width, CInventoryItem& record) {
  size_t i = 0;
  while (i < width && field[i] == ' ') {
    ++i;
  }
  bool negative = false;
  if (i < width && (field[i] == '-' || field[i] == '+')) {
    negative = field[i] == '-';
    ++i;
  }
  int32_t value = 0;
  for (; i < width && field[i] >= '0' && field[i] <= '9'; ++i) {
    value = value * 10 + (field[i] - '0');
  }
  record.Number21 = negative ? -value : value;
}

// "%7.7d", of which the first seven characters are stored: a negative number keeps its sign
// and the first six of its seven digits.
void FormatNumber21(CInventoryItem& record, uint8_t* field, size_t width) {
  char text[16];
  std::snprintf(text, sizeof text, "%7.7d", record.Number21);
  std::memcpy(field, text, width);
}

constexpr recfile::CustomCodec<CInventoryItem> kText0{
    &ParseUpper<&CInventoryItem::Text0>, &FormatSpaceFilled<&CInventoryItem::Text0, true>};
constexpr recfile::CustomCodec<CInventoryItem> kText6{
    &ParseUpper<&CInventoryItem::Text6>, &FormatSpaceFilled<&CInventoryItem::Text6, false>};
constexpr recfile::CustomCodec<CInventoryItem> kText18{
    &ParseUpper<&CInventoryItem::Text18>, &FormatSpaceFilled<&CInventoryItem::Text18, false>};
constexpr recfile::CustomCodec<CInventoryItem> kNumber21{&ParseNumber21, &FormatNumber21};

}  // namespace

// Bytes 32 to 39 are not used and written as zero.
const recfile::Layout<CInventoryItem> kInventoryItemLayout{
    60,
    {
        {0, 6, Enc::Custom, kText0},
        {6, 12, Enc::Custom, kText6},
        {18, 3, Enc::Custom, kText18},
        {21, 7, Enc::Custom, kNumber21},
        {28, 4, Enc::Int32, &CInventoryItem::Number28},
        {40, 4, Enc::Int32, &CInventoryItem::Number40},
        {44, 4, Enc::Float32, &CInventoryItem::Amount44},
        {48, 4, Enc::Int32, &CInventoryItem::Number48},
        {52, 4, Enc::Float32, &CInventoryItem::Amount52},
        {56, 4, Enc::Time32, &CInventoryItem::Date56},
    }};

recfile::FileSpec InventoryItemFileSpec() {
  return {60,
          false,
          {
              {{1, 21, 0x03}},
              {{1, 6, 0x03}, {22, 7, 0x03}},
              {{7, 12, 0x03}},
              {{1, 6, 0x03}},
          }};
}

uint8_t* CInventoryItemDB::KeyBuffer(int keyNum) {
  switch (keyNum) {
    case 1:
      return m_Key1;
    case 2:
      return m_Key2;
    case 3:
      return m_Key3;
    default:
      return m_Key0;
  }
}

int CInventoryItemDB::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, InventoryItemFileSpec(), fileName);
}

int CInventoryItemDB::ReadFirst(CInventoryItem& record) {
  std::memset(m_Key3, 0, sizeof m_Key3);
  const int status = recfile::ReadRecord(*this, &CBtrieveDB::GetFirst, kInventoryItemLayout, record,
                                         m_Key3, 3, Length::Exact);
  m_CurrentKey = 3;
  return status;
}

int CInventoryItemDB::ReadNext(CInventoryItem& record) {
  return recfile::ReadRecord(*this, &CBtrieveDB::GetNext, kInventoryItemLayout, record,
                             KeyBuffer(m_CurrentKey), static_cast<int8_t>(m_CurrentKey),
                             Length::Exact);
}

int CInventoryItemDB::InsertRecord(CInventoryItem& record) {
  m_CurrentKey = 0;
  return recfile::InsertRecord(*this, kInventoryItemLayout, record, m_Key0, 0);
}
