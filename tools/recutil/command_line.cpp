// Argument handling of recutil.
#include "tools/recutil/command_line.h"

#include <cstddef>

namespace recutil {
namespace {

struct CommandInfo {
  const char* name;
  Command command;
  size_t file_count;
};

constexpr CommandInfo kCommands[] = {
    {"stat", Command::kStat, 1},     {"describe", Command::kDescribe, 1},
    {"create", Command::kCreate, 2}, {"save", Command::kSave, 2},
    {"load", Command::kLoad, 2},     {"check", Command::kCheck, 1},
};

// The key number travels to the record manager as a signed 8-bit value.
constexpr int kMaxKeyNumber = 127;

const CommandInfo* FindCommand(const std::string& name) {
  for (const CommandInfo& info : kCommands) {
    if (name == info.name)
      return &info;
  }
  return nullptr;
}

bool ParseKeyNumber(const std::string& text, int* key) {
  if (text.empty() || text.size() > 3)
    return false;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9')
      return false;
    value = value * 10 + (c - '0');
  }
  if (value > kMaxKeyNumber)
    return false;
  *key = value;
  return true;
}

bool IsOption(const std::string& arg) {
  return arg.size() > 1 && arg[0] == '-';
}

// Handles the option at args[*i], advancing *i past a separate value.
bool ParseOption(const std::vector<std::string>& args, size_t* i, CommandLine* line,
                 std::string* error) {
  const std::string& arg = args[*i];
  if (arg == "--replace" && line->command == Command::kCreate) {
    line->replace = true;
    return true;
  }
  if ((arg == "--key" || arg.rfind("--key=", 0) == 0) && line->command == Command::kSave) {
    std::string value;
    if (arg == "--key") {
      if (*i + 1 >= args.size()) {
        *error = "--key needs a key number";
        return false;
      }
      value = args[++*i];
    } else {
      value = arg.substr(6);
    }
    if (!ParseKeyNumber(value, &line->key)) {
      *error = "--key " + value + ": not a key number from 0 to 127";
      return false;
    }
    return true;
  }
  *error = "unknown option " + arg + " for this command";
  return false;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine* line, std::string* error) {
  CommandLine result;
  for (const std::string& arg : args) {
    if (arg == "--")
      break;
    if (arg == "--help" || arg == "-h") {
      *line = result;
      return true;
    }
  }
  if (args.empty()) {
    *error = "no command given";
    return false;
  }
  const CommandInfo* info = FindCommand(args[0]);
  if (info == nullptr) {
    *error = "unknown command " + args[0];
    return false;
  }
  result.command = info->command;
  bool options_done = false;
  for (size_t i = 1; i < args.size(); ++i) {
    if (!options_done && args[i] == "--") {
      options_done = true;
    } else if (!options_done && IsOption(args[i])) {
      if (!ParseOption(args, &i, &result, error))
        return false;
    } else {
      result.files.push_back(args[i]);
    }
  }
  if (result.files.size() != info->file_count) {
    *error = std::string(info->name) + " takes " + std::to_string(info->file_count) +
             (info->file_count == 1 ? " file" : " files") + ", not " +
             std::to_string(result.files.size());
    return false;
  }
  *line = result;
  return true;
}

const char* UsageText() {
  return "usage: recutil COMMAND ARGUMENTS\n"
         "  recutil stat FILE                  specification, keys and record count\n"
         "  recutil describe FILE              a description file that recreates FILE\n"
         "  recutil create FILE DESCFILE [--replace]\n"
         "                                     create FILE from a description file\n"
         "  recutil save FILE OUT [--key N]    every record in the order of key N (default 0)\n"
         "  recutil load FILE IN               insert every record\n"
         "  recutil check FILE                 verify the file and its keys\n"
         "OUT, IN and DESCFILE may be \"-\" for standard output or input. Save and load use\n"
         "unformatted files: per record its length, a comma, the bytes, CR LF; 0x1A at the end.\n"
         "Exit status: 0 success, 1 the work failed (record manager status or an output that\n"
         "could not be written), 2 wrong use (arguments, description or input file).\n";
}

}  // namespace recutil
