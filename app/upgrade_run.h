// The upgrade run's walk over the steps: which steps run, what each one's end means for the
// upgrade mask, and what the dialog must report when the walk is over.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "app/upgrade_steps.h"

namespace upgrade {

// Bit 5 of the upgrade mask marks every run that starts below version 3.03.
constexpr int kOldDatabaseBit = 5;
constexpr int kOldDatabaseVersion = 771;

struct RunSummary {
  bool cancelled = false;
  std::vector<StepResult> failed;  // steps that could not convert their file, in order
};

// Runs the steps chosen by v and b, testing the cancel flag before each one. A step that ends
// normally (converted, or its legacy file missing) sets its mask bit; a failed or cancelled one
// does not. Stops at the first cancel.
RunSummary RunSteps(RunHost& host, int version, int build, uint64_t* mask);

// The four settings words of the upgrade mask, as the product reads them back:
// "UpdateHigh" bits 16-31, "UpdateLow" bits 0-19, "UpdateHigh2" bits 48-63, "UpdateLow2" 32-47.
struct MaskWords {
  int32_t updateHigh, updateLow, updateHigh2, updateLow2;
};
MaskWords SplitMask(uint64_t mask);

}  // namespace upgrade
