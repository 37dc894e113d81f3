// The customer tests' reading of a file whose records have another length; the step loop
// itself (WriteRaw, RunStep) is in tests/support/record_bytes.h.
#pragma once

#include <vector>

#include "tests/tables/customers/test_util.h"

namespace custtest {

// Opens with ReaderDB a file that WriterDB wrote with one record of another length; returns the
// status of the first read into `r`.
template <class WriterDB, class ReaderDB, class R>
int FirstReadOfOtherLength(const Bytes& raw, R& r, int8_t keyNum = 0) {
  WriteRaw<WriterDB>({raw}, keyNum);
  ReaderDB table;
  EXPECT_EQ(table.Open(), 0);
  return ReadStep(table, r, 0, true);
}

}  // namespace custtest
