// The real remold program: in a pseudo-terminal it shows the dialog, Enter presses Start Upgrade
// (the focused button), the run converts the files and the program ends stamped; its words on
// the command line print and exit, anything else is a usage error.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "program_home.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

class TerminalProgram : public ProgramHome {
 protected:
  void SetUp() override {
    ProgramHome::SetUp();
    fs::copy_file(REMOLD_PATH, program + "/remold");
    Profile(516, 0);
    std::vector<Bytes> terms;
    for (int i = 0; i < 400; ++i) {
      terms.push_back(
          Record(22, {{0, Text({static_cast<char>('A' + i % 26), static_cast<char>('A' + i / 26)})},
                      {2, Text("terms")}}));
    }
    InDirectory(dataDir, [&] {
      MakeFile("TERMS.DB", Spec(22, false, {{1, 2, 0, 0}}), terms);
      MakeFile("AR.DB", Spec(64, false, {{1, 6, 1, 0}}), {Record(64, {{0, Text("C1")}})});
    });
  }
};

// Reads from the terminal until `text` has appeared or the time is up.
bool ReadUntil(int fd, const std::string& text, std::string* screen, int seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    if (screen->find(text) != std::string::npos) {
      return true;
    }
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 100) > 0) {
      char buf[4096];
      const ssize_t n = read(fd, buf, sizeof buf);
      if (n <= 0) {
        return screen->find(text) != std::string::npos;
      }
      screen->append(buf, static_cast<size_t>(n));
    }
  }
  return false;
}

TEST_F(TerminalProgram, EnterStartsTheUpgradeAndTheProfileEndsCurrent) {
  int master = -1;
  winsize size{};
  size.ws_row = 24;
  size.ws_col = 80;
  const pid_t child = forkpty(&master, nullptr, nullptr, &size);
  ASSERT_GE(child, 0);
  if (child == 0) {
    setenv("TERM", "xterm", 1);
    execl((program + "/remold").c_str(), "remold", static_cast<char*>(nullptr));
    _exit(127);
  }
  std::string screen;
  EXPECT_TRUE(ReadUntil(master, "Start Upgrade", &screen, 20));
  EXPECT_TRUE(ReadUntil(master, "401 total records", &screen, 5)) << screen;
  // The product banner shows for a second over the dialog; a key typed meanwhile still counts.
  EXPECT_TRUE(ReadUntil(master, "Sales Order Entry", &screen, 5)) << screen;
  ASSERT_EQ(1, write(master, "\r", 1));
  std::string rest;
  ReadUntil(master, "\x01never", &rest, 60);  // drain until the program has ended
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      FAIL() << "remold did not end";
    }
    usleep(50 * 1000);
  }
  close(master);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);

  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "DBVersion"), 1028);
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "Build"), 4);
  EXPECT_EQ(Int("Profiles\\ID0\\Upgrade", "UpgradeRunning"), 0);
  EXPECT_EQ(String("Profiles\\ID0\\Upgrade", "FileList"), "SAVEDB\\TERMS.DB|SAVEDB\\AR.DB|");
  const int32_t low = Int("Profiles\\ID0\\Generic", "UpdateLow", 0);
  EXPECT_TRUE(low & (1 << 14));  // terms
  EXPECT_TRUE(low & (1 << 5));   // a run from below 3.03
  EXPECT_EQ(StatBlock(InData("TERMS.DB")), Spec(40, false, {{1, 2, 0, 0}}));
  EXPECT_EQ(ReadAll(InData("TERMS.DB")).size(), 400u);
  EXPECT_EQ(StatBlock(InData("AR.DB")), Spec(68, false, {{1, 6, 1, 0}}));
  EXPECT_TRUE(fs::exists(InData("SAVEDB/TERMS.DB")));
}

TEST_F(TerminalProgram, HelpAndVersionPrintAndSucceedWithoutATerminal) {
  const Outcome help = RunRemold(program + "/remold", "--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: remold", 0), 0u) << help.out;
  EXPECT_NE(help.out.find("--version"), std::string::npos);
  EXPECT_EQ(help.err, "");

  const Outcome version = RunRemold(program + "/remold", "--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "Remold Version 1.0\nUpgrades databases to release 4.04 build 4\n");
  EXPECT_EQ(version.err, "");
  // Neither touched the settings.
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "DBVersion"), 516);
}

TEST_F(TerminalProgram, AnythingElseIsAOneLineUsageError) {
  for (const std::string args : {"--now", "-h", "help", "--help --version", "--version x"}) {
    SCOPED_TRACE(args);
    const Outcome refused = RunRemold(program + "/remold", args);
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.out, "");
    ASSERT_FALSE(refused.err.empty());
    EXPECT_EQ(refused.err.find('\n'), refused.err.size() - 1) << refused.err;  // one line
    EXPECT_NE(refused.err.find("usage: remold"), std::string::npos) << refused.err;
  }
  // No arguments but no terminal either.
  const Outcome noTerminal = RunRemold(program + "/remold", "");
  EXPECT_EQ(noTerminal.status, 2);
  EXPECT_NE(noTerminal.err.find("terminal"), std::string::npos);
}

}  // namespace
