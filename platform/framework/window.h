// The framework's record of one window: what a handle (HWND) points at. The window classes
// (CWnd and its kin) change it; front ends read it to draw and to find what the user pointed at.
//
// Geometry is in dialog units: a top-level window's rectangle is relative to the desktop (320 by
// 192 units), a control's to the client area of its dialog.
#pragma once

#include <string>
#include <vector>

#include "platform/framework/wintypes.h"

class CWnd;

namespace framework {

enum class WindowKind { Desktop, Dialog, Static, Button, Progress, Icon };

// What a top-level window is for; front ends draw message boxes, menus and choosers alike, the
// scripted front end records them differently.
enum class WindowRole { Normal, MessageBox, Menu, Chooser };

// A chooser window gives choice n the button id kChoiceFirstId + n.
inline constexpr int kChoiceFirstId = 200;
// The static control that holds a message box's text.
inline constexpr int kMessageTextId = 0xFFFF;

struct Rect {
  int x = 0, y = 0, cx = 0, cy = 0;
};

struct MenuItem {
  UINT flags = MF_STRING;  // MF_STRING or MF_SEPARATOR
  UINT id = 0;
  std::string text;
};

struct Window {
  WindowKind kind = WindowKind::Static;
  WindowRole role = WindowRole::Normal;
  int id = 0;        // control id; for a dialog the template id (0 when built at run time)
  std::string text;  // caption, static text or button label ("&" marks a mnemonic)
  Rect rect;
  unsigned style = 0;  // WS_*, SS_*, BS_*, DS_* flags
  bool enabled = true;
  bool visible = false;
  bool destroyed = false;

  // Progress bars.
  int rangeLow = 0, rangeHigh = 100, pos = 0;

  // Dialogs.
  HICON icon = nullptr;
  Window* owner = nullptr;        // top-level windows: the owner (nullptr or the desktop)
  Window* parent = nullptr;       // controls: their dialog
  std::vector<Window*> children;  // controls in template order (the tab order)
  Window* focus = nullptr;        // the control that has the focus, or nullptr
  bool hasSystemMenu = false;
  std::vector<MenuItem> systemMenu;
  UINT messageBoxType = 0;  // role MessageBox: the MB_* type

  CWnd* object = nullptr;   // the C++ window object attached to this window, if any
  CWnd* standIn = nullptr;  // the framework's own object for it (GetDlgItem of a bare control)
  bool needsPaint = false;

  bool IsButton() const { return kind == WindowKind::Button; }
  bool IsDefaultButton() const { return IsButton() && (style & 0xF) == BS_DEFPUSHBUTTON; }
  // The dialog a control belongs to, or the window itself when it is top-level.
  Window* TopLevel() { return parent != nullptr ? parent : this; }
  Window* FindChild(int controlId) const;
};

// The text a front end shows for a label: "&Yes" shows as "Yes"; "&&" as "&".
std::string StripMnemonic(const std::string& label);
// The mnemonic character of a label in upper case ("&Yes" -> 'Y'), or 0.
char MnemonicOf(const std::string& label);

// Breaks `text` at its "\n" and wraps each line at spaces into lines of at most `width`
// characters; a word longer than a line is cut. Message boxes are sized and texts drawn by it.
std::vector<std::string> WrapText(const std::string& text, int width);

}  // namespace framework
