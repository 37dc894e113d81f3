// The customer table: layouts, file specifications and the conversions from 0302 and 0308.
#include "tables/customers/customer.h"

#include "recfile/file_definition.h"
#include "recfile/table_ops.h"
#include "tables/customers/keyed_ops.h"

using recfile::Enc;
using recfile::Field;
using recfile::Length;

namespace {

// The fields that stand at the same offset in all three layouts: everything but the five moved
// by the 0302 layout (321 to 331) and the two that only the current layout has (496, 500).
// Reserved bytes (246-247, 277-279, 293-295, 337-339, 390-391, 479, 501-503) are written as
// zero.
template <class R>
std::vector<Field<R>> SharedFields() {
  return {
      {0, 2, Enc::Text, &R::Prefix},
      {2, 6, Enc::UpperText, &R::CustomerNumber},
      {8, 25, Enc::Text, &R::Name},
      {33, 4, Enc::UpperText, &R::IndexCode1},
      {37, 8, Enc::UpperText, &R::IndexCode2},
      {45, 75, Enc::Text, &R::Address, 3},
      {120, 15, Enc::Text, &R::City},
      {135, 2, Enc::Text, &R::State},
      {137, 9, Enc::Zip, &R::Zip},
      {146, 20, Enc::Text, &R::Text146},
      {166, 20, Enc::Phone, &R::Phone, 2},
      {186, 40, Enc::Text, &R::PhoneName, 2},
      {226, 10, Enc::Phone, &R::Phone3},
      {236, 6, Enc::UpperText, &R::Text236},
      {242, 3, Enc::Text, &R::Text242},
      {245, 1, Enc::Byte, &R::Byte245},
      {248, 4, Enc::Int32, &R::Long248},
      {252, 4, Enc::Float32, &R::Float252},
      {256, 2, Enc::UpperText, &R::Text256},
      {258, 10, Enc::Text, &R::Text258},
      {268, 8, Enc::Text, &R::Text268},
      {276, 1, Enc::YesNo, &R::Flag276},
      {280, 4, Enc::Int32, &R::Long280},
      {284, 1, Enc::Byte, &R::Byte284},
      {285, 8, Enc::Text, &R::Text285},
      {296, 4, Enc::Float32, &R::Float296},
      {300, 4, Enc::Float32, &R::Float300},
      {304, 4, Enc::Float32, &R::Float304},
      {308, 4, Enc::Float32, &R::Float308},
      {312, 4, Enc::Float32, &R::Float312},
      {316, 4, Enc::Float32, &R::Float316},
      {320, 1, Enc::YesNo, &R::Flag320},
      {332, 4, Enc::Int32, &R::Long332},
      {336, 1, Enc::Char, &R::Char336},
      {340, 4, Enc::Int32, &R::Long340},
      {344, 1, Enc::Char, &R::Char344},
      {345, 8, Enc::Text, &R::Text345},
      {353, 1, Enc::Char, &R::Char353},
      {354, 14, Enc::Text, &R::Text354},
      {368, 4, Enc::Float32, &R::Float368},
      {372, 4, Enc::Float32, &R::Float372},
      {376, 1, Enc::YesNo, &R::Flag376},
      {377, 1, Enc::Char, &R::Char377},
      {378, 1, Enc::Char, &R::Char378},
      {379, 1, Enc::YesNo, &R::Flag379},
      {380, 1, Enc::YesNo, &R::Flag380},
      {381, 8, Enc::Text, &R::Text381},
      {389, 1, Enc::YesNo, &R::Flag389},
      {392, 4, Enc::Float32, &R::Float392},
      {396, 1, Enc::YesNo, &R::Flag396},
      {397, 1, Enc::YesNo, &R::Flag397},
      {398, 8, Enc::Text, &R::Text398},
      {406, 1, Enc::YesNo, &R::Flag406},
      {407, 8, Enc::Text, &R::Text407},
      {415, 3, Enc::Text, &R::Text415},
      {418, 1, Enc::Char, &R::Char418},
      {419, 1, Enc::Char, &R::Char419},
      {420, 8, Enc::Text, &R::Text420},
      {428, 4, Enc::Float32, &R::Float428},
      {432, 1, Enc::Char, &R::Char432},
      {433, 1, Enc::YesNo, &R::Flag433},
      {434, 8, Enc::Text, &R::Text434},
      {442, 8, Enc::Text, &R::Text442},
      {450, 1, Enc::YesNo, &R::Flag450},
      {451, 1, Enc::Char, &R::Char451},
      {452, 1, Enc::YesNo, &R::Flag452},
      {453, 1, Enc::YesNo, &R::Flag453},
      {454, 4, Enc::Text, &R::Text454},
      {458, 4, Enc::Text, &R::Text458},
      {462, 4, Enc::Text, &R::Text462},
      {466, 4, Enc::Text, &R::Text466},
      {470, 4, Enc::Text, &R::Text470},
      {474, 4, Enc::Text, &R::Text474},
      {478, 1, Enc::YesNo, &R::Flag478},
      {480, 4, Enc::Float32, &R::Float480},
      {484, 4, Enc::Float32, &R::Float484},
      {488, 4, Enc::Float32, &R::Float488},
      {492, 4, Enc::Float32, &R::Float492},
  };
}

template <class R>
std::vector<Field<R>> With(std::vector<Field<R>> fields, std::initializer_list<Field<R>> more) {
  fields.insert(fields.end(), more);
  return fields;
}

}  // namespace

const recfile::Layout<CCustomer> kCustomerLayout{
    504, With(SharedFields<CCustomer>(), {
                                             {321, 1, Enc::YesNo, &CCustomer::Flag321},
                                             {322, 1, Enc::YesNo, &CCustomer::Flag322},
                                             {323, 4, Enc::UpperText, &CCustomer::Text323},
                                             {327, 1, Enc::YesNo, &CCustomer::Flag327},
                                             {328, 3, Enc::Text, &CCustomer::Text328},
                                             {331, 1, Enc::Char, &CCustomer::Char331},
                                             {496, 4, Enc::Int32, &CCustomer::Long496},
                                             {500, 1, Enc::YesNo, &CCustomer::Flag500},
                                         })};

const recfile::Layout<CCustomer0308> kCustomer0308Layout{
    496, With(SharedFields<CCustomer0308>(), {
                                                 {321, 1, Enc::YesNo, &CCustomer0308::Flag321},
                                                 {322, 1, Enc::YesNo, &CCustomer0308::Flag322},
                                                 {323, 4, Enc::UpperText, &CCustomer0308::Text323},
                                                 {327, 1, Enc::YesNo, &CCustomer0308::Flag327},
                                                 {328, 3, Enc::Text, &CCustomer0308::Text328},
                                                 {331, 1, Enc::Char, &CCustomer0308::Char331},
                                             })};

// The 0302 layout has no Flag321: the five fields behind it stand one byte earlier, and byte 331
// is reserved.
const recfile::Layout<CCustomer0302> kCustomer0302Layout{
    496, With(SharedFields<CCustomer0302>(), {
                                                 {321, 1, Enc::YesNo, &CCustomer0302::Flag322},
                                                 {322, 4, Enc::UpperText, &CCustomer0302::Text323},
                                                 {326, 1, Enc::YesNo, &CCustomer0302::Flag327},
                                                 {327, 3, Enc::Text, &CCustomer0302::Text328},
                                                 {330, 1, Enc::Char, &CCustomer0302::Char331},
                                             })};

namespace {

constexpr int kKeys = 5;

recfile::FileSpec CustomerSpec(uint16_t recordLength) {
  return {
      recordLength, false, {{{3, 6, 0}}, {{9, 25, 3}}, {{34, 4, 3}}, {{38, 8, 3}}, {{34, 12, 3}}}};
}

// The customer number as key 0 stores it: upper case, NUL-filled to six bytes.
void SetNumberKey(uint8_t* key, CString number) {
  recfile::UpperInPlace(number);
  recfile::WriteText(key, 6, number);
}

// The fields every layout has, copied unchanged.
template <class From>
void CopyShared(const From& from, CCustomer& to) {
  to.Prefix = from.Prefix;
  to.CustomerNumber = from.CustomerNumber;
  to.Name = from.Name;
  to.IndexCode1 = from.IndexCode1;
  to.IndexCode2 = from.IndexCode2;
  to.Address = from.Address;
  to.City = from.City;
  to.State = from.State;
  to.Zip = from.Zip;
  to.Text146 = from.Text146;
  to.Phone = from.Phone;
  to.PhoneName = from.PhoneName;
  to.Phone3 = from.Phone3;
  to.Text236 = from.Text236;
  to.Text242 = from.Text242;
  to.Text256 = from.Text256;
  to.Text258 = from.Text258;
  to.Text323 = from.Text323;
  to.Text328 = from.Text328;
  to.Flag380 = from.Flag380;
  to.Flag322 = from.Flag322;
  to.Flag327 = from.Flag327;
  to.Flag276 = from.Flag276;
  to.Flag320 = from.Flag320;
  to.Char331 = from.Char331;
  to.Char336 = from.Char336;
  to.Byte284 = from.Byte284;
  to.Byte245 = from.Byte245;
  to.Char344 = from.Char344;
  to.Long340 = from.Long340;
  to.Long248 = from.Long248;
  to.Long280 = from.Long280;
  to.Long332 = from.Long332;
  to.Float296 = from.Float296;
  to.Float300 = from.Float300;
  to.Float304 = from.Float304;
  to.Float308 = from.Float308;
  to.Float312 = from.Float312;
  to.Float316 = from.Float316;
  to.Float252 = from.Float252;
  to.Float480 = from.Float480;
  to.Float484 = from.Float484;
  to.Float488 = from.Float488;
  to.Float492 = from.Float492;
  to.Text381 = from.Text381;
  to.Text268 = from.Text268;
  to.Text285 = from.Text285;
  to.Text345 = from.Text345;
  to.Text434 = from.Text434;
  to.Text442 = from.Text442;
  to.Float392 = from.Float392;
  to.Flag396 = from.Flag396;
  to.Flag397 = from.Flag397;
  to.Text398 = from.Text398;
  to.Flag406 = from.Flag406;
  to.Text407 = from.Text407;
  to.Text415 = from.Text415;
  to.Char418 = from.Char418;
  to.Char419 = from.Char419;
  to.Text420 = from.Text420;
  to.Float428 = from.Float428;
  to.Char432 = from.Char432;
  to.Flag433 = from.Flag433;
  to.Flag450 = from.Flag450;
  to.Char451 = from.Char451;
  to.Flag452 = from.Flag452;
  to.Flag453 = from.Flag453;
  to.Text454 = from.Text454;
  to.Text458 = from.Text458;
  to.Text462 = from.Text462;
  to.Text466 = from.Text466;
  to.Text470 = from.Text470;
  to.Text474 = from.Text474;
  to.Flag478 = from.Flag478;
  to.Float368 = from.Float368;
  to.Float372 = from.Float372;
  to.Flag379 = from.Flag379;
  to.Flag376 = from.Flag376;
  to.Char377 = from.Char377;
  to.Char378 = from.Char378;
  to.Flag389 = from.Flag389;
  to.Text354 = from.Text354;
  to.Char353 = from.Char353;
}

}  // namespace

namespace {

// Reads on key `keyNum` with a buffer of exactly the record length; no key buffer means a key
// number outside 0 to 4.
template <class R>
int ReadCustomer(CBtrieveDB& table, recfile::GetOp get, const recfile::Layout<R>& layout, R& record,
                 uint8_t* key, int keyNum) {
  if (key == nullptr) {
    return btr::kInvalidKeyNumber;
  }
  return recfile::ReadRecord(table, get, layout, record, key, static_cast<int8_t>(keyNum),
                             Length::Exact, layout.length);
}

}  // namespace

template <class R, const recfile::Layout<R>& kLayout>
uint8_t* CCustomerTable<R, kLayout>::KeyBuffer(int keyNum) {
  uint8_t* const keys[kKeys] = {m_Key0, m_Key1, m_Key2, m_Key3, m_Key4};
  return keyNum >= 0 && keyNum < kKeys ? keys[keyNum] : nullptr;
}

template <class R, const recfile::Layout<R>& kLayout>
int CCustomerTable<R, kLayout>::CreateFile(const char* fileName) {
  return recfile::CreateTableFile(*this, CustomerSpec(kLayout.length), fileName);
}

template <class R, const recfile::Layout<R>& kLayout>
int CCustomerTable<R, kLayout>::ReadFirst(R& record, int keyNum) {
  return ReadCustomer(*this, &CBtrieveDB::GetFirst, kLayout, record, KeyBuffer(keyNum), keyNum);
}

template <class R, const recfile::Layout<R>& kLayout>
int CCustomerTable<R, kLayout>::ReadNext(R& record, int keyNum) {
  return ReadCustomer(*this, &CBtrieveDB::GetNext, kLayout, record, KeyBuffer(keyNum), keyNum);
}

template <class R, const recfile::Layout<R>& kLayout>
int CCustomerTable<R, kLayout>::InsertRecord(R& record) {
  return recfile::InsertRecord(*this, kLayout, record, m_Key0, 0);
}

template <class R, const recfile::Layout<R>& kLayout>
int CCustomerTable<R, kLayout>::UpdateRecord(R& record) {
  SetNumberKey(m_Key0, record.CustomerNumber);
  return recfile::UpdateFound(*this, kLayout, record, m_Key0, 0);
}

template <class R, const recfile::Layout<R>& kLayout>
int CCustomerTable<R, kLayout>::DeleteRecord(const CString& customerNumber) {
  SetNumberKey(m_Key0, customerNumber);
  return recfile::DeleteByKey(*this, m_Key0, 0);
}

template class CCustomerTable<CCustomer, kCustomerLayout>;
template class CCustomerTable<CCustomer0308, kCustomer0308Layout>;
template class CCustomerTable<CCustomer0302, kCustomer0302Layout>;

// ---- Conversions ----

void ConvertRecord(const CCustomer0302& from, CCustomer& to) {
  CopyShared(from, to);
  to.Flag321 = false;
  to.Long496 = 0;
  to.Flag500 = false;
}

void ConvertRecord(const CCustomer0308& from, CCustomer& to) {
  CopyShared(from, to);
  to.Flag321 = from.Flag321;
  to.Long496 = 0;
  to.Flag500 = false;
}
