// Files whose first read finds no record to convert are converted, saved and listed like every
// other file, so that a backout puts each of them back as it was.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/upgrade_run.h"
#include "upgrade_test_support.h"

using namespace testing_support;

namespace {

// Order guide items: 33 bytes; key 0 = guide code + Number6 (integer), key 1 = guide code +
// Number10 (integer, unique).
const Bytes kGuideSpec = [] {
  Bytes b =
      Spec(33, false, {{1, 6, 0x13, 0}, {7, 4, 0x103, 1}, {1, 6, 0x10, 0}, {11, 4, 0x100, 1}});
  b[4] = 2;  // two keys of two segments each
  return b;
}();

Bytes GuideItem(const std::string& code, int32_t n6, int32_t n10) {
  return Record(33, {{0, Text(code)}, {6, Int32(n6)}, {10, Int32(n10)}, {14, Text("ITEM")}});
}

// Specials: 52 bytes, date at 24; key 0 the 21 bytes of text, key 1 the last 15 (duplicates).
const Bytes kSpecialSpec = Spec(52, false, {{1, 21, 0, 0}, {7, 15, 0x01, 0}});

Bytes Special(const std::string& text0, int32_t date) {
  return Record(52, {{0, Text(text0)},
                     {6, Text("ITEM")},
                     {24, Int32(date)},
                     {28, Text("N")},
                     {29, Text("N")},
                     {48, Text("N")}});
}

class EmptyFiles : public ::testing::Test {
 protected:
  ScratchDir dir;
  MemoryProfile profile;
  RecordingHost host{profile};
  uint64_t mask = 0;

  void ExpectRestoredAfterBackout(const std::string& name, const Bytes& spec,
                                  const std::vector<Bytes>& records) {
    EXPECT_TRUE(upgrade::BackoutFiles(profile).empty());
    EXPECT_EQ(StatBlock(name), spec);
    EXPECT_EQ(ReadAll(name), records);
  }
};

TEST_F(EmptyFiles, LocalGuideFileEmptyWhileTheMainOneHoldsRecords) {
  const std::vector<Bytes> guide = {GuideItem("G1", 1, 1), GuideItem("G1", -5, 2)};
  MakeFile("GDEITEM.DB", kGuideSpec, guide);
  MakeFile("LGDEITM.DB", kGuideSpec, {});
  ASSERT_TRUE(upgrade::RunSteps(host, 512, 0, &mask).failed.empty());
  const std::string list = profile.GetString("Upgrade", "FileList", "");
  EXPECT_NE(list.find("SAVEDB\\GDEITEM.DB|SAVEDB\\LGDEITM.DB|"), std::string::npos) << list;
  EXPECT_EQ(ReadAll("GDEITEM.DB").size(), 2u);
  EXPECT_TRUE(ReadAll("LGDEITM.DB").empty());
  EXPECT_TRUE(mask & (uint64_t{1} << 29));
  EXPECT_FALSE(FileExists("TMP.DB"));
  int32_t files = 0, records = 0;
  upgrade::CountWork(512, 0, &files, &records);
  EXPECT_EQ(host.filesDone, files);  // both guide files count, once each

  EXPECT_TRUE(upgrade::BackoutFiles(profile).empty());
  EXPECT_EQ(StatBlock("LGDEITM.DB"), kGuideSpec);
  EXPECT_EQ(ReadAll("GDEITEM.DB"), ReadAll("SAVEDB\\..\\GDEITEM.DB"));
}

TEST_F(EmptyFiles, SpecialsThatHaveAllPassedAreKeptForTheBackout) {
  const std::vector<Bytes> passed = {Special("A", 1000), Special("B", -1)};
  MakeFile("SPECIAL.DB", kSpecialSpec, passed);
  const std::vector<Bytes> before = ReadAll("SPECIAL.DB");
  ASSERT_TRUE(upgrade::RunSteps(host, 515, 1, &mask).failed.empty());
  EXPECT_TRUE(ReadAll("SPECIAL.DB").empty());
  EXPECT_EQ(ReadAll("SAVEDB\\SPECIAL.DB"), before);
  EXPECT_NE(profile.GetString("Upgrade", "FileList", "").find("SAVEDB\\SPECIAL.DB|"),
            std::string::npos);
  EXPECT_TRUE(mask & (uint64_t{1} << 12));
  ExpectRestoredAfterBackout("SPECIAL.DB", kSpecialSpec, before);
}

TEST_F(EmptyFiles, CurrentSpecialsSurviveBehindPassedOnes) {
  MakeFile(
      "SPECIAL.DB", kSpecialSpec,
      {Special("A", 1000), Special("B", 2000000000), Special("C", -1), Special("D", 2100000000)});
  ASSERT_TRUE(upgrade::RunSteps(host, 515, 1, &mask).failed.empty());
  const std::vector<Bytes> rebuilt = ReadAll("SPECIAL.DB");
  ASSERT_EQ(rebuilt.size(), 2u);
  EXPECT_EQ(rebuilt[0][0], 'B');
  EXPECT_EQ(rebuilt[1][0], 'D');
}

TEST_F(EmptyFiles, AFileInAnotherLayoutIsNeverConverted) {
  // 160-byte records with one key: not the 0401 velocity layout (156 bytes, six keys), for
  // example a file that a run already converted. Reading it through the 0401 class would turn
  // it into garbage, and saving it would replace the original kept from an earlier run.
  const std::vector<Bytes> records = {Record(160, {{0, Text("A")}}), Record(160, {{0, Text("B")}})};
  MakeFile("VELOCITY.DB", Spec(160, false, {{1, 12, 0x01, 0}}), records);
  std::filesystem::create_directory("SAVEDB");
  MakeFile("SAVEDB\\VELOCITY.DB", Spec(160, false, {{1, 12, 0x01, 0}}), {records[0]});
  const upgrade::RunSummary summary = upgrade::RunSteps(host, 1025, 4, &mask);
  ASSERT_EQ(summary.failed.size(), 1u);
  EXPECT_EQ(summary.failed[0].detail,
            "Velocity.DB is not in the layout this step reads: it holds 160-byte fixed-length "
            "records with 1 key, this step reads 156-byte fixed-length records with 6 keys.");
  EXPECT_EQ(ReadAll("VELOCITY.DB"), records);
  EXPECT_EQ(ReadAll("SAVEDB\\VELOCITY.DB").size(), 1u);  // the saved copy stays too
  EXPECT_EQ(profile.GetString("Upgrade", "FileList", ""), "");
  EXPECT_FALSE(FileExists("TMP.DB"));
  EXPECT_EQ(mask & (uint64_t{1} << 9), 0u);
}

}  // namespace
