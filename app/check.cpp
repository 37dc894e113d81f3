// The pre-flight check: see check.h.
#include "app/check.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <system_error>

#include "app/step_procedure.h"
#include "platform/files/files.h"
#include "platform/registry/registry.h"
#include "platform/setbank/setbank.h"

namespace upgrade {
namespace detail {

namespace {

constexpr uint16_t kDuplicatesAllowed = 0x01;
constexpr size_t kProblemsPerFile = 5;
// Per record: the row's own bookkeeping in the record manager's file.
constexpr int64_t kRecordOverhead = 40;
// The fixed part of every record file: header pages and the schema.
constexpr int64_t kFileOverhead = 64 * 1024;

bool IsUnique(const std::vector<recfile::KeySegment>& segments) {
  for (const recfile::KeySegment& segment : segments) {
    if ((segment.flags & kDuplicatesAllowed) != 0) {
      return false;
    }
  }
  return !segments.empty();
}

std::string ValueOf(const std::vector<recfile::KeySegment>& segments,
                    const std::vector<uint8_t>& record) {
  std::string value;
  for (const recfile::KeySegment& segment : segments) {
    for (size_t i = 0; i < segment.length; ++i) {
      const size_t at = segment.position - 1 + i;
      value += static_cast<char>(at < record.size() ? record[at] : 0);
    }
  }
  return value;
}

// A key value as people read it: text where the bytes are text, a number where a segment is
// an integer, \xNN otherwise.
CString Readable(const std::vector<recfile::KeySegment>& segments, const std::string& value) {
  CString text;
  size_t at = 0;
  for (const recfile::KeySegment& segment : segments) {
    if (!text.empty()) {
      text += ", ";
    }
    if (segment.type == 1 && segment.length == 4) {
      uint32_t n = 0;
      for (int i = 3; i >= 0; --i) {
        n = n << 8 | static_cast<uint8_t>(value[at + static_cast<size_t>(i)]);
      }
      text += std::to_string(static_cast<int32_t>(n));
    } else {
      std::string part = value.substr(at, segment.length);
      while (!part.empty() && (part.back() == '\0' || part.back() == ' ')) {
        part.pop_back();
      }
      text += '"';
      for (unsigned char c : part) {
        if (c >= 0x20 && c < 0x7F) {
          text += static_cast<char>(c);
        } else {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02X", c);
          text += hex;
        }
      }
      text += '"';
    }
    at += segment.length;
  }
  return text;
}

int64_t KeyBytes(const recfile::FileSpec& spec) {
  int64_t bytes = 0;
  for (const auto& key : spec.keys) {
    for (const recfile::KeySegment& segment : key) {
      bytes += segment.length;
    }
  }
  return bytes;
}

// The size of a file named without regard to letter case; 0 when it cannot be found.
int64_t SizeOfFile(const char* fileName) {
  std::vector<std::string> names;
  files::FindFiles(fileName, &names);
  if (names.empty()) {
    return 0;
  }
  std::error_code error;
  const auto size = std::filesystem::file_size(names.front(), error);
  return error ? 0 : static_cast<int64_t>(size);
}

}  // namespace

KeyValues::KeyValues(const recfile::FileSpec& spec) {
  for (size_t k = 0; k < spec.keys.size(); ++k) {
    if (IsUnique(spec.keys[k])) {
      keys_.push_back({static_cast<int>(k), spec.keys[k], {}});
    }
  }
}

void KeyValues::Add(const std::vector<uint8_t>& record, int ordinal, bool renumbered,
                    std::vector<CString>* problems) {
  for (Key& key : keys_) {
    if (key.number == 0 && renumbered) {
      continue;  // the insert gives it a number no other record has
    }
    const std::string value = ValueOf(key.segments, record);
    const auto [at, added] = key.taken.emplace(value, ordinal);
    if (!added) {
      AddProblem(problems, "records " + std::to_string(at->second) + " and " +
                               std::to_string(ordinal) + " would both have key " +
                               std::to_string(key.number) + " " + Readable(key.segments, value));
    }
  }
}

int64_t BytesNeeded(const recfile::FileSpec& legacy, const recfile::FileSpec& current,
                    const char* fileName, int records) {
  const int64_t oldRecord = legacy.recordLength + 2 * KeyBytes(legacy) + kRecordOverhead;
  const int64_t newRecord = current.recordLength + 2 * KeyBytes(current) + kRecordOverhead;
  const int64_t scaled = SizeOfFile(fileName) * newRecord / std::max<int64_t>(oldRecord, 1);
  const int64_t counted = std::max(records, 0) * newRecord;
  return std::max(scaled, counted) * 5 / 4 + kFileOverhead;
}

void AddProblem(std::vector<CString>* problems, const CString& text) {
  if (problems->size() < kProblemsPerFile) {
    problems->push_back(text);
  } else if (problems->size() == kProblemsPerFile) {
    problems->push_back("and more");
  }
}

}  // namespace detail

bool CheckReport::Fails() const {
  for (const auto& [step, file] : files) {
    if (file.verdict == FileCheck::Verdict::Fails) {
      return true;
    }
  }
  return false;
}

CheckReport CheckSteps(int version, int build, bool readRecords) {
  CheckReport report;
  for (const Step* step : SelectSteps(version, build)) {
    for (FileCheck& file : step->check(*step, readRecords)) {
      report.bytesNeeded += file.bytesNeeded;
      report.files.emplace_back(step, std::move(file));
    }
  }
  return report;
}

namespace {
FreeSpaceSource g_freeSpaceSource = nullptr;
}  // namespace

void SetFreeSpaceSource(FreeSpaceSource source) {
  g_freeSpaceSource = source;
}

int64_t FreeSpace(const CString& dir) {
  if (g_freeSpaceSource != nullptr) {
    return g_freeSpaceSource(dir);
  }
  std::filesystem::path path = dir.empty() ? "." : dir;
  for (int up = 0; up < 64; ++up) {
    std::error_code error;
    const std::filesystem::space_info space = std::filesystem::space(path, error);
    if (!error) {
      return static_cast<int64_t>(space.available);
    }
    if (!path.has_parent_path() || path.parent_path() == path) {
      break;
    }
    path = path.parent_path();  // a data directory that does not exist yet
  }
  return -1;
}

CString DescribeBytes(int64_t bytes) {
  const char* units[] = {"bytes", "KB", "MB", "GB", "TB"};
  double value = static_cast<double>(bytes);
  size_t unit = 0;
  while (value >= 1024 && unit + 1 < std::size(units)) {
    value /= 1024;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", value, units[unit]);
  return text;
}

namespace {

CString FileLine(const Step& step, const FileCheck& file) {
  CString line = "step " + CString(step.id) + " " + file.displayName + " " + file.file + ": ";
  switch (file.verdict) {
    case FileCheck::Verdict::Missing:
      return line + "not there, nothing to convert";
    case FileCheck::Verdict::Fails: {
      line += std::to_string(file.read) + " read; WOULD FAIL: ";
      for (size_t i = 0; i < file.problems.size(); ++i) {
        line += (i == 0 ? "" : "; ") + file.problems[i];
      }
      return line;
    }
    case FileCheck::Verdict::Converts:
      break;
  }
  line += std::to_string(file.read) + " read, " + std::to_string(file.written) + " written";
  const int dropped = std::max(file.inFile - file.read, 0) + file.skipped;
  if (dropped > 0) {
    line += ", " + std::to_string(dropped) + " dropped";
  }
  if (file.renumbered > 0) {
    line += ", " + std::to_string(file.renumbered) + " renumbered";
  }
  return line + "; converts";
}

}  // namespace

void PrintCheck(const CheckReport& report, const CString& dataDir, std::FILE* out) {
  int files = 0, read = 0, written = 0, dropped = 0, renumbered = 0, failing = 0;
  for (const auto& [step, file] : report.files) {
    std::fprintf(out, "%s\n", FileLine(*step, file).c_str());
    if (file.verdict == FileCheck::Verdict::Missing) {
      continue;
    }
    ++files;
    read += file.read;
    written += file.written;
    renumbered += file.renumbered;
    if (file.verdict == FileCheck::Verdict::Fails) {
      ++failing;
    } else {
      dropped += std::max(file.inFile - file.read, 0) + file.skipped;
    }
  }
  std::fprintf(out,
               "total: %d files, %d records read, %d written, %d dropped, %d renumbered; %d %s "
               "would fail\n",
               files, read, written, dropped, renumbered, failing, failing == 1 ? "file" : "files");
  const int64_t free = FreeSpace(dataDir);
  std::fprintf(
      out, "space: the run needs about %s, %s free in %s%s\n",
      DescribeBytes(report.bytesNeeded).c_str(), free < 0 ? "unknown" : DescribeBytes(free).c_str(),
      dataDir.c_str(),
      free >= 0 && free < report.bytesNeeded ? "; NOT ENOUGH, the run would not start" : "");
}

}  // namespace upgrade
