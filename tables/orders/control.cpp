// The control table: layout, file specification and lookups by name.
#include "tables/orders/control.h"

#include "recfile/file_definition.h"
#include "recfile/table_ops.h"

using recfile::Enc;

namespace {

// The name is stored upper-cased and filled with spaces, the form in which GetControl looks it
// up; read back, it is upper-cased and loses the filling spaces.
void ParseName(const uint8_t* field, size_t width, CControl& record) {
  record.ControlName = recfile::ReadText(field, width);
  recfile::UpperInPlace(record.ControlName);
  const size_t end = record.ControlName.find_last_not_of(' ');
  record.ControlName.erase(end == CString::npos ? 0 : end + 1);
}

void FormatName(CControl& record, uint8_t* field, size_t width) {
  recfile::UpperInPlace(record.ControlName);
  recfile::WriteText(field, width, record.ControlName, ' ');
}

}  // namespace

// Bytes 36 to 39 are padding.
const recfile::Layout<CControl> kControlLayout{
    304,
    {
        {0, 30, Enc::Custom, recfile::CustomCodec<CControl>{&ParseName, &FormatName}},
        {30, 1, Enc::Char, &CControl::Kind},
        {31, 1, Enc::YesNoLenient, &CControl::Enabled},
        {32, 4, Enc::Int32, &CControl::IntValue},
        {40, 8, Enc::Double, &CControl::RealValue},
        {48, 256, Enc::UpperText, &CControl::TextValue},
    }};

int CControlDB::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, {304, false, {{{1, 30, 0}}}}, fileName);
}

void CControlDB::SetNameKey(const CString& name) {
  CString key = name.substr(0, sizeof m_Key0);
  recfile::UpperInPlace(key);
  recfile::WriteText(m_Key0, sizeof m_Key0, key, ' ');
}

int CControlDB::GetControl(CControl& record, const CString& name) {
  SetNameKey(name);
  return recfile::ReadRecord(*this, &CBtrieveDB::GetEqual, kControlLayout, record, m_Key0, 0,
                             recfile::Length::Exact, 304);
}

int CControlDB::InsertRecord(CControl& record) {
  return recfile::InsertRecord(*this, kControlLayout, record, m_Key0, 0);
}

int CControlDB::UpdateRecord(CControl& record) {
  SetNameKey(record.ControlName);
  return recfile::UpdateFound(*this, kControlLayout, record, m_Key0, 0, kControlLayout.length);
}

int CControlDB::DeleteRecord(const CString& name) {
  SetNameKey(name);
  return recfile::DeleteByKey(*this, m_Key0, 0);
}
