// The deviated cost table: layouts, file specifications and the conversion from 0402.
#include "tables/customers/dev_cost.h"

#include "recfile/file_definition.h"
#include "recfile/table_ops.h"

using recfile::Enc;
using recfile::Length;

// Bytes 21-23 and 25-27 are reserved.
const recfile::Layout<CDevCost> kDevCostLayout{
    52,
    {
        {0, 6, Enc::UpperText, &CDevCost::CustomerNumber},
        {6, 12, Enc::UpperText, &CDevCost::ItemNumber},
        {18, 3, Enc::UpperText, &CDevCost::Text18},
        {24, 1, Enc::YesNo, &CDevCost::Flag24},
        {28, 4, Enc::Float32, &CDevCost::Float28},
        {32, 4, Enc::Float32, &CDevCost::Float32},
        {36, 4, Enc::Float32, &CDevCost::Float36},
        {40, 4, Enc::Float32, &CDevCost::Float40},
        {44, 4, Enc::Float32, &CDevCost::Float44},
        {48, 4, Enc::Float32, &CDevCost::Float48},
    }};

// Bytes 21-23 are reserved.
const recfile::Layout<CDevCost0402> kDevCost0402Layout{
    36,
    {
        {0, 6, Enc::UpperText, &CDevCost0402::CustomerNumber},
        {6, 12, Enc::UpperText, &CDevCost0402::ItemNumber},
        {18, 3, Enc::UpperText, &CDevCost0402::Text18},
        {24, 4, Enc::Float32, &CDevCost0402::Float28},
        {28, 4, Enc::Float32, &CDevCost0402::Float32},
        {32, 4, Enc::Float32, &CDevCost0402::Float36},
    }};

namespace {

recfile::FileSpec DevCostSpec(uint16_t recordLength) {
  return {recordLength, false, {{{1, 6, 1}}, {{1, 21, 0}}}};
}

}  // namespace

int CDevCostDB::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, DevCostSpec(52), fileName);
}

int CDevCostDB::InsertRecord(CDevCost& record) {
  return recfile::InsertRecord(*this, kDevCostLayout, record, m_Key1, 1);
}

int CDevCost0402DB::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, DevCostSpec(36), fileName);
}

int CDevCost0402DB::ReadFirst(CDevCost0402& record) {
  return recfile::ReadRecord(*this, &CBtrieveDB::GetFirst, kDevCost0402Layout, record, m_Key0, 0,
                             Length::Exact, 36);
}

int CDevCost0402DB::ReadNext(CDevCost0402& record) {
  return recfile::ReadRecord(*this, &CBtrieveDB::GetNext, kDevCost0402Layout, record, m_Key0, 0,
                             Length::Exact, 36);
}

int CDevCost0402DB::InsertRecord(CDevCost0402& record) {
  return recfile::InsertRecord(*this, kDevCost0402Layout, record, m_Key1, 1);
}

void ConvertRecord(const CDevCost0402& from, CDevCost& to) {
  to.CustomerNumber = from.CustomerNumber;
  to.ItemNumber = from.ItemNumber;
  to.Text18 = from.Text18;
  to.Flag24 = false;
  to.Float28 = from.Float28;
  to.Float32 = from.Float32;
  to.Float36 = from.Float36;
  to.Float40 = 0;
  to.Float44 = 0;
  to.Float48 = 0;
}
