// A front end draws the framework's windows and turns the user's input into messages. The
// terminal front end (platform/terminal) is chosen by main; tests use the scripted front end.
//
// The framework tells the front end what changed and asks it for input: PollInput once per
// pump (PeekMessage), WaitInput when a modal loop has nothing to do. Input is posted with
// PostKey (to the active window) and PostClick (a press of one control).
#pragma once

#include <string>
#include <vector>

#include "platform/framework/window.h"
#include "platform/framework/wintypes.h"

namespace framework {

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;

  // A top-level window was shown (after its initialisation).
  virtual void WindowOpened(const Window& window) { (void)window; }
  // A top-level window is about to be destroyed; `result` is its dialog result (0 for modeless
  // windows). `window.visible` is false when it was never shown.
  virtual void WindowClosed(const Window& window, int result) { (void)window, (void)result; }
  // The text of a control or a caption changed.
  virtual void TextChanged(const Window& window) { (void)window; }
  // A progress bar's position or range changed.
  virtual void BarChanged(const Window& bar) { (void)bar; }
  // Enabled state, visibility or focus changed.
  virtual void StateChanged(const Window& window) { (void)window; }

  // Draws the visible windows now or as soon as the redraw limit allows.
  virtual void Paint() = 0;
  // Posts the input that has already arrived, without waiting.
  virtual void PollInput() = 0;
  // Waits until input has been posted. A front end that can produce no more input (a script
  // that ran out) must post something that ends the active window rather than wait forever.
  virtual void WaitInput() = 0;
  // Shows the product banner over the windows for a moment; returns at once.
  virtual void ShowBanner(const std::vector<std::string>& lines) = 0;
};

// The front end in use (nullptr: nothing is drawn, and a wait ends the active window with
// Cancel).
void SetFrontEnd(FrontEnd* frontEnd);
FrontEnd* CurrentFrontEnd();

// The visible top-level windows, bottom to top.
std::vector<Window*> VisibleTopLevelWindows();
// The topmost visible, enabled top-level window; nullptr when there is none.
Window* ActiveWindow();
// A key press for the active window (WM_KEYDOWN; modifiers KF_SHIFT, KF_ALT).
void PostKey(int key, LPARAM modifiers = 0);
// A mouse press on `control`; false when it is not an enabled button of the active window.
bool PostClick(Window* control);
// The enabled button `id` of the active window, or nullptr.
Window* ActiveButton(int id);
// Ends the active window without asking its handlers, for a front end that can get no more
// input: a message box answers No (else Cancel, else OK), a menu closes, any other dialog ends
// with IDCANCEL.
void EndActiveWindow();

}  // namespace framework
