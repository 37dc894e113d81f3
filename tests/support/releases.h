// Every release a demo database is made of: 1.00 to 4.03, with the builds between which the steps
// that a release selects change.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace rectest {

// A release as the settings name it.
struct Release {
  int version, build;
};

inline const std::vector<Release> kEveryRelease = {
    {256, 0}, {512, 0}, {513, 0},  {514, 0},  {515, 1},  {515, 2},  {516, 0},
    {517, 0}, {520, 2}, {520, 3},  {521, 1},  {521, 2},  {768, 0},  {769, 0},
    {770, 0}, {771, 0}, {772, 5},  {773, 0},  {775, 0},  {776, 0},  {777, 3},
    {777, 4}, {777, 5}, {1024, 0}, {1025, 3}, {1025, 4}, {1026, 0}, {1027, 0}};

// "2.04", "3.09.4": the release as mkdemo takes it (major.minor, then the build if it is not 0).
inline std::string ReleaseText(const Release& release) {
  char text[32];
  std::snprintf(text, sizeof text, "%d.%02d", release.version >> 8, release.version & 0xFF);
  return release.build == 0 ? text : text + ("." + std::to_string(release.build));
}

}  // namespace rectest
