// The item table: layouts, file specifications, record operations and conversions.
#include "tables/catalog/item.h"

#include <algorithm>

#include "recfile/table_ops.h"
#include "tables/catalog/catalog_codec.h"

using recfile::Enc;
using recfile::Length;

// Text278 and Text328 are read as they stand but written upper case; Text58, Text96, Text348
// and the note keep their case both ways.
const recfile::Layout<CItem> kItemLayout{
    387,
    {
        {0, 12, Enc::UpperText, &CItem::ItemNumber},
        {12, 3, Enc::UpperText, &CItem::Text12},
        {15, 5, Enc::UpperText, &CItem::Text15},
        {20, 10, Enc::UpperText, &CItem::Text20},
        {32, 4, Enc::Float32, &CItem::Amount32},
        {36, 4, Enc::Float32, &CItem::Amount36},
        {40, 1, Enc::YesNo, &CItem::Flag40},
        {41, 4, Enc::UpperText, &CItem::Text41},
        {48, 4, Enc::Int32, &CItem::Number48},
        {52, 4, Enc::Int32, &CItem::Number52},
        {56, 2, Enc::UpperText, &CItem::Text56},
        {58, 15, Enc::Text, &CItem::Text58},
        {76, 4, Enc::Int32, &CItem::Number76},
        {80, 1, Enc::YesNo, &CItem::Flag80},
        {81, 1, Enc::Char, &CItem::Code81},
        {84, 4, Enc::Float32, &CItem::Amount84},
        {88, 4, Enc::Int32, &CItem::Number88},
        {92, 4, Enc::Float32, &CItem::Amount92},
        {96, 50, Enc::Text, &CItem::Text96},
        {146, 1, Enc::YesNo, &CItem::Flag146},
        {148, 4, Enc::Float32, &CItem::Amount148},
        {152, 3, Enc::UpperText, &CItem::Text152},
        {155, 1, Enc::Char, &CItem::Code155},
        {156, 4, Enc::Float32, &CItem::Amount156},
        {160, 4, Enc::Float32, &CItem::Amount160},
        {164, 4, Enc::Float32, &CItem::Amount164},
        {168, 3, Enc::UpperText, &CItem::Text168},
        {171, 1, Enc::YesNo, &CItem::Flag171},
        {172, 1, Enc::YesNo, &CItem::Flag172},
        {176, 4, Enc::Float32, &CItem::Amount176},
        {180, 3, Enc::UpperText, &CItem::Text180},
        {184, 4, Enc::Int32, &CItem::Number184},
        {188, 4, Enc::Int32, &CItem::Number188},
        {192, 4, Enc::Float32, &CItem::Amount192},
        {196, 1, Enc::YesNo, &CItem::Flag196},
        {197, 1, Enc::YesNo, &CItem::Flag197},
        {198, 1, Enc::Char, &CItem::Code198},
        {199, 12, Enc::UpperText, &CItem::Text199},
        {211, 12, Enc::UpperText, &CItem::Text211},
        {223, 1, Enc::YesNo, &CItem::Flag223},
        {224, 1, Enc::YesNo, &CItem::Flag224},
        {225, 9, Enc::UpperText, &CItem::CodeList, 3},
        {234, 6, Enc::UpperText, &CItem::Text234},
        {240, 15, Enc::UpperText, &CItem::Text240},
        {255, 2, Enc::UpperText, &CItem::Text255},
        {260, 12, Enc::Float32, &CItem::AmountList, 3},
        {272, 4, Enc::Time32, &CItem::Date272},
        {276, 2, Enc::UpperText, &CItem::Text276},
        {278, 50, Enc::Custom, catalog::UpperOnWrite<CItem, &CItem::Text278>()},
        {328, 15, Enc::Custom, catalog::UpperOnWrite<CItem, &CItem::Text328>()},
        {344, 4, Enc::Float32, &CItem::Amount344},
        {348, 25, Enc::Text, &CItem::Text348},
        {376, 4, Enc::Int32, &CItem::Number376},
        {380, 4, Enc::Float32, &CItem::Amount380},
        {384, 0, Enc::Note, &CItem::Note},
    }};

// The current layout up to offset 343, with a character at 81 that is not carried forward.
const recfile::Layout<CItem0400> kItem0400Layout{
    343,
    {
        {0, 12, Enc::UpperText, &CItem0400::ItemNumber},
        {12, 3, Enc::UpperText, &CItem0400::Text12},
        {15, 5, Enc::UpperText, &CItem0400::Text15},
        {20, 10, Enc::UpperText, &CItem0400::Text20},
        {32, 4, Enc::Float32, &CItem0400::Amount32},
        {36, 4, Enc::Float32, &CItem0400::Amount36},
        {40, 1, Enc::YesNo, &CItem0400::Flag40},
        {41, 4, Enc::UpperText, &CItem0400::Text41},
        {48, 4, Enc::Int32, &CItem0400::Number48},
        {52, 4, Enc::Int32, &CItem0400::Number52},
        {56, 2, Enc::UpperText, &CItem0400::Text56},
        {58, 15, Enc::Text, &CItem0400::Text58},
        {76, 4, Enc::Int32, &CItem0400::Number76},
        {80, 1, Enc::YesNo, &CItem0400::Flag80},
        {81, 1, Enc::Char, &CItem0400::LegacyCode81},
        {84, 4, Enc::Float32, &CItem0400::Amount84},
        {88, 4, Enc::Int32, &CItem0400::Number88},
        {92, 4, Enc::Float32, &CItem0400::Amount92},
        {96, 50, Enc::Text, &CItem0400::Text96},
        {146, 1, Enc::YesNo, &CItem0400::Flag146},
        {148, 4, Enc::Float32, &CItem0400::Amount148},
        {152, 3, Enc::UpperText, &CItem0400::Text152},
        {155, 1, Enc::Char, &CItem0400::Code155},
        {156, 4, Enc::Float32, &CItem0400::Amount156},
        {160, 4, Enc::Float32, &CItem0400::Amount160},
        {164, 4, Enc::Float32, &CItem0400::Amount164},
        {168, 3, Enc::UpperText, &CItem0400::Text168},
        {171, 1, Enc::YesNo, &CItem0400::Flag171},
        {172, 1, Enc::YesNo, &CItem0400::Flag172},
        {176, 4, Enc::Float32, &CItem0400::Amount176},
        {180, 3, Enc::UpperText, &CItem0400::Text180},
        {184, 4, Enc::Int32, &CItem0400::Number184},
        {188, 4, Enc::Int32, &CItem0400::Number188},
        {192, 4, Enc::Float32, &CItem0400::Amount192},
        {196, 1, Enc::YesNo, &CItem0400::Flag196},
        {197, 1, Enc::YesNo, &CItem0400::Flag197},
        {198, 1, Enc::Char, &CItem0400::Code198},
        {199, 12, Enc::UpperText, &CItem0400::Text199},
        {211, 12, Enc::UpperText, &CItem0400::Text211},
        {223, 1, Enc::YesNo, &CItem0400::Flag223},
        {224, 1, Enc::YesNo, &CItem0400::Flag224},
        {225, 9, Enc::UpperText, &CItem0400::CodeList, 3},
        {234, 6, Enc::UpperText, &CItem0400::Text234},
        {240, 15, Enc::UpperText, &CItem0400::Text240},
        {255, 2, Enc::UpperText, &CItem0400::Text255},
        {260, 12, Enc::Float32, &CItem0400::AmountList, 3},
        {272, 4, Enc::Time32, &CItem0400::Date272},
        {276, 2, Enc::UpperText, &CItem0400::Text276},
        {278, 50, Enc::Custom, catalog::UpperOnWrite<CItem0400, &CItem0400::Text278>()},
        {328, 15, Enc::Custom, catalog::UpperOnWrite<CItem0400, &CItem0400::Text328>()},
        {343, 0, Enc::Note, &CItem0400::Note},
    }};

// A 9-character text at 41 instead of Text41 shifts everything from Number48 on by four bytes.
const recfile::Layout<CItem03094> kItem03094Layout{
    347,
    {
        {0, 12, Enc::UpperText, &CItem03094::ItemNumber},
        {12, 3, Enc::UpperText, &CItem03094::Text12},
        {15, 5, Enc::UpperText, &CItem03094::Text15},
        {20, 10, Enc::UpperText, &CItem03094::Text20},
        {32, 4, Enc::Float32, &CItem03094::Amount32},
        {36, 4, Enc::Float32, &CItem03094::Amount36},
        {40, 1, Enc::YesNo, &CItem03094::Flag40},
        {41, 9, Enc::UpperText, &CItem03094::LegacyText41},
        {52, 4, Enc::Int32, &CItem03094::Number48},
        {56, 4, Enc::Int32, &CItem03094::Number52},
        {60, 2, Enc::UpperText, &CItem03094::Text56},
        {62, 15, Enc::Text, &CItem03094::Text58},
        {80, 4, Enc::Int32, &CItem03094::Number76},
        {84, 1, Enc::YesNo, &CItem03094::Flag80},
        {85, 1, Enc::Char, &CItem03094::LegacyCode85},
        {88, 4, Enc::Float32, &CItem03094::Amount84},
        {92, 4, Enc::Int32, &CItem03094::Number88},
        {96, 4, Enc::Float32, &CItem03094::Amount92},
        {100, 50, Enc::Text, &CItem03094::Text96},
        {150, 1, Enc::YesNo, &CItem03094::Flag146},
        {152, 4, Enc::Float32, &CItem03094::Amount148},
        {156, 3, Enc::UpperText, &CItem03094::Text152},
        {159, 1, Enc::Char, &CItem03094::Code155},
        {160, 4, Enc::Float32, &CItem03094::Amount156},
        {164, 4, Enc::Float32, &CItem03094::Amount160},
        {168, 4, Enc::Float32, &CItem03094::Amount164},
        {172, 3, Enc::UpperText, &CItem03094::Text168},
        {175, 1, Enc::YesNo, &CItem03094::Flag171},
        {176, 1, Enc::YesNo, &CItem03094::Flag172},
        {180, 4, Enc::Float32, &CItem03094::Amount176},
        {184, 3, Enc::UpperText, &CItem03094::Text180},
        {188, 4, Enc::Int32, &CItem03094::Number184},
        {192, 4, Enc::Int32, &CItem03094::Number188},
        {196, 4, Enc::Float32, &CItem03094::Amount192},
        {200, 1, Enc::YesNo, &CItem03094::Flag196},
        {201, 1, Enc::YesNo, &CItem03094::Flag197},
        {202, 1, Enc::Char, &CItem03094::Code198},
        {203, 12, Enc::UpperText, &CItem03094::Text199},
        {215, 12, Enc::UpperText, &CItem03094::Text211},
        {227, 1, Enc::YesNo, &CItem03094::Flag223},
        {228, 1, Enc::YesNo, &CItem03094::Flag224},
        {229, 9, Enc::UpperText, &CItem03094::CodeList, 3},
        {238, 6, Enc::UpperText, &CItem03094::Text234},
        {244, 15, Enc::UpperText, &CItem03094::Text240},
        {259, 2, Enc::UpperText, &CItem03094::Text255},
        {264, 12, Enc::Float32, &CItem03094::AmountList, 3},
        {276, 4, Enc::Time32, &CItem03094::Date272},
        {280, 2, Enc::UpperText, &CItem03094::Text276},
        {282, 50, Enc::Custom, catalog::UpperOnWrite<CItem03094, &CItem03094::Text278>()},
        {332, 15, Enc::Custom, catalog::UpperOnWrite<CItem03094, &CItem03094::Text328>()},
        {347, 0, Enc::Note, &CItem03094::Note},
    }};

// Text96 holds 30 characters; the fields behind it sit 20 bytes lower than in 03094.
const recfile::Layout<CItem0308> kItem0308Layout{
    263,
    {
        {0, 12, Enc::UpperText, &CItem0308::ItemNumber},
        {12, 3, Enc::UpperText, &CItem0308::Text12},
        {15, 5, Enc::UpperText, &CItem0308::Text15},
        {20, 10, Enc::UpperText, &CItem0308::Text20},
        {32, 4, Enc::Float32, &CItem0308::Amount32},
        {36, 4, Enc::Float32, &CItem0308::Amount36},
        {40, 1, Enc::YesNo, &CItem0308::Flag40},
        {41, 9, Enc::UpperText, &CItem0308::LegacyText41},
        {52, 4, Enc::Int32, &CItem0308::Number48},
        {56, 4, Enc::Int32, &CItem0308::Number52},
        {60, 2, Enc::UpperText, &CItem0308::Text56},
        {62, 15, Enc::Text, &CItem0308::Text58},
        {80, 4, Enc::Int32, &CItem0308::Number76},
        {84, 1, Enc::YesNo, &CItem0308::Flag80},
        {85, 1, Enc::Char, &CItem0308::LegacyCode85},
        {88, 4, Enc::Float32, &CItem0308::Amount84},
        {92, 4, Enc::Int32, &CItem0308::Number88},
        {96, 4, Enc::Float32, &CItem0308::Amount92},
        {100, 30, Enc::Text, &CItem0308::Text96},
        {130, 1, Enc::YesNo, &CItem0308::Flag146},
        {132, 4, Enc::Float32, &CItem0308::Amount148},
        {136, 3, Enc::UpperText, &CItem0308::Text152},
        {139, 1, Enc::Char, &CItem0308::Code155},
        {140, 4, Enc::Float32, &CItem0308::Amount156},
        {144, 4, Enc::Float32, &CItem0308::Amount160},
        {148, 4, Enc::Float32, &CItem0308::Amount164},
        {152, 3, Enc::UpperText, &CItem0308::Text168},
        {155, 1, Enc::YesNo, &CItem0308::Flag171},
        {156, 1, Enc::YesNo, &CItem0308::Flag172},
        {160, 4, Enc::Float32, &CItem0308::Amount176},
        {164, 3, Enc::UpperText, &CItem0308::Text180},
        {168, 4, Enc::Int32, &CItem0308::Number184},
        {172, 4, Enc::Int32, &CItem0308::Number188},
        {176, 4, Enc::Float32, &CItem0308::Amount192},
        {180, 1, Enc::YesNo, &CItem0308::Flag196},
        {181, 1, Enc::YesNo, &CItem0308::Flag197},
        {182, 1, Enc::Char, &CItem0308::Code198},
        {183, 12, Enc::UpperText, &CItem0308::Text199},
        {195, 12, Enc::UpperText, &CItem0308::Text211},
        {207, 1, Enc::YesNo, &CItem0308::Flag223},
        {208, 1, Enc::YesNo, &CItem0308::Flag224},
        {209, 9, Enc::UpperText, &CItem0308::CodeList, 3},
        {218, 6, Enc::UpperText, &CItem0308::Text234},
        {224, 15, Enc::UpperText, &CItem0308::Text240},
        {239, 2, Enc::UpperText, &CItem0308::Text255},
        {244, 12, Enc::Float32, &CItem0308::AmountList, 3},
        {256, 4, Enc::Time32, &CItem0308::Date272},
        {260, 2, Enc::UpperText, &CItem0308::Text276},
        {262, 0, Enc::Note, &CItem0308::Note},
    }};

// Fixed length; the note is an 8-character text at 140, between Code155 and Amount156.
const recfile::Layout<CItem0208> kItem0208Layout{
    272,
    {
        {0, 12, Enc::UpperText, &CItem0208::ItemNumber},
        {12, 3, Enc::UpperText, &CItem0208::Text12},
        {15, 5, Enc::UpperText, &CItem0208::Text15},
        {20, 10, Enc::UpperText, &CItem0208::Text20},
        {32, 4, Enc::Float32, &CItem0208::Amount32},
        {36, 4, Enc::Float32, &CItem0208::Amount36},
        {40, 1, Enc::YesNo, &CItem0208::Flag40},
        {41, 9, Enc::UpperText, &CItem0208::LegacyText41},
        {52, 4, Enc::Int32, &CItem0208::Number48},
        {56, 4, Enc::Int32, &CItem0208::Number52},
        {60, 2, Enc::UpperText, &CItem0208::Text56},
        {62, 15, Enc::Text, &CItem0208::Text58},
        {80, 4, Enc::Int32, &CItem0208::Number76},
        {84, 1, Enc::YesNo, &CItem0208::Flag80},
        {85, 1, Enc::Char, &CItem0208::LegacyCode85},
        {88, 4, Enc::Float32, &CItem0208::Amount84},
        {92, 4, Enc::Int32, &CItem0208::Number88},
        {96, 4, Enc::Float32, &CItem0208::Amount92},
        {100, 30, Enc::Text, &CItem0208::Text96},
        {130, 1, Enc::YesNo, &CItem0208::Flag146},
        {132, 4, Enc::Float32, &CItem0208::Amount148},
        {136, 3, Enc::UpperText, &CItem0208::Text152},
        {139, 1, Enc::Char, &CItem0208::Code155},
        {140, 8, Enc::Text, &CItem0208::Note},
        {148, 4, Enc::Float32, &CItem0208::Amount156},
        {152, 4, Enc::Float32, &CItem0208::Amount160},
        {156, 4, Enc::Float32, &CItem0208::Amount164},
        {160, 3, Enc::UpperText, &CItem0208::Text168},
        {163, 1, Enc::YesNo, &CItem0208::Flag171},
        {164, 1, Enc::YesNo, &CItem0208::Flag172},
        {168, 4, Enc::Float32, &CItem0208::Amount176},
        {172, 3, Enc::UpperText, &CItem0208::Text180},
        {176, 4, Enc::Int32, &CItem0208::Number184},
        {180, 4, Enc::Int32, &CItem0208::Number188},
        {184, 4, Enc::Float32, &CItem0208::Amount192},
        {188, 1, Enc::YesNo, &CItem0208::Flag196},
        {189, 1, Enc::YesNo, &CItem0208::Flag197},
        {190, 1, Enc::Char, &CItem0208::Code198},
        {191, 12, Enc::UpperText, &CItem0208::Text199},
        {203, 12, Enc::UpperText, &CItem0208::Text211},
        {215, 1, Enc::YesNo, &CItem0208::Flag223},
        {216, 1, Enc::YesNo, &CItem0208::Flag224},
        {217, 9, Enc::UpperText, &CItem0208::CodeList, 3},
        {226, 6, Enc::UpperText, &CItem0208::Text234},
        {232, 15, Enc::UpperText, &CItem0208::Text240},
        {247, 2, Enc::UpperText, &CItem0208::Text255},
        {252, 12, Enc::Float32, &CItem0208::AmountList, 3},
        {264, 4, Enc::Time32, &CItem0208::Date272},
        {268, 2, Enc::UpperText, &CItem0208::Text276},
    }};

recfile::FileSpec ItemFileSpec(uint16_t recordLength, bool variable) {
  return {recordLength,
          variable,
          {
              {{1, 12, 0x00}},
              {{16, 5, 0x03}, {1, 12, 0x03}},
              {{21, 10, 0x03}},
              {{13, 8, 0x03}, {1, 12, 0x03}},
          }};
}

uint8_t* CItemKeys::Buffer(int keyNum) {
  switch (keyNum) {
    case 1:
      return m_Key1;
    case 2:
      return m_Key2;
    case 3:
      return m_Key3;
    default:
      return m_Key0;  // key 0, and any number the record manager will refuse with 6
  }
}

namespace {

// How one item layout is read and written.
template <class R>
struct ItemForm {
  const recfile::Layout<R>& layout;
  size_t readBuffer;  // data buffer of every read
  bool fixed;         // 0208: every record exactly the layout's length, else 22
  // Length written: the note's offset, its text and this many bytes more; 0 keeps the length
  // the codec gives (the fixed length, or the note's offset + text + 4 of the current layout).
  size_t noteTail;
};

const ItemForm<CItem> kCurrentForm{kItemLayout, 4484, false, 0};
const ItemForm<CItem0400> k0400Form{kItem0400Layout, 4440, false, 1};
const ItemForm<CItem03094> k03094Form{kItem03094Layout, 4444, false, 1};
const ItemForm<CItem0308> k0308Form{kItem0308Layout, 4360, false, 2};
const ItemForm<CItem0208> k0208Form{kItem0208Layout, 272, true, 0};

template <class R>
int ReadItem(CBtrieveDB& table, recfile::GetOp get, const ItemForm<R>& form, R& record,
             CItemKeys& keys, int keyNum) {
  return recfile::ReadRecord(table, get, form.layout, record, keys.Buffer(keyNum),
                             static_cast<int8_t>(keyNum), form.fixed ? Length::Exact : Length::Any,
                             form.readBuffer);
}

// Formats `record` and inserts it, or updates the current record with it, on key 0.
template <class R>
int WriteItem(CBtrieveDB& table, const ItemForm<R>& form, R& record, CItemKeys& keys, bool update) {
  uint8_t buffer[recfile::kMaxRecord];
  size_t written = recfile::Format(form.layout, record, buffer);
  if (form.noteTail != 0) {
    written = form.layout.NoteField()->offset + std::min(record.Note.size(), recfile::kMaxNote) +
              form.noteTail;
  }
  uint16_t length = static_cast<uint16_t>(written);
  const int status = update ? table.Update(buffer, &length, keys.m_Key0, 0)
                            : table.Insert(buffer, &length, keys.m_Key0, 0);
  if (status == 0 && form.fixed && length != written) {
    return btr::kDataBufferLength;
  }
  return status;
}

// Key 0 holds item numbers in upper case: the number goes into the buffer as the text encoding
// stores it and is upper-cased there.
void SetItemNumberKey(CItemKeys& keys, const CString& itemNumber) {
  recfile::WriteText(keys.m_Key0, sizeof keys.m_Key0, itemNumber);
  for (uint8_t& b : keys.m_Key0) {
    b = static_cast<uint8_t>(recfile::UpperChar(static_cast<char>(b)));
  }
}

template <class R>
int FindItem(CBtrieveDB& table, const ItemForm<R>& form, R& record, CItemKeys& keys,
             const CString& itemNumber) {
  SetItemNumberKey(keys, itemNumber);
  return ReadItem(table, &CBtrieveDB::GetEqual, form, record, keys, 0);
}

template <class R>
int UpdateItem(CBtrieveDB& table, const ItemForm<R>& form, R& record, R* stored, CItemKeys& keys) {
  R found;
  const int status = FindItem(table, form, found, keys, record.ItemNumber);
  if (status != 0) {
    return status;
  }
  if (stored != nullptr) {
    *stored = found;
  }
  return WriteItem(table, form, record, keys, true);
}

int DeleteItem(CBtrieveDB& table, CItemKeys& keys, const CString& itemNumber) {
  SetItemNumberKey(keys, itemNumber);
  return recfile::DeleteByKey(table, keys.m_Key0, 0);
}

// Trailing spaces of a legacy note are dropped; leading ones and anything else stay.
CString WithoutTrailingSpaces(const CString& s) {
  const size_t end = s.find_last_not_of(' ');
  return end == CString::npos ? CString() : s.substr(0, end + 1);
}

// The fields every legacy layout shares with the current one; the fields the legacy layout
// lacks get the values a new item starts with.
template <class L>
void ConvertCommon(const L& from, CItem& to) {
  to.ItemNumber = from.ItemNumber;
  to.Text12 = from.Text12;
  to.Text15 = from.Text15;
  to.Text20 = from.Text20;
  to.Text56 = from.Text56;
  to.Text58 = from.Text58;
  to.Text96 = from.Text96;
  to.Text152 = from.Text152;
  to.Text168 = from.Text168;
  to.Text180 = from.Text180;
  to.Text199 = from.Text199;
  to.Text211 = from.Text211;
  to.CodeList = from.CodeList;
  to.AmountList = from.AmountList;
  to.Text234 = from.Text234;
  to.Text240 = from.Text240;
  to.Text255 = from.Text255;
  to.Text276 = from.Text276;
  to.Note = WithoutTrailingSpaces(from.Note);
  to.Flag40 = from.Flag40;
  to.Flag146 = from.Flag146;
  to.Flag171 = from.Flag171;
  to.Flag172 = from.Flag172;
  to.Flag196 = from.Flag196;
  to.Flag197 = from.Flag197;
  to.Flag223 = from.Flag223;
  to.Flag224 = from.Flag224;
  to.Flag80 = from.Flag80;
  to.Number88 = from.Number88;
  to.Number48 = from.Number48;
  to.Number52 = from.Number52;
  to.Number76 = from.Number76;
  to.Number184 = from.Number184;
  to.Number188 = from.Number188;
  to.Code155 = from.Code155;
  to.Code198 = from.Code198;
  to.Amount32 = from.Amount32;
  to.Amount36 = from.Amount36;
  to.Amount84 = from.Amount84;
  to.Amount92 = from.Amount92;
  to.Amount148 = from.Amount148;
  to.Amount164 = from.Amount164;
  to.Amount156 = from.Amount156;
  to.Amount160 = from.Amount160;
  to.Amount176 = from.Amount176;
  to.Amount192 = from.Amount192;
  to.Date272 = from.Date272;
  to.Text41.clear();
  to.Text278.clear();
  to.Text328.clear();
  to.Text348.clear();
  to.Code81 = ' ';  // a space even where 0400 has a character at this offset
  to.Amount344 = 0.0f;
  to.Amount380 = 0.0f;
  to.Number376 = 0;
}

}  // namespace

void CItem::Copy(const CItem& other) {
  *this = other;
}

// ---- Table classes ----

namespace {

const ItemForm<CItem>& FormOf(const CItem*) {
  return kCurrentForm;
}
const ItemForm<CItem0400>& FormOf(const CItem0400*) {
  return k0400Form;
}
const ItemForm<CItem03094>& FormOf(const CItem03094*) {
  return k03094Form;
}
const ItemForm<CItem0308>& FormOf(const CItem0308*) {
  return k0308Form;
}
const ItemForm<CItem0208>& FormOf(const CItem0208*) {
  return k0208Form;
}

template <class R>
const ItemForm<R>& Form() {
  return FormOf(static_cast<const R*>(nullptr));
}

}  // namespace

template <class R, const recfile::Layout<R>& kLayout, int kLater>
int CItemTable<R, kLayout, kLater>::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, ItemFileSpec(kLayout.length, !Form<R>().fixed), fileName);
}

template <class R, const recfile::Layout<R>& kLayout, int kLater>
int CItemTable<R, kLayout, kLater>::ReadFirst(R& record, int keyNum) {
  return ReadItem(*this, &CBtrieveDB::GetFirst, Form<R>(), record, m_Keys, keyNum);
}

template <class R, const recfile::Layout<R>& kLayout, int kLater>
int CItemTable<R, kLayout, kLater>::ReadNext(R& record, int keyNum) {
  return ReadItem(*this, &CBtrieveDB::GetNext, Form<R>(), record, m_Keys, keyNum);
}

template <class R, const recfile::Layout<R>& kLayout, int kLater>
int CItemTable<R, kLayout, kLater>::InsertRecord(R& record) {
  return WriteItem(*this, Form<R>(), record, m_Keys, false);
}

template <class R, const recfile::Layout<R>& kLayout, int kLater>
int CItemTable<R, kLayout, kLater>::FindRecord(R& record, const CString& itemNumber) {
  return FindItem(*this, Form<R>(), record, m_Keys, itemNumber);
}

template <class R, const recfile::Layout<R>& kLayout, int kLater>
int CItemTable<R, kLayout, kLater>::UpdateRecord(R& record, R* stored) {
  return UpdateItem(*this, Form<R>(), record, stored, m_Keys);
}

template <class R, const recfile::Layout<R>& kLayout, int kLater>
int CItemTable<R, kLayout, kLater>::DeleteRecord(const CString& itemNumber) {
  return DeleteItem(*this, m_Keys, itemNumber);
}

template class CItemTable<CItem, kItemLayout, 484>;
template class CItemTable<CItem0400, kItem0400Layout, 484>;
template class CItemTable<CItem03094, kItem03094Layout, 484>;
template class CItemTable<CItem0308, kItem0308Layout, 369>;
template class CItemTable<CItem0208, kItem0208Layout, 369>;

int CItemDB::GetImportLineLength() {
  if (m_ImportVersion < 777) {
    return 369;
  }
  return m_ImportVersion < 1025 ? 484 : 538;
}

// ---- Conversions ----

void ConvertRecord(const CItem0208& from, CItem& to) {
  ConvertCommon(from, to);
}

void ConvertRecord(const CItem0308& from, CItem& to) {
  ConvertCommon(from, to);
}

void ConvertRecord(const CItem03094& from, CItem& to) {
  ConvertCommon(from, to);
  to.Text278 = from.Text278;
  to.Text328 = from.Text328;
}

void ConvertRecord(const CItem0400& from, CItem& to) {
  ConvertCommon(from, to);
  to.Text278 = from.Text278;
  to.Text328 = from.Text328;
  to.Text41 = from.Text41;
}
