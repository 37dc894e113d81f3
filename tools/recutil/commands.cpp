// The recutil commands: each opens its record file through BTRCALL with a position block of its
// own and closes it before returning, so that everything written is durable when recutil exits.
#include "tools/recutil/commands.h"

#include <unistd.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/btrieve/btrcall.h"
#include "platform/btrieve/check.h"
#include "tools/recutil/description.h"
#include "tools/recutil/file_definition.h"
#include "tools/recutil/unformatted.h"

namespace recutil {
namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// The record manager reads a file name from a key buffer of up to 255 bytes, NUL included.
constexpr size_t kNameBufferSize = 256;
constexpr uint8_t kKeyLength = 255;
// Room for any Stat result: the header and far more segments than a file may have.
constexpr size_t kStatBufferSize = 16 * 1024;
// Save reads every record into a buffer of this size; variable-length records come back whole.
constexpr size_t kReadBufferSize = 64 * 1024;

int Fail(std::ostream& err, const std::string& message, int exit_status) {
  err << "recutil: " << message << "\n";
  return exit_status;
}

int StatusFail(std::ostream& err, const std::string& file, const std::string& where, int status) {
  std::string message = file + ": ";
  if (!where.empty())
    message += where + ": ";
  message += "status " + std::to_string(status) + " (" + btr::StatusName(status) + ")";
  return Fail(err, message, kExitFailed);
}

// One open record file. Closes on destruction so that an early return never leaves writes
// uncommitted; callers that write close explicitly to see the status.
class RecordFile {
 public:
  RecordFile() = default;
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;
  ~RecordFile() {
    if (open_)
      Close();
  }

  int Open(const std::string& name, int8_t mode) {
    std::array<char, kNameBufferSize> key{};
    name.copy(key.data(), key.size() - 1);
    uint32_t length = 0;
    int status =
        BTRCALL(btr::kOpen, position_.data(), nullptr, &length, key.data(), kKeyLength, mode);
    open_ = status == btr::kOk;
    return status;
  }

  int Close() {
    open_ = false;
    uint32_t length = 0;
    return Call(btr::kClose, nullptr, &length, key_.data(), 0);
  }

  int Call(uint16_t op, void* data, uint32_t* length, int8_t key_number) {
    return Call(op, data, length, key_.data(), key_number);
  }

 private:
  int Call(uint16_t op, void* data, uint32_t* length, void* key, int8_t key_number) {
    return BTRCALL(op, position_.data(), data, length, key, kKeyLength, key_number);
  }

  std::array<uint8_t, btr::kPositionBlockSize> position_{};
  std::array<uint8_t, kNameBufferSize> key_{};
  bool open_ = false;
};

// The exit status after a report went to standard output: a full disk or a closed pipe there
// must not pass for success.
int Flushed(Streams io) {
  io.out.flush();
  if (io.out)
    return 0;
  return Fail(io.err, "cannot write standard output", kExitFailed);
}

bool NameFits(const std::string& name, std::ostream& err) {
  if (name.size() < kNameBufferSize)
    return true;
  Fail(err, name.substr(0, 40) + "...: the file name is longer than 255 characters", kExitUsage);
  return false;
}

// Reads the specification of an open file. Returns 0 or a status; a block that recutil cannot
// decode answers status 0 with *error set.
int StatFile(RecordFile& file, FileSpec* spec, std::string* error) {
  std::vector<uint8_t> block(kStatBufferSize, 0);
  uint32_t length = static_cast<uint32_t>(block.size());
  int status = file.Call(btr::kStat, block.data(), &length, 0);
  if (status != btr::kOk)
    return status;
  DecodeSpecBlock(block.data(), length, spec, error);
  return btr::kOk;
}

// Opens `name` read-only and reads its specification; prints the error and returns the exit
// status when that fails, else 0.
int OpenAndStat(RecordFile& file, const std::string& name, FileSpec* spec, std::ostream& err) {
  if (!NameFits(name, err))
    return kExitUsage;
  int status = file.Open(name, btr::kReadOnly);
  if (status != btr::kOk)
    return StatusFail(err, name, "open", status);
  std::string error;
  status = StatFile(file, spec, &error);
  if (status != btr::kOk)
    return StatusFail(err, name, "stat", status);
  if (!error.empty())
    return Fail(err, name + ": " + error, kExitFailed);
  return 0;
}

int RunStat(const std::string& name, Streams io) {
  RecordFile file;
  FileSpec spec;
  if (int exit_status = OpenAndStat(file, name, &spec, io.err))
    return exit_status;
  io.out << FormatStatReport(name, spec);
  return Flushed(io);
}

int RunDescribe(const std::string& name, Streams io) {
  RecordFile file;
  FileSpec spec;
  if (int exit_status = OpenAndStat(file, name, &spec, io.err))
    return exit_status;
  io.out << FormatDescription(spec, name);
  return Flushed(io);
}

bool ReadWholeFile(const std::string& name, std::istream& stdin_stream, std::string* text) {
  if (name == "-") {
    text->assign(std::istreambuf_iterator<char>(stdin_stream), {});
    return !stdin_stream.bad();
  }
  std::ifstream in(name, std::ios::binary);
  if (!in)
    return false;
  text->assign(std::istreambuf_iterator<char>(in), {});
  return !in.bad();
}

int RunCreate(const CommandLine& line, Streams io) {
  const std::string& name = line.files[0];
  const std::string& desc_name = line.files[1];
  std::string text;
  if (!ReadWholeFile(desc_name, io.in, &text)) {
    return Fail(io.err, desc_name + ": cannot read the description file", kExitUsage);
  }
  Description description;
  DescriptionError error;
  if (!ParseDescription(text, &description, &error)) {
    return Fail(io.err, desc_name + ": " + error.ToString(), kExitUsage);
  }
  if (!NameFits(name, io.err))
    return kExitUsage;
  std::vector<uint8_t> block = EncodeSpecBlock(description.spec);
  uint32_t length = static_cast<uint32_t>(block.size());
  std::array<char, kNameBufferSize> key{};
  name.copy(key.data(), key.size() - 1);
  // Without a request to replace, an existing file is kept and reported (status 59).
  int8_t mode = (line.replace || description.replace) ? 0 : -1;
  std::array<uint8_t, btr::kPositionBlockSize> position{};
  int status =
      BTRCALL(btr::kCreate, position.data(), block.data(), &length, key.data(), kKeyLength, mode);
  if (status != btr::kOk)
    return StatusFail(io.err, name, "create", status);
  return 0;
}

// Where save writes. A regular file (or a new one) is written as a temporary file beside OUT
// that replaces OUT only when every record is in it, so that a failed save never leaves a
// truncated OUT behind. Standard output, devices, pipes and symbolic links are written directly:
// a rename would replace the device node or the link itself.
class SaveOutput {
 public:
  SaveOutput(const std::string& name, std::ostream& stdout_stream) : name_(name) {
    if (name == "-") {
      out_ = &stdout_stream;
      return;
    }
    std::error_code error;
    std::filesystem::file_status status = std::filesystem::symlink_status(name, error);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
      file_.open(name, std::ios::binary | std::ios::trunc);
    } else {
      temp_ = name + ".recutil-" + std::to_string(getpid());
      file_.open(temp_, std::ios::binary | std::ios::trunc);
    }
    out_ = &file_;
  }
  ~SaveOutput() {
    if (!temp_.empty() && !committed_) {
      std::error_code ignored;
      std::filesystem::remove(temp_, ignored);
    }
  }

  bool ok() const { return static_cast<bool>(*out_); }
  std::ostream& stream() { return *out_; }

  bool Commit() {
    out_->flush();
    if (out_ != &file_)
      return static_cast<bool>(*out_);
    file_.close();
    if (!file_)
      return false;
    if (temp_.empty())
      return true;
    std::error_code error;
    std::filesystem::rename(temp_, name_, error);
    committed_ = !error;
    return committed_;
  }

 private:
  std::string name_;
  std::string temp_;
  std::ofstream file_;
  std::ostream* out_ = nullptr;
  bool committed_ = false;
};

int RunSave(const CommandLine& line, Streams io) {
  const std::string& name = line.files[0];
  const std::string& out_name = line.files[1];
  if (!NameFits(name, io.err))
    return kExitUsage;
  RecordFile file;
  int status = file.Open(name, btr::kReadOnly);
  if (status != btr::kOk)
    return StatusFail(io.err, name, "open", status);
  SaveOutput output(out_name, io.out);
  if (!output.ok())
    return Fail(io.err, out_name + ": cannot create the file", kExitUsage);
  std::vector<uint8_t> data(kReadBufferSize);
  int8_t key_number = static_cast<int8_t>(line.key);
  uint16_t op = btr::kGetFirst;
  for (long number = 1;; ++number) {
    uint32_t length = static_cast<uint32_t>(data.size());
    status = file.Call(op, data.data(), &length, key_number);
    if (status == btr::kEndOfFile)
      break;
    if (status != btr::kOk) {
      return StatusFail(io.err, name,
                        "record " + std::to_string(number) + " on key " + std::to_string(line.key),
                        status);
    }
    WriteUnformattedRecord(output.stream(), data.data(), length);
    op = btr::kGetNext;
  }
  WriteUnformattedEnd(output.stream());
  if (!output.Commit())
    return Fail(io.err, out_name + ": cannot write the file", kExitFailed);
  return 0;
}

int RunLoad(const CommandLine& line, Streams io) {
  const std::string& name = line.files[0];
  const std::string& in_name = line.files[1];
  std::ifstream in_file;
  if (in_name != "-") {
    in_file.open(in_name, std::ios::binary);
    if (!in_file)
      return Fail(io.err, in_name + ": cannot open the file", kExitUsage);
  }
  if (!NameFits(name, io.err))
    return kExitUsage;
  RecordFile file;
  int status = file.Open(name, btr::kNormal);
  if (status != btr::kOk)
    return StatusFail(io.err, name, "open", status);
  UnformattedReader reader(in_name == "-" ? io.in : in_file);
  std::string record;
  while (true) {
    UnformattedReader::Result result = reader.Next(&record);
    if (result == UnformattedReader::kEnd)
      break;
    std::string where = "record " + std::to_string(reader.record_number());
    if (result == UnformattedReader::kError) {
      return Fail(io.err, in_name + ": " + where + ": " + reader.error(), kExitUsage);
    }
    uint32_t length = static_cast<uint32_t>(record.size());
    status = file.Call(btr::kInsert, record.data(), &length, 0);
    if (status != btr::kOk)
      return StatusFail(io.err, name, where, status);
  }
  // Close commits; a failure here means the records are not safely in the file.
  status = file.Close();
  if (status != btr::kOk)
    return StatusFail(io.err, name, "close", status);
  return 0;
}

// A sound file: one line with its record and key counts. A damaged one: one line per problem
// on standard output, "FILE: problem", then the count on the error stream and exit status 1.
int RunCheck(const std::string& name, Streams io) {
  if (!NameFits(name, io.err))
    return kExitUsage;
  btr::CheckReport report;
  int status = btr::InspectRecordFile(name, &report);
  if (status == btr::kOk) {
    io.out << name << ": " << report.summary << "\n";
    return Flushed(io);
  }
  if (report.problems.empty())
    return StatusFail(io.err, name, report.summary, status);
  for (const std::string& problem : report.problems)
    io.out << name << ": " << problem << "\n";
  long count = static_cast<long>(report.problems.size()) + report.unlisted;
  if (report.unlisted > 0)
    io.out << name << ": " << report.unlisted << " more problems not listed\n";
  if (int exit_status = Flushed(io))
    return exit_status;
  return Fail(
      io.err,
      name + ": " + std::to_string(count) + (count == 1 ? " problem" : " problems") + " found",
      kExitFailed);
}

}  // namespace

int RunCommand(const CommandLine& line, Streams io) {
  switch (line.command) {
    case Command::kHelp:
      io.out << UsageText();
      return 0;
    case Command::kStat:
      return RunStat(line.files[0], io);
    case Command::kDescribe:
      return RunDescribe(line.files[0], io);
    case Command::kCreate:
      return RunCreate(line, io);
    case Command::kSave:
      return RunSave(line, io);
    case Command::kLoad:
      return RunLoad(line, io);
    case Command::kCheck:
      return RunCheck(line.files[0], io);
  }
  return kExitUsage;
}

int RecutilMain(int argc, char** argv, Streams io) {
  std::vector<std::string> args(argv + 1, argv + argc);
  CommandLine line;
  std::string error;
  if (!ParseCommandLine(args, &line, &error)) {
    io.err << "recutil: " << error << " (recutil --help shows the usage)\n";
    return kExitUsage;
  }
  return RunCommand(line, io);
}

}  // namespace recutil
