// Resolution of Windows-style names: see winpath.h.
#include "platform/files/winpath.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <string_view>
#include <vector>

namespace files {
namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// The entry of `dir` that equals `component` without regard to case; the alphabetically first
// when several do, so that resolution is stable. Empty when none does.
std::string FindCaseless(const std::string& dir, const std::string& component) {
  DIR* d = opendir(dir.empty() ? "." : dir.c_str());
  if (d == nullptr) {
    return {};
  }
  std::string best;
  while (dirent* e = readdir(d)) {
    if (strcasecmp(e->d_name, component.c_str()) == 0 && (best.empty() || best > e->d_name)) {
      best = e->d_name;
    }
  }
  closedir(d);
  return best;
}

std::vector<std::string> SplitComponents(std::string_view rest) {
  std::vector<std::string> parts;
  std::string current;
  for (char c : rest) {
    if (c == '\\' || c == '/') {
      if (!current.empty()) {
        parts.push_back(current);
      }
      current.clear();
    } else {
      current.push_back(c);
    }
  }
  if (!current.empty()) {
    parts.push_back(current);
  }
  return parts;
}

}  // namespace

std::string Resolve(const std::string& name) {
  std::string_view rest = name;
  bool absolute = false;
  if (rest.size() >= 2 && rest[1] == ':' &&
      ((rest[0] >= 'A' && rest[0] <= 'Z') || (rest[0] >= 'a' && rest[0] <= 'z'))) {
    rest.remove_prefix(2);
    absolute = true;  // a drive stands for the root
  }
  if (!rest.empty() && (rest[0] == '\\' || rest[0] == '/')) {
    absolute = true;
  }
  std::string path = absolute ? "/" : "";
  bool searching = true;  // once a component is missing, the rest cannot exist either
  for (const std::string& part : SplitComponents(rest)) {
    std::string candidate = path + part;
    if (searching && part != "." && part != ".." && !Exists(candidate)) {
      std::string found = FindCaseless(path.empty() ? "." : path, part);
      if (found.empty()) {
        searching = false;
      } else {
        candidate = path + found;
      }
    }
    path = candidate + "/";
  }
  if (path.size() > 1 && path.back() == '/') {
    path.pop_back();
  }
  if (path.empty()) {
    path = absolute ? "/" : ".";
  }
  return path;
}

std::string Join(const std::string& dir, const std::string& name) {
  if (dir.empty() || dir.back() == '\\' || dir.back() == '/') {
    return dir + name;
  }
  return dir + "\\" + name;
}

}  // namespace files
