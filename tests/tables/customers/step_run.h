// The upgrade run's loop for one step as the tests drive it: a legacy file written from raw
// bytes, every record read converted and inserted into a new file, the new file read back raw.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "tests/tables/customers/test_util.h"

namespace custtest {

// ReadFirst/ReadNext on `keyNum`, or without a key for the tables that read on one key only.
template <class DB, class R>
int ReadStep(DB& table, R& record, int keyNum, bool first) {
  if constexpr (requires { table.ReadFirst(record, keyNum); }) {
    return first ? table.ReadFirst(record, keyNum) : table.ReadNext(record, keyNum);
  } else {
    return first ? table.ReadFirst(record) : table.ReadNext(record);
  }
}

// Creates the legacy file under the table's own name and inserts `raw` on key `keyNum`.
template <class DB>
void WriteRaw(const std::vector<Bytes>& raw, int8_t keyNum = 0) {
  DB table;
  ASSERT_EQ(table.CreateFile(table.GetFileName().c_str()), 0);
  for (const Bytes& r : raw) {
    ASSERT_EQ(InsertRaw(table, r, keyNum), 0);
  }
}

template <class Legacy>
struct StepRun {
  std::vector<int> statuses;     // of the reads that gave a record
  std::vector<Legacy> read;      // the legacy records in reading order
  std::vector<Bytes> converted;  // the new file's raw records in the order of the output key
};

// Converts the legacy file the table opens by default into "TMP.DB": reads on `readKey` while the
// status is one of `accept`, which must end in 9.
template <class LegacyDB, class Legacy, class CurrentDB, class Current>
StepRun<Legacy> RunStep(int readKey, int8_t outKey = 0, const std::vector<int>& accept = {0}) {
  LegacyDB old;
  CurrentDB fresh;
  EXPECT_EQ(old.Open(), 0);
  EXPECT_EQ(fresh.CreateFile("TMP.DB"), 0);
  StepRun<Legacy> run;
  Legacy r;
  Current c;  // one object for the whole table, as the run keeps it
  int status = ReadStep(old, r, readKey, true);
  while (std::find(accept.begin(), accept.end(), status) != accept.end()) {
    run.statuses.push_back(status);
    run.read.push_back(r);
    ConvertRecord(r, c);
    EXPECT_EQ(fresh.InsertRecord(c), 0) << "record " << run.read.size();
    status = ReadStep(old, r, readKey, false);
  }
  EXPECT_EQ(status, 9);
  run.converted = ReadAllRaw(fresh, outKey);
  return run;
}

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
