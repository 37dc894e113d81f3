// The save area "SAVEDB" and the profile's "FileList": how every file that the upgrade replaces
// is kept, and how an unfinished upgrade is backed out.
//
// A replacement goes in an order that a crash between any two of its steps cannot harm: a stale
// "SAVEDB\<name>" is deleted, the entry is listed in "FileList" (durably), the old file is renamed
// into "SAVEDB", and only then "TMP.DB" is renamed into its place. The backout restores an entry
// only when its saved file exists, so an entry listed just before a crash restores nothing and
// loses nothing.
#pragma once

#include <string>
#include <vector>

#include "app/profile.h"
#include "recfile/btrieve_db.h"

namespace upgrade {

constexpr const char* kSaveDir = "SAVEDB";
constexpr const char* kSavePrefix = "SAVEDB\\";

// Saves the legacy table's file and puts the current table's file ("TMP.DB") in its place;
// closes both tables first. True when the converted file stands under the old name; false when
// anything failed, in which case the old file is back in place (or never left it).
bool ReplaceWithConverted(CBtrieveDB& legacy, CBtrieveDB& current, Profile& profile);

// Restores every saved file of "FileList", empties the list, clears "UpgradeRunning" and removes
// a left-over "TMP.DB". Returns the names that could not be restored, in list order.
std::vector<CString> BackoutFiles(Profile& profile);

// Whether a "FileList" entry's file name is one the backout may touch: not empty, no path
// separator, not "." or "..".
bool IsSafeSavedName(const CString& name);

// Deletes "TMP.DB" from the data directory when it is there.
void RemoveWorkFile();

// Crash tests stop the process between two steps of a replacement. The hook is called with the
// name of the point just passed ("stale-deleted", "listed", "old-saved", "new-in-place") and the
// file's name; null (the default) calls nothing.
using CrashHook = void (*)(const char* point, const CString& file);
void SetCrashHookForTesting(CrashHook hook);

}  // namespace upgrade
