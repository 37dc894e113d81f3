// Saving replaced files and backing an upgrade out: see save_area.h.
#include "app/save_area.h"

#include <cerrno>

#include "app/upgrade_steps.h"
#include "platform/files/files.h"

namespace upgrade {
namespace {

constexpr const char* kUpgrade = "Upgrade";
constexpr const char* kFileList = "FileList";
constexpr const char* kUpgradeRunning = "UpgradeRunning";

CrashHook g_crashHook = nullptr;

void Passed(const char* point, const CString& file) {
  if (g_crashHook != nullptr) {
    g_crashHook(point, file);
  }
}

bool ListEntry(Profile& profile, const CString& saved) {
  CString list = profile.GetString(kUpgrade, kFileList, "");
  const CString entry = saved + "|";
  if (list.find(entry) != CString::npos) {
    return true;
  }
  return profile.WriteString(kUpgrade, kFileList, list + entry);
}

}  // namespace

bool ReplaceWithConverted(CBtrieveDB& legacy, CBtrieveDB& current, Profile& profile) {
  const CString oldName = legacy.CurrentFileName();
  const CString newName = current.CurrentFileName();
  const CString saved = kSavePrefix + oldName;
  legacy.Close();
  current.Close();
  if (oldName.empty()) {
    return false;
  }
  const int made = files::CreateDirectory(kSaveDir);
  if (made != 0 && !(made == EEXIST && files::IsDirectory(kSaveDir))) {
    return false;
  }
  if (files::Exists(saved) && files::DeleteFile(saved) != 0) {
    return false;
  }
  Passed("stale-deleted", oldName);
  if (!ListEntry(profile, saved)) {
    return false;
  }
  Passed("listed", oldName);
  if (files::RenameFile(oldName, saved) != 0) {
    return false;
  }
  Passed("old-saved", oldName);
  if (newName.empty()) {
    return true;
  }
  if (files::RenameFile(newName, oldName) != 0) {
    // Put the original back so that the data directory keeps a file under that name.
    files::RenameFile(saved, oldName);
    return false;
  }
  Passed("new-in-place", oldName);
  return true;
}

bool IsSafeSavedName(const CString& name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("\\/") == CString::npos;
}

std::vector<CString> BackoutFiles(Profile& profile) {
  std::vector<CString> failed;
  CString list = profile.GetString(kUpgrade, kFileList, "");
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
    if (!files::Exists(saved)) {
      continue;  // listed, but the run ended before the original left its place
    }
    if ((files::Exists(name) && files::DeleteFile(name) != 0) ||
        files::RenameFile(saved, name) != 0) {
      failed.push_back(name);
    }
  }
  profile.WriteString(kUpgrade, kFileList, list);
  profile.WriteInt(kUpgrade, kUpgradeRunning, 0);
  RemoveWorkFile();
  return failed;
}

void SetCrashHookForTesting(CrashHook hook) {
  g_crashHook = hook;
}

void RemoveWorkFile() {
  if (files::Exists(kWorkFile)) {
    files::DeleteFile(kWorkFile);
  }
}

}  // namespace upgrade
