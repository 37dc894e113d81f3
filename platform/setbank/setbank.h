// The product's profile library: which profile the product uses, and a chooser to pick one.
// It reads the product's settings store (maker "Corvane", product "Vendrix 32") afresh on every
// call; profiles are the sections "Profiles\ID0" to "Profiles\ID9".
#pragma once

#include "platform/framework/wintypes.h"

// "Profiles\ID<n>\" when "Profiles"/"Current" holds n (0 to 9) and that profile's "Enabled"
// is 1; else an empty text.
CString ProfileLocation();
// That profile's "Directories"/"DatabaseDir" (empty when there is no current profile).
CString ProfileDatabaseLocation();
// Lists the enabled profiles (number, "CompanyName" of its "Generic" section, database
// directory) in a chooser drawn through the current front end. Writes the chosen profile's key
// ("Profiles\ID<n>\") zero-terminated into `buffer` (260 bytes) and returns n; returns -1 when
// the user leaves with Esc or no profile is enabled. `flags` is unused; `owner` owns the
// chooser (the desktop when nullptr).
int SelectProfile(unsigned flags, char* buffer, HWND owner);

inline constexpr int kProfileBufferSize = 260;
