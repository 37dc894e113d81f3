// The scripted front end: replays a list of user actions and records what the program showed,
// so that tests can run whole dialogs without a terminal.
//
// Each step waits for its trigger, then acts once; steps run strictly in order. Triggers are
// checked whenever the framework asks for input (each pump, each wait). A step whose action
// cannot be carried out (the button is not an enabled button of the active window) is recorded
// in failures() and passed over. When a modal loop waits
// and the next step cannot fire (its trigger is not met, or the script is used up), the script
// has failed: the fact is recorded in failures() and the active window is ended (a message box
// with No, else Cancel, else its first button; a dialog with EndDialog(IDCANCEL) without asking
// its handlers), so that a broken test ends instead of hanging.
//
// Constructing one installs it as the current front end (and an empty queue); destroying it
// restores the previous front end.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/framework/front_end.h"

namespace framework {

struct Trigger {
  enum class Kind { Now, AfterPumps, TextContains, BarReaches, DialogActive, MessageBoxContains };
  Kind kind = Kind::Now;
  int id = 0;     // control id, or dialog template id
  int value = 0;  // pumps, or bar position
  std::string text;
};

Trigger Now();
// After `pumps` calls of PumpOneMessage/PeekMessage in total since the script started.
Trigger AfterPumps(int pumps);
// When the text of control `controlId` (in the topmost visible window that has it) contains
// `text`.
Trigger WhenText(int controlId, const std::string& text);
// When progress bar `controlId` (found as above) stands at `pos` or beyond.
Trigger WhenBar(int controlId, int pos);
// When the active window is the dialog of template `templateId`.
Trigger WhenDialog(int templateId);
// When the active window is a message box whose text contains `text`.
Trigger WhenMessageBox(const std::string& text);

struct Action {
  enum class Kind { Press, Key, SystemMenu, Call };
  Kind kind = Kind::Press;
  int id = 0;  // button id, key code, or system command
  LPARAM modifiers = 0;
  std::function<void()> call;
};

// Press button `id` of the active window (a click). Also answers message boxes: Press(IDYES).
Action Press(int id);
inline Action Answer(int id) {
  return Press(id);
}
// Pick profile `n` in the profile chooser.
Action ChooseProfile(int n);
Action Key(int key, LPARAM modifiers = 0);
// Open the active window's system menu (F10) and pick command `id` in it.
Action SystemMenu(int id);
// Run `call` there and then, inside the program: what happens beside it at that moment (another
// process started on the same files, a file changed under it).
Action Call(std::function<void()> call);

struct ScriptStep {
  Trigger when;
  Action action;
};

// What the program showed, in order.
struct Event {
  enum class Kind {
    Opened,      // a top-level window was shown: dialog = template id, text = caption
    Closed,      // a top-level window ended: value = result
    Text,        // a text was set: dialog, control, text
    Bar,         // a progress position changed: dialog, control, value
    Enabled,     // a control's enabled state changed: dialog, control, value 0/1
    MessageBox,  // a message box was shown: text, value = MB_* type
    Answer,      // a message box ended: value = the button pressed
    Banner,      // the product banner: text = its lines joined by "\n"
    Action,      // the script acted: text describes the step
    Failure,     // the script could not go on: text says why
  };
  Kind kind;
  int dialog = 0;
  int control = 0;
  int value = 0;
  std::string text;
};

struct MessageBoxRecord {
  std::string text;
  UINT type = 0;
  int answer = 0;
};

class ScriptedFrontEnd : public FrontEnd {
 public:
  explicit ScriptedFrontEnd(std::vector<ScriptStep> script = {});
  ~ScriptedFrontEnd() override;
  ScriptedFrontEnd(const ScriptedFrontEnd&) = delete;
  ScriptedFrontEnd& operator=(const ScriptedFrontEnd&) = delete;

  void Add(Trigger when, Action action) { script_.push_back({when, action}); }

  const std::vector<Event>& events() const { return events_; }
  // Every text set on control `controlId`, in order.
  std::vector<std::string> TextsOf(int controlId) const;
  // The last text set on `controlId`, or empty.
  std::string LastText(int controlId) const;
  // Every position of progress bar `controlId`, in order.
  std::vector<int> PositionsOf(int controlId) const;
  std::vector<MessageBoxRecord> MessageBoxes() const;
  // Template ids of the dialogs shown, in order (0 for windows built at run time).
  std::vector<int> DialogsOpened() const;
  // (template id, result) of every dialog that ended, shown or not, message boxes excluded.
  std::vector<std::pair<int, int>> DialogsClosed() const;
  const std::vector<std::string>& failures() const { return failures_; }
  int banners() const { return banners_; }
  int pumps() const { return pumps_; }
  // True when every step has acted.
  bool Finished() const { return next_ >= script_.size(); }

  void WindowOpened(const Window& window) override;
  void WindowClosed(const Window& window, int result) override;
  void TextChanged(const Window& window) override;
  void BarChanged(const Window& bar) override;
  void StateChanged(const Window& window) override;
  void Paint() override {}
  void PollInput() override;
  void WaitInput() override;
  void ShowBanner(const std::vector<std::string>& lines) override;

 private:
  bool TriggerMet(const Trigger& trigger) const;
  bool TryNextStep();
  void Perform(const Action& action);
  void FinishMenuChoice();
  void Fail(const std::string& why);

  std::vector<ScriptStep> script_;
  size_t next_ = 0;
  int pumps_ = 0;
  int banners_ = 0;
  int pendingMenuCommand_ = 0;
  bool aborted_ = false;
  std::vector<Event> events_;
  std::vector<std::string> failures_;
  std::vector<std::pair<int, int>> lastBars_;      // control id -> last position recorded
  std::vector<std::pair<int, bool>> lastEnabled_;  // control id -> last state recorded
  FrontEnd* previous_ = nullptr;
};

}  // namespace framework
