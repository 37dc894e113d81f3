// The price sequence table: layouts, Text40's trailing white space, the ninth number and the
// conversion of step 7 through a real file.
#include "tables/customers/price_seq.h"

#include "recfile/field_codec.h"
#include "tests/tables/customers/test_util.h"

namespace {

using namespace custtest;

Bytes Raw0201(const std::string& code, const std::string& customer, int32_t base) {
  Bytes r(72, 0);
  Put(r, 0, code);
  Put(r, 4, customer);
  Put(r, 10, "Lower and Upper, thirty chars!");
  for (int i = 0; i < 8; ++i) {
    PutI32(r, 40 + 4 * i, base + i);
  }
  return r;
}

Bytes Expected(const std::string& code, const std::string& customer, int32_t base) {
  Bytes r(108, 0);
  Put(r, 0, code);
  Put(r, 4, customer);
  Put(r, 10, "Lower and Upper, thirty chars!");
  for (int i = 0; i < 8; ++i) {
    PutI32(r, 72 + 4 * i, base + i);
  }
  PutI32(r, 104, -1);
  return r;
}

TEST(PriceSeqLayout, Text40IsUpperCasedAndLosesTrailingWhiteSpace) {
  CPriceSeq s;
  s.Text40 = "tail \t\r\n  ";
  Bytes out(108);
  recfile::Format(kPriceSeqLayout, s, out.data());
  EXPECT_EQ(std::string(out.begin() + 40, out.begin() + 46), std::string("TAIL\0\0", 6));
  s.Text40 = "   ";
  recfile::Format(kPriceSeqLayout, s, out.data());
  EXPECT_EQ(out[40], 0);
  s.Text40 = " lead";
  recfile::Format(kPriceSeqLayout, s, out.data());
  EXPECT_EQ(std::string(out.begin() + 40, out.begin() + 46), std::string(" LEAD\0", 6));
  Bytes raw(108, 0);
  Put(raw, 40, "abc");
  CPriceSeq back;
  recfile::Parse(kPriceSeqLayout, raw.data(), raw.size(), back);
  EXPECT_EQ(back.Text40, "ABC");
}

class PriceSeqFile : public rectest::InScratchDir {};

TEST_F(PriceSeqFile, Converts0201ByteForByteInKey0Order) {
  WriteRaw<CPriceSeq0201DB>(
      {Raw0201("b", "c1", 100), Raw0201("a", "c9", -200), Raw0201("a", "c1", 300)});
  const auto run = RunStep<CPriceSeq0201DB, CPriceSeq0201, CPriceSeqDB, CPriceSeq>(0, 2);
  std::vector<std::string> order;
  for (const CPriceSeq0201& r : run.read) {
    order.push_back(r.Text0 + r.CustomerNumber);
  }
  EXPECT_EQ(order, (std::vector<std::string>{"AC9", "AC1", "BC1"}));  // duplicates as stored
  EXPECT_EQ(run.converted, (std::vector<Bytes>{Expected("A", "C1", 300), Expected("A", "C9", -200),
                                               Expected("B", "C1", 100)}));
}

TEST_F(PriceSeqFile, ReadNextOnAnotherKeyGoesOnFromTheCurrentRecord) {
  CPriceSeq0201DB table;
  ASSERT_EQ(table.CreateFile("PRICESEQ.DB"), 0);
  // Key 0 (code) order A, B, C; key 1 (customer) order C, A, B.
  ASSERT_EQ(InsertRaw(table, Raw0201("a", "c2", 0)), 0);
  ASSERT_EQ(InsertRaw(table, Raw0201("b", "c3", 0)), 0);
  ASSERT_EQ(InsertRaw(table, Raw0201("c", "c1", 0)), 0);
  CPriceSeq0201 r;
  ASSERT_EQ(table.ReadFirst(r, 0), 0);
  EXPECT_EQ(r.Text0, "A");
  ASSERT_EQ(table.ReadNext(r, 1), 0);
  EXPECT_EQ(r.Text0, "B");
  EXPECT_EQ(table.ReadNext(r, 1), 9);
  EXPECT_EQ(InsertRaw(table, Raw0201("a", "c2", 5)), 5);  // key 2 is unique
}

}  // namespace
