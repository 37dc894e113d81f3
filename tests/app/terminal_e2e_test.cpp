// The real remold program in a pseudo-terminal: it shows the dialog, Enter presses Start Upgrade
// (the focused button), the run converts the files and the program ends stamped. (Its command
// line is tested in unattended_test.cpp.)
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
  // What the run converted in detail is tested on the scripted front end (remold_app_test.cpp).
  EXPECT_EQ(ReadAll(InData("TERMS.DB")).size(), 400u);
  EXPECT_EQ(StatBlock(InData("AR.DB")), Spec(68, false, {{1, 6, 1, 0}}));
  EXPECT_TRUE(fs::exists(InData("SAVEDB/TERMS.DB")));
}

}  // namespace
