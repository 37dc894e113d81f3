// Every release's demo database upgrades completely: each step the release selects converts its
// file, nothing fails, every file ends in the current layout and is listed for the backout.
#include <gtest/gtest.h>

#include <random>

#include "app/upgrade_run.h"
#include "platform/btrieve/btrcall.h"
#include "tools/mkdemo/demo.h"
#include "upgrade_test_support.h"

using namespace testing_support;

namespace {

struct Release {
  int version, build;
};

class AllReleases : public ::testing::TestWithParam<Release> {};

TEST_P(AllReleases, DemoDatabaseUpgradesCompletely) {
  const Release release = GetParam();
  ScratchDir dir;
  demo::Registry writers;
  demo::RegisterCatalogDemos(writers);
  demo::RegisterOrderDemos(writers);
  demo::RegisterCustomerDemos(writers);
  std::mt19937 rng(11);
  std::vector<std::string> expectedList;
  for (const upgrade::Step* step : upgrade::SelectSteps(release.version, release.build)) {
    ASSERT_EQ(writers.count(step->id), 1u) << "no demo writer for step " << step->id;
    demo::Context ctx{40, &rng, {}};
    ASSERT_EQ(0, writers[step->id](ctx)) << step->id << ": " << ctx.error;
  }
  BTRCALL(btr::kStop, nullptr, nullptr, nullptr, nullptr, 0, 0);

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

INSTANTIATE_TEST_SUITE_P(
    Releases, AllReleases,
    ::testing::Values(Release{256, 0}, Release{512, 0}, Release{513, 0}, Release{514, 0},
                      Release{515, 1}, Release{515, 2}, Release{516, 0}, Release{517, 0},
                      Release{520, 2}, Release{520, 3}, Release{521, 1}, Release{521, 2},
                      Release{768, 0}, Release{769, 0}, Release{770, 0}, Release{771, 0},
                      Release{772, 5}, Release{773, 0}, Release{775, 0}, Release{776, 0},
                      Release{777, 3}, Release{777, 4}, Release{777, 5}, Release{1024, 0},
                      Release{1025, 3}, Release{1025, 4}, Release{1026, 0}, Release{1027, 0}),
    [](const ::testing::TestParamInfo<Release>& info) {
      return "v" + std::to_string(info.param.version) + "b" + std::to_string(info.param.build);
    });

}  // namespace
