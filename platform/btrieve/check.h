// Verification of a record file, for recutil's "check" and for tests: the file is a record file
// of ours, SQLite finds its structure sound, every key column holds exactly what the record's
// bytes encode to, every record has a length the file accepts, and the kept record count equals
// the number of records.
#pragma once

#include <string>

namespace btr {

// Returns 0 when the file named `name` (a Windows-style name, resolved like every name the
// engine receives) is consistent, and writes "N records, K keys" to *report. Otherwise returns
// a status (12 missing, 30 not a record file, 2 damaged or inconsistent) and writes a one-line
// reason to *report. `report` may be null. Never throws.
int CheckRecordFile(const std::string& name, std::string* report);

}  // namespace btr
