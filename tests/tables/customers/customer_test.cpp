// The customer table: layouts byte by byte, the 0302 one-byte shift, zip, phone and flag forms,
// keys, statuses and the conversions of steps 18a and 18b through real files.
#include "tables/customers/customer.h"

#include <tuple>

#include "recfile/field_codec.h"
#include "tests/tables/customers/test_util.h"

namespace {

using namespace custtest;

constexpr uint8_t kJunk = 0xEE;  // in reserved bytes of legacy records: must not survive
const std::vector<size_t> kReserved0308 = {246, 247, 277, 278, 279, 293, 294,
                                           295, 337, 338, 339, 390, 391, 479};

void ZeroReserved(Bytes& r, const std::vector<size_t>& offsets) {
  for (size_t at : offsets) {
    r[at] = 0;
  }
}

// A 0302 record with a value of its own in every field, every value already in the form the
// encodings write (upper text upper-cased, texts NUL-filled, flags "Y" or "N"), so that a
// record read and written again must come out byte for byte, reserved bytes aside. Fields that
// follow each other run together in one text: at 0 the prefix, the number, the 25-character
// name without terminator and the two index codes; at 320 Flag320, Flag322, Text323, Flag327,
// the full three-character Text328 and Char331; at 450 four flags, six codes and Flag478.
Bytes Clean0302() {
  Bytes r(496, 0);
  const std::pair<size_t, const char*> texts[] = {
      {0, "ABC00001Acme Foods of SpringfieldIDX1INDEX002"},
      {45, "1 Main St"},
      {70, "Suite 5"},
      {95, "Building C"},
      {120, "Springfield"},
      {135, "IL62701    "},
      {146, "text at 146"},
      {166, "21755512342175559876"},
      {186, "Alice Adams"},
      {206, "Bob Brown"},
      {226, "8005550000"},
      {236, "T236ABabc"},
      {256, "ZZten chars!eight chY"},
      {285, "t285"},
      {320, "YYT323NxyzQ"},
      {336, "R"},
      {344, "ST345"},
      {353, "Tfourteen chars"},
      {376, "YUVNY"},
      {381, "T381"},
      {389, "Y"},
      {396, "NYT398"},
      {406, "YT407"},
      {415, "415WXT420"},
      {432, "ZYT434"},
      {442, "T442"},
      {450, "NAYN454445884622466647004744Y"}};
  for (const auto& [at, text] : texts) {
    Put(r, at, text);
  }
  r[245] = 0xF5;
  r[284] = 0x84;
  PutI32(r, 248, -123456);
  PutI32(r, 280, 0x01020304);
  PutI32(r, 332, 332332);
  PutI32(r, 340, -340);
  PutF32(r, 252, 3.25f);
  PutF32(r, 368, -368.0f);
  PutF32(r, 372, 372.75f);
  PutF32(r, 392, 392.0f);
  PutF32(r, 428, 428.0f);
  for (int i = 0; i < 6; ++i) {
    PutF32(r, 296 + 4 * i, 296.5f + i);
  }
  for (int i = 0; i < 4; ++i) {
    PutF32(r, 480 + 4 * i, 480.5f + 4 * i);
  }
  for (size_t at : kReserved0308) {
    r[at] = kJunk;
  }
  r[331] = kJunk;  // reserved in 0302 only
  return r;
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
  ZeroReserved(r, kReserved0308);
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
  return Formatted(layout, record);
}

// Every layout read and written back byte for byte, reserved bytes zero; the current one also
// through Assign.
TEST(CustomerLayout, EveryLayoutReadsAndWritesEveryField) {
  Bytes want302 = Clean0302();
  ZeroReserved(want302, kReserved0308);
  want302[331] = 0;
  EXPECT_EQ(FormatBytes(kCustomer0302Layout, ParseBytes(kCustomer0302Layout, Clean0302())),
            want302);
  Bytes want308 = Clean0308();
  ZeroReserved(want308, kReserved0308);
  EXPECT_EQ(FormatBytes(kCustomer0308Layout, ParseBytes(kCustomer0308Layout, Clean0308())),
            want308);
  Bytes r = ExpectedCurrent('Y');
  PutI32(r, 496, -496);
  r[500] = 'Y';
  CCustomer c = ParseBytes(kCustomerLayout, r);
  EXPECT_EQ(std::make_tuple(c.Flag321, c.Long496, c.Flag500), std::make_tuple(true, -496, true));
  CCustomer b;
  EXPECT_EQ(&b.Assign(c), &b);
  EXPECT_EQ(FormatBytes(kCustomerLayout, b), r);
}

TEST(CustomerLayout, ZipPhoneFlagAndCaseForms) {
  Bytes r = Clean0302();
  Put(r, 166, "555 123 45");  // a phone with spaces in it
  r[320] = 'y';
  r[376] = ' ';
  r[380] = 0;
  std::memset(&r[2], 0, 6);
  Put(r, 2, "ab12");
  Put(r, 33, std::string("ix\0\0", 4));
  r[330] = 'q';
  Put(r, 8, std::string("mixed Case\0", 11));
  CCustomer0302 c = ParseBytes(kCustomer0302Layout, r);
  EXPECT_EQ(std::tie(c.Phone[1], c.Phone3, c.Zip, c.CustomerNumber, c.IndexCode1, c.Name),
            std::make_tuple("(217) 555-9876", "(800) 555-0000", "62701-    ", "AB12", "IX",
                            "mixed Case"));  // plain text keeps its case
  EXPECT_EQ(std::make_tuple(c.Flag320, c.Flag376, c.Flag380, c.Char331),
            std::make_tuple(false, false, false, 'Q'));
  c.Zip = "12345-678";
  c.CustomerNumber = "zz9";
  c.Text323 = "abcd";
  const Bytes out = FormatBytes(kCustomer0302Layout, c);
  const std::string s(out.begin(), out.end());
  EXPECT_EQ(s.substr(137, 9) + s.substr(166, 10) + s[320] + s[376] + s[380],
            "12345678 55512345  NNN");
  EXPECT_EQ(s.substr(2, 6) + s.substr(322, 4), std::string("ZZ9\0\0\0ABCD", 10));
  c.Zip = "(62701)";  // only spaces and dashes leave a zip
  EXPECT_EQ(FormatBytes(kCustomer0302Layout, c)[137], '(');
}

class CustomerFile : public rectest::InScratchDir {};

// Steps 18a and 18b read on key 0; the new file comes back in key-0 order. The fields the legacy
// layouts lack take their fixed values whatever the object held.
TEST_F(CustomerFile, ConvertsByteForByte) {
  Bytes second = Clean0302();
  std::memset(&second[2], 0, 6);
  Put(second, 2, "ab12");  // lower case in the legacy file
  Put(second, 137, "12345-678");
  second[320] = 'y';
  Bytes wantSecond = ExpectedCurrent('N');
  std::memset(&wantSecond[2], 0, 6);
  Put(wantSecond, 2, "AB12");
  Put(wantSecond, 137, "12345678 ");
  wantSecond[320] = 'N';
  WriteRaw<CCustomer0302DB>({Clean0302(), second});
  auto seed = [](CCustomer& c) {
    c.Flag321 = c.Flag500 = true;
    c.Long496 = 7;
  };
  EXPECT_EQ(
      (RunStep<CCustomer0302DB, CCustomer0302, CCustomerDB, CCustomer>(0, 0, {0}, nullptr, seed)
           .converted),
      (std::vector<Bytes>{wantSecond, ExpectedCurrent('N')}));  // "AB12" before "C00001"
  WriteRaw<CCustomer0308DB>({Clean0308()});
  EXPECT_EQ((RunStep<CCustomer0308DB, CCustomer0308, CCustomerDB, CCustomer>(0).converted),
            std::vector<Bytes>{ExpectedCurrent('Y')});  // Flag321 kept
}

// Key 4 reads too; updates and deletes find the customer by number.
TEST_F(CustomerFile, ReadUpdateAndDeleteByNumber) {
  CCustomerDB table;
  ASSERT_EQ(table.CreateFile("CUST.DB"), 0);
  CCustomer c = ParseBytes(kCustomerLayout, ExpectedCurrent('N'));
  ASSERT_EQ(table.InsertRecord(c), 0);
  CCustomer back;
  EXPECT_EQ(table.ReadFirst(back, 4), 0);
  EXPECT_EQ(back.CustomerNumber, "C00001");
  EXPECT_EQ(table.ReadNext(back, 4), 9);
  c.Name = "Renamed";
  c.CustomerNumber = "c00001";
  EXPECT_EQ(table.UpdateRecord(c), 0);
  ASSERT_EQ(table.ReadFirst(back, 0), 0);
  EXPECT_EQ(back.Name, "Renamed");
  EXPECT_EQ(table.DeleteRecord("c00001"), 0);
  EXPECT_EQ(table.DeleteRecord("NOBODY"), 0);  // not found counts as deleted
  EXPECT_EQ(table.ReadFirst(back, 0), 9);
}

}  // namespace
