// Terminal geometry: dialog units onto cells, the desktop in the terminal, bars, redraws.
#include "platform/terminal/layout.h"

#include <gtest/gtest.h>

#include <vector>

#include "resources/remold_resources.h"

using framework::Rect;
using terminal::Cells;

namespace {

Cells ControlOf(const framework::DialogTemplate& t, int id, const Cells& window) {
  for (const auto& c : t.controls) {
    if (c.id == id) {
      return terminal::ControlCells(window, Rect{c.x, c.y, c.cx, c.cy});
    }
  }
  ADD_FAILURE() << "no control " << id;
  return Cells{};
}

// Column, row, columns, rows: one value to compare.
std::vector<int> Of(const Cells& c) {
  return {c.col, c.row, c.cols, c.rows};
}

}  // namespace

TEST(LayoutTest, UpgradeDialogFillsTheEightyByTwentyFourDesktop) {
  const framework::DialogTemplate* t = RemoldResources().FindDialog(IDD_REMOLD_DIALOG);
  ASSERT_NE(t, nullptr);
  const Cells w = terminal::WindowCells(Rect{t->x, t->y, t->cx, t->cy});
  EXPECT_EQ(Of(w), (std::vector<int>{0, 0, 80, 24}));

  // Rows below the caption row: y / 8 + 1. The intro text gets rows 2 to 8 and 76 columns,
  // enough for the counts and the backout notice.
  EXPECT_EQ(Of(ControlOf(*t, IDC_INTRO_TEXT, w)), (std::vector<int>{2, 2, 76, 7}));
  EXPECT_EQ(ControlOf(*t, IDC_STATUS_TEXT, w).row, 9);
  EXPECT_EQ(ControlOf(*t, IDC_PROGRESS_FILES, w).row, 10);
  EXPECT_EQ(ControlOf(*t, IDC_PROGRESS_TOTAL, w).row, 15);
  const Cells backout = ControlOf(*t, IDC_BACKOUTUPGRADE, w);
  const Cells start = ControlOf(*t, IDOK, w);
  const Cells cancel = ControlOf(*t, IDCANCEL, w);
  EXPECT_EQ(backout.row, 20);
  EXPECT_EQ(start.row, 20);
  EXPECT_EQ(cancel.row, 20);
  // Side by side, in template order, not overlapping, inside the frame.
  EXPECT_LE(backout.col + backout.cols, start.col);
  EXPECT_LE(start.col + start.cols, cancel.col);
  EXPECT_LE(cancel.col + cancel.cols, 79);
}

TEST(LayoutTest, ControlsAreClippedToTheInsideOfTheFrame) {
  const Cells w = terminal::WindowCells(Rect{0, 0, 80, 16});  // 20 columns, 2 + 2 rows
  EXPECT_EQ(Of(w), (std::vector<int>{0, 0, 20, 4}));
  // Up to column 18 (column 19 is the frame) and row 2 (row 3 is the bottom border).
  EXPECT_EQ(Of(terminal::ControlCells(w, Rect{40, 8, 200, 200})), (std::vector<int>{10, 2, 9, 1}));
}

TEST(LayoutTest, DesktopIsCentredAndNeedsEightyByTwentyFour) {
  EXPECT_EQ(Of(terminal::DesktopOrigin(80, 24)), (std::vector<int>{0, 0, 80, 24}));
  EXPECT_EQ(Of(terminal::DesktopOrigin(101, 30)), (std::vector<int>{10, 3, 80, 24}));
  EXPECT_EQ(terminal::DesktopOrigin(79, 40).col, -1);
  EXPECT_EQ(terminal::DesktopOrigin(120, 23).col, -1);
}

TEST(LayoutTest, BarFillFollowsTheRange) {
  EXPECT_EQ(terminal::BarFill(1, 100, 1, 60), 0);
  EXPECT_EQ(terminal::BarFill(1, 100, 100, 60), 60);
  EXPECT_EQ(terminal::BarFill(0, 4, 1, 60), 15);
  EXPECT_EQ(terminal::BarFill(0, 0, 0, 60), 0);  // no files: an empty bar, no division by 0
  EXPECT_EQ(terminal::BarFill(0, 10, 50, 60), 60);
  EXPECT_EQ(terminal::BarFill(0, 10, -5, 60), 0);
  EXPECT_EQ(terminal::BarFill(-2147483647, 2147483647, 2147483647, 60), 60);
}

TEST(LayoutTest, RedrawsAreHeldToTheInterval) {
  using Clock = terminal::RedrawThrottle::Clock;
  using std::chrono::milliseconds;
  terminal::RedrawThrottle throttle(milliseconds(33));
  const Clock::time_point t0 = Clock::time_point() + milliseconds(1000);
  EXPECT_FALSE(throttle.ShouldDraw(t0));  // nothing asked for
  throttle.Request();
  EXPECT_TRUE(throttle.ShouldDraw(t0));  // the first request draws at once
  EXPECT_FALSE(throttle.Pending());
  // A thousand changes within the interval: held, then one draw.
  for (int i = 0; i < 1000; ++i) {
    throttle.Request();
    EXPECT_FALSE(throttle.ShouldDraw(t0 + milliseconds(i % 33)));
  }
  EXPECT_TRUE(throttle.Pending());
  EXPECT_EQ(throttle.NextDraw(), t0 + milliseconds(33));
  EXPECT_TRUE(throttle.ShouldDraw(t0 + milliseconds(33)));
  EXPECT_FALSE(throttle.ShouldDraw(t0 + milliseconds(200)));  // drawn; nothing pending
  // Over one simulated second of constant change at most about 30 draws get through.
  int draws = 0;
  for (int ms = 0; ms < 1000; ++ms) {
    throttle.Request();
    draws += throttle.ShouldDraw(t0 + milliseconds(2000 + ms)) ? 1 : 0;
  }
  EXPECT_LE(draws, 31);
  EXPECT_GE(draws, 29);
}

TEST(LayoutTest, ScrollingStopsAtBothEndsAndKeepsALineOfTheLastPage) {
  using terminal::Scrolled;
  using terminal::ScrollKey;
  // 40 lines through 18: the first line shown is 0 to 22.
  EXPECT_EQ(Scrolled(0, 40, 18, ScrollKey::LineUp), 0);
  EXPECT_EQ(Scrolled(0, 40, 18, ScrollKey::LineDown), 1);
  EXPECT_EQ(Scrolled(22, 40, 18, ScrollKey::LineDown), 22);
  EXPECT_EQ(Scrolled(0, 40, 18, ScrollKey::PageDown), 17);  // line 18 stays in view
  EXPECT_EQ(Scrolled(17, 40, 18, ScrollKey::PageDown), 22);
  EXPECT_EQ(Scrolled(22, 40, 18, ScrollKey::PageUp), 5);
  EXPECT_EQ(Scrolled(5, 40, 18, ScrollKey::PageUp), 0);
  EXPECT_EQ(Scrolled(3, 40, 18, ScrollKey::End), 22);
  EXPECT_EQ(Scrolled(22, 40, 18, ScrollKey::Home), 0);
  // Page Down reaches every line: walking from the top ends on the last page.
  int top = 0;
  for (int i = 0; i < 10; ++i) {
    top = Scrolled(top, 100, 18, ScrollKey::PageDown);
  }
  EXPECT_EQ(top + 18, 100);
  // A text that fits, or a scroll position from a longer text, stays put or is pulled back.
  EXPECT_EQ(Scrolled(0, 5, 18, ScrollKey::End), 0);
  EXPECT_EQ(Scrolled(30, 40, 18, ScrollKey::LineUp), 22);
  EXPECT_EQ(Scrolled(0, 40, 1, ScrollKey::PageDown), 1);  // a page of one line still moves
}

TEST(LayoutTest, MoreMarkerSaysWhereTheRestLiesAndFitsItsBorder) {
  using terminal::MoreMarker;
  EXPECT_EQ(MoreMarker(0, 18, 18, 74), "");  // all of it shown
  EXPECT_EQ(MoreMarker(0, 40, 18, 74), " Lines 1-18 of 40, more below (PgDn) ");
  EXPECT_EQ(MoreMarker(22, 40, 18, 74), " Lines 23-40 of 40, more above (PgUp) ");
  EXPECT_EQ(MoreMarker(5, 40, 18, 74), " Lines 6-23 of 40, more above and below (PgUp, PgDn) ");
  EXPECT_EQ(MoreMarker(99, 40, 18, 74), " Lines 23-40 of 40, more above (PgUp) ");
  // A narrower box gets shorter forms, a box too narrow even for those no marker.
  EXPECT_EQ(MoreMarker(5, 40, 18, 46), " Lines 6-23 of 40, more above and below ");
  EXPECT_EQ(MoreMarker(5, 40, 18, 22), " 6-23 of 40 ");
  EXPECT_EQ(MoreMarker(5, 40, 18, 5), "");
}
