// The command line of recutil: one command, its file arguments, and the options --key N (save)
// and --replace (create). "-" is an ordinary argument (standard input or output); "--" ends the
// options.
#pragma once

#include <string>
#include <vector>

namespace recutil {

enum class Command { kHelp, kStat, kDescribe, kCreate, kSave, kLoad, kCheck };

struct CommandLine {
  Command command = Command::kHelp;
  std::vector<std::string> files;  // the positional arguments, in order
  int key = 0;                     // save: key path whose order the records follow
  bool replace = false;            // create: replace an existing file
};

// Parses the arguments after the program name. --help anywhere asks for the usage text.
// Returns false with a one-line reason in *error for any misuse.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine* line, std::string* error);

const char* UsageText();

}  // namespace recutil
