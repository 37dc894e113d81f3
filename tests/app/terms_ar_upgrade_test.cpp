// The terms and accounts receivable steps through the run, byte for byte, with the save area,
// the file list and cancel.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/upgrade_run.h"
#include "platform/files/files.h"
#include "upgrade_test_support.h"

using namespace testing_support;

namespace {

// Terms: 0204 records are 22 bytes (code 2, description 20), key 0 = code.
Bytes Terms0204(const std::string& code, const std::string& description) {
  return Record(22, {{0, Text(code)}, {2, Text(description)}});
}
// The current terms record: code, description, two padding bytes, four zero numbers.
Bytes Terms(const std::string& code, const std::string& description) {
  return Record(40, {{0, Text(code)}, {2, Text(description)}});
}

Bytes Ar0204(const std::string& customer, int32_t date, const std::string& t16,
             const std::string& t36, const std::string& t44, const std::string& t52, float f56,
             float f60, char flag) {
  return Record(64, {{0, Text(customer)},
                     {8, Int32(date)},
                     {12, Text(t16)},
                     {32, Text(t36)},
                     {40, Text(t44)},
                     {48, Text(t52)},
                     {52, Float32(f56)},
                     {56, Float32(f60)},
                     {60, Bytes{static_cast<uint8_t>(flag)}}});
}

constexpr uint64_t kTermsBit = uint64_t{1} << 14;

class TermsArUpgrade : public ::testing::Test {
 protected:
  ScratchDir dir;
  MemoryProfile profile;
  RecordingHost host{profile};
  uint64_t mask = 0;

  upgrade::RunSummary Run(int version = 516) { return upgrade::RunSteps(host, version, 0, &mask); }
};

TEST_F(TermsArUpgrade, ConvertsTermsFrom0204ByteForByte) {
  // A description as wide as its field keeps all 20 characters and no terminator; a one-letter
  // code is stored with a NUL; bytes past a NUL in the old file are not carried.
  Bytes withTail = Terms0204("N3", "Net 30");
  withTail[10] = 'X';  // after the description's terminator
  MakeFile("TERMS.DB", Spec(22, false, {{1, 2, 0, 0}}),
           {Terms0204("C", "Cash"), withTail, Terms0204("XX", "Twenty characters!!!")});
  const upgrade::RunSummary summary = Run();
  ASSERT_FALSE(summary.cancelled);
  ASSERT_TRUE(summary.failed.empty());
  EXPECT_EQ(ReadAll("TERMS.DB"), (std::vector<Bytes>{Terms("C", "Cash"), Terms("N3", "Net 30"),
                                                     Terms("XX", "Twenty characters!!!")}));
  EXPECT_EQ(StatBlock("TERMS.DB"), Spec(40, false, {{1, 2, 0, 0}}));
  EXPECT_EQ(ReadAll("SAVEDB\\TERMS.DB").size(), 3u);
  EXPECT_EQ(StatBlock("SAVEDB\\TERMS.DB"), Spec(22, false, {{1, 2, 0, 0}}));
  EXPECT_EQ(profile.GetString("Upgrade", "FileList", ""), "SAVEDB\\TERMS.DB|");
  EXPECT_FALSE(FileExists("TMP.DB"));
  EXPECT_TRUE(mask & kTermsBit);
  EXPECT_EQ(host.recordsDone, 3);
  EXPECT_NE(std::find(host.tables.begin(), host.tables.end(), "Terms"), host.tables.end());
}

TEST_F(TermsArUpgrade, ConvertsAccountsReceivableFrom0204ByteForByte) {
  MakeFile("AR.DB", Spec(64, false, {{1, 6, 1, 0}}),
           {Ar0204("C00002", -1, "second", "inv", "ref", "ab", 1.5f, -2.0f, 'Y'),
            Ar0204("C00001", 86400, "Mixed Case Text", "lower8ch", "upper", "x", 0.25f, 3.0f, 'y'),
            Ar0204("C00001", 172800, "second item", "", "", "", 0, 0, 'N')});
  ASSERT_TRUE(Run().failed.empty());
  auto expected = [](const std::string& c, int32_t d, const std::string& t16,
                     const std::string& t36, const std::string& t44, const std::string& t52,
                     float a, float b, char flag) {
    return Record(68, {{0, Text(c)},
                       {8, Int32(d)},
                       {12, Int32(d)},
                       {16, Text(t16)},
                       {36, Text(t36)},
                       {44, Text(t44)},
                       {52, Text(t52)},
                       {56, Float32(a)},
                       {60, Float32(b)},
                       {64, Bytes{static_cast<uint8_t>(flag)}}});
  };
  // Duplicates of key 0 keep their insertion order; the three short texts come out upper-cased;
  // a lower-case "y" is not "Y".
  EXPECT_EQ(
      ReadAll("AR.DB"),
      (std::vector<Bytes>{
          expected("C00001", 86400, "Mixed Case Text", "LOWER8CH", "UPPER", "X", 0.25f, 3.0f, 'N'),
          expected("C00001", 172800, "second item", "", "", "", 0, 0, 'N'),
          expected("C00002", -1, "second", "INV", "REF", "AB", 1.5f, -2.0f, 'Y')}));
  EXPECT_EQ(StatBlock("AR.DB"), Spec(68, false, {{1, 6, 1, 0}}));
  EXPECT_EQ(profile.GetString("Upgrade", "FileList", ""), "SAVEDB\\AR.DB|");
}

TEST_F(TermsArUpgrade, CancelDuringAFileLeavesItAndStopsTheRun) {
  std::vector<Bytes> records;
  for (int i = 0; i < 50; ++i) {
    records.push_back(Terms0204(std::string(1, static_cast<char>('A' + i % 26)) +
                                    std::string(1, static_cast<char>('a' + i / 26)),
                                "t"));
  }
  MakeFile("TERMS.DB", Spec(22, false, {{1, 2, 0, 0}}), records);
  MakeFile("AR.DB", Spec(64, false, {{1, 6, 1, 0}}), {Ar0204("C1", 0, "", "", "", "", 0, 0, 'N')});
  host.cancelAfterUpdates = 10;
  const upgrade::RunSummary summary = Run();
  EXPECT_TRUE(summary.cancelled);
  EXPECT_EQ(StatBlock("TERMS.DB"), Spec(22, false, {{1, 2, 0, 0}}));
  EXPECT_EQ(StatBlock("AR.DB"), Spec(64, false, {{1, 6, 1, 0}}));  // never started
  EXPECT_EQ(profile.GetString("Upgrade", "FileList", ""), "");
  EXPECT_FALSE(mask & kTermsBit);
  EXPECT_EQ(host.tables.back(), "Terms");  // no step after the cancelled one started
}

TEST_F(TermsArUpgrade, CountWorkCountsEveryFileOnce) {
  MakeFile("TERMS.DB", Spec(22, false, {{1, 2, 0, 0}}), {Terms0204("A", ""), Terms0204("B", "")});
  MakeFile("PCONT.DB", Spec(68, false, {{1, 4, 0, 0}}),
           {Record(68, {}), Record(68, {{0, Int32(1)}})});
  int32_t files = 0;
  int32_t records = 0;
  upgrade::CountWork(256, 0, &files, &records);
  EXPECT_EQ(files, 21);  // every group once; "LGDEITM.DB" does not exist
  EXPECT_EQ(records, 4);
}

}  // namespace
