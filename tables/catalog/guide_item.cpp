// The order guide item table: layout, file specification and record operations.
#include "tables/catalog/guide_item.h"

#include "recfile/table_ops.h"

using recfile::Enc;
using recfile::Length;

const recfile::Layout<CGuideItem> kGuideItemLayout{
    33,
    {
        {0, 6, Enc::UpperText, &CGuideItem::GuideCode},
        {6, 4, Enc::Int32, &CGuideItem::Number6},
        {10, 4, Enc::Int32, &CGuideItem::Number10},
        {14, 12, Enc::UpperText, &CGuideItem::Text14},
        {26, 3, Enc::UpperText, &CGuideItem::Text26},
        {29, 4, Enc::Time32, &CGuideItem::Date29},
    }};

recfile::FileSpec GuideItemFileSpec() {
  constexpr uint8_t kString = 0;
  constexpr uint8_t kInteger = 1;
  return {33,
          false,
          {
              {{1, 6, 0x03, kString}, {7, 4, 0x103, kInteger}},
              {{1, 6, 0x00, kString}, {11, 4, 0x100, kInteger}},
          }};
}

void CGuideItem::Copy(const CGuideItem& other) {
  *this = other;
}

int CGuideItemDB::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, GuideItemFileSpec(), fileName);
}

int CGuideItemDB::ReadFirst(CGuideItem& record) {
  return recfile::ReadRecord(*this, &CBtrieveDB::GetFirst, kGuideItemLayout, record, m_Key0, 0,
                             Length::Exact);
}

int CGuideItemDB::ReadNext(CGuideItem& record, int keyNum) {
  if (keyNum != 0 && keyNum != 1) {
    return btr::kInvalidKeyNumber;
  }
  return recfile::ReadRecord(*this, &CBtrieveDB::GetNext, kGuideItemLayout, record,
                             keyNum == 0 ? m_Key0 : m_Key1, static_cast<int8_t>(keyNum),
                             Length::Exact);
}

int CGuideItemDB::InsertRecord(CGuideItem& record) {
  return recfile::InsertRecord(*this, kGuideItemLayout, record, m_Key1, 1);
}

int CGuideItemDB::UpdateRecord(CGuideItem& record) {
  recfile::KeyFromSegments(kGuideItemLayout, record, GuideItemFileSpec().keys[1], m_Key1);
  return recfile::UpdateFound(*this, kGuideItemLayout, record, m_Key1, 1, kGuideItemLayout.length);
}
