// The plain types, message numbers, key codes and flags that the window classes and the
// application share, under the names the window system gives them. Only what the system uses.
#pragma once

#include <cstdint>
#include <string>

using CString = std::string;
using UINT = unsigned int;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

namespace framework {
struct Window;
struct IconResource;
}  // namespace framework

// A window handle: the framework's record of one window (see framework/window.h).
using HWND = framework::Window*;
// An icon handle: an icon of the resource table.
using HICON = const framework::IconResource*;
using HCURSOR = HICON;

// A message as the queue holds it.
struct MSG {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

struct CREATESTRUCT {
  HWND hwndParent = nullptr;
  int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
};
using LPCREATESTRUCT = CREATESTRUCT*;

// Messages.
inline constexpr UINT WM_CREATE = 0x0001;
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_QUERYDRAGICON = 0x0037;
inline constexpr UINT WM_KEYDOWN = 0x0100;  // wParam: key code (VK_*, or 'A'..'Z', '0'..'9')
inline constexpr UINT WM_INITDIALOG = 0x0110;
inline constexpr UINT WM_COMMAND = 0x0111;      // wParam: control or command id
inline constexpr UINT WM_SYSCOMMAND = 0x0112;   // wParam: system menu command
inline constexpr UINT WM_LBUTTONDOWN = 0x0201;  // sent to the control that was clicked
inline constexpr UINT WM_ICONERASEBKGND = 0x0027;
inline constexpr UINT WM_QUIT = 0x0012;
inline constexpr UINT WM_USER = 0x0400;

// PeekMessage removal flags.
inline constexpr UINT PM_NOREMOVE = 0x0;
inline constexpr UINT PM_REMOVE = 0x1;

// ShowWindow commands.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOW = 5;

// Key codes carried by WM_KEYDOWN. Letters and digits are their upper-case characters.
inline constexpr int VK_BACK = 0x08;
inline constexpr int VK_TAB = 0x09;
inline constexpr int VK_RETURN = 0x0D;
inline constexpr int VK_ESCAPE = 0x1B;
inline constexpr int VK_SPACE = 0x20;
inline constexpr int VK_LEFT = 0x25;
inline constexpr int VK_UP = 0x26;
inline constexpr int VK_RIGHT = 0x27;
inline constexpr int VK_DOWN = 0x28;
inline constexpr int VK_F10 = 0x79;
// Modifier bits in the lParam of WM_KEYDOWN.
inline constexpr LPARAM KF_SHIFT = 0x1;
inline constexpr LPARAM KF_ALT = 0x2;

// Dialog results and standard command ids.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;
inline constexpr int IDC_STATIC = -1;
// The string that names the application (message box captions).
inline constexpr int AFX_IDS_APP_TITLE = 0xE000;

// Message box types: one button set, optionally or'ed with one icon.
inline constexpr UINT MB_OK = 0x0;
inline constexpr UINT MB_OKCANCEL = 0x1;
inline constexpr UINT MB_YESNOCANCEL = 0x3;
inline constexpr UINT MB_YESNO = 0x4;
inline constexpr UINT MB_TYPEMASK = 0xF;
inline constexpr UINT MB_ICONSTOP = 0x10;
inline constexpr UINT MB_ICONERROR = 0x10;
inline constexpr UINT MB_ICONQUESTION = 0x20;
inline constexpr UINT MB_ICONEXCLAMATION = 0x30;
inline constexpr UINT MB_ICONWARNING = 0x30;
inline constexpr UINT MB_ICONINFORMATION = 0x40;
inline constexpr UINT MB_ICONMASK = 0xF0;

// Menu flags and system commands.
inline constexpr UINT MF_STRING = 0x0;
inline constexpr UINT MF_SEPARATOR = 0x800;
inline constexpr UINT SC_CLOSE = 0xF060;

// Window and control styles used by the templates.
inline constexpr unsigned WS_POPUP = 0x80000000u;
inline constexpr unsigned WS_VISIBLE = 0x10000000u;
inline constexpr unsigned WS_DISABLED = 0x08000000u;
inline constexpr unsigned WS_CAPTION = 0x00C00000u;
inline constexpr unsigned WS_SYSMENU = 0x00080000u;
inline constexpr unsigned WS_TABSTOP = 0x00010000u;
inline constexpr unsigned WS_EX_APPWINDOW = 0x00040000u;  // shown on the task bar
inline constexpr unsigned DS_MODALFRAME = 0x80u;
inline constexpr unsigned DS_CENTER = 0x800u;
inline constexpr unsigned SS_LEFT = 0x0u;
inline constexpr unsigned SS_CENTER = 0x1u;
inline constexpr unsigned SS_ICON = 0x3u;
inline constexpr unsigned SS_ETCHEDHORZ = 0x10u;  // a separator line
inline constexpr unsigned BS_PUSHBUTTON = 0x0u;
inline constexpr unsigned BS_DEFPUSHBUTTON = 0x1u;

// System metrics that the paint code of a minimised window asks for.
inline constexpr int SM_CXICON = 11;
inline constexpr int SM_CYICON = 12;
int GetSystemMetrics(int index);

struct CPoint {
  int x = 0, y = 0;
};

struct CRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};
using LPRECT = CRect*;
