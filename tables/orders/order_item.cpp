// The order line tables: layouts, file specifications, line operations and conversions.
#include "tables/orders/order_item.h"

#include "recfile/file_definition.h"
#include "recfile/table_ops.h"
#include "tables/orders/key_probe.h"

using recfile::Enc;

namespace {

// The fields that every line layout stores, 0 to 167. Bytes 162 and 163 are padding.
template <class R>
std::vector<recfile::Field<R>> LineFields() {
  return {
      {0, 4, Enc::Int32, &R::OrderNumber},   {4, 4, Enc::Int32, &R::LineNumber},
      {8, 15, Enc::UpperText, &R::ItemId},   {23, 30, Enc::Text, &R::Description},
      {53, 3, Enc::UpperText, &R::UnitName}, {56, 4, Enc::Int32, &R::Number1},
      {60, 4, Enc::Int32, &R::Number2},      {64, 4, Enc::Int32, &R::Number3},
      {68, 4, Enc::Int32, &R::Number4},      {72, 4, Enc::Float32, &R::Amount1},
      {76, 4, Enc::Float32, &R::Amount2},    {80, 4, Enc::Float32, &R::Amount3},
      {84, 4, Enc::Float32, &R::Amount4},    {88, 4, Enc::UpperText, &R::Code4},
      {92, 60, Enc::Text, &R::Note},         {152, 4, Enc::Int32, &R::Number5},
      {156, 1, Enc::YesNo, &R::YesNo1},      {157, 1, Enc::Char, &R::Mark},
      {158, 1, Enc::YesNo, &R::YesNo2},      {159, 1, Enc::YesNo, &R::YesNo3},
      {160, 2, Enc::UpperText, &R::Code2},   {164, 4, Enc::Int32, &R::Number6},
  };
}

// The 176-byte record of layouts 0301 and later: the 0202 fields, Amount5 and AltCode4.
template <class R>
recfile::Layout<R> FullLineLayout() {
  std::vector<recfile::Field<R>> fields = LineFields<R>();
  fields.push_back({168, 4, Enc::Float32, &R::Amount5});
  fields.push_back({172, 4, Enc::UpperText, &R::AltCode4});
  return {176, std::move(fields)};
}

// Key 0 of every line file: order number and line number.
const std::vector<recfile::KeySegment> kLineKey0 = {{1, 4, 0x112, 1}, {5, 4, 0x102, 1}};

// Keys 0 to 2 of every line file; key 3 from layout 0306 on.
recfile::FileSpec LineSpec(uint16_t recordLength, int keys) {
  recfile::FileSpec spec{recordLength,
                         false,
                         {
                             kLineKey0,
                             {{1, 4, 0x111, 1}, {9, 15, 0x1, 0}},
                             {{1, 4, 0x111, 1}, {9, 12, 0x1, 0}},
                         }};
  if (keys == 4) {
    spec.keys.push_back({{9, 12, 0x1, 0}});
  }
  return spec;
}

void WriteTab(std::FILE* file, const CString& text) {
  std::fprintf(file, "\t%s", text.c_str());
}

}  // namespace

const recfile::Layout<COrderItem> kOrderItemLayout = FullLineLayout<COrderItem>();
const recfile::Layout<COrderItem0301> kOrderItem0301Layout = FullLineLayout<COrderItem0301>();
const recfile::Layout<COrderItem0304> kOrderItem0304Layout = FullLineLayout<COrderItem0304>();
const recfile::Layout<COrderItem0306> kOrderItem0306Layout = FullLineLayout<COrderItem0306>();
const recfile::Layout<COrderItem0308> kOrderItem0308Layout = FullLineLayout<COrderItem0308>();
const recfile::Layout<COrderItem0401> kOrderItem0401Layout = FullLineLayout<COrderItem0401>();
const recfile::Layout<COrderItem0202> kOrderItem0202Layout{168, LineFields<COrderItem0202>()};

void COrderItem::WriteText(std::FILE* file) const {
  std::fprintf(file, "ORDITEM\t%d\t%d", OrderNumber, LineNumber);
  for (const CString* text : {&ItemId, &Description, &UnitName, &Code4, &Note, &Code2, &AltCode4}) {
    WriteTab(file, *text);
  }
  std::fprintf(file, "\t%d\t%d\t%d\t%d\t%d\t%d", Number1, Number2, Number3, Number4, Number5,
               Number6);
  std::fprintf(file, "\t%g\t%g\t%g\t%g\t%g", Amount1, Amount2, Amount3, Amount4, Amount5);
  std::fprintf(file, "\t%c\t%c\t%c\t%c\n", Mark, YesNo1 ? 'Y' : 'N', YesNo2 ? 'Y' : 'N',
               YesNo3 ? 'Y' : 'N');
}

// ---- Line operations ----

template <class TLine>
COrderItemTable<TLine>::COrderItemTable(const recfile::Layout<TLine>& layout, int keys)
    : m_Layout(layout), m_Keys(keys) {}

template <class TLine>
COrderItemTable<TLine>::~COrderItemTable() = default;

template <class TLine>
void COrderItemTable<TLine>::Key0Of(int32_t orderNumber, int32_t lineNumber, uint8_t* key) {
  TLine wanted;
  wanted.OrderNumber = orderNumber;
  wanted.LineNumber = lineNumber;
  recfile::KeyFromSegments(m_Layout, wanted, kLineKey0, key);
}

template <class TLine>
void COrderItemTable<TLine>::SetKey0(int32_t orderNumber, int32_t lineNumber) {
  Key0Of(orderNumber, lineNumber, m_Key0);
}

template <class TLine>
void* COrderItemTable<TLine>::KeyBuffer(int keyNum) {
  switch (keyNum) {
    case 0:
      return m_Key0;
    case 1:
      return m_Key1;
    case 2:
      return m_Key2;
    case 3:
      return m_Keys == 4 ? m_Key3 : nullptr;
    default:
      return nullptr;
  }
}

template <class TLine>
int COrderItemTable<TLine>::ReadLine(int (CBtrieveDB::*get)(void*, uint16_t*, void*, int8_t),
                                     TLine& line, void* keyBuf, int8_t keyNum) {
  const int status = recfile::ReadRecord(*this, get, m_Layout, line, keyBuf, keyNum,
                                         recfile::Length::Exact, m_Layout.length);
  if (status == 0) {
    line.Position = -1;
    line.EntryId = -1;
    line.Changed = false;
  }
  return status;
}

template <class TLine>
int COrderItemTable<TLine>::GetFirstLineOfOrder(TLine& line, int32_t orderNumber) {
  SetKey0(orderNumber, 0);
  const int status = ReadLine(&CBtrieveDB::GetGreaterOrEqual, line, m_Key0, 0);
  if (status == 0 && line.OrderNumber != orderNumber) {
    return btr::kKeyNotFound;
  }
  return status;
}

template <class TLine>
int COrderItemTable<TLine>::GetNextLine(TLine& line, int keyNum) {
  void* key = KeyBuffer(keyNum);
  if (key == nullptr) {
    return btr::kInvalidKeyNumber;
  }
  return ReadLine(&CBtrieveDB::GetNext, line, key, static_cast<int8_t>(keyNum));
}

template <class TLine>
int COrderItemTable<TLine>::ReadFirst(TLine& line) {
  SetKey0(0, 0);
  return ReadLine(&CBtrieveDB::GetFirst, line, m_Key0, 0);
}

template <class TLine>
bool COrderItemTable<TLine>::Key0Taken(CBtrieveDB& table, int32_t orderNumber, int32_t lineNumber) {
  uint8_t key[sizeof m_Key0];
  Key0Of(orderNumber, lineNumber, key);
  return orders::ProbeKey(table, key, 0) == 0;
}

template <class TLine>
int32_t COrderItemTable<TLine>::FirstFreeLineNumber(int32_t orderNumber) {
  int32_t candidate = 0;
  while (Key0Taken(*this, orderNumber, candidate) ||
         (m_Avoid != nullptr && Key0Taken(*m_Avoid, orderNumber, candidate))) {
    ++candidate;
  }
  return candidate;
}

template <class TLine>
int COrderItemTable<TLine>::AvoidNumbersIn(const CString& fileName) {
  auto probe = std::make_unique<orders::CKeyProbeDB>();
  const int status = probe->Open(fileName.c_str());
  if (status != 0) {
    return status;
  }
  m_Avoid = std::move(probe);
  return 0;
}

template <class TLine>
int COrderItemTable<TLine>::InsertLine(TLine& line) {
  if (line.LineNumber == -1) {
    line.LineNumber = FirstFreeLineNumber(line.OrderNumber);
  }
  return recfile::InsertRecord(*this, m_Layout, line, m_Key0, 0);
}

template <class TLine>
int COrderItemTable<TLine>::RewriteLine(TLine& line) {
  SetKey0(line.OrderNumber, line.LineNumber);
  return recfile::UpdateFound(*this, m_Layout, line, m_Key0, 0, m_Layout.length);
}

template <class TLine>
int COrderItemTable<TLine>::DeleteLine(const TLine& line) {
  SetKey0(line.OrderNumber, line.LineNumber);
  uint8_t found[176];
  uint16_t length = m_Layout.length;
  const int status = GetEqual(found, &length, m_Key0, 0);
  if (status != 0) {
    return status;
  }
  return Delete();
}

// Deletes the first line of the order until there is none: the next line is found afresh by
// key each time, so nothing depends on where the position stands after a Delete.
template <class TLine>
int COrderItemTable<TLine>::DeleteLinesOfOrder(int32_t orderNumber) {
  TLine line;
  for (;;) {
    int status = GetFirstLineOfOrder(line, orderNumber);
    if (status == btr::kKeyNotFound || status == btr::kEndOfFile) {
      return 0;
    }
    if (status != 0) {
      return status;
    }
    status = Delete();
    if (status != 0) {
      return status;
    }
  }
}

template class COrderItemTable<COrderItem>;
template class COrderItemTable<COrderItem0301>;
template class COrderItemTable<COrderItem0304>;
template class COrderItemTable<COrderItem0306>;
template class COrderItemTable<COrderItem0308>;
template class COrderItemTable<COrderItem0401>;
template class COrderItemTable<COrderItem0202>;

// ---- File creation (the historical classes inherit it) ----

int COrderItemDB::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, LineSpec(176, 4), fileName);
}
int COrderItem0401DB::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, LineSpec(176, 4), fileName);
}
int COrderItem0308DB::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, LineSpec(176, 4), fileName);
}
int COrderItem0306DB::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, LineSpec(176, 4), fileName);
}
int COrderItem0304DB::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, LineSpec(176, 3), fileName);
}
int COrderItem0301DB::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, LineSpec(176, 3), fileName);
}
int COrderItem0202DB::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, LineSpec(168, 3), fileName);
}

// ---- Conversions ----

void ConvertRecord(const COrderItem0202& from, COrderItem& to) {
  to.OrderNumber = from.OrderNumber;
  to.Position = from.Position;
  to.EntryId = from.EntryId;
  to.LineNumber = from.LineNumber;
  to.Number2 = from.Number2;
  to.Number3 = from.Number3;
  to.Number4 = from.Number4;
  to.Amount1 = from.Amount1;
  to.Amount4 = from.Amount4;
  to.Amount2 = from.Amount2;
  to.Amount3 = from.Amount3;
  to.Amount5 = from.Amount1;
  to.ItemId = from.ItemId;
  recfile::UpperInPlace(to.ItemId);
  to.Number1 = from.Number1;
  to.Description = from.Description;
  to.UnitName = from.UnitName;
  to.Code4 = from.Code4;
  to.Note = from.Note;
  to.Code2 = from.Code2;
  to.AltCode4 = from.Code4;
  to.Number5 = from.Number5;
  to.Mark = from.Mark;
  to.Changed = from.Changed;
  to.YesNo2 = from.YesNo2;
  to.YesNo3 = from.YesNo3;
  to.YesNo1 = from.YesNo1;
  to.Number6 = from.Number6;
}

void ConvertRecord(const COrderItem0304& from, COrderItem& to) {
  to = from;
}
