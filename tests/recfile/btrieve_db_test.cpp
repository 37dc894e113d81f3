// CBtrieveDB's own rules over the record manager: open, close and create states, the needs-open
// status, counting, and a table's record operations (the terms table stands for all).
#include "recfile/btrieve_db.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/btrieve/btrcall.h"
#include "tables/orders/terms.h"
#include "tests/support/record_bytes.h"

namespace fs = std::filesystem;

namespace {

// Closes every record file before the scratch directory goes.
class BtrieveDb : public rectest::InScratchDir {
 protected:
  void TearDown() override { BTRCALL(btr::kReset, nullptr, nullptr, nullptr, nullptr, 0, 0); }
};

CTerms Terms(const std::string& code, const std::string& description) {
  CTerms t;
  t.Code = code;
  t.Description = description;
  return t;
}

TEST_F(BtrieveDb, OperationsNeedingAnOpenFileAnswer3WithoutCallingTheRecordManager) {
  CTermsDB table;
  uint8_t data[64];
  uint8_t key[64];
  uint16_t length = sizeof data;
  EXPECT_EQ(3, table.GetEqual(data, &length, key, 0));
  EXPECT_EQ(3, table.GetFirst(data, &length, key, 0));
  EXPECT_EQ(3, table.Insert(data, &length, key, 0));
  EXPECT_EQ(3, table.Delete());
  EXPECT_EQ(3, table.Stat(data, &length, key));
  EXPECT_EQ(3, table.StepFirst(data, &length));
  EXPECT_EQ(3, table.BeginTransaction());
  EXPECT_EQ(1u, table.GetRecordCount());  // a failed Stat counts as 1, never as an error
  // Version and Reset need no open file.
  length = sizeof data;
  EXPECT_EQ(0, table.Version(data, &length));
  EXPECT_EQ(0, table.Reset(key, 0));
}

TEST_F(BtrieveDb, OpenCloseAndCreateStates) {
  CTermsDB table;
  EXPECT_EQ(btr::kFileNotFound, table.Open(nullptr));
  EXPECT_FALSE(table.IsOpen());
  ASSERT_EQ(0, table.CreateFile("TERMS.DB"));  // leaves the new file open
  EXPECT_TRUE(table.IsOpen());
  EXPECT_EQ(table.CurrentFileName(), "TERMS.DB");
  // The same name again makes no second call: it succeeds although the file is gone by now.
  fs::rename("TERMS.DB", "MOVED.DB");
  EXPECT_EQ(0, table.Open("TERMS.DB"));
  fs::rename("MOVED.DB", "TERMS.DB");
  // Another name closes the first file, then opens the second.
  CTermsDB other;
  ASSERT_EQ(0, other.CreateFile("OTHER.DB"));
  other.Close();
  EXPECT_EQ(0, table.Open("OTHER.DB"));
  EXPECT_EQ(table.CurrentFileName(), "OTHER.DB");
  // Create on an open object closes it first and leaves it closed.
  rectest::Bytes spec = rectest::SpecBlock(40, false, 1, {{1, 2, 0}});
  uint16_t specLength = static_cast<uint16_t>(spec.size());
  EXPECT_EQ(0, table.Create(spec.data(), &specLength, "THIRD.DB", 0));
  EXPECT_FALSE(table.IsOpen());
  EXPECT_EQ(table.CurrentFileName(), "");
  // Close twice: the record manager's answer, then 3; the name is empty either way.
  ASSERT_EQ(0, table.Open("THIRD.DB"));
  EXPECT_EQ(0, table.Close());
  EXPECT_EQ(3, table.Close());
  EXPECT_EQ(table.CurrentFileName(), "");
}

TEST_F(BtrieveDb, CountRecordsForTheDialogWhateverTheLetterCase) {
  CTermsDB table;
  EXPECT_EQ(0, CountRecords(table));  // missing file
  ASSERT_EQ(0, table.CreateFile("TERMS.DB"));
  for (const char* code : {"A", "B", "C"}) {
    CTerms t = Terms(code, "x");
    ASSERT_EQ(0, table.InsertRecord(t));
  }
  EXPECT_EQ(3, CountRecords(table));  // open table: counted as it is
  EXPECT_TRUE(table.IsOpen());
  table.Close();
  EXPECT_EQ(3, CountRecords(table));
  EXPECT_FALSE(table.IsOpen());
  CTerms0204DB legacy;  // opens by its own name: the same file under another spelling
  EXPECT_EQ(0, legacy.Open("terms.db"));
  EXPECT_EQ(3u, legacy.GetRecordCount());
  legacy.Close();
  fs::remove("TERMS.DB");
  std::ofstream("TERMS.DB") << "not a record file";
  EXPECT_EQ(-1, CountRecords(table));
}

TEST_F(BtrieveDb, TermsRecordOperations) {
  CTermsDB table;
  ASSERT_EQ(0, table.CreateFile("TERMS.DB"));
  CTerms a = Terms("A", "first");
  ASSERT_EQ(0, table.InsertRecord(a));
  a.Description = "changed";
  EXPECT_EQ(0, table.UpdateRecord(a));
  CTerms missing = Terms("Z", "");
  EXPECT_EQ(btr::kKeyNotFound, table.UpdateRecord(missing));
  EXPECT_EQ(0, table.DeleteRecord("Z"));  // nothing to delete counts as deleted
  EXPECT_EQ(0, table.DeleteRecord("A"));
  EXPECT_EQ(0u, table.GetRecordCount());
  // CreateFile replaces an existing file by an empty one.
  ASSERT_EQ(0, table.InsertRecord(a));
  ASSERT_EQ(0, table.CreateFile("TERMS.DB"));
  EXPECT_EQ(0u, table.GetRecordCount());
}

}  // namespace
