// The price contract table: layouts, the validity test at its boundaries, the 0200 Char57 rule,
// the repositioning ReadNext and the conversions of steps 2a and 2b through real files.
#include "tables/customers/price_contract.h"

#include <ctime>

#include "recfile/field_codec.h"
#include "tests/tables/customers/test_util.h"

namespace {

using namespace custtest;

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
  Put(r, 12, "ab12item00000001ea");
  r[31] = r[42] = r[43] = 0xEE;
  PutI32(r, 32, end);
  PutI32(r, 36, start);
  r[40] = 'Y';
  r[41] = static_cast<uint8_t>(flag41);
  for (int i = 0; i < 5; ++i) {
    PutF32(r, 44 + 4 * i, 60.5f + 4 * i);
  }
  Put(r, 64, "aBzz");
  return r;
}

// What Raw0200 becomes in the current layout.
Bytes Expected0200(const std::string& id, const std::string& customer, char char57,
                   int32_t end = kFarAhead, int32_t start = kLongAgo) {
  Bytes r(88, 0);
  Put(r, 0, id);  // six characters, nine NULs behind them
  Put(r, 15, customer);
  Put(r, 29, "AB12ITEM00000001EA");  // Text21 before it empty
  PutI32(r, 48, end);
  PutI32(r, 52, start);
  r[56] = 'Y';
  r[57] = static_cast<uint8_t>(char57);
  for (int i = 0; i < 5; ++i) {
    PutF32(r, 60 + 4 * i, 60.5f + 4 * i);
  }
  Put(r, 80, "ABZZ");
  return r;
}

Bytes Raw0202(const std::string& id, const std::string& customer, int32_t end = kFarAhead,
              int32_t start = kLongAgo) {
  Bytes r(84, 0);
  Put(r, 0, id);
  Put(r, 15, customer);
  Put(r, 21, "text21abt29xitem00000002cs");
  PutI32(r, 48, end);
  PutI32(r, 52, start);
  Put(r, 56, "yc\xEE\xEE");
  for (int i = 0; i < 5; ++i) {
    PutF32(r, 60 + 4 * i, -1.25f * (i + 1));
  }
  r[80] = 'x';
  Put(r, 82, "q7");
  return r;
}

Bytes Expected0202(const std::string& id, const std::string& customer, int32_t end = kFarAhead,
                   int32_t start = kLongAgo) {
  Bytes r(88, 0);
  Put(r, 0, id);
  Put(r, 15, customer);
  Put(r, 21, "TEXT21ABT29XITEM00000002CS");
  PutI32(r, 48, end);
  PutI32(r, 52, start);
  Put(r, 56, "NC");  // a lower-case "y" is not "Y"
  for (int i = 0; i < 5; ++i) {
    PutF32(r, 60 + 4 * i, -1.25f * (i + 1));
  }
  r[80] = 'X';
  Put(r, 82, "Q7");  // two characters, two NULs behind them
  return r;
}

TEST(PriceContractValidity, BoundariesMinusOneAndNegativeTimes) {
  const int64_t now = 1700000000;
  const int64_t latest = Local(2037, 12, 31, 23, 59, 59);
  const int64_t earliest = Local(1970, 1, 1, 1, 1, 1);
  struct Case {
    int64_t start, end, now;
    int want;
  };
  // A second either side of now for the end and the start; -1 for a start never given (long
  // ago) and an end never given (23:59:59 on 31 December 2037); other dates before 1970 passed.
  const Case cases[] = {{kLongAgo, now - 1, now, 4},  {kLongAgo, now, now, 0},
                        {kLongAgo, now + 1, now, 0},  {now + 1, kFarAhead, now, 4},
                        {now, kFarAhead, now, 0},     {now - 1, kFarAhead, now, 0},
                        {now + 1, now - 1, now, 4},   {-1, kFarAhead, now, 0},
                        {kLongAgo, -1, now, 0},       {-1, -1, now, 0},
                        {kLongAgo, -1, latest, 0},    {kLongAgo, -1, latest + 1, 4},
                        {-1, kFarAhead, earliest, 0}, {-1, kFarAhead, earliest - 1, 4},
                        {kLongAgo, -2, now, 4},       {INT32_MIN, kFarAhead, now, 0},
                        {kLongAgo, INT32_MIN, now, 4}};
  for (const Case& c : cases) {
    EXPECT_EQ(ContractValidity(c.start, c.end, c.now), c.want)
        << c.start << " to " << c.end << " at " << c.now;
  }
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

class PriceContractFile : public rectest::InScratchDir {};

// Steps 2a and 2b read on key 1 and convert every contract, in force (0) or not (4).
template <class LegacyDB, class Legacy>
StepRun<Legacy> ConvertFile(const std::vector<Bytes>& raw) {
  WriteRaw<LegacyDB>(raw);
  return RunStep<LegacyDB, Legacy, CPriceContractDB, CPriceContract>(1, 0, {0, 4});
}

TEST_F(PriceContractFile, Converts0200ByteForByteKeepingOutOfDateContracts) {
  // Key 1 order: customer C1 (ended in 1973), C2 (in force), C3 (starts in 2033, no end).
  const auto run = ConvertFile<CPriceContract0200DB, CPriceContract0200>(
      {Raw0200("pc0003", "c3", 'N', -1, kFarAhead), Raw0200("pc0001", "c2", 'Y'),
       Raw0200("pc0002", "c1", 'y', kLongAgo, -1)});
  EXPECT_EQ(run.statuses, (std::vector<int>{4, 0, 4}));
  EXPECT_EQ(run.converted, (std::vector<Bytes>{Expected0200("PC0001", "C2", 'C'),
                                               Expected0200("PC0002", "C1", 'I', kLongAgo, -1),
                                               Expected0200("PC0003", "C3", 'I', -1, kFarAhead)}));
}

TEST_F(PriceContractFile, Converts0202ByteForByte) {
  const auto run = ConvertFile<CPriceContract0202DB, CPriceContract0202>(
      {Raw0202("long-contract-1", "cust01"), Raw0202("a", "cust00", -7, -1)});
  EXPECT_EQ(run.statuses, (std::vector<int>{4, 0}));
  EXPECT_EQ(run.converted, (std::vector<Bytes>{Expected0202("A", "CUST00", -7, -1),
                                               Expected0202("LONG-CONTRACT-1", "CUST01")}));
}

// Key 0 is unique; ReadNext on a key other than the last read's goes on from the current record.
TEST_F(PriceContractFile, ReadNextOnAnotherKeyGoesOnFromTheCurrentRecord) {
  // Key 0 order A, B, C; key 1 (customer) order C, A, B.
  WriteRaw<CPriceContract0200DB>(
      {Raw0200("a", "c2", 'N'), Raw0200("b", "c3", 'N'), Raw0200("c", "c1", 'N')});
  CPriceContract0200DB table;
  ASSERT_EQ(table.Open(), 0);
  EXPECT_EQ(InsertRaw(table, Raw0200("a", "c9", 'N')), 5);
  CPriceContract0200 r;
  ASSERT_EQ(table.ReadFirst(r, 0), 0);
  EXPECT_EQ(r.ContractId, "A");
  EXPECT_EQ(table.ReadNext(r, -1), 6);
  ASSERT_EQ(table.ReadNext(r, 1), 0);
  EXPECT_EQ(r.ContractId, "B");
  EXPECT_EQ(table.ReadNext(r, 1), 9);
  ASSERT_EQ(table.ReadFirst(r, 1), 0);
  EXPECT_EQ(r.ContractId, "C");
  ASSERT_EQ(table.ReadNext(r, 0), 9);  // C is last on key 0
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
  std::vector<Bytes> raw = ReadAllRaw(table);
  ASSERT_EQ(raw.size(), 1u);
  EXPECT_EQ(raw[0][82], 'N');
  EXPECT_EQ(table.DeleteRecord("k1"), 0);
  EXPECT_EQ(ReadAllRaw(table).size(), 0u);
}

}  // namespace
