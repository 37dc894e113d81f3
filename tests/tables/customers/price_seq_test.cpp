// The price sequence table: layouts, Text40's trailing white space, the ninth number and the
// conversion of step 7 through a real file.
#include "tables/customers/price_seq.h"

#include "recfile/field_codec.h"
#include "tests/tables/customers/test_util.h"

namespace {

using custtest::Bytes;
using custtest::Put;
using custtest::PutI32;

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

TEST(PriceSeqLayout, DeclarationsAreSoundAndLeaveOnlyTheReservedBytes) {
  EXPECT_EQ(recfile::CheckLayout(kPriceSeqLayout), "");
  EXPECT_EQ(recfile::CheckLayout(kPriceSeq0201Layout), "");
  EXPECT_EQ(custtest::Uncovered(kPriceSeqLayout), custtest::Range(70, 71));
  EXPECT_TRUE(custtest::Uncovered(kPriceSeq0201Layout).empty());
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

TEST(PriceSeqSpec, BlocksByteForByte) {
  const std::vector<custtest::Seg> keys = {{1, 4, 3}, {5, 6, 3}, {1, 10, 0}};
  EXPECT_EQ(custtest::CapturedBlock<CPriceSeqDB>(), custtest::ExpectedBlock(108, 3, keys));
  EXPECT_EQ(custtest::CapturedBlock<CPriceSeq0201DB>(), custtest::ExpectedBlock(72, 3, keys));
}

class PriceSeqFile : public custtest::ScratchDir {};

TEST_F(PriceSeqFile, Converts0201ByteForByteInKey0Order) {
  {
    CPriceSeq0201DB old;
    ASSERT_EQ(old.CreateFile("PRICESEQ.DB"), 0);
    ASSERT_EQ(custtest::InsertRaw(old, Raw0201("b", "c1", 100)), 0);
    ASSERT_EQ(custtest::InsertRaw(old, Raw0201("a", "c9", -200)), 0);
    ASSERT_EQ(custtest::InsertRaw(old, Raw0201("a", "c1", 300)), 0);  // duplicate code
  }
  CPriceSeq0201DB old;
  CPriceSeqDB fresh;
  ASSERT_EQ(old.Open(), 0);
  ASSERT_EQ(fresh.CreateFile("TMP.DB"), 0);
  CPriceSeq0201 r;
  CPriceSeq s;
  std::vector<std::string> order;
  int status = old.ReadFirst(r, 0);
  while (status == 0) {
    order.push_back(r.Text0 + r.CustomerNumber);
    ConvertRecord(r, s);
    ASSERT_EQ(fresh.InsertRecord(s), 0);
    status = old.ReadNext(r, 0);
  }
  EXPECT_EQ(status, 9);
  EXPECT_EQ(order, (std::vector<std::string>{"AC9", "AC1", "BC1"}));  // duplicates as stored
  const std::vector<Bytes> got = custtest::ReadAllRaw(fresh, 2);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0], Expected("A", "C1", 300));
  EXPECT_EQ(got[1], Expected("A", "C9", -200));
  EXPECT_EQ(got[2], Expected("B", "C1", 100));
}

TEST_F(PriceSeqFile, ReadNextOnAnotherKeyGoesOnFromTheCurrentRecord) {
  CPriceSeq0201DB table;
  ASSERT_EQ(table.CreateFile("PRICESEQ.DB"), 0);
  // Key 0 (code) order A, B, C; key 1 (customer) order C, A, B.
  ASSERT_EQ(custtest::InsertRaw(table, Raw0201("a", "c2", 0)), 0);
  ASSERT_EQ(custtest::InsertRaw(table, Raw0201("b", "c3", 0)), 0);
  ASSERT_EQ(custtest::InsertRaw(table, Raw0201("c", "c1", 0)), 0);
  CPriceSeq0201 r;
  ASSERT_EQ(table.ReadFirst(r, 0), 0);
  EXPECT_EQ(r.Text0, "A");
  ASSERT_EQ(table.ReadNext(r, 1), 0);
  EXPECT_EQ(r.Text0, "B");
  EXPECT_EQ(table.ReadNext(r, 1), 9);
  EXPECT_EQ(table.ReadFirst(r, 3), 6);
  EXPECT_EQ(custtest::InsertRaw(table, Raw0201("a", "c2", 5)), 5);  // key 2 is unique
}

TEST_F(PriceSeqFile, ARecordOfAnotherLengthAnswers22) {
  {
    CPriceSeqDB current;
    ASSERT_EQ(current.CreateFile("PRICESEQ.DB"), 0);
    ASSERT_EQ(custtest::InsertRaw(current, Expected("A", "C1", 0)), 0);
  }
  CPriceSeq0201DB legacy;
  ASSERT_EQ(legacy.Open(), 0);
  CPriceSeq0201 r;
  EXPECT_EQ(legacy.ReadFirst(r, 0), 22);
}

}  // namespace
