// The scripted front end: replays user actions, records what was shown.
#include "platform/framework/scripted_front_end.h"

#include "platform/framework/internal.h"

namespace framework {

Trigger Now() {
  return Trigger{};
}

Trigger AfterPumps(int pumps) {
  Trigger t;
  t.kind = Trigger::Kind::AfterPumps;
  t.value = pumps;
  return t;
}

Trigger WhenText(int controlId, const std::string& text) {
  Trigger t;
  t.kind = Trigger::Kind::TextContains;
  t.id = controlId;
  t.text = text;
  return t;
}

Trigger WhenBar(int controlId, int pos) {
  Trigger t;
  t.kind = Trigger::Kind::BarReaches;
  t.id = controlId;
  t.value = pos;
  return t;
}

Trigger WhenDialog(int templateId) {
  Trigger t;
  t.kind = Trigger::Kind::DialogActive;
  t.id = templateId;
  return t;
}

Trigger WhenMessageBox(const std::string& text) {
  Trigger t;
  t.kind = Trigger::Kind::MessageBoxContains;
  t.text = text;
  return t;
}

Action Press(int id) {
  return Action{Action::Kind::Press, id, 0, {}};
}
Action ChooseProfile(int n) {
  return Press(kChoiceFirstId + n);
}
Action Key(int key, LPARAM modifiers) {
  return Action{Action::Kind::Key, key, modifiers, {}};
}
Action SystemMenu(int id) {
  return Action{Action::Kind::SystemMenu, id, 0, {}};
}
Action Call(std::function<void()> call) {
  return Action{Action::Kind::Call, 0, 0, std::move(call)};
}

namespace {

std::string MessageTextOf(const Window& box) {
  const Window* label = box.FindChild(kMessageTextId);
  return label != nullptr ? label->text : std::string();
}

std::string Describe(const Window* w) {
  if (w == nullptr) {
    return "no window";
  }
  switch (w->role) {
    case WindowRole::MessageBox:
      return "message box \"" + MessageTextOf(*w) + "\"";
    case WindowRole::Menu:
      return "system menu";
    case WindowRole::Chooser:
      return "chooser \"" + w->text + "\"";
    default:
      return "dialog " + std::to_string(w->id) + " \"" + w->text + "\"";
  }
}

std::string DescribeTrigger(const Trigger& t) {
  switch (t.kind) {
    case Trigger::Kind::Now:
      return "now";
    case Trigger::Kind::AfterPumps:
      return "after " + std::to_string(t.value) + " pumps";
    case Trigger::Kind::TextContains:
      return "text of " + std::to_string(t.id) + " contains \"" + t.text + "\"";
    case Trigger::Kind::BarReaches:
      return "bar " + std::to_string(t.id) + " reaches " + std::to_string(t.value);
    case Trigger::Kind::DialogActive:
      return "dialog " + std::to_string(t.id) + " active";
    case Trigger::Kind::MessageBoxContains:
      return "message box contains \"" + t.text + "\"";
  }
  return "?";
}

// The live control `id` of any visible window, topmost first.
const Window* FindControl(int id) {
  std::vector<Window*> windows = VisibleTopLevelWindows();
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    if (const Window* c = (*it)->FindChild(id)) {
      return c;
    }
  }
  return nullptr;
}

}  // namespace

ScriptedFrontEnd::ScriptedFrontEnd(std::vector<ScriptStep> script)
    : script_(std::move(script)), previous_(CurrentFrontEnd()) {
  detail::S().queue.clear();
  SetFrontEnd(this);
}

ScriptedFrontEnd::~ScriptedFrontEnd() {
  if (CurrentFrontEnd() == this) {
    SetFrontEnd(previous_);
  }
}

bool ScriptedFrontEnd::TriggerMet(const Trigger& t) const {
  const Window* active = ActiveWindow();
  switch (t.kind) {
    case Trigger::Kind::Now:
      return true;
    case Trigger::Kind::AfterPumps:
      return pumps_ >= t.value;
    case Trigger::Kind::TextContains: {
      const Window* c = FindControl(t.id);
      return c != nullptr && c->text.find(t.text) != std::string::npos;
    }
    case Trigger::Kind::BarReaches: {
      const Window* c = FindControl(t.id);
      return c != nullptr && c->kind == WindowKind::Progress && c->pos >= t.value;
    }
    case Trigger::Kind::DialogActive:
      return active != nullptr && active->role == WindowRole::Normal && active->id == t.id;
    case Trigger::Kind::MessageBoxContains:
      return active != nullptr && active->role == WindowRole::MessageBox &&
             MessageTextOf(*active).find(t.text) != std::string::npos;
  }
  return false;
}

bool ScriptedFrontEnd::TryNextStep() {
  if (aborted_) {
    return false;
  }
  if (pendingMenuCommand_ != 0) {
    FinishMenuChoice();
    return true;
  }
  if (next_ >= script_.size() || !TriggerMet(script_[next_].when)) {
    return false;
  }
  const Action action = script_[next_++].action;
  Perform(action);
  return true;
}

void ScriptedFrontEnd::Perform(const Action& action) {
  Window* active = ActiveWindow();
  switch (action.kind) {
    case Action::Kind::Press: {
      Window* button = ActiveButton(action.id);
      if (button == nullptr) {
        Fail("button " + std::to_string(action.id) + " cannot be pressed in " + Describe(active));
        return;
      }
      events_.push_back(
          {Event::Kind::Action, active->id, action.id, 0, "press " + std::to_string(action.id)});
      PostClick(button);
      return;
    }
    case Action::Kind::Key:
      events_.push_back({Event::Kind::Action, active != nullptr ? active->id : 0, 0, action.id,
                         "key " + std::to_string(action.id)});
      PostKey(action.id, action.modifiers);
      return;
    case Action::Kind::SystemMenu:
      if (active == nullptr || !active->hasSystemMenu) {
        Fail("no system menu in " + Describe(active));
        return;
      }
      events_.push_back({Event::Kind::Action, active->id, 0, action.id,
                         "system menu " + std::to_string(action.id)});
      pendingMenuCommand_ = action.id;
      PostKey(VK_F10);
      return;
    case Action::Kind::Call:
      events_.push_back({Event::Kind::Action, active != nullptr ? active->id : 0, 0, 0, "call"});
      action.call();
      return;
  }
}

void ScriptedFrontEnd::FinishMenuChoice() {
  Window* active = ActiveWindow();
  if (active == nullptr || active->role != WindowRole::Menu) {
    return;  // the menu has not opened yet
  }
  const int command = pendingMenuCommand_;
  pendingMenuCommand_ = 0;
  Window* item = ActiveButton(command);
  if (item == nullptr) {
    Fail("system menu has no command " + std::to_string(command));
    PostKey(VK_ESCAPE);
    return;
  }
  PostClick(item);
}

void ScriptedFrontEnd::Fail(const std::string& why) {
  failures_.push_back(why);
  events_.push_back({Event::Kind::Failure, 0, 0, 0, why});
}

void ScriptedFrontEnd::PollInput() {
  ++pumps_;
  TryNextStep();
}

void ScriptedFrontEnd::WaitInput() {
  if (TryNextStep()) {
    return;
  }
  if (!aborted_) {
    const Window* active = ActiveWindow();
    if (next_ >= script_.size()) {
      Fail("script used up while " + Describe(active) + " waits");
    } else {
      Fail("step " + std::to_string(next_ + 1) + " (" + DescribeTrigger(script_[next_].when) +
           ") cannot fire while " + Describe(active) + " waits");
    }
    aborted_ = true;
  }
  EndActiveWindow();
}

void ScriptedFrontEnd::WindowOpened(const Window& w) {
  if (w.role == WindowRole::MessageBox) {
    events_.push_back(
        {Event::Kind::MessageBox, 0, 0, static_cast<int>(w.messageBoxType), MessageTextOf(w)});
    return;
  }
  events_.push_back({Event::Kind::Opened, w.id, 0, static_cast<int>(w.role), w.text});
}

void ScriptedFrontEnd::WindowClosed(const Window& w, int result) {
  if (w.role == WindowRole::MessageBox) {
    events_.push_back({Event::Kind::Answer, 0, 0, result, ""});
    return;
  }
  events_.push_back({Event::Kind::Closed, w.id, 0, result, w.text});
}

void ScriptedFrontEnd::TextChanged(const Window& w) {
  const int dialog = w.parent != nullptr ? w.parent->id : w.id;
  const int control = w.parent != nullptr ? w.id : 0;
  events_.push_back({Event::Kind::Text, dialog, control, 0, w.text});
}

void ScriptedFrontEnd::BarChanged(const Window& bar) {
  for (auto& [id, pos] : lastBars_) {
    if (id == bar.id) {
      if (pos == bar.pos) {
        return;
      }
      pos = bar.pos;
      events_.push_back({Event::Kind::Bar, bar.parent->id, bar.id, bar.pos, ""});
      return;
    }
  }
  lastBars_.emplace_back(bar.id, bar.pos);
  events_.push_back(
      {Event::Kind::Bar, bar.parent != nullptr ? bar.parent->id : 0, bar.id, bar.pos, ""});
}

void ScriptedFrontEnd::StateChanged(const Window& w) {
  if (w.parent == nullptr) {
    return;
  }
  for (auto& [id, enabled] : lastEnabled_) {
    if (id == w.id) {
      if (enabled != w.enabled) {
        enabled = w.enabled;
        events_.push_back({Event::Kind::Enabled, w.parent->id, w.id, w.enabled ? 1 : 0, ""});
      }
      return;
    }
  }
  lastEnabled_.emplace_back(w.id, w.enabled);
  events_.push_back({Event::Kind::Enabled, w.parent->id, w.id, w.enabled ? 1 : 0, ""});
}

void ScriptedFrontEnd::ShowBanner(const std::vector<std::string>& lines) {
  ++banners_;
  std::string text;
  for (const auto& line : lines) {
    text += (text.empty() ? "" : "\n") + line;
  }
  events_.push_back({Event::Kind::Banner, 0, 0, 0, text});
}

std::vector<std::string> ScriptedFrontEnd::TextsOf(int controlId) const {
  std::vector<std::string> texts;
  for (const Event& e : events_) {
    if (e.kind == Event::Kind::Text && e.control == controlId) {
      texts.push_back(e.text);
    }
  }
  return texts;
}

std::string ScriptedFrontEnd::LastText(int controlId) const {
  std::vector<std::string> texts = TextsOf(controlId);
  return texts.empty() ? std::string() : texts.back();
}

std::vector<int> ScriptedFrontEnd::PositionsOf(int controlId) const {
  std::vector<int> positions;
  for (const Event& e : events_) {
    if (e.kind == Event::Kind::Bar && e.control == controlId) {
      positions.push_back(e.value);
    }
  }
  return positions;
}

std::vector<MessageBoxRecord> ScriptedFrontEnd::MessageBoxes() const {
  std::vector<MessageBoxRecord> boxes;
  std::vector<size_t> open;
  for (const Event& e : events_) {
    if (e.kind == Event::Kind::MessageBox) {
      open.push_back(boxes.size());
      boxes.push_back({e.text, static_cast<UINT>(e.value), 0});
    } else if (e.kind == Event::Kind::Answer && !open.empty()) {
      boxes[open.back()].answer = e.value;
      open.pop_back();
    }
  }
  return boxes;
}

std::vector<int> ScriptedFrontEnd::DialogsOpened() const {
  std::vector<int> ids;
  for (const Event& e : events_) {
    if (e.kind == Event::Kind::Opened && e.value == static_cast<int>(WindowRole::Normal)) {
      ids.push_back(e.dialog);
    }
  }
  return ids;
}

std::vector<std::pair<int, int>> ScriptedFrontEnd::DialogsClosed() const {
  std::vector<std::pair<int, int>> closed;
  for (const Event& e : events_) {
    if (e.kind == Event::Kind::Closed) {
      closed.emplace_back(e.dialog, e.value);
    }
  }
  return closed;
}

}  // namespace framework
