// The generic procedure of one conversion step, instantiated per step with the step's classes.
//
// A Plain<L, N, Old, New> names the legacy table L, the current table N and their record classes,
// and how a record is read, converted and inserted; steps whose readers take arguments or whose
// statuses mean something particular derive from it and replace one function.
#pragma once

#include <type_traits>

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

// Converts the file `fileName` with tables that the caller owns (the order guide step handles
// two files with the same tables).
template <class T>
StepResult ConvertFile(RunHost& host, const Step& step, typename T::Legacy& legacy,
                       typename T::Current& current, const char* fileName) {
  typename T::OldRecord oldRecord;
  typename T::NewRecord newRecord;
  const CString display = legacy.GetDisplayName();
  int status = legacy.Open(fileName);
  if (status == btr::kFileNotFound) {
    legacy.Close();
    return {Outcome::Missing, status, display, {}};
  }
  if (status != 0) {
    return detail::Fail(host, legacy, current, status);
  }
  CString mismatch;
  if (!detail::InLegacyLayout<T>(legacy, fileName, &mismatch)) {
    return detail::Fail(host, legacy, current, btr::kDataBufferLength, mismatch);
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
    return detail::Fail(host, legacy, current, status);
  }
  sysio::Point("step:created", fileName);
  int skipped = 0;
  status = detail::ApplyRules<T>(T::First(legacy, oldRecord));
  const bool empty = detail::IsEmptyStatus(step, status);
  for (bool first = true; !empty; first = false) {
    if (!first) {
      if (host.CancelRequested()) {
        return detail::Cancel(legacy, current, display);
      }
      host.UpdateProgress();
      status = detail::ApplyRules<T>(T::Next(legacy, oldRecord));
    }
    if (status == detail::kSkip) {
      ++skipped;
      continue;
    }
    if (status == btr::kEndOfFile && !first) {
      break;
    }
    if (status != 0) {
      return detail::Fail(host, legacy, current, status);
    }
    T::Convert(oldRecord, newRecord);
    status = T::Insert(current, newRecord);
    if (status != 0) {
      return detail::Fail(host, legacy, current, status);
    }
    host.RecordInserted();
    sysio::Point("step:inserted", fileName);
  }
  // A cancel confirmed while the last record's progress was shown: the file stays as it was.
  if (host.CancelRequested()) {
    return detail::Cancel(legacy, current, display);
  }
  if (skipped > 0) {
    host.RecordsSkipped(legacy.CurrentFileName(), skipped);
  }
  sysio::Point("step:read-all", fileName);
  CString why;
  if (!host.ReplaceWithConverted(legacy, current, &why)) {
    return detail::Fail(host, legacy, current, btr::kIoError, CString(fileName) + ": " + why + ".");
  }
  return {Outcome::Converted, 0, display, {}};
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

}  // namespace upgrade
