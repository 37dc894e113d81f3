// recutil end to end: the built program run on record files in a scratch directory, checked by
// the bytes it writes, by the record manager's own Stat, and by its exit status and error line.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <sqlite3.h>

#include "platform/btrieve/btrcall.h"
#include "tests/support/file_bytes.h"
#include "tests/support/record_bytes.h"
#include "tests/support/scratch_dir.h"
#include "tools/recutil/unformatted.h"

namespace {

namespace fs = std::filesystem;

struct Result {
  int exit_status = -1;
  std::string out;
  std::string err;
};

using rectest::ReadBytes;
using rectest::WriteBytes;

std::string Unformatted(const std::vector<std::string>& records) {
  std::ostringstream out;
  for (const std::string& r : records)
    recutil::WriteUnformattedRecord(out, r.data(), r.size());
  recutil::WriteUnformattedEnd(out);
  return out.str();
}

// An order line: order number (int32) at 0, a text of 8 bytes at 4 with few distinct values so
// that key 1 has duplicates, then filler holding the bytes an unformatted file must carry
// unharmed (NUL, CR, LF, 0x1A, comma).
std::string OrderLine(int32_t order, const std::string& text, int serial) {
  std::string record(32, '\0');
  std::memcpy(record.data(), &order, 4);
  text.copy(record.data() + 4, 8);
  const char filler[] = {'\r', '\n', 0x1A, ',', '\0', static_cast<char>(0xFF)};
  for (int i = 12; i < 32; ++i)
    record[i] = filler[(i + serial) % 6];
  std::memcpy(record.data() + 28, &serial, 4);
  return record;
}

const char kOrderLineDescription[] =
    "/* order lines */\n"
    "record=32 variable=n key=2 page=1024\n"
    "position=1 length=4 duplicates=n modifiable=n type=integer segment=n\n"
    "position=5 length=8 duplicates=y modifiable=y type=string segment=n\n";

// The program and the record manager of this process both resolve names from the scratch
// directory.
class RecutilRun : public rectest::InScratchDir {
 protected:
  // Runs recutil with `args` (quoted for the shell), feeding `input` on standard input.
  // Standard output goes to `out_path`; only "stdout.bin" is captured in the result.
  Result Run(const std::vector<std::string>& args, const std::string& input = "",
             const std::string& out_path = "stdout.bin") {
    WriteBytes("stdin.bin", input);
    std::string command = "'" RECUTIL_PATH "'";
    for (const std::string& a : args) {
      command += " '" + a + "'";
    }
    command += " <stdin.bin >" + out_path + " 2>stderr.bin";
    int status = std::system(command.c_str());
    Result result;
    result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    // Only our own file is read back: a device like /dev/full reads as endless zeros.
    if (out_path == "stdout.bin")
      result.out = ReadBytes(out_path);
    result.err = ReadBytes("stderr.bin");
    return result;
  }

  void RunOk(const std::vector<std::string>& args, const std::string& input = "") {
    Result r = Run(args, input);
    ASSERT_EQ(r.exit_status, 0) << r.err;
    ASSERT_EQ(r.err, "");
  }

  // Runs recutil, which must exit with `exit_status` and the single error line `error`.
  void ExpectRefusal(const std::vector<std::string>& args, int exit_status,
                     const std::string& error, const std::string& input = "",
                     const std::string& out_path = "stdout.bin") {
    SCOPED_TRACE(args[0] + " " + args[1]);
    Result result = Run(args, input, out_path);
    EXPECT_EQ(result.exit_status, exit_status);
    EXPECT_EQ(result.err, "recutil: " + error + "\n");
  }

  // LINES.DB, made from the order line description and loaded with `records`.
  void MakeLines(const std::vector<std::string>& records) {
    WriteBytes("lines.desc", kOrderLineDescription);
    RunOk({"create", "LINES.DB", "lines.desc"});
    RunOk({"load", "LINES.DB", "-"}, Unformatted(records));
  }

  // The Stat block of `name`, as the record manager answers it to this process.
  std::string StatBlock(const std::string& name) {
    std::array<uint8_t, btr::kPositionBlockSize> pos{};
    std::array<char, 256> key{};
    name.copy(key.data(), 255);
    uint32_t length = 0;
    EXPECT_EQ(BTRCALL(btr::kOpen, pos.data(), nullptr, &length, key.data(), 255, btr::kReadOnly),
              0);
    std::string block(4096, '\0');
    length = static_cast<uint32_t>(block.size());
    EXPECT_EQ(BTRCALL(btr::kStat, pos.data(), block.data(), &length, key.data(), 255, 0), 0);
    block.resize(length);
    length = 0;
    EXPECT_EQ(BTRCALL(btr::kClose, pos.data(), nullptr, &length, key.data(), 255, 0), 0);
    return block;
  }

  uint32_t RecordCount(const std::string& name) {
    std::string block = StatBlock(name);
    uint32_t count = 0;
    if (block.size() >= 10)
      std::memcpy(&count, block.data() + 6, 4);
    return count;
  }
};

TEST_F(RecutilRun, SaveFollowsKeyOrderAndReloadGivesTheSameBytes) {
  std::mt19937 random(7);
  const std::string texts[] = {"PEARS", "APPLES", "apples", "FIGS\x1A", "ZUCCHINI"};
  std::vector<int32_t> orders;
  for (int i = 0; i < 300; ++i)
    orders.push_back(i * 7919 - 1000000);  // negatives too
  orders.push_back(INT32_MIN);
  orders.push_back(INT32_MAX);
  std::shuffle(orders.begin(), orders.end(), random);
  std::vector<std::string> records;
  for (size_t i = 0; i < orders.size(); ++i) {
    records.push_back(OrderLine(orders[i], texts[random() % 5], static_cast<int>(i)));
  }
  WriteBytes("lines.desc", kOrderLineDescription);
  WriteBytes("lines.unf", Unformatted(records));
  RunOk({"create", "LINES.DB", "lines.desc"});
  RunOk({"load", "LINES.DB", "lines.unf"});
  EXPECT_EQ(RecordCount("LINES.DB"), records.size());

  // Key 0: signed integer order. Key 1: byte order of the text, duplicates as inserted.
  std::vector<std::string> by_order = records;
  std::sort(by_order.begin(), by_order.end(), [](const std::string& a, const std::string& b) {
    int32_t x, y;
    std::memcpy(&x, a.data(), 4);
    std::memcpy(&y, b.data(), 4);
    return x < y;
  });
  std::vector<std::string> by_text = records;
  std::stable_sort(by_text.begin(), by_text.end(), [](const std::string& a, const std::string& b) {
    return a.compare(4, 8, b, 4, 8) < 0;
  });
  RunOk({"save", "LINES.DB", "key0.unf"});
  RunOk({"save", "LINES.DB", "key1.unf", "--key", "1"});
  EXPECT_EQ(ReadBytes("key0.unf"), Unformatted(by_order));
  EXPECT_EQ(ReadBytes("key1.unf"), Unformatted(by_text));

  // Loaded in key 1 order into a new file, the records come out in key 0 order unchanged.
  RunOk({"create", "COPY.DB", "lines.desc"});
  RunOk({"load", "COPY.DB", "key1.unf"});
  RunOk({"save", "COPY.DB", "copy0.unf", "--key=0"});
  EXPECT_EQ(ReadBytes("copy0.unf"), ReadBytes("key0.unf"));
}

TEST_F(RecutilRun, VariableLengthRecordsComeBackWhole) {
  WriteBytes("notes.desc",
             "record=8 variable=y key=1 page=4096 "
             "position=1 length=4 duplicates=n modifiable=n type=integer segment=n");
  std::vector<std::string> records;
  for (uint32_t length : {8u, 9u, 1000u, 40000u, 65535u}) {
    std::string r(length, '\x1A');
    std::memcpy(r.data(), &length, 4);
    r[length - 1] = 'E';
    records.push_back(r);
  }
  RunOk({"create", "NOTES.DB", "notes.desc"});
  // Through standard input and standard output.
  RunOk({"load", "NOTES.DB", "-"}, Unformatted(records));
  Result saved = Run({"save", "NOTES.DB", "-"});
  EXPECT_EQ(saved.exit_status, 0) << saved.err;
  EXPECT_EQ(saved.out, Unformatted(records));
}

// A file as the program creates it: string segments with the extended-type flag (0x100, type 0),
// file flags beyond variable length, pages to preallocate. Described and created again, the
// new file answers Stat with the same block.
TEST_F(RecutilRun, DescribeThenCreateKeepsEveryFlagAndThePreallocation) {
  // Key 0: an integer and an extended string; key 1: an extended string with duplicates.
  rectest::Bytes spec =
      rectest::SpecBlock(64, true, 2, {{1, 4, 0x112, 1}, {5, 8, 0x102}, {13, 10, 0x103}});
  spec[11] = 0x02;  // file flags 0x205: preallocation, and a flag recutil knows nothing of
  spec[10] = 0x05;
  spec[14] = 24;  // pages to preallocate
  std::string block(spec.begin(), spec.end());
  std::array<uint8_t, btr::kPositionBlockSize> pos{};
  std::array<char, 256> key{};
  std::string("ORIG.DB").copy(key.data(), 255);
  uint32_t length = static_cast<uint32_t>(block.size());
  ASSERT_EQ(BTRCALL(btr::kCreate, pos.data(), block.data(), &length, key.data(), 255, 0), 0);
  std::string original = StatBlock("ORIG.DB");
  ASSERT_EQ(original, block);  // the record manager keeps what it was given

  Result described = Run({"describe", "ORIG.DB"});
  ASSERT_EQ(described.exit_status, 0) << described.err;
  EXPECT_NE(described.out.find("record=64 variable=y key=2 page=1024 flags=516 allocation=24\n"),
            std::string::npos)
      << described.out;
  RunOk({"create", "COPY.DB", "-"}, described.out);
  EXPECT_EQ(StatBlock("COPY.DB"), original);
  Result stat = Run({"stat", "COPY.DB"});
  EXPECT_NE(stat.out.find("  other file flags 0x204\n  preallocated pages 24\n"), std::string::npos)
      << stat.out;
}

TEST_F(RecutilRun, StatAndCheckReportTheFileAndCheckPrintsOneLinePerProblem) {
  MakeLines({OrderLine(1, "A", 1), OrderLine(-2, "B", 2), OrderLine(3, "C", 3)});
  Result stat = Run({"stat", "LINES.DB"});
  EXPECT_EQ(stat.exit_status, 0) << stat.err;
  EXPECT_NE(stat.out.find("records 3\n"), std::string::npos) << stat.out;
  EXPECT_NE(stat.out.find("    0        1         1       4  integer  unique, not modifiable"),
            std::string::npos)
      << stat.out;
  Result sound = Run({"check", "LINES.DB"});
  EXPECT_EQ(sound.exit_status, 0) << sound.err;
  EXPECT_EQ(sound.out, "LINES.DB: 3 records, 2 keys\n");

  // Two keys that disagree with their records and a record count that disagrees with the file.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open("LINES.DB", &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db,
                         "UPDATE rec SET k1 = zeroblob(12) WHERE pos = 1;"
                         "UPDATE rec SET k0 = zeroblob(4) WHERE pos = 3;"
                         "UPDATE spec SET count = 5;",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  Result damaged = Run({"check", "LINES.DB"});
  EXPECT_EQ(damaged.exit_status, 1);
  EXPECT_EQ(damaged.out,
            "LINES.DB: record at position 1: key 1 does not match the record\n"
            "LINES.DB: record at position 3: key 0 does not match the record\n"
            "LINES.DB: record count 5 kept, 3 found\n");
  EXPECT_EQ(damaged.err, "recutil: LINES.DB: 3 problems found\n");
}

TEST_F(RecutilRun, RefusalsExitWithTheirStatusAndNameTheFault) {
  WriteBytes("bad.desc",
             "record=32 variable=n key=1 page=1024\n"
             "position=1 length=4 duplicates=n modifiable=n type=integer descending=y segment=n\n");
  // The engine judges what the description cannot: an integer of 3 bytes.
  WriteBytes("odd.desc",
             "record=32 variable=n key=1 page=1024 "
             "position=1 length=3 duplicates=n modifiable=n type=integer segment=n");
  WriteBytes("PLAIN.DB", "not a record file, just text\n");
  MakeLines({OrderLine(1, "A", 1)});
  RunOk({"save", "LINES.DB", "old.unf"});
  const std::string old = ReadBytes("old.unf");
  WriteBytes("dup.unf", Unformatted({OrderLine(2, "A", 2), OrderLine(1, "C", 3)}));

  // A refusal of the command line or of the input exits with 2, one of the record manager or of
  // the output with 1.
  ExpectRefusal({"create", "BAD.DB", "bad.desc"}, 2,
                "bad.desc: element 10 \"descending=y\": descending keys are not supported");
  ExpectRefusal({"create", "BAD.DB", "none.desc"}, 2,
                "none.desc: cannot read the description file");
  ExpectRefusal({"load", "LINES.DB", "-"}, 2,
                "-: record 1: the file ends inside the record (8 of 12 bytes)", "12,short\r\n\x1A");
  ExpectRefusal({"save", "LINES.DB"}, 2,
                "save takes 2 files, not 1 (recutil --help shows the usage)");
  ExpectRefusal({"stat", "NONE.DB"}, 1, "NONE.DB: open: status 12 (file not found)");
  ExpectRefusal({"check", "PLAIN.DB"}, 1,
                "PLAIN.DB: not a record file: status 30 (not a record file)");
  ExpectRefusal({"create", "ODD.DB", "odd.desc"}, 1,
                "ODD.DB: create: status 29 (invalid key length)");
  // Letter case of the name does not matter: this is the same file, and it is kept.
  ExpectRefusal({"create", "lines.db", "lines.desc"}, 1,
                "lines.db: create: status 59 (file already exists)");
  ExpectRefusal({"save", "LINES.DB", "old.unf", "--key", "2"}, 1,
                "LINES.DB: record 1 on key 2: status 6 (invalid key number)");
  ExpectRefusal({"load", "LINES.DB", "dup.unf"}, 1,
                "LINES.DB: record 2: status 5 (duplicate key value)");
  ExpectRefusal({"describe", "LINES.DB"}, 1, "cannot write standard output", "", "/dev/full");
  // A device is written in place, never replaced by a renamed temporary file.
  ExpectRefusal({"save", "LINES.DB", "/dev/full"}, 1, "/dev/full: cannot write the file");
  EXPECT_FALSE(fs::exists("BAD.DB"));
  // The failed save left the output it would have replaced untouched, and no temporary file.
  EXPECT_EQ(ReadBytes("old.unf"), old);
  for (const fs::directory_entry& entry : fs::directory_iterator(".")) {
    EXPECT_EQ(entry.path().string().find(".recutil-"), std::string::npos) << entry.path();
  }
  EXPECT_TRUE(fs::is_character_file("/dev/full"));
  // The record before the duplicate is in the file, and durable.
  EXPECT_EQ(RecordCount("LINES.DB"), 2u);
  Result help = Run({"--help"});
  EXPECT_EQ(help.exit_status, 0);
  EXPECT_EQ(help.out.rfind("usage: recutil", 0), 0u);
}

TEST_F(RecutilRun, CreateReplacesAnExistingFileOnlyWhenAsked) {
  MakeLines({OrderLine(1, "A", 1)});
  RunOk({"create", "LINES.DB", "lines.desc", "--replace"});
  EXPECT_EQ(RecordCount("LINES.DB"), 0u);
  RunOk({"load", "LINES.DB", "-"}, Unformatted({OrderLine(1, "A", 1)}));
  std::string with_replace = kOrderLineDescription;
  with_replace.replace(with_replace.find("page=1024"), 9, "page=1024 replace=y");
  RunOk({"create", "LINES.DB", "-"}, with_replace);
  EXPECT_EQ(RecordCount("LINES.DB"), 0u);
}

}  // namespace
