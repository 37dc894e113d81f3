// The walk over the conversion steps: see upgrade_run.h.
#include "app/upgrade_run.h"

namespace upgrade {

RunSummary RunSteps(RunHost& host, int version, int build, uint64_t* mask) {
  RunSummary summary;
  for (const Step* step : SelectSteps(version, build)) {
    if (host.CancelRequested()) {
      summary.cancelled = true;
      break;
    }
    const StepResult result = step->run(host, *step);
    if (result.outcome == Outcome::Cancelled) {
      summary.cancelled = true;
      break;
    }
    if (result.outcome == Outcome::Failed) {
      summary.failed.push_back(result);
      continue;
    }
    if (step->maskBit >= 0) {
      *mask |= uint64_t{1} << step->maskBit;
    }
  }
  return summary;
}

MaskWords SplitMask(uint64_t mask) {
  return {static_cast<int32_t>((mask >> 16) & 0xFFFF), static_cast<int32_t>(mask & 0xFFFFF),
          static_cast<int32_t>((mask >> 48) & 0xFFFF), static_cast<int32_t>((mask >> 32) & 0xFFFF)};
}

}  // namespace upgrade
