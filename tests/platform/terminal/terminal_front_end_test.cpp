// The terminal front end in a pseudo-terminal: a child process draws on it, the test types keys
// and reads what was written. Screens are awaited by polling the output with a deadline; texts
// are looked for where ncurses must write them whole (characters that stood nowhere on the
// screen before).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>

#include "platform/framework/msgbox.h"
#include "platform/terminal/terminal_front_end.h"

namespace {

// A child process with an 80 by 24 xterm pseudo-terminal as standard input and output (standard
// error stays the test's, so that sanitizer reports are seen). The child ends with the status
// its body returns.
class PtyChild {
 public:
  explicit PtyChild(const std::function<int()>& body) {
    winsize size{};
    size.ws_row = 24;
    size.ws_col = 80;
    if (openpty(&master_, &slave_, nullptr, nullptr, &size) != 0) {
      ADD_FAILURE() << "no pseudo-terminal";
      return;
    }
    pid_ = fork();
    if (pid_ == 0) {
      close(master_);
      setsid();
      ioctl(slave_, TIOCSCTTY, 0);
      dup2(slave_, STDIN_FILENO);
      dup2(slave_, STDOUT_FILENO);
      close(slave_);
      setenv("TERM", "xterm", 1);
      _exit(body());
    }
  }

  ~PtyChild() {
    if (pid_ > 0 && !ended_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) {
      close(master_);
    }
    if (slave_ >= 0) {
      close(slave_);
    }
  }

  // Reads until `text` has been written after the last text awaited, or 20 seconds have passed.
  bool Await(const std::string& text) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (true) {
      const size_t at = output_.find(text, mark_);
      if (at != std::string::npos) {
        mark_ = at + text.size();
        return true;
      }
      if (std::chrono::steady_clock::now() >= deadline || !ReadSome(100)) {
        return false;
      }
    }
  }

  // True when `text` was written since the last text awaited (as far as has been read).
  bool WrittenSinceMark(const std::string& text) const {
    return output_.find(text, mark_) != std::string::npos;
  }

  void Type(const std::string& keys) {
    ASSERT_EQ(write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  }

  void Signal(int sig) { kill(pid_, sig); }

  // The child's wait status, reading its output meanwhile; -1 when it has not ended in time.
  int Wait() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() >= deadline) {
        return -1;
      }
      ReadSome(50);
    }
    ended_ = true;
    while (ReadSome(0)) {
    }
    return status;
  }

  // Everything read so far, for failure messages.
  const std::string& output() const { return output_; }

  // The terminal modes the child left on its terminal.
  termios Modes() const {
    termios modes{};
    tcgetattr(slave_, &modes);
    return modes;
  }

 private:
  // Appends what the child wrote within `ms`; false when nothing came.
  bool ReadSome(int ms) {
    pollfd p{master_, POLLIN, 0};
    if (poll(&p, 1, ms) <= 0) {
      return ms > 0;  // a quiet moment is not the end
    }
    char buf[4096];
    const ssize_t n = read(master_, buf, sizeof buf);
    if (n <= 0) {
      return false;
    }
    output_.append(buf, static_cast<size_t>(n));
    return true;
  }

  int master_ = -1;
  int slave_ = -1;
  pid_t pid_ = -1;
  bool ended_ = false;
  std::string output_;
  size_t mark_ = 0;
};

// xterm's keys in keypad mode.
const std::string kEnd = "\033OF";
const std::string kHome = "\033OH";
const std::string kDown = "\033OB";
const std::string kPageDown = "\033[6~";

// Runs the front end for `show` in the child; the child ends with what `show` returns.
std::function<int()> WithFrontEnd(const std::function<int(terminal::TerminalFrontEnd&)>& show) {
  return [show] {
    terminal::TerminalFrontEnd frontEnd;
    if (!frontEnd.Open()) {
      return 100;
    }
    framework::SetFrontEnd(&frontEnd);
    const int result = show(frontEnd);
    framework::SetFrontEnd(nullptr);
    frontEnd.Close();
    return result;
  };
}

// Forty lines: lower-case filler between a first and a last line written in characters that
// no filler line has, so that either is written whole when it scrolls into view.
std::string LongMessage() {
  std::string text = "@FIRST@LINE@\n";
  for (int i = 2; i < 40; ++i) {
    text += "filler line " + std::to_string(i) + "\n";
  }
  return text + "#END#OF#MESSAGE#";
}

}  // namespace

TEST(TerminalFrontEndTest, LongMessageScrollsToItsLastLineAndSaysThereIsMore) {
  PtyChild child(
      WithFrontEnd([](terminal::TerminalFrontEnd&) { return AfxMessageBox(LongMessage()); }));
  ASSERT_TRUE(child.Await("@FIRST@LINE@"));
  ASSERT_TRUE(child.Await("Lines 1-18 of 40, more below (PgDn)")) << child.output();
  EXPECT_FALSE(child.WrittenSinceMark("#END#OF#MESSAGE#"));
  // Down and Page Down scroll instead of moving between buttons; the last line is still below.
  child.Type(kDown);
  child.Type(kPageDown);
  ASSERT_TRUE(child.Await("above and below"));
  EXPECT_FALSE(child.WrittenSinceMark("#END#OF#MESSAGE#"));
  child.Type(kEnd);
  ASSERT_TRUE(child.Await("#END#OF#MESSAGE#"));
  child.Type(kHome);
  ASSERT_TRUE(child.Await("@FIRST@LINE@"));
  child.Type("\r");
  const int status = child.Wait();
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), IDOK);
}

TEST(TerminalFrontEndTest, KeyTypedWhileTheBannerShowsReachesTheWindow) {
  PtyChild child(WithFrontEnd([](terminal::TerminalFrontEnd& frontEnd) {
    frontEnd.ShowBanner({"#BANNER#"});
    return AfxMessageBox("Go on?", MB_YESNO);
  }));
  ASSERT_TRUE(child.Await("#BANNER#"));
  child.Type("y");  // within the banner's second, unless the machine is very slow
  const int status = child.Wait();
  ASSERT_TRUE(WIFEXITED(status)) << "the key did not answer the box";
  EXPECT_EQ(WEXITSTATUS(status), IDYES);
}

TEST(TerminalFrontEndTest, EndingSignalGivesTheTerminalBackAndStillEndsTheProgram) {
  for (const int sig : {SIGTERM, SIGHUP, SIGINT}) {
    SCOPED_TRACE(sig);
    PtyChild child(WithFrontEnd([](terminal::TerminalFrontEnd& frontEnd) {
      frontEnd.ShowBanner({"#READY#"});
      while (true) {
        frontEnd.WaitInput();
      }
      return 0;
    }));
    ASSERT_TRUE(child.Await("#READY#"));
    const termios running = child.Modes();
    EXPECT_EQ(running.c_lflag & (ICANON | ECHO), 0u);  // the screen's raw modes
    child.Signal(sig);
    const int status = child.Wait();
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), sig);
    EXPECT_TRUE(child.WrittenSinceMark("\033[?25h"));    // cursor shown
    EXPECT_TRUE(child.WrittenSinceMark("\033[?1049l"));  // back from the alternate screen
    const termios after = child.Modes();
    EXPECT_EQ(after.c_lflag & (ICANON | ECHO), static_cast<tcflag_t>(ICANON | ECHO));
  }
}
