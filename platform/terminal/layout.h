// The geometry of the terminal front end, as pure functions: dialog units onto the character
// grid (4 horizontal units a column, 8 vertical units a row), the 80 by 24 desktop centred in a
// larger terminal, progress bar fill, the scrolling of long texts, and the redraw limit. Texts wrap
// by framework::WrapText.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "platform/framework/window.h"

namespace terminal {

inline constexpr int kDesktopColumns = 80;
inline constexpr int kDesktopRows = 24;

struct Cells {
  int col = 0, row = 0, cols = 0, rows = 0;
};

// A top-level window on the desktop grid: its client area in cells (x / 4, y / 8, sizes rounded
// up), with a caption row above and a border row below; the frame's side columns lie on the
// client's outer columns. Template 102 (320 by 173 units at 0, 0) gives columns 0 to 79, rows
// 0 to 23.
Cells WindowCells(const framework::Rect& du);
// A control inside a window whose frame is at `window`: columns from x / 4, rows from y / 8
// below the caption row, at least one cell.
Cells ControlCells(const Cells& window, const framework::Rect& du);
// Where the desktop's top-left cell lies in a terminal of the given size (centred), or
// nothing fits: {-1, -1} when the terminal is smaller than 80 by 24.
Cells DesktopOrigin(int termCols, int termRows);

// The number of filled cells of a bar `width` cells wide.
int BarFill(int low, int high, int pos, int width);

// A text of `total` lines seen through `rows` lines from line `top` (0-based), as a message box
// shows a message longer than the screen.
enum class ScrollKey { LineUp, LineDown, PageUp, PageDown, Home, End };
// The first line shown after `key`: moved by one line or by a page less one line (so that one
// line stays in view), kept where no line lies beyond either end.
int Scrolled(int top, int total, int rows, ScrollKey key);
// What tells the user there is more, in at most `width` characters: empty when the whole text
// fits, else which lines are shown and where the rest lies, " Lines 1-18 of 40, more below
// (PgDn) ", or as much of that as fits (" Lines 1-18 of 40, more below ", " 1-18 of 40 ").
std::string MoreMarker(int top, int total, int rows, int width);

// Lets a redraw through at most once per interval (about 30 a second): a request inside the
// interval is held, and NextDraw says when to draw it.
class RedrawThrottle {
 public:
  using Clock = std::chrono::steady_clock;
  explicit RedrawThrottle(Clock::duration interval = std::chrono::milliseconds(33))
      : interval_(interval) {}
  // A change to be drawn.
  void Request() { pending_ = true; }
  bool Pending() const { return pending_; }
  // True (and the request taken) when a pending request may be drawn at `now`.
  bool ShouldDraw(Clock::time_point now);
  // The time from which a pending request may be drawn.
  Clock::time_point NextDraw() const { return last_ + interval_; }

 private:
  Clock::duration interval_;
  Clock::time_point last_{};
  bool drawn_ = false;
  bool pending_ = false;
};

}  // namespace terminal
