// The real remold program in a pseudo-terminal: it shows the dialog, Enter presses Start
// Upgrade (the focused button), the run converts the files and the program ends stamped.
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
#include <fstream>
#include <memory>

#include "platform/registry/registry.h"
#include "upgrade_test_support.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

class TerminalProgram : public ::testing::Test {
 protected:
  ScratchDir scratch;
  fs::path home = scratch.path();
  fs::path program = home / "program";
  fs::path data = home / "Documents" / "Vendrix 32" / "ID0";

  void SetUp() override {
    fs::create_directories(program);
    fs::create_directories(data);
    fs::copy_file(REMOLD_PATH, program / "remold");
    std::ofstream(program / "VENDRIX.EXE") << "placeholder";
    registry::Store store((home / ".config" / "Corvane" / "Vendrix 32" / "registry.reg").string());
    ASSERT_TRUE(store.Load());
    store.WriteInt("Profiles", "Created", 1);
    store.WriteInt("Profiles", "Current", 0);
    store.WriteInt("Profiles\\ID0", "Enabled", 1);
    store.WriteInt("Profiles\\ID0\\Generic", "DBVersion", 516);
    store.WriteString("Profiles\\ID0\\Directories", "DatabaseDir", data.string());
    fs::current_path(data);
    std::vector<Bytes> terms;
    for (int i = 0; i < 400; ++i) {
      terms.push_back(
          Record(22, {{0, Text({static_cast<char>('A' + i % 26), static_cast<char>('A' + i / 26)})},
                      {2, Text("terms")}}));
    }
    MakeFile("TERMS.DB", Spec(22, false, {{1, 2, 0, 0}}), terms);
    MakeFile("AR.DB", Spec(64, false, {{1, 6, 1, 0}}), {Record(64, {{0, Text("C1")}})});
    fs::current_path(home);
  }

  std::unique_ptr<registry::Store> Settings() {
    auto store = std::make_unique<registry::Store>(
        (home / ".config" / "Corvane" / "Vendrix 32" / "registry.reg").string());
    EXPECT_TRUE(store->Load());
    return store;
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
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
    setenv("TERM", "xterm", 1);
    execl((program / "remold").c_str(), "remold", static_cast<char*>(nullptr));
    _exit(127);
  }
  std::string screen;
  EXPECT_TRUE(ReadUntil(master, "Start Upgrade", &screen, 20));
  EXPECT_TRUE(ReadUntil(master, "401 total records", &screen, 5)) << screen;
  usleep(1500 * 1000);  // the product banner takes the first key while it shows (a second)
  ASSERT_EQ(1, write(master, "\r", 1));
  std::string rest;
  ReadUntil(master, "\x01never", &rest, 30);  // drain until the program has ended
  int status = 0;
  for (int i = 0; i < 100 && waitpid(child, &status, WNOHANG) == 0; ++i) {
    usleep(100 * 1000);
  }
  if (waitpid(child, &status, WNOHANG) == 0) {
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    FAIL() << "remold did not end";
  }
  close(master);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);

  const std::unique_ptr<registry::Store> store = Settings();
  const registry::Store& settings = *store;
  EXPECT_EQ(settings.GetInt("Profiles\\ID0\\Generic", "DBVersion", 0), 1028);
  EXPECT_EQ(settings.GetInt("Profiles\\ID0\\Generic", "Build", 0), 4);
  EXPECT_EQ(settings.GetInt("Profiles\\ID0\\Upgrade", "UpgradeRunning", -1), 0);
  EXPECT_EQ(settings.GetString("Profiles\\ID0\\Upgrade", "FileList", ""),
            "SAVEDB\\TERMS.DB|SAVEDB\\AR.DB|");
  const int32_t low = settings.GetInt("Profiles\\ID0\\Generic", "UpdateLow", 0);
  EXPECT_TRUE(low & (1 << 14));  // terms
  EXPECT_TRUE(low & (1 << 5));   // a run from below 3.03
  EXPECT_EQ(StatBlock((data / "TERMS.DB").string()), Spec(40, false, {{1, 2, 0, 0}}));
  EXPECT_EQ(ReadAll((data / "TERMS.DB").string()).size(), 400u);
  EXPECT_EQ(StatBlock((data / "AR.DB").string()), Spec(68, false, {{1, 6, 1, 0}}));
  EXPECT_TRUE(fs::exists(data / "SAVEDB" / "TERMS.DB"));
}

TEST_F(TerminalProgram, RefusesArgumentsAndMissingTerminal) {
  const std::string remold = (program / "remold").string();
  EXPECT_EQ(2, WEXITSTATUS(system((remold + " --now 2>/dev/null </dev/null").c_str())));
  EXPECT_EQ(2, WEXITSTATUS(system((remold + " 2>/dev/null </dev/null >/dev/null").c_str())));
}

}  // namespace
