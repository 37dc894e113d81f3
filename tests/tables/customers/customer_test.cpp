// The customer table: layouts byte by byte, the 0302 one-byte shift, zip, phone and flag forms,
// keys, statuses and the conversions of steps 18a and 18b through real files.
#include "tables/customers/customer.h"

#include "recfile/field_codec.h"
#include "tests/tables/customers/test_util.h"

namespace {

using custtest::Bytes;
using custtest::Put;
using custtest::PutF32;
using custtest::PutI32;

constexpr uint8_t kJunk = 0xEE;  // in reserved bytes of legacy records: must not survive

// A 0302 record with a value of its own in every field, every value already in the form the
// encodings write (upper text upper-cased, texts NUL-filled, flags "Y" or "N"), so that a
// record read and written again must come out byte for byte, reserved bytes aside.
Bytes Clean0302() {
  Bytes r(496, 0);
  Put(r, 0, "AB");
  Put(r, 2, "C00001");
  Put(r, 8, "Acme Foods of Springfield");  // 25 characters, no terminator
  Put(r, 33, "IDX1");
  Put(r, 37, "INDEX002");
  Put(r, 45, "1 Main St");
  Put(r, 70, "Suite 5");
  Put(r, 95, "Building C");
  Put(r, 120, "Springfield");
  Put(r, 135, "IL");
  Put(r, 137, "62701    ");
  Put(r, 146, "text at 146");
  Put(r, 166, "2175551234");
  Put(r, 176, "2175559876");
  Put(r, 186, "Alice Adams");
  Put(r, 206, "Bob Brown");
  Put(r, 226, "8005550000");
  Put(r, 236, "T236AB");
  Put(r, 242, "abc");
  r[245] = 0xF5;
  r[246] = r[247] = kJunk;
  PutI32(r, 248, -123456);
  PutF32(r, 252, 3.25f);
  Put(r, 256, "ZZ");
  Put(r, 258, "ten chars!");
  Put(r, 268, "eight ch");
  r[276] = 'Y';
  r[277] = r[278] = r[279] = kJunk;
  PutI32(r, 280, 0x01020304);
  r[284] = 0x84;
  Put(r, 285, "t285");
  r[293] = r[294] = r[295] = kJunk;
  for (int i = 0; i < 6; ++i) {
    PutF32(r, 296 + 4 * i, 296.5f + i);
  }
  r[320] = 'Y';
  r[321] = 'Y';         // Flag322
  Put(r, 322, "T323");  // Text323
  r[326] = 'N';         // Flag327
  Put(r, 327, "xyz");   // Text328, three characters filling the field
  r[330] = 'Q';         // Char331
  r[331] = kJunk;       // reserved in 0302
  PutI32(r, 332, 332332);
  r[336] = 'R';
  r[337] = r[338] = r[339] = kJunk;
  PutI32(r, 340, -340);
  r[344] = 'S';
  Put(r, 345, "T345");
  r[353] = 'T';
  Put(r, 354, "fourteen chars");
  PutF32(r, 368, -368.0f);
  PutF32(r, 372, 372.75f);
  r[376] = 'Y';
  r[377] = 'U';
  r[378] = 'V';
  r[379] = 'N';
  r[380] = 'Y';
  Put(r, 381, "T381");
  r[389] = 'Y';
  r[390] = r[391] = kJunk;
  PutF32(r, 392, 392.0f);
  r[396] = 'N';
  r[397] = 'Y';
  Put(r, 398, "T398");
  r[406] = 'Y';
  Put(r, 407, "T407");
  Put(r, 415, "415");
  r[418] = 'W';
  r[419] = 'X';
  Put(r, 420, "T420");
  PutF32(r, 428, 428.0f);
  r[432] = 'Z';
  r[433] = 'Y';
  Put(r, 434, "T434");
  Put(r, 442, "T442");
  r[450] = 'N';
  r[451] = 'A';
  r[452] = 'Y';
  r[453] = 'N';
  Put(r, 454, "4544");
  Put(r, 458, "4588");
  Put(r, 462, "4622");
  Put(r, 466, "4666");
  Put(r, 470, "4700");
  Put(r, 474, "4744");
  r[478] = 'Y';
  r[479] = kJunk;
  PutF32(r, 480, 480.5f);
  PutF32(r, 484, 484.5f);
  PutF32(r, 488, 488.5f);
  PutF32(r, 492, 492.5f);
  return r;
}

void ZeroReserved(Bytes& r, std::initializer_list<size_t> offsets) {
  for (size_t at : offsets) {
    r[at] = 0;
  }
}

// The same customer in the 0308 layout: Flag321 ("Y") in front of the five fields that 0302
// stores one byte earlier.
Bytes Clean0308() {
  Bytes r302 = Clean0302();
  Bytes r(496, 0);
  std::copy(r302.begin(), r302.begin() + 321, r.begin());
  r[321] = 'Y';
  std::copy(r302.begin() + 321, r302.begin() + 331, r.begin() + 322);
  std::copy(r302.begin() + 332, r302.end(), r.begin() + 332);
  return r;
}

// What a converted record holds, written from the current layout's table: the 0308 bytes, the
// reserved bytes zero, Flag321 as given, 0 at 496 and "N" at 500.
Bytes ExpectedCurrent(char flag321) {
  Bytes r308 = Clean0308();
  Bytes r(504, 0);
  std::copy(r308.begin(), r308.end(), r.begin());
  ZeroReserved(r, {246, 247, 277, 278, 279, 293, 294, 295, 337, 338, 339, 390, 391, 479});
  r[321] = static_cast<uint8_t>(flag321);
  r[500] = 'N';
  return r;
}

template <class R>
R ParseBytes(const recfile::Layout<R>& layout, const Bytes& raw) {
  R record;
  recfile::Parse(layout, raw.data(), raw.size(), record);
  return record;
}

template <class R>
Bytes FormatBytes(const recfile::Layout<R>& layout, R record) {
  Bytes out(layout.MaxLength());
  out.resize(recfile::Format(layout, record, out.data()));
  return out;
}

TEST(CustomerLayout, DeclarationsAreSoundAndLeaveOnlyTheReservedBytes) {
  using custtest::Join;
  using custtest::Range;
  EXPECT_EQ(recfile::CheckLayout(kCustomerLayout), "");
  EXPECT_EQ(recfile::CheckLayout(kCustomer0308Layout), "");
  EXPECT_EQ(recfile::CheckLayout(kCustomer0302Layout), "");
  const auto legacy = Join({Range(246, 247), Range(277, 279), Range(293, 295), Range(337, 339),
                            Range(390, 391), Range(479, 479)});
  EXPECT_EQ(custtest::Uncovered(kCustomer0308Layout), legacy);
  EXPECT_EQ(custtest::Uncovered(kCustomerLayout), Join({legacy, Range(501, 503)}));
  EXPECT_EQ(custtest::Uncovered(kCustomer0302Layout),
            Join({Range(246, 247), Range(277, 279), Range(293, 295), Range(331, 331),
                  Range(337, 339), Range(390, 391), Range(479, 479)}));
}

TEST(CustomerLayout, ReadsThe0302FieldsOneByteEarlier) {
  const CCustomer0302 c = ParseBytes(kCustomer0302Layout, Clean0302());
  EXPECT_TRUE(c.Flag322);
  EXPECT_EQ(c.Text323, "T323");
  EXPECT_FALSE(c.Flag327);
  EXPECT_EQ(c.Text328, "xyz");
  EXPECT_EQ(c.Char331, 'Q');
  EXPECT_EQ(c.Long332, 332332);  // the full three-character text does not reach into it
  EXPECT_EQ(c.Name, "Acme Foods of Springfield");
  EXPECT_EQ(c.Address, (std::vector<CString>{"1 Main St", "Suite 5", "Building C"}));
  EXPECT_EQ(c.Phone, (std::vector<CString>{"(217) 555-1234", "(217) 555-9876"}));
  EXPECT_EQ(c.PhoneName, (std::vector<CString>{"Alice Adams", "Bob Brown"}));
  EXPECT_EQ(c.Phone3, "(800) 555-0000");
  EXPECT_EQ(c.Zip, "62701-    ");
  EXPECT_EQ(c.Byte245, 0xF5);
  EXPECT_EQ(c.Long248, -123456);
  EXPECT_EQ(c.Float492, 492.5f);
}

TEST(CustomerLayout, Current0308FieldsStandAtTheirOwnOffsets) {
  Bytes r = ExpectedCurrent('Y');
  PutI32(r, 496, -496);
  r[500] = 'Y';
  const CCustomer c = ParseBytes(kCustomerLayout, r);
  EXPECT_TRUE(c.Flag321);
  EXPECT_TRUE(c.Flag322);
  EXPECT_EQ(c.Text323, "T323");
  EXPECT_EQ(c.Char331, 'Q');
  EXPECT_EQ(c.Long496, -496);
  EXPECT_TRUE(c.Flag500);
  EXPECT_EQ(FormatBytes(kCustomerLayout, c), r);
}

TEST(CustomerLayout, LegacyRecordsWriteBackByteForByteWithReservedBytesZero) {
  Bytes r302 = Clean0302();
  Bytes want302 = r302;
  ZeroReserved(want302,
               {246, 247, 277, 278, 279, 293, 294, 295, 331, 337, 338, 339, 390, 391, 479});
  EXPECT_EQ(FormatBytes(kCustomer0302Layout, ParseBytes(kCustomer0302Layout, r302)), want302);
  Bytes want308 = Clean0308();
  ZeroReserved(want308, {246, 247, 277, 278, 279, 293, 294, 295, 337, 338, 339, 390, 391, 479});
  EXPECT_EQ(FormatBytes(kCustomer0308Layout, ParseBytes(kCustomer0308Layout, Clean0308())),
            want308);
}

TEST(CustomerLayout, ZipPhoneAndFlagForms) {
  Bytes r = Clean0302();
  Put(r, 166, "555 123 45");  // a phone with spaces in it
  r[320] = 'y';
  r[376] = ' ';
  r[380] = 0;
  CCustomer0302 c = ParseBytes(kCustomer0302Layout, r);
  EXPECT_FALSE(c.Flag320);
  EXPECT_FALSE(c.Flag376);
  EXPECT_FALSE(c.Flag380);
  c.Zip = "12345-678";
  const Bytes out = FormatBytes(kCustomer0302Layout, c);
  EXPECT_EQ(std::string(out.begin() + 137, out.begin() + 146), "12345678 ");
  EXPECT_EQ(std::string(out.begin() + 166, out.begin() + 176), "55512345  ");
  EXPECT_EQ(out[320], 'N');
  EXPECT_EQ(out[376], 'N');
  EXPECT_EQ(out[380], 'N');
  c.Zip = "(62701)";  // only spaces and dashes leave a zip
  EXPECT_EQ(FormatBytes(kCustomer0302Layout, c)[137], '(');
}

TEST(CustomerLayout, UpperCasesNumberIndexCodesAndCharsOnReadAndWrite) {
  Bytes r = Clean0302();
  std::memset(&r[2], 0, 6);
  Put(r, 2, "ab12");
  Put(r, 33, std::string("ix\0\0", 4));
  r[330] = 'q';
  Put(r, 8, std::string("mixed Case\0", 11));
  CCustomer0302 c = ParseBytes(kCustomer0302Layout, r);
  EXPECT_EQ(c.CustomerNumber, "AB12");
  EXPECT_EQ(c.IndexCode1, "IX");
  EXPECT_EQ(c.Char331, 'Q');
  EXPECT_EQ(c.Name, "mixed Case");  // plain text keeps its case
  CCustomer0302 typed;
  typed.CustomerNumber = "zz9";
  typed.Text323 = "abcd";
  const Bytes out = FormatBytes(kCustomer0302Layout, typed);
  EXPECT_EQ(std::string(out.begin() + 2, out.begin() + 8), std::string("ZZ9\0\0\0", 6));
  EXPECT_EQ(std::string(out.begin() + 322, out.begin() + 326), "ABCD");
}

TEST(CustomerSpec, BlocksByteForByte) {
  using custtest::Seg;
  const std::vector<Seg> keys = {{3, 6, 0}, {9, 25, 3}, {34, 4, 3}, {38, 8, 3}, {34, 12, 3}};
  EXPECT_EQ(custtest::CapturedBlock<CCustomerDB>(), custtest::ExpectedBlock(504, 5, keys));
  EXPECT_EQ(custtest::CapturedBlock<CCustomer0308DB>(), custtest::ExpectedBlock(496, 5, keys));
  EXPECT_EQ(custtest::CapturedBlock<CCustomer0302DB>(), custtest::ExpectedBlock(496, 5, keys));
  EXPECT_EQ(custtest::CapturedBlock<CCustomerDB>().size(), 96u);
}

TEST(CustomerConvert, FieldsTheLegacyLayoutsLackTakeTheirFixedValues) {
  CCustomer to;
  to.Flag321 = true;
  to.Long496 = 7;
  to.Flag500 = true;
  ConvertRecord(ParseBytes(kCustomer0302Layout, Clean0302()), to);
  EXPECT_FALSE(to.Flag321);
  EXPECT_EQ(to.Long496, 0);
  EXPECT_FALSE(to.Flag500);
  ConvertRecord(ParseBytes(kCustomer0308Layout, Clean0308()), to);
  EXPECT_TRUE(to.Flag321);
}

TEST(CustomerRecord, AssignCopiesEveryField) {
  CCustomer a = ParseBytes(kCustomerLayout, ExpectedCurrent('Y'));
  CCustomer b;
  EXPECT_EQ(&b.Assign(a), &b);
  EXPECT_EQ(FormatBytes(kCustomerLayout, b), FormatBytes(kCustomerLayout, a));
}

class CustomerFile : public custtest::ScratchDir {};

// Step 18a or 18b on a file written from raw bytes: read on key 0, convert, insert into a new
// file of the current layout, and return the new file's raw records in key-0 order.
template <class LegacyDB, class Legacy>
std::vector<Bytes> ConvertFile(const std::vector<Bytes>& raw) {
  {
    LegacyDB old;
    EXPECT_EQ(old.CreateFile("CUST.DB"), 0);
    for (const Bytes& r : raw) {
      EXPECT_EQ(custtest::InsertRaw(old, r), 0);
    }
  }
  LegacyDB old;
  CCustomerDB fresh;
  EXPECT_EQ(old.Open(), 0);
  EXPECT_EQ(fresh.CreateFile("TMP.DB"), 0);
  Legacy r;
  CCustomer c;
  int status = old.ReadFirst(r, 0);
  while (status == 0) {
    ConvertRecord(r, c);
    EXPECT_EQ(fresh.InsertRecord(c), 0);
    status = old.ReadNext(r, 0);
  }
  EXPECT_EQ(status, 9);
  return custtest::ReadAllRaw(fresh);
}

TEST_F(CustomerFile, Converts0302ByteForByte) {
  Bytes second = Clean0302();
  std::memset(&second[2], 0, 6);
  Put(second, 2, "ab12");  // lower case in the legacy file
  Put(second, 137, "12345-678");
  second[320] = 'y';
  const std::vector<Bytes> got = ConvertFile<CCustomer0302DB, CCustomer0302>({Clean0302(), second});
  ASSERT_EQ(got.size(), 2u);
  Bytes wantSecond = ExpectedCurrent('N');
  std::memset(&wantSecond[2], 0, 6);
  Put(wantSecond, 2, "AB12");
  Put(wantSecond, 137, "12345678 ");
  wantSecond[320] = 'N';
  EXPECT_EQ(got[0], wantSecond);  // "AB12" sorts before "C00001"
  EXPECT_EQ(got[1], ExpectedCurrent('N'));
}

TEST_F(CustomerFile, Converts0308ByteForByteKeepingFlag321) {
  const std::vector<Bytes> got = ConvertFile<CCustomer0308DB, CCustomer0308>({Clean0308()});
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0], ExpectedCurrent('Y'));
}

TEST_F(CustomerFile, ConvertedLowerCaseNumberIsFoundUpperCaseOnKey0) {
  Bytes r = Clean0302();
  std::memset(&r[2], 0, 6);
  Put(r, 2, "ab12");
  ConvertFile<CCustomer0302DB, CCustomer0302>({r});
  CCustomerDB table;
  ASSERT_EQ(table.Open("TMP.DB"), 0);
  uint8_t key[6] = {'A', 'B', '1', '2', 0, 0};
  Bytes buffer(504);
  uint16_t length = 504;
  EXPECT_EQ(table.GetEqual(buffer.data(), &length, key, 0), 0);
}

TEST_F(CustomerFile, StatusesOfTheReaders) {
  CCustomer0302DB table;
  ASSERT_EQ(table.CreateFile("CUST.DB"), 0);
  CCustomer0302 r;
  EXPECT_EQ(table.ReadFirst(r, 0), 9);
  EXPECT_EQ(table.ReadFirst(r, 5), 6);
  EXPECT_EQ(table.ReadNext(r, -1), 6);
  ASSERT_EQ(custtest::InsertRaw(table, Clean0302()), 0);
  EXPECT_EQ(custtest::InsertRaw(table, Clean0302()), 5);  // key 0 is unique
  EXPECT_EQ(table.ReadFirst(r, 4), 0);
  EXPECT_EQ(r.CustomerNumber, "C00001");
  EXPECT_EQ(table.ReadNext(r, 4), 9);
}

TEST_F(CustomerFile, ARecordOfAnotherLengthAnswers22) {
  {
    CCustomerDB current;  // 504-byte records where the legacy reader expects 496
    ASSERT_EQ(current.CreateFile("CUST.DB"), 0);
    ASSERT_EQ(custtest::InsertRaw(current, ExpectedCurrent('N')), 0);
  }
  CCustomer0308DB legacy;
  ASSERT_EQ(legacy.Open(), 0);
  CCustomer0308 r;
  r.Name = "untouched";
  EXPECT_EQ(legacy.ReadFirst(r, 0), 22);
  EXPECT_EQ(r.Name, "untouched");
}

TEST_F(CustomerFile, EmptyLegacyFileReadsNineAndCurrentFileIsCreatedEmpty) {
  CCustomer0302DB legacy;
  ASSERT_EQ(legacy.CreateFile("CUST.DB"), 0);
  CCustomer0302 r;
  EXPECT_EQ(legacy.ReadFirst(r, 0), 9);
  legacy.Close();
  CCustomerDB current;
  ASSERT_EQ(current.CreateFile("CUST.DB"), 0);
  EXPECT_EQ(current.GetRecordCount(), 0u);
}

TEST_F(CustomerFile, UpdateAndDeleteFindTheCustomerByNumber) {
  CCustomerDB table;
  ASSERT_EQ(table.CreateFile("CUST.DB"), 0);
  CCustomer c = ParseBytes(kCustomerLayout, ExpectedCurrent('N'));
  ASSERT_EQ(table.InsertRecord(c), 0);
  c.Name = "Renamed";
  c.CustomerNumber = "c00001";
  EXPECT_EQ(table.UpdateRecord(c), 0);
  CCustomer back;
  ASSERT_EQ(table.ReadFirst(back, 0), 0);
  EXPECT_EQ(back.Name, "Renamed");
  EXPECT_EQ(table.DeleteRecord("c00001"), 0);
  EXPECT_EQ(table.DeleteRecord("NOBODY"), 0);  // not found counts as deleted
  EXPECT_EQ(table.ReadFirst(back, 0), 9);
}

}  // namespace
