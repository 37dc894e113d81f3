// The ncurses front end: draws the framework's windows on the terminal and turns keys and mouse
// clicks into messages. Needs a terminal of at least 80 by 24; a smaller one shows a notice
// until it grows. Redraws at most about 30 times a second however often the texts change.
//
// Keys: Tab and arrows move between buttons, Enter presses the focused button, Esc is Cancel,
// letters press the button they mark (Y and N in Yes/No boxes), F10 or Alt+Space opens the
// system menu; Ctrl+C counts as Esc. A mouse click presses the button under it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/framework/front_end.h"

namespace terminal {

class TerminalFrontEnd : public framework::FrontEnd {
 public:
  TerminalFrontEnd();
  ~TerminalFrontEnd() override;  // ends the screen when still open
  TerminalFrontEnd(const TerminalFrontEnd&) = delete;
  TerminalFrontEnd& operator=(const TerminalFrontEnd&) = delete;

  // Takes over the terminal. False (with error() set) when standard input or output is not a
  // terminal or the screen cannot be started.
  bool Open();
  // Gives the terminal back; safe to call twice.
  void Close();
  const std::string& error() const { return error_; }

  void WindowOpened(const framework::Window& window) override;
  void WindowClosed(const framework::Window& window, int result) override;
  void TextChanged(const framework::Window& window) override;
  void BarChanged(const framework::Window& bar) override;
  void StateChanged(const framework::Window& window) override;
  void Paint() override;
  void PollInput() override;
  void WaitInput() override;
  void ShowBanner(const std::vector<std::string>& lines) override;

 private:
  struct State;
  std::unique_ptr<State> state_;
  std::string error_;
};

}  // namespace terminal
