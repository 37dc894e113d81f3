// Terminal geometry: dialog units onto character cells.
#include "platform/terminal/layout.h"

#include <algorithm>
#include <cstdint>

namespace terminal {

namespace {

constexpr int kUnitsPerColumn = 4;
constexpr int kUnitsPerRow = 8;

int CeilDiv(int a, int b) {
  return a >= 0 ? (a + b - 1) / b : -((-a) / b);
}
int FloorDiv(int a, int b) {
  return a >= 0 ? a / b : -CeilDiv(-a, b);
}

}  // namespace

Cells WindowCells(const framework::Rect& du) {
  Cells c;
  c.col = FloorDiv(du.x, kUnitsPerColumn);
  c.row = FloorDiv(du.y, kUnitsPerRow);
  c.cols = std::max(4, CeilDiv(du.cx, kUnitsPerColumn));
  c.rows = std::max(1, CeilDiv(du.cy, kUnitsPerRow)) + 2;  // caption row and bottom border
  return c;
}

Cells ControlCells(const Cells& window, const framework::Rect& du) {
  Cells c;
  const int left = FloorDiv(du.x, kUnitsPerColumn);
  const int top = FloorDiv(du.y, kUnitsPerRow);
  c.col = window.col + left;
  c.row = window.row + 1 + top;
  c.cols = std::max(1, CeilDiv(du.x + du.cx, kUnitsPerColumn) - left);
  c.rows = std::max(1, CeilDiv(du.y + du.cy, kUnitsPerRow) - top);
  // Inside the frame.
  const int lastCol = window.col + window.cols - 2;
  const int lastRow = window.row + window.rows - 2;
  c.cols = std::max(0, std::min(c.cols, lastCol - c.col + 1));
  c.rows = std::max(0, std::min(c.rows, lastRow - c.row + 1));
  return c;
}

Cells DesktopOrigin(int termCols, int termRows) {
  if (termCols < kDesktopColumns || termRows < kDesktopRows) {
    return Cells{-1, -1, 0, 0};
  }
  return Cells{(termCols - kDesktopColumns) / 2, (termRows - kDesktopRows) / 2, kDesktopColumns,
               kDesktopRows};
}

int BarFill(int low, int high, int pos, int width) {
  if (width <= 0 || high <= low) {
    return 0;
  }
  const int64_t done = std::clamp<int64_t>(int64_t{pos} - low, 0, int64_t{high} - low);
  return static_cast<int>(done * width / (int64_t{high} - low));
}

bool RedrawThrottle::ShouldDraw(Clock::time_point now) {
  if (!pending_) {
    return false;
  }
  if (drawn_ && now - last_ < interval_) {
    return false;
  }
  pending_ = false;
  drawn_ = true;
  last_ = now;
  return true;
}

}  // namespace terminal
