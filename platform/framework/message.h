// The message queue of the user-interface thread. User input and repaint requests arrive as
// messages; modal loops (DoModal, message boxes) wait for them with GetMessage, and a long task
// keeps the window alive by taking at most one pending message at a time with PeekMessage (or
// PumpOneMessage) and dispatching it.
//
// Input is asked of the front end only when the queue is empty. A repaint request (WM_PAINT) is
// made up when nothing else is pending and some window has changed since it was last drawn.
// Messages for a window that is destroyed are dropped with it.
#pragma once

#include "platform/framework/wintypes.h"

// Takes the next message for `hwnd` (nullptr: any window of the thread) without waiting. The
// filter range is not supported beyond 0, 0 (every message). False when nothing is pending.
bool PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg);

// Waits for the next message. False when it is WM_QUIT.
bool GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);

// Hands a message to its window's procedure (the attached object's WindowProc, or the default
// behaviour of that kind of window). A message for a window that no longer exists is ignored. A
// key goes to the window that is active at the time of dispatch.
LRESULT DispatchMessage(const MSG* msg);

bool PostMessage(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
void PostQuitMessage(int exitCode);

// Takes at most one pending message for any window of the thread and dispatches it, without
// translation. True when it dispatched one.
bool PumpOneMessage();

bool IsWindow(HWND hwnd);
HWND GetDesktopWindow();
// The window that takes keyboard input: the topmost visible, enabled top-level window.
HWND GetActiveWindow();
