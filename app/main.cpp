// remold: brings the profile's database up to the current record layouts, in a terminal or
// unattended.
//
// Without arguments it runs the upgrade dialog. Every mode it understands is one row of kModes
// (the word, what it does, the function that does it), so a new mode is a new row; "--profile N"
// picks the profile for the modes that read one.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/remold_app.h"
#include "app/run_log.h"
#include "app/unattended.h"
#include "app/upgrade_steps.h"
#include "platform/terminal/terminal_front_end.h"
#include "resources/remold_resources.h"

namespace {

struct Options {
  int profile = -1;  // --profile N; -1: the product's current profile
};

int PrintHelp(const Options&);
int PrintVersion(const Options&);
int RunCheckMode(const Options&);
int RunYes(const Options&);
int RunBackout(const Options&);

struct Mode {
  const char* word;
  const char* summary;
  int (*run)(const Options&);  // the exit status
  bool takesProfile;
};

constexpr Mode kModes[] = {
    {"--check", "say what an upgrade would do to each table, changing nothing", RunCheckMode, true},
    {"--yes", "upgrade without a terminal, as if Start Upgrade were pressed", RunYes, true},
    {"--backout", "restore the original files of an unfinished upgrade", RunBackout, true},
    {"--help", "show this help and exit", PrintHelp, false},
    {"--version", "show the version and the database release it upgrades to, and exit",
     PrintVersion, false},
};

// "usage: remold [--check | --yes | --backout] [--profile N] | --help | --version", from the
// table.
std::string Usage() {
  std::string withProfile, alone;
  for (const Mode& mode : kModes) {
    std::string& list = mode.takesProfile ? withProfile : alone;
    list += std::string(list.empty() ? "" : " | ") + mode.word;
  }
  return "usage: remold [" + withProfile + "] [--profile N] | " + alone;
}

// Output that could not be written (a closed pipe, a full disk) is an error, not a success.
int Finish() {
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    std::fprintf(stderr, "remold: cannot write to standard output\n");
    return 1;
  }
  return 0;
}

int PrintHelp(const Options&) {
  std::printf("%s\n", Usage().c_str());
  std::printf(
      "Upgrades the database of the current Vendrix 32 profile in place; without a mode, in a "
      "terminal of at least 80 by 24.\n");
  for (const Mode& mode : kModes) {
    std::printf("  %-13s %s\n", mode.word, mode.summary);
  }
  std::printf("  %-13s %s\n", "--profile N", "use profile N (0 to 9) instead of the current one");
  std::printf(
      "Exit status: 0 current, 1 nothing done, 2 settings or installation wrong, 3 tables "
      "not converted.\n");
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

int PrintVersion(const Options&) {
  std::printf("%s\n", ProgramVersion().c_str());
  std::printf("Upgrades databases to release %d.%02d build %d\n", upgrade::kCurrentVersion / 256,
              upgrade::kCurrentVersion % 256, upgrade::kCurrentBuild);
  return Finish();
}

const Mode* FindMode(const char* word) {
  for (const Mode& mode : kModes) {
    if (std::strcmp(word, mode.word) == 0) {
      return &mode;
    }
  }
  return nullptr;
}

// A profile number 0 to 9; -1 for anything else.
int ParseProfile(const char* text) {
  return std::strlen(text) == 1 && text[0] >= '0' && text[0] <= '9' ? text[0] - '0' : -1;
}

// The exit status of the mode named by the arguments: 2 with a one-line error for anything
// that is not one known mode with, where it reads a profile, "--profile N".
int RunMode(int argc, char** argv) {
  const Mode* chosen = nullptr;
  Options options;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--profile") == 0) {
      options.profile = i + 1 < argc ? ParseProfile(argv[++i]) : -1;
      if (options.profile < 0) {
        std::fprintf(stderr, "remold: --profile takes a profile number 0 to 9; %s\n",
                     Usage().c_str());
        return 2;
      }
    } else if (const Mode* mode = FindMode(argv[i]); mode != nullptr && chosen == nullptr) {
      chosen = mode;
    } else {
      std::fprintf(stderr, "remold: %s \"%s\"; %s\n",
                   mode != nullptr ? "takes one mode, not also" : "unknown argument", argv[i],
                   Usage().c_str());
      return 2;
    }
  }
  if (chosen == nullptr || (options.profile >= 0 && !chosen->takesProfile)) {
    std::fprintf(stderr, "remold: --profile goes with %s; %s\n", "--check, --yes or --backout",
                 Usage().c_str());
    return 2;
  }
  return chosen->run(options);
}

int RunCheckMode(const Options& options) {
  const int status = upgrade::RunCheck(options.profile, "", stdout, stderr);
  return Finish() != 0 ? 2 : status;
}

int RunWithoutTerminal(upgrade::Task task, const Options& options) {
  upgrade::CancelOnStopSignals();
  return upgrade::RunUnattended(task, options.profile, "", stderr);
}

int RunYes(const Options& options) {
  return RunWithoutTerminal(upgrade::Task::Upgrade, options);
}

int RunBackout(const Options& options) {
  return RunWithoutTerminal(upgrade::Task::Backout, options);
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
  upgrade::Log().Line("exit status " + std::to_string(status));
  upgrade::Log().Close();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  return argc > 1 ? RunMode(argc, argv) : RunDialog();
}
