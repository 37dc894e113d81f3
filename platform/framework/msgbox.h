// Message boxes: a modal window with the text, one button set (MB_OK, MB_OKCANCEL, MB_YESNO,
// MB_YESNOCANCEL) and an optional icon, owned by the active window. Y and N answer a Yes/No box;
// Enter presses the focused button (the first); Esc answers IDCANCEL when there is a Cancel
// button and IDOK in an OK box, and does nothing in a Yes/No box. The caption is the
// application's name.
#pragma once

#include "platform/framework/wintypes.h"

// Returns the id of the button pressed: IDOK, IDCANCEL, IDYES or IDNO.
int AfxMessageBox(const CString& text, UINT type = MB_OK, UINT helpId = 0);
int AfxMessageBox(UINT idPrompt, UINT type = MB_OK, UINT helpId = static_cast<UINT>(-1));
