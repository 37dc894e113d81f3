// Running without a terminal: "remold --yes" and "remold --backout" run the same application and
// upgrade dialog as the terminal does, on a front end that presses the buttons itself and prints
// what the dialog shows; "remold --check" reads the settings and the database and says what a run
// would do, writing nothing.
//
// The front end presses Start Upgrade (or BackoutUpgrade) once, answers every message box with
// its safe choice, and leaves the dialog as soon as it waits again, saying when an upgrade was
// left unfinished. Cancel Upgrade is pressed when RequestCancel is called (from SIGINT or
// SIGTERM): a run then abandons the table it converts and keeps its original.
#pragma once

#include <chrono>
#include <csignal>
#include <cstdio>

#include "platform/framework/front_end.h"

using CString = std::string;

namespace upgrade {

enum class Task { Upgrade, Backout };

class UnattendedFrontEnd : public framework::FrontEnd {
 public:
  // profileChoice: the profile to pick when the product's chooser asks (-1: pick none).
  // Messages and progress go to `out`, a progress line at least every `progressEvery` during a
  // table.
  UnattendedFrontEnd(Task task, int profileChoice, std::FILE* out,
                     std::chrono::milliseconds progressEvery = std::chrono::seconds(2));
  ~UnattendedFrontEnd() override;
  UnattendedFrontEnd(const UnattendedFrontEnd&) = delete;
  UnattendedFrontEnd& operator=(const UnattendedFrontEnd&) = delete;

  // Cancel Upgrade at the next chance. Only sets a flag: safe in a signal handler.
  static void RequestCancel();
  static void ClearCancel();

  // The program's exit status, given the application's: the upgrade's as the application tells
  // it; a backout's 0 when every file was restored, 3 when some could not be, the application's
  // when there was nothing to back out.
  int ExitStatus(int appStatus) const;

  void WindowOpened(const framework::Window& window) override;
  void WindowClosed(const framework::Window& window, int result) override;
  void TextChanged(const framework::Window& window) override;
  void Paint() override {}
  void PollInput() override;
  void WaitInput() override;
  void ShowBanner(const std::vector<std::string>& lines) override { (void)lines; }

 private:
  void ActOnDialog();
  void AnswerMessageBox(framework::Window& box);
  void Press(int id);
  void Leave();
  void Say(const CString& text);
  void ShowProgress();

  Task task_;
  int profileChoice_;
  std::FILE* out_;
  std::chrono::milliseconds progressEvery_;
  std::chrono::steady_clock::time_point lastLine_;
  CString lastStatus_;
  bool pressed_ = false;  // Start Upgrade or BackoutUpgrade
  bool leaving_ = false;
  bool cancelSent_ = false;
  bool backoutIncomplete_ = false;
};

// "remold --yes" / "remold --backout": the application on the unattended front end. programDir
// as CRemoldApp takes it. Returns the exit status, which also ends the run log.
int RunUnattended(Task task, int profileChoice, const CString& programDir, std::FILE* out);
int RunUnattended(UnattendedFrontEnd& frontEnd, int profileChoice, const CString& programDir);

// SIGINT and SIGTERM press Cancel Upgrade (RequestCancel); a second one ends the program as
// the signal does by default, which the run survives like any other kill.
void CancelOnStopSignals();

// "remold --check": reads the settings as start-up does without writing them (profile
// `profileChoice`, or the current one when negative), checks the installation in `programDir`
// (empty: the program's own directory) and the profile's database. Lines to `out`, errors to
// `err`. 0 when a run would convert everything, 3 when some table would fail or the run could
// not start, 2 when the settings or the installation are wrong.
int RunCheck(int profileChoice, const CString& programDir, std::FILE* out, std::FILE* err);

}  // namespace upgrade
