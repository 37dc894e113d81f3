// The terminal front end in a pseudo-terminal: a child process draws on it, the test types keys
// and reads what was written. Screens are awaited by polling the output with a deadline; texts
// are looked for where ncurses must write them whole (characters that stood nowhere on the
// screen before).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>

#include <functional>
#include <string>

#include "platform/framework/msgbox.h"
#include "platform/terminal/terminal_front_end.h"
#include "tests/support/pty_child.h"

namespace {

using rectest::PtyChild;

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
