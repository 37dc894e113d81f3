// The price contract table: layouts, the validity test at its boundaries, the 0200 Char57 rule,
// the repositioning ReadNext and the conversions of steps 2a and 2b through real files.
#include "tables/customers/price_contract.h"

#include <ctime>

#include "recfile/field_codec.h"
#include "tests/tables/customers/test_util.h"

namespace {

using custtest::Bytes;
using custtest::Put;
using custtest::PutF32;
using custtest::PutI32;

constexpr int32_t kLongAgo = 100000000;    // 1973
constexpr int32_t kFarAhead = 2000000000;  // 2033

int64_t Local(int year, int month, int day, int hour, int minute, int second) {
  struct tm t = {};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;
  return std::mktime(&t);
}

// A 0200 contract written by hand from the layout table, texts in lower case.
Bytes Raw0200(const std::string& id, const std::string& customer, char flag41,
              int32_t end = kFarAhead, int32_t start = kLongAgo) {
  Bytes r(68, 0);
  Put(r, 0, id);
  Put(r, 6, customer);
  Put(r, 12, "ab12");
  Put(r, 16, "item00000001");
  Put(r, 28, "ea");
  r[31] = 0xEE;
  PutI32(r, 32, end);
  PutI32(r, 36, start);
  r[40] = 'Y';
  r[41] = static_cast<uint8_t>(flag41);
  r[42] = r[43] = 0xEE;
  for (int i = 0; i < 5; ++i) {
    PutF32(r, 44 + 4 * i, 60.5f + 4 * i);
  }
  r[64] = 'a';
  r[65] = 'B';
  Put(r, 66, "zz");
  return r;
}

// What Raw0200 becomes in the current layout.
Bytes Expected0200(const std::string& id, const std::string& customer, char char57,
                   int32_t end = kFarAhead, int32_t start = kLongAgo) {
  Bytes r(88, 0);
  Put(r, 0, id);  // six characters, nine NULs behind them
  Put(r, 15, customer);
  // 21 to 28: Text21, empty
  Put(r, 29, "AB12");
  Put(r, 33, "ITEM00000001");
  Put(r, 45, "EA");
  PutI32(r, 48, end);
  PutI32(r, 52, start);
  r[56] = 'Y';
  r[57] = static_cast<uint8_t>(char57);
  for (int i = 0; i < 5; ++i) {
    PutF32(r, 60 + 4 * i, 60.5f + 4 * i);
  }
  r[80] = 'A';
  r[81] = 'B';
  Put(r, 82, "ZZ");
  return r;
}

Bytes Raw0202(const std::string& id, const std::string& customer, int32_t end = kFarAhead,
              int32_t start = kLongAgo) {
  Bytes r(84, 0);
  Put(r, 0, id);
  Put(r, 15, customer);
  Put(r, 21, "text21ab");
  Put(r, 29, "t29x");
  Put(r, 33, "item00000002");
  Put(r, 45, "cs");
  PutI32(r, 48, end);
  PutI32(r, 52, start);
  r[56] = 'y';
  r[57] = 'c';
  r[58] = r[59] = 0xEE;
  for (int i = 0; i < 5; ++i) {
    PutF32(r, 60 + 4 * i, -1.25f * (i + 1));
  }
  r[80] = 'x';
  r[81] = 0;
  Put(r, 82, "q7");
  return r;
}

Bytes Expected0202(const std::string& id, const std::string& customer, int32_t end = kFarAhead,
                   int32_t start = kLongAgo) {
  Bytes r(88, 0);
  Put(r, 0, id);
  Put(r, 15, customer);
  Put(r, 21, "TEXT21AB");
  Put(r, 29, "T29X");
  Put(r, 33, "ITEM00000002");
  Put(r, 45, "CS");
  PutI32(r, 48, end);
  PutI32(r, 52, start);
  r[56] = 'N';  // a lower-case "y" is not "Y"
  r[57] = 'C';
  for (int i = 0; i < 5; ++i) {
    PutF32(r, 60 + 4 * i, -1.25f * (i + 1));
  }
  r[80] = 'X';
  r[81] = 0;
  Put(r, 82, "Q7");  // two characters, two NULs behind them
  return r;
}

TEST(PriceContractLayout, DeclarationsAreSoundAndLeaveOnlyTheReservedBytes) {
  using custtest::Join;
  using custtest::Range;
  EXPECT_EQ(recfile::CheckLayout(kPriceContractLayout), "");
  EXPECT_EQ(recfile::CheckLayout(kPriceContract0202Layout), "");
  EXPECT_EQ(recfile::CheckLayout(kPriceContract0200Layout), "");
  EXPECT_EQ(custtest::Uncovered(kPriceContractLayout), Join({Range(58, 59), Range(86, 87)}));
  EXPECT_EQ(custtest::Uncovered(kPriceContract0202Layout), Range(58, 59));
  EXPECT_EQ(custtest::Uncovered(kPriceContract0200Layout), Join({Range(31, 31), Range(42, 43)}));
}

TEST(PriceContractLayout, NegativeTimesAreSignExtended) {
  Bytes r = Raw0200("pc0001", "c1", 'N', -5, -1);
  CPriceContract0200 c;
  recfile::Parse(kPriceContract0200Layout, r.data(), r.size(), c);
  EXPECT_EQ(c.EndDate, -5);
  EXPECT_EQ(c.StartDate, -1);
}

TEST(PriceContractValidity, Boundaries) {
  const int64_t now = 1700000000;
  EXPECT_EQ(ContractValidity(kLongAgo, now - 1, now), 4);  // ended a second ago
  EXPECT_EQ(ContractValidity(kLongAgo, now, now), 0);      // ends this very second
  EXPECT_EQ(ContractValidity(kLongAgo, now + 1, now), 0);
  EXPECT_EQ(ContractValidity(now + 1, kFarAhead, now), 4);  // starts in a second
  EXPECT_EQ(ContractValidity(now, kFarAhead, now), 0);
  EXPECT_EQ(ContractValidity(now - 1, kFarAhead, now), 0);
  EXPECT_EQ(ContractValidity(now + 1, now - 1, now), 4);
}

TEST(PriceContractValidity, MinusOneAndNegativeTimes) {
  const int64_t now = 1700000000;
  EXPECT_EQ(ContractValidity(-1, kFarAhead, now), 0);  // start never given: long ago
  EXPECT_EQ(ContractValidity(kLongAgo, -1, now), 0);   // end never given: not expired
  EXPECT_EQ(ContractValidity(-1, -1, now), 0);
  const int64_t latest = Local(2037, 12, 31, 23, 59, 59);
  EXPECT_EQ(ContractValidity(kLongAgo, -1, latest), 0);
  EXPECT_EQ(ContractValidity(kLongAgo, -1, latest + 1), 4);
  const int64_t earliest = Local(1970, 1, 1, 1, 1, 1);
  EXPECT_EQ(ContractValidity(-1, kFarAhead, earliest), 0);
  EXPECT_EQ(ContractValidity(-1, kFarAhead, earliest - 1), 4);
  EXPECT_EQ(ContractValidity(kLongAgo, -2, now), 4);  // a date before 1970 has passed
  EXPECT_EQ(ContractValidity(INT32_MIN, kFarAhead, now), 0);
  EXPECT_EQ(ContractValidity(kLongAgo, INT32_MIN, now), 4);
}

TEST(PriceContractConvert, Char57From0200Flag41) {
  for (const char byte : {'Y', 'y', 'N', ' ', '\0', 'C'}) {
    Bytes r = Raw0200("pc0001", "c1", byte);
    CPriceContract0200 old;
    recfile::Parse(kPriceContract0200Layout, r.data(), r.size(), old);
    CPriceContract c;
    c.Text21 = "stale";
    ConvertRecord(old, c);
    EXPECT_EQ(c.Char57, byte == 'Y' ? 'C' : 'I') << "byte " << int(byte);
    EXPECT_EQ(c.Text21, "");
  }
}

TEST(PriceContractSpec, BlocksByteForByte) {
  using custtest::Seg;
  const std::vector<Seg> keys = {{1, 15, 0}, {16, 6, 0x13}, {34, 15, 3}, {30, 19, 3}, {22, 27, 3}};
  EXPECT_EQ(custtest::CapturedBlock<CPriceContractDB>(), custtest::ExpectedBlock(88, 4, keys));
  EXPECT_EQ(custtest::CapturedBlock<CPriceContract0202DB>(), custtest::ExpectedBlock(84, 4, keys));
  EXPECT_EQ(custtest::CapturedBlock<CPriceContract0200DB>(),
            custtest::ExpectedBlock(68, 3, {{1, 6, 0}, {7, 6, 0x13}, {17, 15, 3}, {13, 19, 3}}));
  EXPECT_EQ(custtest::CapturedBlock<CPriceContract0200DB>().size(), 80u);
}

class PriceContractFile : public custtest::ScratchDir {};

template <class LegacyDB>
void WriteLegacy(const std::vector<Bytes>& raw) {
  LegacyDB old;
  ASSERT_EQ(old.CreateFile("PCONT.DB"), 0);
  for (const Bytes& r : raw) {
    ASSERT_EQ(custtest::InsertRaw(old, r), 0);
  }
}

// Steps 2a and 2b: read on key 1, convert and insert every record, in force or not; returns the
// statuses of the reads and leaves the new file's raw records in `out` (key-0 order).
template <class LegacyDB, class Legacy>
std::vector<int> ConvertFile(const std::vector<Bytes>& raw, std::vector<Bytes>& out) {
  WriteLegacy<LegacyDB>(raw);
  LegacyDB old;
  CPriceContractDB fresh;
  EXPECT_EQ(old.Open(), 0);
  EXPECT_EQ(fresh.CreateFile("TMP.DB"), 0);
  std::vector<int> statuses;
  Legacy r;
  CPriceContract c;
  int status = old.ReadFirst(r, 1);
  while (status == 0 || status == 4) {
    statuses.push_back(status);
    ConvertRecord(r, c);
    EXPECT_EQ(fresh.InsertRecord(c), 0);
    status = old.ReadNext(r, 1);
  }
  EXPECT_EQ(status, 9);
  out = custtest::ReadAllRaw(fresh);
  return statuses;
}

TEST_F(PriceContractFile, Converts0200ByteForByteKeepingOutOfDateContracts) {
  std::vector<Bytes> got;
  // Key 1 order: customer C1 (ended in 1973), C2 (in force), C3 (starts in 2033, no end).
  const std::vector<int> statuses = ConvertFile<CPriceContract0200DB, CPriceContract0200>(
      {Raw0200("pc0003", "c3", 'N', -1, kFarAhead), Raw0200("pc0001", "c2", 'Y'),
       Raw0200("pc0002", "c1", 'y', kLongAgo, -1)},
      got);
  EXPECT_EQ(statuses, (std::vector<int>{4, 0, 4}));
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0], Expected0200("PC0001", "C2", 'C'));
  EXPECT_EQ(got[1], Expected0200("PC0002", "C1", 'I', kLongAgo, -1));
  EXPECT_EQ(got[2], Expected0200("PC0003", "C3", 'I', -1, kFarAhead));
}

TEST_F(PriceContractFile, Converts0202ByteForByte) {
  std::vector<Bytes> got;
  const std::vector<int> statuses = ConvertFile<CPriceContract0202DB, CPriceContract0202>(
      {Raw0202("long-contract-1", "cust01"), Raw0202("a", "cust00", -7, -1)}, got);
  EXPECT_EQ(statuses, (std::vector<int>{4, 0}));
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0], Expected0202("A", "CUST00", -7, -1));
  EXPECT_EQ(got[1], Expected0202("LONG-CONTRACT-1", "CUST01"));
}

TEST_F(PriceContractFile, AnOutOfDateRecordIsReadInFull) {
  WriteLegacy<CPriceContract0202DB>({Raw0202("old", "c1", kLongAgo)});
  CPriceContract0202DB table;
  ASSERT_EQ(table.Open(), 0);
  CPriceContract0202 r;
  EXPECT_EQ(table.ReadFirst(r, 1), 4);
  EXPECT_EQ(r.ContractId, "OLD");
  EXPECT_EQ(r.ItemNumber, "ITEM00000002");
  EXPECT_EQ(r.EndDate, kLongAgo);
  EXPECT_EQ(table.ReadNext(r, 1), 9);
}

TEST_F(PriceContractFile, ReadNextOnAnotherKeyGoesOnFromTheCurrentRecord) {
  // Key 0 order A, B, C; key 1 (customer) order C, A, B.
  WriteLegacy<CPriceContract0200DB>(
      {Raw0200("a", "c2", 'N'), Raw0200("b", "c3", 'N'), Raw0200("c", "c1", 'N')});
  CPriceContract0200DB table;
  ASSERT_EQ(table.Open(), 0);
  CPriceContract0200 r;
  ASSERT_EQ(table.ReadFirst(r, 0), 0);
  EXPECT_EQ(r.ContractId, "A");
  ASSERT_EQ(table.ReadNext(r, 1), 0);
  EXPECT_EQ(r.ContractId, "B");
  EXPECT_EQ(table.ReadNext(r, 1), 9);
  ASSERT_EQ(table.ReadFirst(r, 1), 0);
  EXPECT_EQ(r.ContractId, "C");
  ASSERT_EQ(table.ReadNext(r, 0), 9);  // C is last on key 0
}

TEST_F(PriceContractFile, StatusesOfTheReaders) {
  WriteLegacy<CPriceContract0200DB>({});
  CPriceContract0200DB table;
  ASSERT_EQ(table.Open(), 0);
  CPriceContract0200 r;
  EXPECT_EQ(table.ReadFirst(r, 1), 9);
  EXPECT_EQ(table.ReadFirst(r, 3), 6);
  EXPECT_EQ(table.ReadNext(r, -1), 6);
  ASSERT_EQ(custtest::InsertRaw(table, Raw0200("x", "c1", 'N')), 0);
  EXPECT_EQ(custtest::InsertRaw(table, Raw0200("x", "c9", 'N')), 5);  // key 0 is unique
  CPriceContract0202DB closed;
  CPriceContract0202 r2;
  EXPECT_EQ(closed.ReadFirst(r2, 0), 3);
}

TEST_F(PriceContractFile, ARecordOfAnotherLengthAnswers22) {
  WriteLegacy<CPriceContract0200DB>({Raw0200("x", "c1", 'N')});
  CPriceContract0202DB table;  // expects 84-byte records
  ASSERT_EQ(table.Open(), 0);
  CPriceContract0202 r;
  EXPECT_EQ(table.ReadFirst(r, 0), 22);
  EXPECT_EQ(table.ReadFirst(r, 4), 6);
}

TEST_F(PriceContractFile, UpdateAndDeleteFindTheContractById) {
  CPriceContractDB table;
  ASSERT_EQ(table.CreateFile("PCONT.DB"), 0);
  CPriceContract c;
  c.ContractId = "k1";
  c.CustomerNumber = "c1";
  ASSERT_EQ(table.InsertRecord(c), 0);
  c.Text82 = "new";
  EXPECT_EQ(table.UpdateRecord(c), 0);
  std::vector<Bytes> raw = custtest::ReadAllRaw(table);
  ASSERT_EQ(raw.size(), 1u);
  EXPECT_EQ(raw[0][82], 'N');
  EXPECT_EQ(table.DeleteRecord("k1"), 0);
  EXPECT_EQ(custtest::ReadAllRaw(table).size(), 0u);
}

}  // namespace
