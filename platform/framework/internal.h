// The framework's own state, shared by its source files: the windows, the queue, the front end.
// Not for use outside platform/framework.
#pragma once

#include <deque>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/framework/front_end.h"
#include "platform/framework/window.h"
#include "platform/framework/wnd.h"

class CWinApp;
class CDialog;

namespace framework::detail {

inline constexpr int kDesktopWidth = 320;  // dialog units of an 80 by 24 screen
inline constexpr int kDesktopHeight = 192;

struct State {
  std::deque<MSG> queue;
  std::vector<std::unique_ptr<Window>> windows;  // every live window but the desktop
  std::unordered_set<const Window*> live;        // the same, for quick handle checks
  std::vector<Window*> topLevels;                // bottom to top
  std::unordered_map<Window*, std::unique_ptr<CWnd>> standIns;
  Window desktop;
  FrontEnd* frontEnd = nullptr;
  CWinApp* app = nullptr;
  bool quit = false;
  int quitCode = 0;
};

State& S();

bool IsLive(const Window* window);
// A new window owned by the framework; top-level windows go on top of the z-order.
Window* NewWindow(WindowKind kind, Window* parent);
// Destroys a window and its controls: detaches their objects, drops their messages, tells the
// front end (top-level windows, with `result`).
void DestroyTree(Window* window, int result);

// Marks the top-level window of `window` for repainting.
void Invalidate(Window* window);
void NotifyText(Window* window);
void NotifyBar(Window* window);
void NotifyState(Window* window);
void NotifyOpened(Window* window);
// Clears the repaint mark of `window` and asks the front end to draw.
void PaintNow(Window* window);

// The default behaviour of a window without a handler for `message`.
LRESULT DefaultProc(Window* window, UINT message, WPARAM wParam, LPARAM lParam);

// Focus within a dialog.
void SetFocusTo(Window* dialog, Window* control);
Window* FirstEnabledButton(Window* dialog);
Window* NextEnabledButton(Window* dialog, Window* from, int direction);
// The control with the dialog's default id (BS_DEFPUSHBUTTON, else IDOK), or nullptr.
Window* DefaultButton(Window* dialog);
// Presses an enabled button: focus, then WM_COMMAND to its dialog.
void PressButton(Window* button);

// The system menu of `dialog` as a popup; returns the command chosen, or 0.
UINT TrackSystemMenu(Window* dialog);

// The dialog object behind a top-level window, or nullptr.
CDialog* DialogOf(Window* window);

}  // namespace framework::detail
