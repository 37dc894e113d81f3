// remold: brings the profile's database up to the current record layouts, in a terminal.
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "app/remold_app.h"
#include "platform/terminal/terminal_front_end.h"
#include "resources/remold_resources.h"

int main(int argc, char** argv) {
  if (argc > 1) {
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
      std::printf("usage: remold\nUpgrades the current Vendrix 32 profile's database in place.\n");
      return 0;
    }
    std::fprintf(stderr, "remold: takes no arguments (got \"%s\"); usage: remold\n", argv[1]);
    return 2;
  }
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
