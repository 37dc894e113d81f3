// The commands of recutil over the record manager. Each returns the process exit status: 0
// success, 1 when the work failed (a record-manager status, an output that could not be
// written), 2 for wrong use (a description or input file that cannot be read or parsed). Errors
// go to `err` as one line "recutil: FILE: where: status N (name)".
#pragma once

#include <iostream>

#include "tools/recutil/command_line.h"

namespace recutil {

struct Streams {
  std::istream& in;   // "-" as input
  std::ostream& out;  // reports, and "-" as output
  std::ostream& err;
};

int RunCommand(const CommandLine& line, Streams streams);

// The whole program: parses argv, prints usage or an error, runs the command.
int RecutilMain(int argc, char** argv, Streams streams);

}  // namespace recutil
