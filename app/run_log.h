// The run log "REMOLD.LOG" in the data directory: one plain-text line per event of every run and
// backout (start and end, the release started from, each file with its records read, written and
// skipped, its end and duration, the messages shown, the exit status), appended and flushed as it
// goes, so that the log of a killed process ends at the last event it finished.
//
// The log is a record for people, never a condition of the upgrade: a log that cannot be opened
// or written is dropped silently and the run goes on. Lines are written with the C library, not
// through the platform's fault layer, so that logging changes nothing a fault test counts.
#pragma once

#include <cstdio>
#include <string>

#include "app/upgrade_steps.h"

namespace upgrade {

constexpr const char* kLogFile = "REMOLD.LOG";

class RunLog {
 public:
  RunLog() = default;
  ~RunLog();
  RunLog(const RunLog&) = delete;
  RunLog& operator=(const RunLog&) = delete;

  // Appends to `name` in the current directory (the data directory) from now on; does nothing
  // when that file is open already. False when the file cannot be opened.
  bool OpenFile(const CString& name = kLogFile);
  // Writes the lines to `out` instead of a file (the check prints its lines this way).
  void OpenStream(std::FILE* out);
  bool IsOpen() const { return out_ != nullptr; }
  void Close();

  // One line "YYYY-MM-DD HH:MM:SS <text>" in local time; line breaks in `text` become " / ".
  // Nothing happens when the log is not open.
  void Line(const CString& text);

 private:
  std::FILE* out_ = nullptr;
  bool owned_ = false;
  CString path_;  // of the file open, when the log writes to a file
};

// The log of this process.
RunLog& Log();

// "2.04 build 0 (version 516)": the release a database is at, as people name it.
CString DescribeRelease(int version, int build);

// "file TERMS.DB (Terms): read 5, written 5, skipped 0, converted in 0.01 s".
CString DescribeFile(const FileReport& report);

}  // namespace upgrade
