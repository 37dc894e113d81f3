// A child process on a pseudo-terminal of its own, for tests of what is drawn and typed: screens
// are awaited by polling the output with a deadline, never by sleeping.
#pragma once

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

namespace rectest {

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
  bool Await(const std::string& text) { return AwaitFrom(mark_, text); }
  // Reads until `text` has been written at all, or 20 seconds have passed.
  bool Shown(const std::string& text) {
    size_t from = 0;
    return AwaitFrom(from, text);
  }

  // True when `text` was written since the last text awaited (as far as has been read).
  bool WrittenSinceMark(const std::string& text) const {
    return output_.find(text, mark_) != std::string::npos;
  }

  void Type(const std::string& keys) {
    ASSERT_EQ(write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  }

  void Signal(int sig) { kill(pid_, sig); }

  // The child's wait status, reading its output meanwhile; -1 when it has not ended within
  // `seconds`.
  int Wait(int seconds = 20) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
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
  // Reads until `text` stands in the output at or after `from`, which then moves past it.
  bool AwaitFrom(size_t& from, const std::string& text) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (true) {
      const size_t at = output_.find(text, from);
      if (at != std::string::npos) {
        from = at + text.size();
        return true;
      }
      if (std::chrono::steady_clock::now() >= deadline || !ReadSome(100)) {
        return false;
      }
    }
  }

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

}  // namespace rectest
