// The steps a profile's version and build select and the mask words a run writes; the run of the
// steps on record files in a scratch directory: terms and accounts receivable converted byte for
// byte, the save area and its file list, files with no record to convert, a file in
// another layout, and a backout that loses nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app_test_support.h"
#include "platform/files/files.h"
#include "tests/support/file_bytes.h"

using namespace testing_support;

namespace {

constexpr uint64_t Bit(int n) {
  return uint64_t{1} << n;
}

// An accounts receivable record of release 2.04 (64 bytes) or of the current layout (68 bytes:
// the date twice, every later field 4 bytes further on). `texts` go at 12, 32, 40 and 48.
Bytes Ar(bool current, const std::string& customer, int32_t date,
         const std::vector<std::string>& texts, float a, float b, char flag) {
  const size_t shift = current ? 4 : 0;
  std::vector<std::pair<size_t, Bytes>> pieces = {{0, Text(customer)}, {8, Int32(date)}};
  if (current) {
    pieces.push_back({12, Int32(date)});
  }
  const size_t at[] = {12, 32, 40, 48};
  for (size_t i = 0; i < texts.size(); ++i) {
    pieces.push_back({at[i] + shift, Text(texts[i])});
  }
  pieces.push_back({52 + shift, Float32(a)});
  pieces.push_back({56 + shift, Float32(b)});
  pieces.push_back({60 + shift, Bytes{static_cast<uint8_t>(flag)}});
  return Record(64 + shift, pieces);
}

using UpgradeRun = StepsTest;

TEST_F(UpgradeRun, ConvertsTermsFrom0204ByteForByte) {
  // A description as wide as its field keeps all 20 characters and no terminator; a one-letter
  // code is stored with a NUL; bytes past a NUL in the old file are not carried.
  Bytes withTail = Terms0204("N3", "Net 30");
  withTail[10] = 'X';  // after the description's terminator
  MakeFile("TERMS.DB", kTerms0204Spec,
           {Terms0204("C", "Cash"), withTail, Terms0204("XX", "Twenty characters!!!")});
  const upgrade::RunSummary summary = Run(516);
  ASSERT_FALSE(summary.cancelled);
  ASSERT_TRUE(summary.failed.empty());
  auto terms = [](const std::string& code, const std::string& description) {
    return Record(40, {{0, Text(code)}, {2, Text(description)}});
  };
  EXPECT_EQ(ReadAll("TERMS.DB"), (std::vector<Bytes>{terms("C", "Cash"), terms("N3", "Net 30"),
                                                     terms("XX", "Twenty characters!!!")}));
  EXPECT_EQ(StatBlock("TERMS.DB"), kTermsSpec);
  EXPECT_EQ(ReadAll("SAVEDB\\TERMS.DB").size(), 3u);
  EXPECT_EQ(StatBlock("SAVEDB\\TERMS.DB"), kTerms0204Spec);
  EXPECT_EQ(host.recordsDone, 3);
}

TEST_F(UpgradeRun, ConvertsAccountsReceivableFrom0204ByteForByte) {
  MakeFile(
      "AR.DB", kAr0204Spec,
      {Ar(false, "C00002", -1, {"second", "inv", "ref", "ab"}, 1.5f, -2.0f, 'Y'),
       Ar(false, "C00001", 86400, {"Mixed Case Text", "lower8ch", "upper", "x"}, 0.25f, 3.0f, 'y'),
       Ar(false, "C00001", 172800, {"second item"}, 0, 0, 'N')});
  ASSERT_TRUE(Run(516).failed.empty());
  // Duplicates of key 0 keep their insertion order; the three short texts come out upper-cased;
  // a lower-case "y" is not "Y".
  EXPECT_EQ(ReadAll("AR.DB"),
            (std::vector<Bytes>{
                Ar(true, "C00001", 86400, {"Mixed Case Text", "LOWER8CH", "UPPER", "X"}, 0.25f,
                   3.0f, 'N'),
                Ar(true, "C00001", 172800, {"second item"}, 0, 0, 'N'),
                Ar(true, "C00002", -1, {"second", "INV", "REF", "AB"}, 1.5f, -2.0f, 'Y')}));
  EXPECT_EQ(StatBlock("AR.DB"), kArSpec);
  EXPECT_EQ(profile.FileList(), "SAVEDB\\AR.DB|");
}

TEST_F(UpgradeRun, CountWorkCountsEveryFileOnce) {
  MakeTerms0204(2);
  MakeFile("PCONT.DB", Spec(68, {{1, 4, 0, 0}}), {Record(68, {}), Record(68, {{0, Int32(1)}})});
  int32_t files = 0, records = 0;
  upgrade::CountWork(256, 0, &files, &records);
  EXPECT_EQ(files, 21);  // every group once; "LGDEITM.DB" does not exist
  EXPECT_EQ(records, 4);
}

// ---- The save area ----

TEST_F(UpgradeRun, BackoutRestoresConvertedFilesAndClearsTheRun) {
  const std::vector<Bytes> termsBefore = MakeTerms0204(2);
  MakeFile("AR.DB", kAr0204Spec, {});
  profile.WriteInt("Upgrade", "UpgradeRunning", 1);
  ASSERT_TRUE(Run(516).failed.empty());
  ASSERT_EQ(profile.FileList(), "SAVEDB\\TERMS.DB|SAVEDB\\AR.DB|");

  EXPECT_TRUE(upgrade::BackoutFiles(profile).empty());
  EXPECT_EQ(ReadAll("TERMS.DB"), termsBefore);
  EXPECT_EQ(StatBlock("TERMS.DB"), kTerms0204Spec);
  // A file that was empty goes back to its old layout too.
  EXPECT_EQ(StatBlock("AR.DB"), kAr0204Spec);
  EXPECT_EQ(profile.GetString("Upgrade", "FileList", "x"), "");
  EXPECT_EQ(profile.GetInt("Upgrade", "UpgradeRunning", 1), 0);
  EXPECT_FALSE(files::Exists("SAVEDB\\TERMS.DB"));

  // A new run then completes.
  EXPECT_TRUE(Run(516).failed.empty());
  EXPECT_EQ(StatBlock("TERMS.DB"), kTermsSpec);
}

TEST_F(UpgradeRun, BackoutSkipsEntriesWithoutSavedFileAndUnsafeNames) {
  auto write = [](const std::string& name, const std::string& text) {
    rectest::WriteBytes(files::Resolve(name), text);
  };
  write("KEEP.DB", "converted");
  write("LISTED.DB", "original");  // listed, but the run died before it was saved
  ASSERT_EQ(0, files::CreateDirectory("SAVEDB"));
  write("SAVEDB\\KEEP.DB", "original");
  write("outside.db", "untouched");
  write("SAVEDB\\x", "");
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

TEST_F(UpgradeRun, StaleSavedCopyIsReplacedAndListedOnce) {
  ASSERT_EQ(0, files::CreateDirectory("SAVEDB"));
  rectest::WriteBytes(files::Resolve("SAVEDB\\TERMS.DB"), "stale");
  MakeTerms0204(1);
  profile.WriteString("Upgrade", "FileList", "SAVEDB\\TERMS.DB|");
  ASSERT_TRUE(Run(516).failed.empty());
  EXPECT_EQ(profile.FileList(), "SAVEDB\\TERMS.DB|");
  EXPECT_EQ(StatBlock("SAVEDB\\TERMS.DB"), kTerms0204Spec);
}

// A save area that is the data directory under another name would make every original the
// "stale copy" of itself: neither the run nor the backout may delete or move anything then.
TEST_F(UpgradeRun, SaveAreaThatIsTheDataDirectoryLosesNothing) {
  const std::vector<Bytes> before = MakeTerms0204(2);
  std::filesystem::create_directory_symlink(".", "SAVEDB");
  const upgrade::RunSummary summary = Run(516);
  ASSERT_EQ(summary.failed.size(), 1u);
  EXPECT_EQ(ReadAll("TERMS.DB"), before);
  EXPECT_EQ(profile.FileList(), "");

  profile.WriteString("Upgrade", "FileList", "SAVEDB\\TERMS.DB|");
  profile.WriteInt("Upgrade", "UpgradeRunning", 1);
  EXPECT_EQ(upgrade::BackoutFiles(profile), std::vector<CString>{"TERMS.DB"});
  EXPECT_EQ(ReadAll("TERMS.DB"), before);
  EXPECT_EQ(profile.FileList(), "SAVEDB\\TERMS.DB|");
  EXPECT_EQ(profile.GetInt("Upgrade", "UpgradeRunning", 0), 1);

  // The original is SAVEDB's file under another name (a link): no stale copy to delete either.
  std::filesystem::remove("SAVEDB");
  std::filesystem::create_directory("SAVEDB");
  std::filesystem::rename("TERMS.DB", "SAVEDB/TERMS.DB");
  std::filesystem::create_symlink("SAVEDB/TERMS.DB", "TERMS.DB");
  EXPECT_EQ(Run(516).failed.size(), 1u);
  EXPECT_EQ(ReadAll("TERMS.DB"), before);
}

// A save area on another disk that is not mounted when the backout runs: the saved originals are
// not gone, only out of reach, so the list that says where they are must stay.
TEST_F(UpgradeRun, BackoutKeepsTheListWhileTheSaveAreaIsOutOfReach) {
  const std::vector<Bytes> before = MakeTerms0204(2);
  const rectest::ScratchPath disk;
  std::filesystem::create_directory_symlink(disk.path() + "/saved", "SAVEDB");
  std::filesystem::create_directory(disk.path() + "/saved");
  profile.WriteInt("Upgrade", "UpgradeRunning", 1);
  ASSERT_TRUE(Run(516).failed.empty());
  std::filesystem::rename(disk.path() + "/saved", disk.path() + "/away");
  EXPECT_EQ(upgrade::BackoutFiles(profile), std::vector<CString>{"TERMS.DB"});
  EXPECT_EQ(profile.FileList(), "SAVEDB\\TERMS.DB|");
  EXPECT_EQ(profile.GetInt("Upgrade", "UpgradeRunning", 0), 1);
  std::filesystem::rename(disk.path() + "/away", disk.path() + "/saved");
  EXPECT_TRUE(upgrade::BackoutFiles(profile).empty());
  EXPECT_EQ(ReadAll("TERMS.DB"), before);
}

// Two files whose names differ only in letter case are two files: converting one must not leave
// the other under its name, nor let the backout delete it as the converted file.
TEST_F(UpgradeRun, ANameTwinInAnotherLetterCaseIsNeverTouched) {
  const std::vector<Bytes> before = MakeTerms0204(2);
  rectest::WriteBytes("terms.db", "another file");
  const upgrade::RunSummary summary = Run(516);
  ASSERT_EQ(summary.failed.size(), 1u);
  EXPECT_EQ(ReadAll("TERMS.DB"), before);
  EXPECT_EQ(profile.FileList(), "");
  upgrade::BackoutFiles(profile);
  EXPECT_EQ(rectest::ReadBytes("terms.db"), "another file");
  EXPECT_EQ(ReadAll("TERMS.DB"), before);

  // A twin that appeared after the swap: the backout cannot tell which one is the converted file.
  ASSERT_TRUE(std::filesystem::remove("terms.db"));
  profile.WriteInt("Upgrade", "UpgradeRunning", 1);
  ASSERT_TRUE(Run(516).failed.empty());
  rectest::WriteBytes("terms.db", "another file");
  EXPECT_EQ(upgrade::BackoutFiles(profile), std::vector<CString>{"TERMS.DB"});
  EXPECT_EQ(rectest::ReadBytes("terms.db"), "another file");
  EXPECT_EQ(ReadAll("SAVEDB\\TERMS.DB"), before);
  EXPECT_EQ(profile.FileList(), "SAVEDB\\TERMS.DB|");
}

// Two stale copies in "SAVEDB" under other spellings of the name: deleting one leaves the other
// answering to the saved name, which must not pass for the original.
TEST_F(UpgradeRun, StaleCopiesInTwoOtherLetterCasesNeverReplaceTheOriginal) {
  const std::vector<Bytes> before = MakeTerms0204(2);
  ASSERT_EQ(0, files::CreateDirectory("SAVEDB"));
  rectest::WriteBytes("SAVEDB/Terms.DB", "stale");
  rectest::WriteBytes("SAVEDB/terms.db", "stale too");
  profile.WriteInt("Upgrade", "UpgradeRunning", 1);
  EXPECT_EQ(Run(516).failed.size(), 1u);
  upgrade::BackoutFiles(profile);
  EXPECT_EQ(ReadAll("TERMS.DB"), before);
}

// ---- Files whose first read finds no record to convert are converted, saved and listed like
// every other file, so that a backout puts each of them back as it was ----

TEST_F(UpgradeRun, LocalGuideFileEmptyWhileTheMainOneHoldsRecords) {
  // Order guide items: 33 bytes; key 0 = guide code + Number6 (integer), key 1 = guide code +
  // Number10 (integer, unique).
  Bytes spec = Spec(33, {{1, 6, 0x13, 0}, {7, 4, 0x103, 1}, {1, 6, 0x10, 0}, {11, 4, 0x100, 1}});
  spec[4] = 2;  // two keys of two segments each
  auto item = [](int32_t n6, int32_t n10) {
    return Record(33, {{0, Text("G1")}, {6, Int32(n6)}, {10, Int32(n10)}, {14, Text("ITEM")}});
  };
  MakeFile("GDEITEM.DB", spec, {item(1, 1), item(-5, 2)});
  MakeFile("LGDEITM.DB", spec, {});
  ASSERT_TRUE(Run(512).failed.empty());
  EXPECT_NE(profile.FileList().find("SAVEDB\\GDEITEM.DB|SAVEDB\\LGDEITM.DB|"), std::string::npos)
      << profile.FileList();
  EXPECT_EQ(ReadAll("GDEITEM.DB").size(), 2u);
  EXPECT_TRUE(ReadAll("LGDEITM.DB").empty());
  EXPECT_TRUE(mask & Bit(29));
  EXPECT_FALSE(files::Exists("TMP.DB"));
  int32_t files = 0, records = 0;
  upgrade::CountWork(512, 0, &files, &records);
  EXPECT_EQ(host.filesDone, files);  // both guide files count, once each

  EXPECT_TRUE(upgrade::BackoutFiles(profile).empty());
  EXPECT_EQ(StatBlock("LGDEITM.DB"), spec);
  EXPECT_EQ(ReadAll("GDEITEM.DB"), ReadAll("SAVEDB\\..\\GDEITEM.DB"));
}

// Specials whose date has passed are dropped: with all of them passed the converted file is
// empty; current ones survive behind passed ones. Either way the backout restores the original.
TEST_F(UpgradeRun, SpecialsKeepTheCurrentOnesAndTheOriginalForTheBackout) {
  // 52 bytes, date at 24; key 0 the 21 bytes of text, key 1 the last 15 (duplicates).
  const Bytes spec = Spec(52, {{1, 21, 0, 0}, {7, 15, 0x01, 0}});
  auto special = [](const std::string& text0, int32_t date) {
    return Record(52, {{0, Text(text0)},
                       {6, Text("ITEM")},
                       {24, Int32(date)},
                       {28, Text("NN")},
                       {48, Text("N")}});
  };
  const std::pair<std::vector<Bytes>, std::string> cases[] = {
      {{special("A", 1000), special("B", -1)}, ""},
      {{special("A", 1000), special("B", 2000000000), special("C", -1), special("D", 2100000000)},
       "BD"}};
  for (const auto& [records, survivors] : cases) {
    SCOPED_TRACE("survivors \"" + survivors + "\"");
    const ScratchDir own;
    MemoryProfile fresh;
    RecordingHost freshHost(fresh);
    MakeFile("SPECIAL.DB", spec, records);
    const std::vector<Bytes> before = ReadAll("SPECIAL.DB");
    uint64_t bits = 0;
    ASSERT_TRUE(upgrade::RunSteps(freshHost, 515, 1, &bits).failed.empty());
    std::string kept;
    for (const Bytes& r : ReadAll("SPECIAL.DB")) {
      kept += static_cast<char>(r[0]);
    }
    EXPECT_EQ(kept, survivors);
    EXPECT_EQ(ReadAll("SAVEDB\\SPECIAL.DB"), before);
    EXPECT_NE(fresh.FileList().find("SAVEDB\\SPECIAL.DB|"), std::string::npos);
    EXPECT_TRUE(bits & Bit(12));
    EXPECT_TRUE(upgrade::BackoutFiles(fresh).empty());
    EXPECT_EQ(StatBlock("SPECIAL.DB"), spec);
    EXPECT_EQ(ReadAll("SPECIAL.DB"), before);
  }
}

TEST_F(UpgradeRun, AFileInAnotherLayoutIsNeverConverted) {
  // 160-byte records with one key: not the 0401 velocity layout (156 bytes, six keys), for
  // example a file that a run already converted. Reading it through the 0401 class would turn
  // it into garbage, and saving it would replace the original kept from an earlier run.
  const std::vector<Bytes> records = {Record(160, {{0, Text("A")}}), Record(160, {{0, Text("B")}})};
  MakeFile("VELOCITY.DB", Spec(160, {{1, 12, 0x01, 0}}), records);
  std::filesystem::create_directory("SAVEDB");
  MakeFile("SAVEDB\\VELOCITY.DB", Spec(160, {{1, 12, 0x01, 0}}), {records[0]});
  const upgrade::RunSummary summary = Run(1025, 4);
  ASSERT_EQ(summary.failed.size(), 1u);
  EXPECT_EQ(summary.failed[0].detail,
            "Velocity.DB is not in the layout this step reads: it holds 160-byte fixed-length "
            "records with 1 key, this step reads 156-byte fixed-length records with 6 keys.");
  EXPECT_EQ(ReadAll("VELOCITY.DB"), records);
  EXPECT_EQ(ReadAll("SAVEDB\\VELOCITY.DB").size(), 1u);  // the saved copy stays too
  EXPECT_EQ(profile.FileList(), "");
  EXPECT_FALSE(files::Exists("TMP.DB"));
  EXPECT_EQ(mask & Bit(9), 0u);
}

// ---- Which steps a release selects ----

using V = std::vector<std::string>;
const auto Ids = StepIds;

TEST(StepSelection, VersionWithoutSettingRunsEveryFirstAlternative) {
  EXPECT_EQ(Ids(256, 0), (V{"1",  "2a",  "3",   "4",   "5a",  "6a",  "7",   "8a", "9a", "10", "11",
                            "12", "13a", "14a", "15a", "16a", "17a", "18a", "19", "20", "21"}));
  EXPECT_EQ(Ids(-1, -1), Ids(256, 0));
}

TEST(StepSelection, Release309ByBuild) {
  EXPECT_EQ(Ids(777, 3), (V{"8d", "14c", "15e", "16e", "17c", "19", "20", "21"}));
  EXPECT_EQ(Ids(777, 4), (V{"8d", "14c", "15e", "16e", "17c", "20", "21"}));
  EXPECT_EQ(Ids(777, 5), (V{"8d", "14d", "15e", "16e", "17c", "20", "21"}));
}

TEST(StepSelection, Release401AndLater) {
  EXPECT_EQ(Ids(1025, 3), (V{"8d", "15e", "16e", "20", "21"}));
  EXPECT_EQ(Ids(1025, 4), (V{"8d", "20", "21"}));
  EXPECT_EQ(Ids(1027, 0), (V{"21"}));
  EXPECT_TRUE(Ids(1028, 4).empty());
}

TEST(StepSelection, BoundaryBuildsPickTheRightLayout) {
  EXPECT_EQ(Ids(515, 1)[0], "4");  // specials are still rebuilt before 2.03 build 2
  EXPECT_EQ(Ids(515, 2)[0], "5b");
  EXPECT_EQ(Ids(514, 0)[0], "2b");
  const V at521b2 = Ids(521, 2);
  EXPECT_NE(std::find(at521b2.begin(), at521b2.end(), "8c"), at521b2.end());
  EXPECT_NE(std::find(at521b2.begin(), at521b2.end(), "14b"), at521b2.end());
  const V at520b3 = Ids(520, 3);
  EXPECT_EQ(std::find(at520b3.begin(), at520b3.end(), "12"), at520b3.end());
}

TEST(UpgradeMask, SplitsIntoTheFourSettingsWords) {
  const uint64_t mask = (uint64_t{1} << 46) | (uint64_t{1} << 39) | (uint64_t{1} << 36) |
                        (uint64_t{1} << 29) | (uint64_t{1} << 22) | (uint64_t{1} << 14) |
                        (uint64_t{1} << 5) | (uint64_t{1} << 19);
  const upgrade::MaskWords w = upgrade::SplitMask(mask);
  EXPECT_EQ(w.updateLow, (1 << 19) | (1 << 14) | (1 << 5));  // 20 bits, not 16
  EXPECT_EQ(w.updateHigh, (1 << (29 - 16)) | (1 << (22 - 16)) | (1 << (19 - 16)));
  EXPECT_EQ(w.updateLow2, (1 << (46 - 32)) | (1 << (39 - 32)) | (1 << (36 - 32)));
  EXPECT_EQ(w.updateHigh2, 0);
}

}  // namespace
