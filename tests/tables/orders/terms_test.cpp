// The terms table: the key specification and step 10 through real files, byte for byte (a
// full-width description without terminator, a one-character code followed by one NUL).
#include "tables/orders/terms.h"

#include "tests/tables/orders/test_util.h"

namespace {

using ordtest::Bytes;
using ordtest::Put;

Bytes Raw0204(const std::string& code, const std::string& description) {
  Bytes r(22, 0);
  Put(r, 0, code);
  Put(r, 2, description);
  return r;
}

Bytes ExpectedTerms(const std::string& code, const std::string& description) {
  Bytes r(40, 0);  // padding 22, 23 and the four numbers all zero
  Put(r, 0, code);
  Put(r, 2, description);
  return r;
}

TEST(TermsSpec, OneKeyOnTheCode) {
  EXPECT_EQ(ordtest::CapturedBlock<CTermsDB>(), ordtest::ExpectedBlock(40, 1, {{1, 2, 0}}));
  EXPECT_EQ(ordtest::CapturedBlock<CTerms0204DB>(), ordtest::ExpectedBlock(22, 1, {{1, 2, 0}}));
}

class TermsFile : public rectest::InScratchDir {};

TEST_F(TermsFile, Step10Converts0204ByteForByte) {
  {
    CTerms0204DB legacy;
    ASSERT_EQ(legacy.CreateFile("TERMS.DB"), 0);
    ASSERT_EQ(ordtest::InsertRaw(legacy, Raw0204("N3", "Net thirty days, 2% ")), 0);
    ASSERT_EQ(ordtest::InsertRaw(legacy, Raw0204("C", "cash")), 0);
  }
  CTerms0204DB legacy;
  ASSERT_EQ(legacy.Open(), 0);
  CTermsDB current;
  ASSERT_EQ(current.CreateFile("TMP.DB"), 0);
  CTerms0204 old;
  CTerms terms;
  terms.Value1 = 7;  // conversion leaves no value of an earlier record behind
  int status = legacy.ReadFirst(old);
  while (status == 0) {
    ConvertRecord(old, terms);
    ASSERT_EQ(current.InsertRecord(terms), 0);
    status = legacy.ReadNext(old);
  }
  EXPECT_EQ(status, 9);
  EXPECT_EQ(ordtest::ReadAllRaw(current),
            (std::vector<Bytes>{ExpectedTerms("C", "cash"),
                                ExpectedTerms("N3", "Net thirty days, 2% ")}));
  EXPECT_EQ(current.InsertRecord(terms), 5);
}

TEST_F(TermsFile, WrongLengthReads22AndEmptyFileReads9) {
  CTerms0204DB legacy;
  ASSERT_EQ(legacy.CreateFile("TERMS.DB"), 0);
  CTerms0204 old;
  EXPECT_EQ(legacy.ReadFirst(old), 9);
  {
    CTermsDB current;
    ASSERT_EQ(current.CreateFile("NEW.DB"), 0);
    CTerms terms;
    terms.Code = "X";
    terms.Value1 = terms.Value2 = terms.Value3 = terms.Value4 = 1;
    ASSERT_EQ(current.InsertRecord(terms), 0);
  }
  ASSERT_EQ(legacy.Open("NEW.DB"), 0);
  EXPECT_EQ(legacy.ReadFirst(old), 22);
}

}  // namespace
