// The conversion steps of the upgrade run, as data: one ordered table of steps (file, condition,
// legacy and current classes, empty-file statuses, mask bit), run by one generic procedure.
//
// A step reads every record of one record file through the table class of the file's old layout,
// converts it, inserts it into "TMP.DB" made by the current table class, and hands both tables to
// the host, which swaps the converted file in and keeps the old one in "SAVEDB". Alternatives of
// one group are tried in order and at most one runs. A step ends normally at status 9 after its
// last record, on one of its empty-file statuses at the first read (the empty file is converted
// and replaced like any other), or when its legacy file is missing (12: nothing to do). Any other
// ending fails the step: the old file stays in place, "TMP.DB" is removed, no mask bit is set and
// nothing is listed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "recfile/btrieve_db.h"

namespace upgrade {

constexpr const char* kWorkFile = "TMP.DB";

// The database version (4.04) and build that the product's current release expects.
constexpr int kCurrentVersion = 1028;
constexpr int kCurrentBuild = 4;

enum class Outcome { Converted, Missing, Cancelled, Failed };

// How the conversion of one file ended, for the run log.
struct FileReport {
  CString file;         // the name the step opened
  CString displayName;  // of the legacy table
  int read = 0;         // records the legacy readers returned, unreadable ones included
  int written = 0;      // records inserted into the converted file
  int skipped = 0;      // unreadable records left out
  Outcome outcome = Outcome::Converted;
  int status = 0;
  CString detail;
  double seconds = 0;
};

// What the run needs of the upgrade dialog while it converts files.
class RunHost {
 public:
  virtual ~RunHost() = default;
  // Shows "Working on <display name> database".
  virtual void BeginTable(const CString& displayName) = 0;
  virtual void FileStarted() = 0;
  virtual void RecordInserted() = 0;
  // Refreshes both bars and the texts and dispatches at most one pending message.
  virtual void UpdateProgress() = 0;
  virtual bool CancelRequested() = 0;
  // Saves the legacy table's file in "SAVEDB", lists it, and puts the current table's file in
  // its place; closes both tables. False when the converted file could not be put in place (the
  // old file is then where it was, unlisted); *why then says what failed.
  virtual bool ReplaceWithConverted(CBtrieveDB& legacy, CBtrieveDB& current, CString* why) = 0;
  // Removes a "TMP.DB" left in the data directory.
  virtual void RemoveWorkFile() = 0;
  // Records that a file's conversion dropped `count` unreadable records.
  virtual void RecordsSkipped(const CString& file, int count) = 0;
  // Every file a step opened or looked for, once its conversion has ended.
  virtual void FileEnded(const FileReport& report) { (void)report; }
};

struct StepResult {
  Outcome outcome = Outcome::Converted;
  int status = 0;       // the status that ended a failed step
  CString displayName;  // of the legacy table, for messages
  CString detail;       // what went wrong, when a status alone does not say it
};

// What reading a step's file without writing anything predicts a run will do with it.
struct FileCheck {
  enum class Verdict { Converts, Missing, Fails };
  CString file;
  CString displayName;
  Verdict verdict = Verdict::Converts;
  int inFile = 0;                 // records the file holds
  int read = 0;                   // records the legacy readers returned
  int written = 0;                // records the converted file would hold
  int skipped = 0;                // unreadable records that would be left out
  int renumbered = 0;             // records that would get a new number or code
  std::vector<CString> problems;  // why the step would fail
  int64_t bytesNeeded = 0;        // room the converted file would take
};

struct Step;
using StepRunner = StepResult (*)(RunHost& host, const Step& step);
using StepCounter = int32_t (*)(const Step& step, int32_t* files);
using StepChecker = std::vector<FileCheck> (*)(const Step& step, bool readRecords);

struct Step {
  const char* id;     // "14b"
  const char* group;  // "14": the alternatives of one group
  const char* file;   // the name under which the legacy table opens the file
  bool (*applies)(int version, int build);
  std::vector<int> emptyStatuses;  // statuses of the first read that mean "no record"
  int maskBit;                     // bit of the upgrade mask, -1 for none
  StepRunner run;
  StepCounter count;  // records of the step's file(s); adds the files it counts to *files
  StepChecker check;  // looks at the step's file(s), converting in memory only (FileCheck)
};

// The steps in the order the run takes them.
const std::vector<Step>& Steps();

// The steps that run for a profile at version v, build b: per group the first alternative whose
// condition holds.
std::vector<const Step*> SelectSteps(int version, int build);

// Files and records that a run at v, b will convert: every file once.
void CountWork(int version, int build, int32_t* files, int32_t* records);

}  // namespace upgrade
