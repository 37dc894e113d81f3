// The run log: see run_log.h.
#include "app/run_log.h"

#include <ctime>

#include "platform/files/files.h"

namespace upgrade {

RunLog::~RunLog() {
  Close();
}

bool RunLog::OpenFile(const CString& name) {
  // The same process may work on several data directories (tests do): each has its own log.
  const CString path = files::CurrentDirectory() + "/" + name;
  if (out_ != nullptr && path == path_) {
    return true;
  }
  Close();
  out_ = std::fopen(path.c_str(), "a");
  owned_ = out_ != nullptr;
  path_ = owned_ ? path : CString();
  return owned_;
}

void RunLog::OpenStream(std::FILE* out) {
  Close();
  out_ = out;
  owned_ = false;
}

void RunLog::Close() {
  if (out_ != nullptr && owned_) {
    std::fclose(out_);  // a failure loses at most lines that were flushed already
  }
  out_ = nullptr;
  owned_ = false;
  path_.clear();
}

void RunLog::Line(const CString& text) {
  if (out_ == nullptr) {
    return;
  }
  char stamp[32] = "(no time)";
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) != nullptr) {
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
  }
  CString line;
  for (char c : text) {
    if (c == '\n') {
      if (!line.empty() && line.back() != ' ') {
        line += " / ";
      }
    } else if (c != '\r') {
      line += c;
    }
  }
  while (!line.empty() && (line.back() == ' ' || line.back() == '/')) {
    line.pop_back();
  }
  // Each line goes out whole and at once: a killed process leaves the lines it finished.
  std::fprintf(out_, "%s %s\n", stamp, line.c_str());
  std::fflush(out_);
}

RunLog& Log() {
  static RunLog log;
  return log;
}

CString DescribeRelease(int version, int build) {
  char text[64];
  std::snprintf(text, sizeof text, "%d.%02d build %d (version %d)", version / 256, version % 256,
                build, version);
  return text;
}

CString DescribeFile(const FileReport& report) {
  const char* ending = "converted";
  switch (report.outcome) {
    case Outcome::Converted:
      break;
    case Outcome::Missing:
      return "file " + report.file + " (" + report.displayName + "): not there, nothing to convert";
    case Outcome::Cancelled:
      ending = "cancelled, original kept";
      break;
    case Outcome::Failed:
      ending = "FAILED, original kept";
      break;
  }
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.2f s", report.seconds);
  CString line = "file " + report.file + " (" + report.displayName + "): read " +
                 std::to_string(report.read) + ", written " + std::to_string(report.written) +
                 ", skipped " + std::to_string(report.skipped) + ", " + ending;
  if (report.outcome == Outcome::Failed) {
    line += " (status " + std::to_string(report.status) + ")";
    if (!report.detail.empty()) {
      line += ": " + report.detail;
    }
  }
  return line + " in " + seconds;
}

}  // namespace upgrade
