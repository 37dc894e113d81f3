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

// A 0200 contract written by hand from the layout table, texts in lower case, and its
// conversion: Char57 "C" for a Flag41 of "Y", "I" otherwise; Text21 empty; the reserved bytes
// (0xEE) not carried.
Pair Contract0200(const std::string& id, const std::string& customer, char flag41,
                  int32_t end = kFarAhead, int32_t start = kLongAgo) {
  const std::string dates = I32(end) + I32(start) + "Y";
  return Records(68, 88,
                 {{0, 0, id, Upper(id)},
                  {6, 15, customer, Upper(customer)},
                  {12, 29, "ab12item00000001ea", "AB12ITEM00000001EA"},
                  {31, -1, "\xEE", ""},
                  {32, 48, dates + flag41 + "\xEE\xEE", dates + (flag41 == 'Y' ? 'C' : 'I')},
                  {44, 60, F32s(60.5f, 4, 5) + "aBzz", F32s(60.5f, 4, 5) + "ABZZ"}});
}

Pair Contract0202(const std::string& id, const std::string& customer, int32_t end = kFarAhead,
                  int32_t start = kLongAgo) {
  const std::string amounts = I32(end) + I32(start);
  return Records(84, 88,
                 {{0, 0, id, Upper(id)},
                  {15, 15, customer, Upper(customer)},
                  {21, 21, "text21abt29xitem00000002cs", "TEXT21ABT29XITEM00000002CS"},
                  {48, 48, amounts + "yc\xEE\xEE", amounts + "NC"},  // a lower-case "y" is not "Y"
                  {60, 60, F32s(-1.25f, -1.25f, 5) + "x", F32s(-1.25f, -1.25f, 5) + "X"},
                  {82, 82, "q7", "Q7"}});  // two characters, two NULs behind them
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
    const Bytes r = Contract0200("pc0001", "c1", byte).legacy;
    CPriceContract0200 old;
    recfile::Parse(kPriceContract0200Layout, r.data(), r.size(), old);
    CPriceContract c;
    c.Text21 = "stale";
    ConvertRecord(old, c);
    EXPECT_EQ(c.Char57, byte == 'Y' ? 'C' : 'I') << "byte " << int(byte);
    EXPECT_EQ(c.Text21, "");
  }
}

class PriceContractFile : public InScratchDir {};

// Steps 2a and 2b read on key 1 and convert every contract, in force (0) or not (4).
template <class LegacyDB, class Old>
void ExpectConverted(const std::vector<Pair>& raw, const std::vector<int>& statuses,
                     const std::vector<int>& order) {
  WriteRaw<LegacyDB>(Legacy(raw));
  const auto run = RunStep<LegacyDB, Old, CPriceContractDB, CPriceContract>(1, 0, {0, 4});
  EXPECT_EQ(run.statuses, statuses);
  EXPECT_EQ(run.converted, Converted(raw, order));
}

// Key 1 order: customer C1 (ended in 1973), C2 (in force), C3 (starts in 2033, no end); in 0202
// CUST00 (ended at -7, no start) before CUST01 (in force).
TEST_F(PriceContractFile, ConvertsByteForByteKeepingOutOfDateContracts) {
  ExpectConverted<CPriceContract0200DB, CPriceContract0200>(
      {Contract0200("pc0003", "c3", 'N', -1, kFarAhead), Contract0200("pc0001", "c2", 'Y'),
       Contract0200("pc0002", "c1", 'y', kLongAgo, -1)},
      {4, 0, 4}, {1, 2, 0});
  ExpectConverted<CPriceContract0202DB, CPriceContract0202>(
      {Contract0202("long-contract-1", "cust01"), Contract0202("a", "cust00", -7, -1)}, {4, 0},
      {1, 0});
}

// ReadNext on a key other than the last read's goes on from the current record.
TEST_F(PriceContractFile, ReadNextOnAnotherKeyGoesOnFromTheCurrentRecord) {
  // Key 0 order A, B, C; key 1 (customer) order C, A, B.
  WriteRaw<CPriceContract0200DB>(Legacy(
      {Contract0200("a", "c2", 'N'), Contract0200("b", "c3", 'N'), Contract0200("c", "c1", 'N')}));
  CPriceContract0200DB table;
  ASSERT_EQ(table.Open(), 0);
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
