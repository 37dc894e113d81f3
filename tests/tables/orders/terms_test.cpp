// The terms table: step 10 through real files, byte for byte (a full-width description without
// terminator, a one-character code followed by one NUL).
#include "tables/orders/terms.h"

#include "tests/tables/orders/test_util.h"

namespace {

using ordtest::Bytes;
using ordtest::Put;

// A record of 22 bytes (0204) or 40 (current: padding 22, 23 and the four numbers all zero).
Bytes Terms(size_t length, const std::string& code, const std::string& description) {
  Bytes r(length, 0);
  Put(r, 0, code);
  Put(r, 2, description);
  return r;
}

class TermsFile : public rectest::InScratchDir {};

TEST_F(TermsFile, Step10Converts0204ByteForByte) {
  ordtest::WriteRaw<CTerms0204DB>(
      {Terms(22, "N3", "Net thirty days, 2% "), Terms(22, "C", "cash")});
  // Conversion leaves no value of an earlier record behind.
  EXPECT_EQ((ordtest::Upgrade<CTerms0204DB, CTerms0204, CTermsDB, CTerms>(
                [](CTerms& terms) { terms.Value1 = 7; })),
            (std::vector<Bytes>{Terms(40, "C", "cash"), Terms(40, "N3", "Net thirty days, 2% ")}));
}

}  // namespace
