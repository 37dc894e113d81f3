// Files as wholes: Create, Open, names, persistence, sharing, variable-length records, the
// directory operations and the file check.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>

#include "platform/btrieve/btrcall.h"
#include "platform/btrieve/check.h"
#include "tests/platform/btrieve/fixture.h"

namespace btrtest {
namespace {

using namespace btr;

class BtrieveFiles : public BtrieveTest {};

TEST_F(BtrieveFiles, CreateValidatesTheSpecificationAndTheDirectory) {
  struct Case {
    const char* what;
    Bytes spec;
    int status;
  } cases[] = {
      {"page size", SpecBlock(32, 1, {{1, 4, 0, 0}}, 0, 1000), kPageSize},
      {"no keys", SpecBlock(32, 0, {}), kNumberOfKeys},
      {"record length", SpecBlock(2, 1, {{1, 2, 0, 0}}), kRecordLength},
      {"record too long for a page", SpecBlock(1020, 1, {{1, 2, 0, 0}}), kRecordLength},
      {"key past the record", SpecBlock(32, 1, {{30, 4, 0, 0}}), kKeyPosition},
      {"key at 0", SpecBlock(32, 1, {{0, 4, 0, 0}}), kKeyPosition},
      {"integer of 3", SpecBlock(32, 1, {{1, 3, kExtendedType, kInteger}}), kKeyLength},
      {"date of 2", SpecBlock(32, 1, {{1, 2, kExtendedType, kDate}}), kKeyLength},
      {"descending", SpecBlock(32, 1, {{1, 4, kDescending, 0}}), kInvalidKeyFlags},
      {"mixed segment flags", SpecBlock(32, 1, {{1, 4, kSegmented | kDuplicates, 0}, {5, 4, 0, 0}}),
       kInvalidKeyFlags},
      {"float type", SpecBlock(32, 1, {{1, 4, kExtendedType, 2}}), kInvalidExtendedType},
      {"segments missing", SpecBlock(32, 2, {{1, 4, 0, 0}}), kDataBufferLength},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Create("BAD.DB", c.spec), c.status) << c.what;
  }
  EXPECT_EQ(Create("/proc/T.DB", StandardSpec()), kCreateIo);
  EXPECT_EQ(Create("NOSUCHDIR\\T.DB", StandardSpec()), kCreateIo);
  // Nothing is left behind by a refused create.
  EXPECT_TRUE(dir_.Names().empty());
}

TEST_F(BtrieveFiles, CreateReplacesOrRefusesAnExistingFileAndDoesNotOpenIt) {
  Handle h;
  ASSERT_EQ(Create("T.DB", StandardSpec()), kOk);
  ASSERT_EQ(h.Open("T.DB"), kOk);
  ASSERT_EQ(h.Insert(Record(1)), kOk);
  EXPECT_EQ(Create("T.DB", StandardSpec()), kFileInUse);  // never pulled from under a reader
  ASSERT_EQ(h.Close(), kOk);
  EXPECT_EQ(Create("t.db", StandardSpec(), -1), kFileExists);
  ASSERT_EQ(Create("t.db", StandardSpec()), kOk);  // replaces T.DB, whatever the case
  EXPECT_EQ(dir_.Names(), (std::set<std::string>{"T.DB"}));
  ASSERT_EQ(h.Open("T.DB"), kOk);
  EXPECT_EQ(h.Get(kGetFirst), kEndOfFile);
}

TEST_F(BtrieveFiles, InsertThatCannotWriteItsJournalFailsCleanly) {
  // A directory in the journal's place stops every write, even for root.
  ASSERT_EQ(Create("T.DB", StandardSpec()), kOk);
  Handle h;
  ASSERT_EQ(h.Open("T.DB"), kOk);
  ASSERT_EQ(mkdir("T.DB-journal", 0755), 0);
  int status = h.Insert(Record(1));
  EXPECT_TRUE(status == kIoError || status == kDiskFull) << status;
  EXPECT_EQ(h.Close(), kOk);
  ASSERT_EQ(rmdir("T.DB-journal"), 0);
  ASSERT_EQ(h.Open("T.DB"), kOk);
  EXPECT_EQ(h.Get(kGetFirst), kEndOfFile);
  EXPECT_EQ(h.Insert(Record(1)), kOk);
}

TEST_F(BtrieveFiles, OpenAnswersForMissingForeignAndNamelessFiles) {
  Handle h;
  EXPECT_EQ(h.Open("NONE.DB"), kFileNotFound);
  EXPECT_EQ(h.Open(""), kInvalidFileName);
  std::ofstream("TEXT.DB") << "not a record file";
  EXPECT_EQ(h.Open("TEXT.DB"), kNotBtrieveFile);
  std::ofstream("EMPTY.DB");
  EXPECT_EQ(h.Open("EMPTY.DB"), kNotBtrieveFile);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open("OTHER.DB", &db), SQLITE_OK);
  sqlite3_exec(db, "CREATE TABLE t(x)", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  EXPECT_EQ(h.Open("OTHER.DB"), kNotBtrieveFile);
  EXPECT_EQ(h.Get(kGetFirst), kFileNotOpen);
}

TEST_F(BtrieveFiles, ReadOnlyAndExclusiveModes) {
  ASSERT_EQ(Create("T.DB", StandardSpec()), kOk);
  Handle reader, writer, exclusive;
  ASSERT_EQ(reader.Open("T.DB", kReadOnly), kOk);
  EXPECT_EQ(reader.Insert(Record(1)), kAccessDenied);
  EXPECT_EQ(exclusive.Open("T.DB", kExclusive), kFileInUse);
  ASSERT_EQ(writer.Open("T.DB", kAccelerated), kOk);
  ASSERT_EQ(writer.Insert(Record(1)), kOk);
  ASSERT_EQ(reader.Get(kGetFirst), kOk);
  EXPECT_EQ(reader.Call(kDelete), kAccessDenied);
  ASSERT_EQ(reader.Close(), kOk);
  ASSERT_EQ(writer.Close(), kOk);
  ASSERT_EQ(exclusive.Open("T.DB", kExclusive), kOk);
  EXPECT_EQ(reader.Open("T.DB"), kFileInUse);
}

TEST_F(BtrieveFiles, LetterCaseOfNamesNeverMatters) {
  ASSERT_EQ(mkdir("SaveDB", 0755), 0);
  ASSERT_EQ(Create("SAVEDB\\ItemUnit.DB", StandardSpec()), kOk);
  EXPECT_EQ(std::filesystem::exists("SaveDB/ItemUnit.DB"), true);
  Handle a, b;
  ASSERT_EQ(a.Open("savedb\\ITEMUNIT.DB"), kOk);
  ASSERT_EQ(a.Insert(Record(1)), kOk);
  ASSERT_EQ(b.Open("SaveDB/itemunit.db"), kOk);
  EXPECT_EQ(b.Get(kGetFirst), kOk);  // one file, one connection: the insert is seen at once
}

// Two position blocks on one file keep their own currency; what they wrote is there after the
// last Close, with no side files.
TEST_F(BtrieveFiles, TwoPositionBlocksOnOneFileKeepTheirOwnCurrencyAndTheirWritesPersist) {
  ASSERT_EQ(Create("T.DB", StandardSpec()), kOk);
  Handle a, b;
  ASSERT_EQ(a.Open("T.DB"), kOk);
  ASSERT_EQ(b.Open("T.DB"), kOk);
  for (int32_t id = 1; id <= 6; ++id) {
    ASSERT_EQ(a.Insert(Record(id)), kOk);
  }
  ASSERT_EQ(a.Get(kGetFirst), kOk);
  ASSERT_EQ(b.Get(kGetLast), kOk);
  ASSERT_EQ(a.Get(kGetNext), kOk);
  ASSERT_EQ(b.Get(kGetPrevious), kOk);
  EXPECT_EQ(a.id(), 2);
  EXPECT_EQ(b.id(), 5);
  // A delete through one block: the other steps over the gap.
  ASSERT_EQ(b.Get(kGetPrevious), kOk);
  ASSERT_EQ(b.Get(kGetPrevious), kOk);  // on 3
  ASSERT_EQ(b.Call(kDelete), kOk);
  ASSERT_EQ(a.Get(kGetNext), kOk);
  EXPECT_EQ(a.id(), 4);
  ASSERT_EQ(b.Close(), kOk);
  ASSERT_EQ(a.Get(kGetNext), kOk);
  EXPECT_EQ(a.id(), 5);
  EXPECT_EQ(a.count(), 5u);
  ASSERT_EQ(a.Close(), kOk);
  EXPECT_EQ(dir_.Names(), (std::set<std::string>{"T.DB"}));
  EXPECT_EQ(Ids("t.db"), (std::vector<int32_t>{1, 2, 4, 5, 6}));
  EXPECT_EQ(Summary("T.DB"), "5 records, 3 keys");
}

TEST_F(BtrieveFiles, VariableLengthRecordsComeBackWhole) {
  ASSERT_EQ(Create("V.DB", StandardSpec(kVariableLength)), kOk);
  Handle h;
  ASSERT_EQ(h.Open("V.DB"), kOk);
  Bytes longer = Record(3);
  longer.resize(1000, 'x');
  EXPECT_EQ(h.Insert(Bytes(kRecLen - 1, 0)), kDataBufferLength);
  ASSERT_EQ(h.Insert(Record(2)), kOk);
  ASSERT_EQ(h.Insert(longer), kOk);
  ASSERT_EQ(h.Get(kGetLast, 0, 2000), kOk);
  EXPECT_EQ(h.record(), longer);
  ASSERT_EQ(h.Get(kGetLast, 0, 500), kDataBufferLength);
  EXPECT_EQ(h.length, 500u);
  ASSERT_EQ(h.Close(), kOk);
  EXPECT_EQ(Summary("V.DB"), "2 records, 3 keys");
}

// Get Directory writes no more than the key length given, and nothing where that is too short.
TEST_F(BtrieveFiles, SetAndGetDirectoryResolveNamesWithinTheKeyBuffer) {
  ASSERT_EQ(mkdir("Data", 0755), 0);
  Handle h;
  h.SetKey("DATA");
  ASSERT_EQ(h.Call(kSetDirectory), kOk);
  h.SetKey("MISSING");
  EXPECT_EQ(h.Call(kSetDirectory), kDirectoryError);
  std::string cwd = dir_.path() + "/Data";
  // Exactly room for the directory and its terminator.
  std::memset(h.key, 0xEE, sizeof h.key);
  ASSERT_EQ(h.Call(kGetDirectory, 0, static_cast<uint8_t>(cwd.size() + 1)), kOk);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(h.key)), cwd);
  EXPECT_EQ(h.key[cwd.size() + 1], 0xEE);
  // One byte short, then a directory longer than any key buffer.
  std::string deep = cwd;
  while (deep.size() < 300) {
    deep += "/" + std::string(40, 'd');
    ASSERT_EQ(mkdir(deep.c_str(), 0755), 0);
  }
  for (uint8_t key_length : {static_cast<uint8_t>(cwd.size()), uint8_t{255}}) {
    std::memset(h.key, 0xEE, sizeof h.key);
    ASSERT_EQ(h.Call(kGetDirectory, 0, key_length), kDataBufferLength);
    EXPECT_EQ(std::count(h.key, h.key + sizeof h.key, 0xEE), static_cast<long>(sizeof h.key));
    ASSERT_EQ(chdir(deep.c_str()), 0);
  }
  ASSERT_EQ(chdir(dir_.path().c_str()), 0);
}

// Keys that disagree with their records, a wrong count and a foreign file are checked through
// recutil (tools/recutil); here, what only the record manager's own callers see.
TEST_F(BtrieveFiles, CheckFindsAUniqueKeyHoldingAValueTwice) {
  MakeFile("T.DB", 2);
  std::string report;
  EXPECT_EQ(CheckRecordFile("NONE.DB", &report), kFileNotFound);
  // A unique key whose index waits (a writer of a fresh file died) must still hold each value
  // once.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open("T.DB", &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db,
                         "DROP INDEX rec_k0; INSERT INTO rec SELECT 7, data, k0, k1, k2 FROM rec "
                         "WHERE pos = 2; UPDATE spec SET count = 3",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  EXPECT_EQ(CheckRecordFile("T.DB", &report), kIoError);
  EXPECT_EQ(report, "key 0 is unique but holds a value twice");
}

}  // namespace
}  // namespace btrtest
