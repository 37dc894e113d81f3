// Saving replaced files and backing an upgrade out: see save_area.h.
#include "app/save_area.h"

#include <cerrno>
#include <cstring>

#include "app/upgrade_steps.h"
#include "platform/files/files.h"
#include "platform/sysio/sysio.h"

namespace upgrade {
namespace {

constexpr const char* kUpgrade = "Upgrade";
constexpr const char* kFileList = "FileList";
constexpr const char* kUpgradeRunning = "UpgradeRunning";

CString Reason(const CString& what, int err) {
  return what + " (" + std::strerror(err) + ")";
}

bool ListEntry(Profile& profile, const CString& saved) {
  CString list = profile.GetString(kUpgrade, kFileList, "");
  const CString entry = saved + "|";
  if (list.find(entry) != CString::npos) {
    return true;
  }
  return profile.WriteString(kUpgrade, kFileList, list + entry);
}

// Takes an entry off the list again: its file was put back and nothing of it is saved.
void UnlistEntry(Profile& profile, const CString& saved) {
  CString list = profile.GetString(kUpgrade, kFileList, "");
  const CString entry = saved + "|";
  const size_t at = list.find(entry);
  if (at != CString::npos) {
    profile.WriteString(kUpgrade, kFileList, list.erase(at, entry.size()));
  }
}

// After a failed rename of the original into the save area or of the converted file into its
// place: puts the original back when it is in the save area and its place is free (a rename can
// fail after it happened, when only the sync that makes it durable failed), and takes the entry
// off the list once the original stands in its place again. While the original is only in the
// save area, the entry stays listed so that the backout finds it.
void RestoreOriginal(Profile& profile, const CString& saved, const CString& oldName) {
  if (files::Exists(saved) && !files::Exists(oldName) && files::RenameFile(saved, oldName) == 0) {
    sysio::Point("swap:put-back", oldName);
  }
  if (!files::Exists(saved)) {
    UnlistEntry(profile, saved);
  }
}

// Whether "SAVEDB" is the data directory under another name (a link to "."): each original
// would then be its own saved copy, and deleting the stale copy or the converted file would
// delete the original.
bool SaveAreaIsDataDirectory() {
  return files::SameFile(kSaveDir, ".");
}

// The save area must be a directory other than the data directory; a file of that name is never
// touched.
CString MakeSaveArea() {
  const int made = files::CreateDirectory(kSaveDir);
  if (made != 0 && !(made == EEXIST && files::IsDirectory(kSaveDir))) {
    return made == EEXIST ? CString(kSaveDir) + " is not a directory"
                          : Reason(CString("cannot create ") + kSaveDir, made);
  }
  if (SaveAreaIsDataDirectory()) {
    return CString(kSaveDir) + " is the data directory itself";
  }
  return {};
}

// Names that differ only in letter case all answer to one name: which of them a rename or a
// delete would take cannot be told from the name, so such a file is neither saved nor restored.
bool HasCaseTwin(const CString& name) {
  return files::CountSpellings(name) > 1;
}

// The run writes every table once and reads neither the converted file nor the saved original
// again. Left in the page cache, the gigabytes of a large database push out what the rest of the
// machine uses and make every later table of the run dearer (on a 2-core machine the last tables
// of a run over 400,000 records a file took 6 to 14 % longer with them cached). A failure of the
// advice is not reported: both files are whole on the disk (the converted file's Close synced
// it), and only their cached copies are at stake.
void ReleaseCachedPages(const CString& converted, const CString& saved) {
  files::DropCachedPages(converted);
  files::DropCachedPages(saved);
}

}  // namespace

bool ReplaceWithConverted(CBtrieveDB& legacy, CBtrieveDB& current, Profile& profile, CString* why) {
  const CString oldName = legacy.CurrentFileName();
  const CString newName = current.CurrentFileName();
  const CString saved = kSavePrefix + oldName;
  // Both files must be complete on disk before either moves: a failed Close means that the
  // converted file may lack records that its inserts reported as written.
  const int legacyClosed = legacy.Close();
  const int currentClosed = current.Close();
  if (legacyClosed != 0 || currentClosed != 0) {
    *why = "the files could not be closed (status " +
           std::to_string(legacyClosed != 0 ? legacyClosed : currentClosed) + ")";
    return false;
  }
  if (oldName.empty()) {
    *why = "the file has no name";
    return false;
  }
  sysio::Point("swap:closed", oldName);
  if (HasCaseTwin(oldName)) {
    *why = "another file in the data directory has the name " + oldName + " in other letter case";
    return false;
  }
  *why = MakeSaveArea();
  if (!why->empty()) {
    return false;
  }
  if (HasCaseTwin(saved)) {
    *why =
        CString(kSaveDir) + " holds more than one file named " + oldName + " in other letter case";
    return false;
  }
  if (files::SameFile(saved, oldName)) {
    // The old file is the saved name's file under another name (a link): deleting the "stale
    // copy" would delete the original.
    *why = saved + " is " + oldName + " itself";
    return false;
  }
  if (files::Exists(saved)) {
    if (const int err = files::DeleteFile(saved)) {
      *why = Reason("cannot delete the old copy " + saved, err);
      return false;
    }
  }
  sysio::Point("swap:stale-deleted", oldName);
  if (!ListEntry(profile, saved)) {
    *why = "the settings cannot be written";
    return false;
  }
  sysio::Point("swap:listed", oldName);
  if (const int err = files::RenameFile(oldName, saved)) {
    *why = Reason("cannot move " + oldName + " to " + saved, err);
    RestoreOriginal(profile, saved, oldName);
    return false;
  }
  sysio::Point("swap:old-saved", oldName);
  if (newName.empty()) {
    return true;
  }
  if (const int err = files::RenameFile(newName, oldName)) {
    // The data directory keeps a file under that name: the original, put back, or the converted
    // file when only the sync after its rename failed (the original then stays saved and listed).
    *why = Reason("cannot move " + newName + " to " + oldName, err);
    RestoreOriginal(profile, saved, oldName);
    return false;
  }
  sysio::Point("swap:new-in-place", oldName);
  ReleaseCachedPages(oldName, saved);
  return true;
}

bool IsSafeSavedName(const CString& name) {
  // No separator and no drive letter: the name stays inside the data directory.
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("\\/:") == CString::npos;
}

std::vector<CString> BackoutFiles(Profile& profile) {
  std::vector<CString> failed;
  CString kept;  // entries that could not be restored: the backout can be tried again
  CString list = profile.GetString(kUpgrade, kFileList, "");
  const bool saveAreaIsDataDir = SaveAreaIsDataDirectory();
  // "SAVEDB" that is no directory (a link to a disk not mounted): a saved file that cannot be
  // seen is not gone, and its entry must stay until it can be put back.
  const bool saveAreaReachable = files::IsDirectory(kSaveDir);
  while (!list.empty()) {
    const size_t bar = list.find('|');
    const CString entry = list.substr(0, bar);
    list = bar == CString::npos ? CString() : list.substr(bar + 1);
    if (entry.compare(0, 7, kSavePrefix) != 0) {
      continue;
    }
    const CString name = entry.substr(7);
    if (!IsSafeSavedName(name)) {
      continue;
    }
    const CString saved = kSavePrefix + name;
    if (!saveAreaReachable) {
      failed.push_back(name);
      kept += entry + "|";
      continue;
    }
    if (!files::Exists(saved)) {
      continue;  // listed, but the run ended before the original left its place
    }
    if (saveAreaIsDataDir || HasCaseTwin(name) || HasCaseTwin(saved) ||
        (files::Exists(name) && files::DeleteFile(name) != 0)) {
      failed.push_back(name);
      kept += entry + "|";
      continue;
    }
    sysio::Point("backout:converted-deleted", name);
    if (files::RenameFile(saved, name) != 0) {
      failed.push_back(name);
      kept += entry + "|";
      continue;
    }
    sysio::Point("backout:restored", name);
  }
  RemoveWorkFile();
  // One write: the list and the flag agree after any crash. While a file could not be put back
  // the upgrade stays unfinished, so its saved original is never taken for a stale copy.
  if (!profile.WriteValues(
          {registry::Setting::Text(kUpgrade, kFileList, kept),
           registry::Setting::Int(kUpgrade, kUpgradeRunning, kept.empty() ? 0 : 1)})) {
    failed.push_back(CString("the settings (") + kFileList + ")");
  }
  sysio::Point("backout:cleared");
  return failed;
}

void RemoveWorkFile() {
  if (files::Exists(kWorkFile) && files::DeleteFile(kWorkFile) == 0) {
    sysio::Point("work:removed");
  }
}

void RemoveLeftovers() {
  files::RemoveLeftovers(".");
  if (files::IsDirectory(kSaveDir)) {
    files::RemoveLeftovers(kSaveDir);
  }
}

}  // namespace upgrade
