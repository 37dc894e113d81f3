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
// closes both tables first and moves nothing unless both closed with status 0. True when the
// converted file stands under the old name; false when anything failed, in which case the old
// file is back in place (or never left it), it is not listed, and *why says what failed.
// Nothing moves while "SAVEDB" is the data directory itself, the old file is the file of its
// saved name (a link), or the old file's name has a twin in other letter case in the data
// directory or in "SAVEDB".
// Kill points "swap:closed", "swap:stale-deleted", "swap:listed", "swap:old-saved",
// "swap:put-back" and "swap:new-in-place" (detail: the file's name) mark the steps.
bool ReplaceWithConverted(CBtrieveDB& legacy, CBtrieveDB& current, Profile& profile, CString* why);

// Restores every saved file of "FileList" and removes a left-over "TMP.DB". Entries whose file
// could not be put back (also while "SAVEDB" is the data directory itself or no directory, or while
// the name has a twin in other letter case beside the converted file or the saved one, so that
// neither can be told apart) stay listed and "UpgradeRunning" stays 1, so that their originals are
// never taken for stale copies and the backout can be tried again; otherwise the list is emptied
// and "UpgradeRunning" cleared, in one settings write. Returns the names that could not be
// restored, in list order.
std::vector<CString> BackoutFiles(Profile& profile);

// Whether a "FileList" entry's file name is one the backout may touch: not empty, no path
// separator or drive letter, not "." or "..".
bool IsSafeSavedName(const CString& name);

// Deletes "TMP.DB" from the data directory when it is there.
void RemoveWorkFile();

// Removes what a killed run may leave in the data directory and "SAVEDB": half-created record
// files and half-done moves between file systems (never the files of a table).
void RemoveLeftovers();

}  // namespace upgrade
