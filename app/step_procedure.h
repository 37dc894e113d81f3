// The generic procedures of one conversion step, instantiated per step with the step's classes:
// the conversion the run makes (RunStep), the count the dialog shows (CountStep) and the check
// that converts in memory only (CheckStep).
//
// A Plain<L, N, Old, New> names the legacy table L, the current table N and their record classes,
// and how a record is read, converted and inserted; steps whose readers take arguments or whose
// statuses mean something particular derive from it and replace one function.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <type_traits>
#include <vector>

#include "app/upgrade_steps.h"
#include "platform/btrieve/btrcall.h"
#include "platform/sysio/sysio.h"
#include "recfile/file_definition.h"

namespace upgrade {

// Policies that some steps apply to the statuses of their reads.
struct ReadRules {
  bool skipStatus22 = false;     // an unreadable record (22) is dropped and counted
  bool status4IsRecord = false;  // 4 means a record that was read all the same
};

template <class L, class N, class Old, class New>
struct Plain {
  using Legacy = L;
  using Current = N;
  using OldRecord = Old;
  using NewRecord = New;
  static constexpr ReadRules kRules{};

  static int First(L& legacy, Old& record) { return legacy.ReadFirst(record); }
  static int Next(L& legacy, Old& record) { return legacy.ReadNext(record); }
  static void Convert(const Old& from, New& to) {
    if constexpr (std::is_same_v<Old, New>) {
      to = from;
    } else {
      ConvertRecord(from, to);
    }
  }
  static int Insert(N& current, New& record) { return current.InsertRecord(record); }
  // Called once both files are open, before the first record.
  static int Prepare(L&, N&) { return 0; }
  // Whether the insert gives this converted record a new number (or code) on key 0.
  static bool Renumbers(const New&) { return false; }
};

// A legacy table whose readers take the key to read on.
template <class L, class N, class Old, class New, int Key>
struct OnKey : Plain<L, N, Old, New> {
  static int First(L& legacy, Old& record) { return legacy.ReadFirst(record, Key); }
  static int Next(L& legacy, Old& record) { return legacy.ReadNext(record, Key); }
};

namespace detail {

inline bool IsEmptyStatus(const Step& step, int status) {
  for (int s : step.emptyStatuses) {
    if (s == status) {
      return true;
    }
  }
  return false;
}

// Applies the step's read rules: 0 for a record to convert, kSkip for one to drop, else the
// status unchanged.
constexpr int kSkip = -1;

template <class T>
int ApplyRules(int status) {
  if (status == btr::kDataBufferLength && T::kRules.skipStatus22) {
    return kSkip;
  }
  if (status == btr::kKeyNotFound && T::kRules.status4IsRecord) {
    return 0;
  }
  return status;
}

inline StepResult Fail(RunHost& host, CBtrieveDB& legacy, CBtrieveDB& current, int status,
                       const CString& detail = CString()) {
  StepResult result{Outcome::Failed, status, legacy.GetDisplayName(), detail};
  legacy.Close();
  current.Close();
  host.RemoveWorkFile();
  return result;
}

// Whether the open legacy file is in the layout that the legacy class reads. A file in another
// layout (one that a run already converted, a file of another release) must not be read through
// this class: a layout that takes any length would turn it into garbage.
template <class T>
bool InLegacyLayout(typename T::Legacy& legacy, const char* fileName, CString* detail) {
  typename T::Legacy probe;
  recfile::FileSpec expected;
  if (!recfile::DescribeTable(probe, &expected)) {
    return true;  // a class that creates its files another way: nothing to compare with
  }
  std::string found;
  if (recfile::FileMatchesLayout(legacy, expected, &found)) {
    return true;
  }
  *detail = CString(fileName) + " is not in the layout this step reads: " + found + ".";
  return false;
}

inline StepResult Cancel(CBtrieveDB& legacy, CBtrieveDB& current, const CString& display) {
  legacy.Close();
  current.Close();
  return {Outcome::Cancelled, 0, display, {}};
}

}  // namespace detail

namespace detail {

// Records read, written and skipped while one file is converted.
struct Counts {
  int read = 0;
  int written = 0;
  int skipped = 0;
};

template <class T>
StepResult ConvertRecords(RunHost& host, const Step& step, typename T::Legacy& legacy,
                          typename T::Current& current, const char* fileName, Counts* counts) {
  typename T::OldRecord oldRecord;
  typename T::NewRecord newRecord;
  const CString display = legacy.GetDisplayName();
  int status = legacy.Open(fileName);
  if (status == btr::kFileNotFound) {
    legacy.Close();
    return {Outcome::Missing, status, display, {}};
  }
  if (status != 0) {
    return Fail(host, legacy, current, status);
  }
  CString mismatch;
  if (!InLegacyLayout<T>(legacy, fileName, &mismatch)) {
    return Fail(host, legacy, current, btr::kDataBufferLength, mismatch);
  }
  sysio::Point("step:opened", fileName);
  status = current.CreateFile(kWorkFile);
  if (status != 0) {
    return detail::Fail(host, legacy, current, status,
                        CString("The work file ") + kWorkFile +
                            " cannot be created in the data directory (" + btr::StatusName(status) +
                            ").");
  }
  status = T::Prepare(legacy, current);
  if (status != 0) {
    return Fail(host, legacy, current, status);
  }
  sysio::Point("step:created", fileName);
  status = ApplyRules<T>(T::First(legacy, oldRecord));
  const bool empty = IsEmptyStatus(step, status);
  for (bool first = true; !empty; first = false) {
    if (!first) {
      if (host.CancelRequested()) {
        return Cancel(legacy, current, display);
      }
      host.UpdateProgress();
      status = ApplyRules<T>(T::Next(legacy, oldRecord));
    }
    if (status == kSkip) {
      ++counts->read;
      ++counts->skipped;
      continue;
    }
    if (status == btr::kEndOfFile && !first) {
      break;
    }
    if (status != 0) {
      return Fail(host, legacy, current, status);
    }
    ++counts->read;
    T::Convert(oldRecord, newRecord);
    status = T::Insert(current, newRecord);
    if (status != 0) {
      return Fail(host, legacy, current, status);
    }
    ++counts->written;
    host.RecordInserted();
    sysio::Point("step:inserted", fileName);
  }
  // A cancel confirmed while the last record's progress was shown: the file stays as it was.
  if (host.CancelRequested()) {
    return Cancel(legacy, current, display);
  }
  if (counts->skipped > 0) {
    host.RecordsSkipped(legacy.CurrentFileName(), counts->skipped);
  }
  sysio::Point("step:read-all", fileName);
  CString why;
  if (!host.ReplaceWithConverted(legacy, current, &why)) {
    return Fail(host, legacy, current, btr::kIoError, CString(fileName) + ": " + why + ".");
  }
  return {Outcome::Converted, 0, display, {}};
}

}  // namespace detail

// Converts the file `fileName` with tables that the caller owns (the order guide step handles
// two files with the same tables), and tells the host how it ended.
template <class T>
StepResult ConvertFile(RunHost& host, const Step& step, typename T::Legacy& legacy,
                       typename T::Current& current, const char* fileName) {
  const auto started = std::chrono::steady_clock::now();
  detail::Counts counts;
  const StepResult result =
      detail::ConvertRecords<T>(host, step, legacy, current, fileName, &counts);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
  host.FileEnded({fileName, result.displayName, counts.read, counts.written, counts.skipped,
                  result.outcome, result.status, result.detail, took.count()});
  return result;
}

// The usual step: one file under the legacy table's own name.
template <class T>
StepResult RunStep(RunHost& host, const Step& step) {
  typename T::Legacy legacy;
  typename T::Current current;
  host.BeginTable(legacy.GetDisplayName());
  host.FileStarted();
  return ConvertFile<T>(host, step, legacy, current, step.file);
}

// Records of the step's file through its legacy class; the file counts whether or not it exists.
template <class T>
int32_t CountStep(const Step& step, int32_t* files) {
  typename T::Legacy legacy;
  ++*files;
  if (legacy.GetFileName() != step.file) {
    const int status = legacy.Open(step.file);
    if (status != 0) {
      legacy.Close();
      return status == btr::kFileNotFound ? 0 : -1;
    }
  }
  return CountRecords(legacy);
}

namespace detail {

// The current table with its inserts caught in memory: the record manager is never called, so a
// check creates no file. The record formatted last stays in `last`.
template <class N>
class DryTable : public N {
 public:
  int Insert(void* dataBuf, uint16_t* dataLen, void* /*keyBuf*/, int8_t /*keyNum*/) override {
    const auto* bytes = static_cast<const uint8_t*>(dataBuf);
    last.assign(bytes, bytes + *dataLen);
    return 0;
  }
  std::vector<uint8_t> last;
};

// The unique keys of the current layout and the values converted records have given them, to
// find two records that would become one key.
class KeyValues {
 public:
  explicit KeyValues(const recfile::FileSpec& spec);
  // Adds the record's values; a value already taken adds a line naming both records to
  // *problems. Key 0 is left out for a record that the insert gives a new number.
  void Add(const std::vector<uint8_t>& record, int ordinal, bool renumbered,
           std::vector<CString>* problems);

 private:
  struct Key {
    int number;
    std::vector<recfile::KeySegment> segments;
    std::map<std::string, int> taken;  // value -> ordinal of the record that has it
  };
  std::vector<Key> keys_;
};

// Room the conversion of `fileName` (layout `legacy`, `records` records) into layout `current`
// needs: the file's size scaled by the growth of a record with its key values, or the records
// at the current length, whichever is more, with a margin.
int64_t BytesNeeded(const recfile::FileSpec& legacy, const recfile::FileSpec& current,
                    const char* fileName, int records);

// Appends a problem line, keeping only the first few of a file.
void AddProblem(std::vector<CString>* problems, const CString& text);

// Reads every record of the open legacy file and converts and formats it as the step would,
// counting what the step would read, write, skip and renumber and noting why it would fail.
template <class T>
void ConvertInMemory(const Step& step, typename T::Legacy& legacy, const recfile::FileSpec& spec,
                     FileCheck* check) {
  DryTable<typename T::Current> dry;
  KeyValues keys(spec);
  typename T::OldRecord oldRecord;
  typename T::NewRecord newRecord;
  int status = ApplyRules<T>(T::First(legacy, oldRecord));
  const bool empty = IsEmptyStatus(step, status);
  for (bool first = true; !empty; first = false) {
    if (!first) {
      status = ApplyRules<T>(T::Next(legacy, oldRecord));
    }
    const int ordinal = check->read + 1;
    if (status == kSkip) {
      ++check->read;
      ++check->skipped;
      continue;
    }
    if (status == btr::kEndOfFile && !first) {
      break;
    }
    if (status != 0) {
      AddProblem(&check->problems,
                 "record " + std::to_string(ordinal) +
                     (status == btr::kDataBufferLength ? " has a length this step cannot read"
                                                       : " cannot be read") +
                     " (status " + std::to_string(status) + "); the step would end there");
      return;
    }
    ++check->read;
    T::Convert(oldRecord, newRecord);
    const bool renumbered = T::Renumbers(newRecord);
    status = T::Insert(dry, newRecord);
    if (status != 0) {
      AddProblem(&check->problems, "record " + std::to_string(ordinal) +
                                       " cannot be written (status " + std::to_string(status) +
                                       "); the step would end there");
      return;
    }
    check->renumbered += renumbered ? 1 : 0;
    ++check->written;
    keys.Add(dry.last, ordinal, renumbered, &check->problems);
  }
}

}  // namespace detail

// Reads `fileName` through the step's legacy class and, when `readRecords`, converts every record
// in memory as ConvertFile would, without creating or changing any file. Without `readRecords`
// only the file's presence, layout, record count and the room its conversion needs are found.
template <class T>
FileCheck CheckFile(const Step& step, const char* fileName, bool readRecords) {
  using Verdict = FileCheck::Verdict;
  typename T::Legacy legacy;
  FileCheck check;
  check.file = fileName;
  check.displayName = legacy.GetDisplayName();
  int status = legacy.Open(fileName);
  if (status == btr::kFileNotFound) {
    legacy.Close();
    check.verdict = Verdict::Missing;
    return check;
  }
  check.verdict = Verdict::Fails;
  if (status != 0) {
    legacy.Close();
    check.problems.push_back("cannot be opened (status " + std::to_string(status) + ")");
    return check;
  }
  CString mismatch;
  if (!detail::InLegacyLayout<T>(legacy, fileName, &mismatch)) {
    legacy.Close();
    check.problems.push_back(mismatch);
    return check;
  }
  check.inFile = CountRecords(legacy);
  typename T::Current describeCurrent;
  recfile::FileSpec spec{};
  recfile::DescribeTable(describeCurrent, &spec);
  typename T::Legacy describeLegacy;
  recfile::FileSpec legacySpec{};
  recfile::DescribeTable(describeLegacy, &legacySpec);
  check.bytesNeeded = detail::BytesNeeded(legacySpec, spec, fileName, check.inFile);
  if (readRecords) {
    detail::ConvertInMemory<T>(step, legacy, spec, &check);
  }
  status = legacy.Close();
  if (status != 0) {
    check.problems.push_back("cannot be closed (status " + std::to_string(status) + ")");
  }
  if (check.problems.empty()) {
    check.verdict = Verdict::Converts;
  }
  return check;
}

// The usual step's check: its one file.
template <class T>
std::vector<FileCheck> CheckStep(const Step& step, bool readRecords) {
  return {CheckFile<T>(step, step.file, readRecords)};
}

}  // namespace upgrade
