// The pre-flight check: what a run would do to the profile's database, found by reading every
// legacy record through its old table class and converting it in memory, without writing
// anything at all (no settings, no record file, no "TMP.DB", no "SAVEDB", no log). Also the
// disk space a run needs, which the run itself tests before it starts.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "app/upgrade_steps.h"

namespace upgrade {

// What the check found for each file the chosen steps would open, in step order.
struct CheckReport {
  std::vector<std::pair<const Step*, FileCheck>> files;
  int64_t bytesNeeded = 0;
  bool Fails() const;
};

// Checks the steps a run at version v, build b would take, on the files in the current directory.
// Without `readRecords` only presence, layouts, counts and space are looked at.
CheckReport CheckSteps(int version, int build, bool readRecords);

// One line per file, a total, and the space needed beside the space free in `dataDir`.
void PrintCheck(const CheckReport& report, const CString& dataDir, std::FILE* out);

// Bytes free for this user in the file system of `dir`; -1 when it cannot be found.
int64_t FreeSpace(const CString& dir);
// Where FreeSpace asks (nullptr: the file system); tests put a full disk in its place.
using FreeSpaceSource = int64_t (*)(const CString& dir);
void SetFreeSpaceSource(FreeSpaceSource source);

// "1.2 MB": a byte count for people.
CString DescribeBytes(int64_t bytes);

}  // namespace upgrade
