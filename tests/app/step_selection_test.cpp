// Which steps a profile's version and build select, and the mask words a run writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/upgrade_run.h"
#include "app/upgrade_steps.h"

namespace {

std::vector<std::string> Ids(int version, int build) {
  std::vector<std::string> ids;
  for (const upgrade::Step* step : upgrade::SelectSteps(version, build)) {
    ids.push_back(step->id);
  }
  return ids;
}

using V = std::vector<std::string>;

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

TEST(StepSelection, EveryGroupRunsAtMostOnce) {
  for (int v : {256, 513, 514, 515, 516, 517, 520, 521, 769, 770, 771, 773, 775, 777, 1024, 1025}) {
    for (int b : {0, 2, 3, 4, 5}) {
      std::vector<std::string> groups;
      for (const upgrade::Step* step : upgrade::SelectSteps(v, b)) {
        EXPECT_EQ(std::find(groups.begin(), groups.end(), step->group), groups.end())
            << "version " << v << " build " << b << " group " << step->group;
        groups.push_back(step->group);
      }
    }
  }
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
