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

int Scrolled(int top, int total, int rows, ScrollKey key) {
  const int last = std::max(0, total - rows);  // the first line of the last page
  const int page = std::max(1, rows - 1);
  switch (key) {
    case ScrollKey::LineUp:
      top -= 1;
      break;
    case ScrollKey::LineDown:
      top += 1;
      break;
    case ScrollKey::PageUp:
      top -= page;
      break;
    case ScrollKey::PageDown:
      top += page;
      break;
    case ScrollKey::Home:
      top = 0;
      break;
    case ScrollKey::End:
      top = last;
      break;
  }
  return std::clamp(top, 0, last);
}

std::string MoreMarker(int top, int total, int rows, int width) {
  if (rows <= 0 || total <= rows) {
    return std::string();
  }
  top = std::clamp(top, 0, total - rows);
  const bool above = top > 0;
  const bool below = top + rows < total;
  const char* more = above && below ? "more above and below (PgUp, PgDn)"
                     : below        ? "more below (PgDn)"
                                    : "more above (PgUp)";
  const std::string span =
      std::to_string(top + 1) + "-" + std::to_string(top + rows) + " of " + std::to_string(total);
  const std::string where = " Lines " + span + ", " + more;
  const std::string forms[] = {where + " ", where.substr(0, where.find(" (")) + " ",
                               " " + span + " "};
  for (const std::string& form : forms) {
    if (static_cast<int>(form.size()) <= width) {
      return form;
    }
  }
  return std::string();
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
