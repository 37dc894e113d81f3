// The product's splash library: a product banner shown over `window` that disappears by
// itself (after a moment or at the first key); the caller does not wait for it.
#pragma once

#include "platform/framework/wintypes.h"

void ShowSplash(HWND window);
