// Verification of a record file, for recutil's "check" and for tests: the file is a record file
// of ours, SQLite finds its structure sound, every key column holds exactly what the record's
// bytes encode to, every record has a length the file accepts, and the kept record count equals
// the number of records. Every unique key has its index; a key with duplicates may lack it when
// its writer died before building it (the next open builds it; the summary says so).
#pragma once

#include <string>
#include <vector>

namespace btr {

struct CheckReport {
  // Everything wrong with the file, one line each ("record at position 7: key 1 does not match
  // the record"), at most kMaxProblems of them; empty for a sound file.
  std::vector<std::string> problems;
  // Problems found beyond the ones listed.
  long unlisted = 0;
  // "N records, K keys" for a sound file; otherwise why the file could not be checked at all
  // ("file not found", "not a record file"), or empty.
  std::string summary;
};

constexpr size_t kMaxProblems = 1000;

// Checks the file named `name` (a Windows-style name, resolved like every name the engine
// receives). Returns 0 when it is sound, 12 when it is missing, 30 when it is not a record file
// of ours, 2 when it could not be read or problems were found. Never throws.
int InspectRecordFile(const std::string& name, CheckReport* report);

// The same, with one line in *report: the summary of a sound file, else the first problem (or
// the reason the file could not be checked). `report` may be null.
int CheckRecordFile(const std::string& name, std::string* report);

}  // namespace btr
