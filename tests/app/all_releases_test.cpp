// Every release's demo database upgrades completely: each step the release selects converts its
// file, nothing fails, every file ends in the current layout and is listed for the backout.
#include <gtest/gtest.h>

#include "app/upgrade_run.h"
#include "program_home.h"

using namespace testing_support;

namespace {

class AllReleases : public ::testing::TestWithParam<Release> {};

TEST_P(AllReleases, DemoDatabaseUpgradesCompletely) {
  const Release release = GetParam();
  ScratchDir dir;
  MakeDemoDatabase(release.version, release.build, 40, 11);
  ASSERT_FALSE(HasFatalFailure());

  MemoryProfile profile;
  RecordingHost host(profile);
  uint64_t mask = 0;
  const upgrade::RunSummary summary =
      upgrade::RunSteps(host, release.version, release.build, &mask);
  EXPECT_FALSE(summary.cancelled);
  for (const upgrade::StepResult& failed : summary.failed) {
    ADD_FAILURE() << failed.displayName << " failed with status " << failed.status;
  }
  int32_t files = 0, records = 0;
  upgrade::CountWork(release.version, release.build, &files, &records);
  EXPECT_EQ(host.filesDone, files);
  const std::string list = profile.GetString("Upgrade", "FileList", "");
  for (const upgrade::Step* step : upgrade::SelectSteps(release.version, release.build)) {
    EXPECT_NE(list.find(std::string("SAVEDB\\") + step->file + "|"), std::string::npos)
        << step->file << " not listed in " << list;
  }
  EXPECT_FALSE(FileExists("TMP.DB"));
}

INSTANTIATE_TEST_SUITE_P(Releases, AllReleases, ::testing::ValuesIn(kEveryRelease), ReleaseName);

}  // namespace
