// The price sequence table: Text40's trailing white space, the ninth number, reading on another
// key and the conversion of step 7 through a real file.
#include "tables/customers/price_seq.h"

#include "tests/tables/customers/test_util.h"

namespace {

using namespace custtest;

// A 0201 record and its conversion: the eight numbers 32 bytes on, the ninth -1.
Pair Seq(const std::string& code, const std::string& customer, int32_t base) {
  std::string numbers;
  for (int i = 0; i < 8; ++i) {
    numbers += I32(base + i);
  }
  const std::string text = "Lower and Upper, thirty chars!";
  return Records(72, 108,
                 {{0, 0, code, Upper(code)},
                  {4, 4, customer, Upper(customer)},
                  {10, 10, text, text},
                  {40, 72, numbers, numbers},
                  {-1, 104, "", I32(-1)}});
}

TEST(PriceSeqLayout, Text40IsUpperCasedAndLosesTrailingWhiteSpace) {
  CPriceSeq s;
  for (auto [text, stored] : {std::pair{"tail \t\r\n  ", std::string("TAIL\0\0", 6)},
                              {"   ", std::string(6, '\0')},
                              {" lead", std::string(" LEAD\0", 6)}}) {
    s.Text40 = text;
    const Bytes out = Formatted(kPriceSeqLayout, s);
    EXPECT_EQ(std::string(out.begin() + 40, out.begin() + 46), stored) << text;
  }
  Bytes raw(108, 0);
  Put(raw, 40, "abc");
  recfile::Parse(kPriceSeqLayout, raw.data(), raw.size(), s);
  EXPECT_EQ(s.Text40, "ABC");
}

class PriceSeqFile : public InScratchDir {};

TEST_F(PriceSeqFile, Converts0201ByteForByteInKey0Order) {
  const std::vector<Pair> seqs = {Seq("b", "c1", 100), Seq("a", "c9", -200), Seq("a", "c1", 300)};
  WriteRaw<CPriceSeq0201DB>(Legacy(seqs));
  const auto run = RunStep<CPriceSeq0201DB, CPriceSeq0201, CPriceSeqDB, CPriceSeq>(0, 2);
  std::vector<std::string> order;
  for (const CPriceSeq0201& r : run.read) {
    order.push_back(r.Text0 + r.CustomerNumber);
  }
  EXPECT_EQ(order, (std::vector<std::string>{"AC9", "AC1", "BC1"}));  // duplicates as stored
  EXPECT_EQ(run.converted, Converted(seqs, {2, 1, 0}));
}

TEST_F(PriceSeqFile, ReadNextOnAnotherKeyGoesOnFromTheCurrentRecord) {
  // Key 0 (code) order A, B, C; key 1 (customer) order C, A, B.
  WriteRaw<CPriceSeq0201DB>(
      {Seq("a", "c2", 0).legacy, Seq("b", "c3", 0).legacy, Seq("c", "c1", 0).legacy});
  CPriceSeq0201DB table;
  ASSERT_EQ(table.Open(), 0);
  CPriceSeq0201 r;
  ASSERT_EQ(table.ReadFirst(r, 0), 0);
  EXPECT_EQ(r.Text0, "A");
  ASSERT_EQ(table.ReadNext(r, 1), 0);
  EXPECT_EQ(r.Text0, "B");
  EXPECT_EQ(table.ReadNext(r, 1), 9);
}

}  // namespace
