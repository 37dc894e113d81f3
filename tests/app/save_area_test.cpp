// The save area: replacement order, the file list, and a backout that loses nothing.
#include <gtest/gtest.h>

#include "app/save_area.h"
#include "app/upgrade_run.h"
#include "platform/files/files.h"
#include "tests/support/file_bytes.h"
#include "upgrade_test_support.h"

using namespace testing_support;

namespace {

Bytes Terms0204(const std::string& code) {
  return Record(22, {{0, Text(code)}});
}

class SaveArea : public ::testing::Test {
 protected:
  ScratchDir dir;
  MemoryProfile profile;
  RecordingHost host{profile};
  uint64_t mask = 0;

  void WriteText(const std::string& name, const std::string& text) {
    rectest::WriteBytes(files::Resolve(name), text);
  }
};

TEST_F(SaveArea, BackoutRestoresConvertedFilesAndClearsTheRun) {
  MakeFile("TERMS.DB", Spec(22, false, {{1, 2, 0, 0}}), {Terms0204("A"), Terms0204("B")});
  MakeFile("AR.DB", Spec(64, false, {{1, 6, 1, 0}}), {});
  const std::vector<Bytes> termsBefore = ReadAll("TERMS.DB");
  profile.WriteInt("Upgrade", "UpgradeRunning", 1);
  ASSERT_TRUE(upgrade::RunSteps(host, 516, 0, &mask).failed.empty());
  ASSERT_EQ(profile.GetString("Upgrade", "FileList", ""), "SAVEDB\\TERMS.DB|SAVEDB\\AR.DB|");

  EXPECT_TRUE(upgrade::BackoutFiles(profile).empty());
  EXPECT_EQ(ReadAll("TERMS.DB"), termsBefore);
  EXPECT_EQ(StatBlock("TERMS.DB"), Spec(22, false, {{1, 2, 0, 0}}));
  // A file that was empty goes back to its old layout too.
  EXPECT_EQ(StatBlock("AR.DB"), Spec(64, false, {{1, 6, 1, 0}}));
  EXPECT_EQ(profile.GetString("Upgrade", "FileList", "x"), "");
  EXPECT_EQ(profile.GetInt("Upgrade", "UpgradeRunning", 1), 0);
  EXPECT_FALSE(FileExists("SAVEDB\\TERMS.DB"));

  // A new run then completes.
  EXPECT_TRUE(upgrade::RunSteps(host, 516, 0, &mask).failed.empty());
  EXPECT_EQ(StatBlock("TERMS.DB"), Spec(40, false, {{1, 2, 0, 0}}));
}

TEST_F(SaveArea, BackoutSkipsEntriesWithoutSavedFileAndUnsafeNames) {
  WriteText("KEEP.DB", "converted");
  WriteText("LISTED.DB", "original");  // listed, but the run died before it was saved
  ASSERT_EQ(0, files::CreateDirectory("SAVEDB"));
  WriteText("SAVEDB\\KEEP.DB", "original");
  WriteText("outside.db", "untouched");
  WriteText("SAVEDB\\x", "");
  profile.WriteString("Upgrade", "FileList",
                      "SAVEDB\\KEEP.DB|SAVEDB\\LISTED.DB|SAVEDB\\..\\outside.db|SAVEDB\\|"
                      "SAVEDB\\.|TMP.DB|SAVEDB\\sub/x|");
  EXPECT_TRUE(upgrade::BackoutFiles(profile).empty());
  auto read = [](const std::string& name) { return rectest::ReadBytes(files::Resolve(name)); };
  EXPECT_EQ(read("KEEP.DB"), "original");
  EXPECT_EQ(read("LISTED.DB"), "original");
  EXPECT_EQ(read("outside.db"), "untouched");
  EXPECT_TRUE(files::IsDirectory("SAVEDB"));
}

TEST_F(SaveArea, StaleSavedCopyIsReplacedAndListedOnce) {
  ASSERT_EQ(0, files::CreateDirectory("SAVEDB"));
  WriteText("SAVEDB\\TERMS.DB", "stale");
  MakeFile("TERMS.DB", Spec(22, false, {{1, 2, 0, 0}}), {Terms0204("A")});
  profile.WriteString("Upgrade", "FileList", "SAVEDB\\TERMS.DB|");
  ASSERT_TRUE(upgrade::RunSteps(host, 516, 0, &mask).failed.empty());
  EXPECT_EQ(profile.GetString("Upgrade", "FileList", ""), "SAVEDB\\TERMS.DB|");
  EXPECT_EQ(StatBlock("SAVEDB\\TERMS.DB"), Spec(22, false, {{1, 2, 0, 0}}));
}

}  // namespace
