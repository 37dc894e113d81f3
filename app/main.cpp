// remold: brings the profile's database up to the current record layouts, in a terminal.
//
// Without arguments it runs the upgrade dialog. Every argument it understands is one row of
// kModes (the word, what it does, the function that does it), so a new mode is a new row.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/remold_app.h"
#include "app/upgrade_steps.h"
#include "platform/terminal/terminal_front_end.h"
#include "resources/remold_resources.h"

namespace {

int PrintHelp();
int PrintVersion();

struct Mode {
  const char* word;
  const char* summary;
  int (*run)();  // the exit status
};

constexpr Mode kModes[] = {
    {"--help", "show this help and exit", PrintHelp},
    {"--version", "show the version and the database release it upgrades to, and exit",
     PrintVersion},
};

// "usage: remold [--help | --version]", from the table.
std::string Usage() {
  std::string usage = "usage: remold [";
  for (const Mode& mode : kModes) {
    usage += std::string(&mode == kModes ? "" : " | ") + mode.word;
  }
  return usage + "]";
}

// Output that could not be written (a closed pipe, a full disk) is an error, not a success.
int Finish() {
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    std::fprintf(stderr, "remold: cannot write to standard output\n");
    return 1;
  }
  return 0;
}

int PrintHelp() {
  std::printf("%s\n", Usage().c_str());
  std::printf(
      "Upgrades the database of the current Vendrix 32 profile in place, in a terminal of at "
      "least 80 by 24.\n");
  for (const Mode& mode : kModes) {
    std::printf("  %-10s %s\n", mode.word, mode.summary);
  }
  return Finish();
}

// The program's name and version as the About box shows them ("Remold Version 1.0"): the box's
// one text is where they are written.
std::string ProgramVersion() {
  if (const framework::DialogTemplate* about = RemoldResources().FindDialog(IDD_ABOUTBOX)) {
    for (const framework::ControlTemplate& control : about->controls) {
      if (control.kind == framework::WindowKind::Static && !control.text.empty()) {
        return control.text;
      }
    }
  }
  return "Remold";
}

int PrintVersion() {
  std::printf("%s\n", ProgramVersion().c_str());
  std::printf("Upgrades databases to release %d.%02d build %d\n", upgrade::kCurrentVersion / 256,
              upgrade::kCurrentVersion % 256, upgrade::kCurrentBuild);
  return Finish();
}

// The exit status of the mode named by the arguments: 2 with a one-line error for anything
// that is not exactly one known word.
int RunMode(int argc, char** argv) {
  if (argc == 2) {
    for (const Mode& mode : kModes) {
      if (std::strcmp(argv[1], mode.word) == 0) {
        return mode.run();
      }
    }
    std::fprintf(stderr, "remold: unknown argument \"%s\"; %s\n", argv[1], Usage().c_str());
  } else {
    std::fprintf(stderr, "remold: takes at most one argument; %s\n", Usage().c_str());
  }
  return 2;
}

int RunDialog() {
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
    std::fprintf(stderr, "remold: needs a terminal on standard input and output\n");
    return 2;
  }
  terminal::TerminalFrontEnd frontEnd;
  if (!frontEnd.Open()) {
    std::fprintf(stderr, "remold: %s\n", frontEnd.error().c_str());
    return 2;
  }
  CRemoldApp app;
  const int status = AfxWinMain(app, frontEnd, RemoldResources());
  frontEnd.Close();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  return argc > 1 ? RunMode(argc, argv) : RunDialog();
}
