// mkdemo: the releases it accepts, the files it makes, and how it spreads a total of records.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <numeric>
#include <string>

#include "platform/btrieve/check.h"
#include "tests/support/file_bytes.h"
#include "tests/support/releases.h"
#include "tests/support/scratch_dir.h"
#include "tools/mkdemo/demo.h"

namespace fs = std::filesystem;

namespace {

// Runs mkdemo with `args`; returns its exit status, with its standard error in *err.
int RunMkdemo(const std::string& args, std::string* err = nullptr) {
  const rectest::ScratchPath printed;
  const std::string errFile = printed.path() + "/err";
  const std::string command =
      std::string(MKDEMO_PATH) + " --remold /bin/true " + args + " >/dev/null 2>" + errFile;
  const int status = std::system(command.c_str());
  if (err != nullptr) {
    *err = rectest::ReadBytes(errFile);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Mkdemo, MalformedReleasesAreUsageErrors) {
  rectest::ScratchPath home;
  for (const char* release : {"2.04x", "2.4", "2.04.", "-2.04", "2", "2.04.4.1", "x.04", ""}) {
    std::string err;
    EXPECT_EQ(2, RunMkdemo("--home " + home.path() + " --release '" + release + "'", &err))
        << release;
    EXPECT_NE(err.find("is not of the form"), std::string::npos) << release << ": " << err;
  }
  EXPECT_EQ(2, RunMkdemo("--home " + home.path() + " --records -1"));
  EXPECT_EQ(2, RunMkdemo("--records 5"));  // no home
}

// Every file of every release passes the record manager's own check.
class MkdemoRelease : public ::testing::TestWithParam<rectest::Release> {};

TEST_P(MkdemoRelease, MakesFilesThatPassTheCheck) {
  rectest::ScratchPath home;
  ASSERT_EQ(0, RunMkdemo("--home " + home.path() + " --release " +
                         rectest::ReleaseText(GetParam()) + " --records-per-file 4"));
  int files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(home.path())) {
    const std::string name = entry.path().filename().string();
    if (name.size() > 3 && name.substr(name.size() - 3) == ".DB") {
      std::string report;
      EXPECT_EQ(0, btr::CheckRecordFile(entry.path().string(), &report))
          << entry.path() << ": " << report;
      ++files;
    }
  }
  EXPECT_GT(files, 0);
}

INSTANTIATE_TEST_SUITE_P(Releases, MkdemoRelease, ::testing::ValuesIn(rectest::kEveryRelease),
                         [](const ::testing::TestParamInfo<rectest::Release>& info) {
                           std::string name = rectest::ReleaseText(info.param);
                           for (char& c : name) {
                             c = c == '.' ? '_' : c;
                           }
                           return "r" + name;
                         });

TEST(SpreadRecords, FollowsTheShapeOfACustomersDatabase) {
  const std::vector<std::string> files = {
      "GDEITEM.DB",  "PCONT.DB",    "WHSMRKUP.DB", "SPECIAL.DB", "ORDRITEM.DB", "HORDRITM.DB",
      "PRICESEQ.DB", "VELOCITY.DB", "MNPRICE.DB",  "TERMS.DB",   "AR.DB",       "INVITEM.DB",
      "MODEM.DB",    "ITEM.DB",     "ORDER.DB",    "HORDER.DB",  "ItemUnit.DB", "CUST.DB",
      "CATEGORY.DB", "DevCost.DB",  "MenuHdr.DB"};
  const long total = 1000000;
  const std::vector<int> counts = demo::SpreadRecords(files, total);
  ASSERT_EQ(counts.size(), files.size());
  EXPECT_EQ(std::accumulate(counts.begin(), counts.end(), 0L), total);
  auto share = [&](const std::string& file) {
    for (size_t i = 0; i < files.size(); ++i) {
      if (files[i] == file) {
        return counts[i] * 100.0 / total;
      }
    }
    return -1.0;
  };
  EXPECT_GE(share("ORDRITEM.DB") + share("HORDRITM.DB"), 30.0);
  EXPECT_GE(share("HORDRITM.DB") + share("HORDER.DB"), 40.0);
  EXPECT_NEAR(share("VELOCITY.DB"), 15.0, 2.0);
  EXPECT_NEAR(share("PCONT.DB"), 10.0, 2.0);
  EXPECT_LE(counts[9], 1000);   // terms
  EXPECT_LE(counts[12], 1000);  // modem profiles
  EXPECT_LE(counts[18], 2000);  // categories
  EXPECT_GE(counts[9], 10);
}

}  // namespace
