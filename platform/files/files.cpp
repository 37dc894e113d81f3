// File operations on Windows-style names: see files.h.
#include "platform/files/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "platform/sysio/sysio.h"

namespace files {
namespace {

using sysio::BaseName;
using sysio::DirName;
using sysio::Fd;
using sysio::HomeDirectory;

constexpr const char* kJournalSuffix = "-journal";
// Hidden names of work in progress: a move's copy ("." + name + ".move-PID-N") and a record
// file being built ("~" after the dot), neither of which is ever a table's file.
constexpr std::string_view kMovePart = ".move-";

char Fold(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

int SyncPath(const std::string& path) {
  return sysio::SyncPath(path);
}

// Syncs the directories of both names (once when they are the same).
int SyncParents(const std::string& a, const std::string& b) {
  int err = SyncPath(DirName(a));
  if (DirName(b) != DirName(a)) {
    int err_b = SyncPath(DirName(b));
    err = err != 0 ? err : err_b;
  }
  return err;
}

// Windows wildcards: "*" any run, "?" one character, letters compared without regard to case.
// Everything else stands for itself, so the characters that fnmatch would read as a bracket
// expression or an escape are escaped first.
bool WildMatch(std::string_view pattern, std::string_view name) {
  std::string glob;
  for (char c : pattern) {
    if (c == '[' || c == ']' || c == '\\') {
      glob += '\\';
    }
    glob += c;
  }
  return fnmatch(glob.c_str(), std::string(name).c_str(), FNM_CASEFOLD) == 0;
}

bool CaselessLess(const std::string& a, const std::string& b) {
  bool less = std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                           [](char x, char y) { return Fold(x) < Fold(y); });
  bool greater = std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(),
                                              [](char x, char y) { return Fold(x) < Fold(y); });
  return less || (!greater && a < b);
}

// Rename that refuses an existing target atomically where the file system allows it.
int RenameNoReplace(const std::string& from, const std::string& to) {
  if (sysio::RenameNoReplace(from.c_str(), to.c_str()) == 0) {
    return 0;
  }
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
    return errno;
  }
  struct stat st;
  if (lstat(to.c_str(), &st) == 0) {
    return EEXIST;
  }
  return sysio::Rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int CopyEntry(const std::string& from, const std::string& to);

int CopyContents(int in, int out) {
  char buf[1 << 16];
  while (true) {
    ssize_t n = sysio::Read(in, buf, sizeof buf);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      return n == 0 ? 0 : errno;
    }
    for (ssize_t done = 0; done < n;) {
      ssize_t w = sysio::Write(out, buf + done, static_cast<size_t>(n - done));
      if (w < 0 && errno != EINTR) {
        return errno;
      }
      done += w < 0 ? 0 : w;
    }
  }
}

// A synced copy of a regular file with its permissions and times.
int CopyRegular(const std::string& from, const std::string& to, const struct stat& st) {
  Fd in(open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0) {
    return errno;
  }
  Fd out(open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
  if (out.get() < 0) {
    return errno;
  }
  int err = CopyContents(in.get(), out.get());
  const timespec times[2] = {st.st_atim, st.st_mtim};
  if (err == 0 && (fchmod(out.get(), st.st_mode & 07777) != 0 || futimens(out.get(), times) != 0 ||
                   sysio::Fsync(out.get()) != 0)) {
    err = errno;
  }
  int close_err = out.Close();
  return err != 0 ? err : close_err;
}

// A synced copy of a directory tree; the directory gets its permissions once it is filled.
int CopyDirectory(const std::string& from, const std::string& to, const struct stat& st) {
  if (mkdir(to.c_str(), 0700) != 0) {
    return errno;
  }
  DIR* dir = opendir(from.c_str());
  if (dir == nullptr) {
    return errno;
  }
  int err = 0;
  while (err == 0) {
    errno = 0;
    dirent* e = readdir(dir);
    if (e == nullptr) {
      err = errno;
      break;
    }
    std::string_view name = e->d_name;
    if (name != "." && name != "..") {
      err = CopyEntry(from + "/" + e->d_name, to + "/" + e->d_name);
    }
  }
  closedir(dir);
  const timespec times[2] = {st.st_atim, st.st_mtim};
  if (err == 0 && (chmod(to.c_str(), st.st_mode & 07777) != 0 ||
                   utimensat(AT_FDCWD, to.c_str(), times, 0) != 0)) {
    err = errno;
  }
  return err != 0 ? err : SyncPath(to);
}

int CopyEntry(const std::string& from, const std::string& to) {
  struct stat st;
  if (lstat(from.c_str(), &st) != 0) {
    return errno;
  }
  if (S_ISREG(st.st_mode)) {
    return CopyRegular(from, to, st);
  }
  if (S_ISDIR(st.st_mode)) {
    return CopyDirectory(from, to, st);
  }
  if (S_ISLNK(st.st_mode)) {
    std::string target(static_cast<size_t>(st.st_size) + 1, '\0');
    ssize_t n = readlink(from.c_str(), target.data(), target.size());
    if (n < 0) {
      return errno;
    }
    target.resize(static_cast<size_t>(n));
    return symlink(target.c_str(), to.c_str()) == 0 ? 0 : errno;
  }
  return ENOTSUP;  // devices, sockets and pipes are not part of a database
}

// Moves between Linux paths by copying into a hidden name beside the target, renaming that into
// place and deleting the source, so that the target never exists half-copied.
int MovePathByCopy(const std::string& from, const std::string& to) {
  struct stat st;
  if (lstat(from.c_str(), &st) != 0) {
    return errno;
  }
  if (lstat(to.c_str(), &st) == 0) {
    return EEXIST;
  }
  std::string tmp;
  int err = EEXIST;
  for (int attempt = 0; attempt < 100 && err == EEXIST; ++attempt) {
    tmp = DirName(to) + "/." + BaseName(to) + std::string(kMovePart) + std::to_string(getpid()) +
          "-" + std::to_string(attempt);
    err = CopyEntry(from, tmp);
    if (err != 0 && err != EEXIST) {
      std::error_code ec;
      std::filesystem::remove_all(tmp, ec);
    }
  }
  if (err == 0) {
    err = RenameNoReplace(tmp, to);
  }
  if (err != 0) {
    std::error_code ec;
    std::filesystem::remove_all(tmp, ec);
    return err;
  }
  if (int sync_err = SyncPath(DirName(to))) {
    return sync_err;  // the source stays: the copy may not have reached the disk
  }
  std::error_code ec;
  std::filesystem::remove_all(from, ec);
  SyncPath(DirName(from));
  return 0;
}

std::string StripTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') {
    path.pop_back();
  }
  return path;
}

// The value of the last valid XDG_DOCUMENTS_DIR="..." line of a user-dirs.dirs file: the quoted
// text with backslash escapes undone and a leading $HOME (or ${HOME}) replaced. Empty when none.
std::string DocumentsFromUserDirs(const std::string& file, const std::string& home) {
  std::ifstream in(file);
  std::string line, result;
  constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=\"";
  while (std::getline(in, line)) {
    std::string_view rest = line;
    rest.remove_prefix(std::min(rest.find_first_not_of(" \t"), rest.size()));
    if (!rest.starts_with(kKey)) {
      continue;
    }
    rest.remove_prefix(kKey.size());
    std::string value;
    bool closed = false;
    for (size_t i = 0; i < rest.size() && !closed; ++i) {
      if (rest[i] == '\\' && i + 1 < rest.size()) {
        value.push_back(rest[++i]);
      } else if (rest[i] == '"') {
        closed = true;
      } else {
        value.push_back(rest[i]);
      }
    }
    for (std::string_view var : {"$HOME", "${HOME}"}) {
      if (value.starts_with(var) && (value.size() == var.size() || value[var.size()] == '/')) {
        value = home + value.substr(var.size());
      }
    }
    if (closed && value.starts_with('/')) {
      result = value;
    }
  }
  return result;
}

// Creates a directory and its missing parents.
bool MakeDirectories(const std::string& dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  return std::filesystem::is_directory(dir, ec);
}

bool Present(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// A record file keeps a side file "<name>-journal" while a write of it is unfinished (a writer
// killed in a commit leaves it, and the next opening rolls the file back from it). The journal
// belongs to its file: it moves with it and goes with it, and a journal under a name whose file
// is gone is stale and must never meet a new file of that name. Before a rename, a stale
// journal of the target goes, and the source's journal gets a second name beside the target
// (a hard link), so that at every moment the file has its journal. DropJournal removes the
// source's name afterwards.
int CarryJournal(const std::string& source, const std::string& target) {
  const std::string stale = target + kJournalSuffix;
  if (Present(stale) && sysio::Unlink(stale.c_str()) != 0) {
    return errno;
  }
  const std::string journal = source + kJournalSuffix;
  if (!Present(journal)) {
    return 0;
  }
  if (sysio::Link(journal.c_str(), stale.c_str()) == 0) {
    return 0;
  }
  // Across file systems the journal is copied like the file.
  return errno == EXDEV ? CopyEntry(journal, stale) : errno;
}

void DropJournal(const std::string& source) {
  const std::string journal = source + kJournalSuffix;
  if (Present(journal)) {
    sysio::Unlink(journal.c_str());
  }
}

}  // namespace

int FindFiles(const std::string& pattern, std::vector<std::string>* names) {
  names->clear();
  size_t sep = pattern.find_last_of("\\/");
  std::string dir = sep == std::string::npos ? "." : Resolve(pattern.substr(0, sep + 1));
  std::string_view wanted =
      std::string_view(pattern).substr(sep == std::string::npos ? 0 : sep + 1);
  if (wanted == "*.*") {
    wanted = "*";
  }
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) {
    return errno;
  }
  int err = 0;
  while (true) {
    errno = 0;
    dirent* e = readdir(d);
    if (e == nullptr) {
      err = errno;
      break;
    }
    std::string_view name = e->d_name;
    if (name != "." && name != ".." && !wanted.empty() && WildMatch(wanted, name)) {
      names->emplace_back(name);
    }
  }
  closedir(d);
  std::sort(names->begin(), names->end(), CaselessLess);
  return err;
}

bool Exists(const std::string& name) {
  struct stat st;
  return lstat(Resolve(name).c_str(), &st) == 0;
}

bool IsDirectory(const std::string& name) {
  struct stat st;
  return stat(Resolve(name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int DeleteFile(const std::string& name) {
  std::string path = Resolve(name);
  if (sysio::Unlink(path.c_str()) != 0) {
    return errno;
  }
  // The file first: a journal that a crash leaves without its file is stale and harmless, a
  // file whose hot journal is gone may be torn.
  const std::string journal = path + kJournalSuffix;
  if (Present(journal) && sysio::Unlink(journal.c_str()) != 0) {
    return errno;
  }
  return SyncPath(DirName(path));
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  return stat(Resolve(a).c_str(), &sa) == 0 && stat(Resolve(b).c_str(), &sb) == 0 &&
         sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

int CountSpellings(const std::string& name) {
  // FindFiles matches without regard to case; a name that holds a wildcard matches more, which
  // the exact comparison drops again.
  std::vector<std::string> found;
  FindFiles(name, &found);
  const std::string last = name.substr(name.find_last_of("\\/") + 1);
  return static_cast<int>(std::count_if(found.begin(), found.end(), [&](const std::string& f) {
    return strcasecmp(f.c_str(), last.c_str()) == 0;
  }));
}

int RenameFile(const std::string& from, const std::string& to) {
  std::string source = Resolve(from);
  std::string target = Resolve(to);
  struct stat st;
  if (lstat(source.c_str(), &st) != 0) {
    return errno;
  }
  if (target == source) {
    // The target names the source itself in another letter case: rename to the name as given.
    size_t sep = to.find_last_of("\\/");
    std::string given = sep == std::string::npos ? to : to.substr(sep + 1);
    if (given == BaseName(source)) {
      return 0;
    }
    target = DirName(source) + "/" + given;
  }
  if (Present(target)) {
    return EEXIST;
  }
  if (S_ISREG(st.st_mode)) {
    if (int err = CarryJournal(source, target)) {
      return err;
    }
  }
  int err = RenameNoReplace(source, target);
  if (err == EXDEV) {
    err = MovePathByCopy(source, target);
  } else if (err == 0) {
    err = SyncParents(source, target);
  }
  if (err == 0 && S_ISREG(st.st_mode)) {
    DropJournal(source);
  }
  return err;
}

bool IsLeftover(std::string_view name) {
  return name.starts_with(kHalfBuiltPrefix) ||
         (name.starts_with('.') && name.find(kMovePart) != std::string_view::npos);
}

int RemoveLeftovers(const std::string& dir) {
  std::vector<std::string> names;
  const std::string path = Resolve(dir);
  DIR* d = opendir(path.c_str());
  if (d == nullptr) {
    return errno;
  }
  while (dirent* e = readdir(d)) {
    if (IsLeftover(e->d_name)) {
      names.emplace_back(e->d_name);
    }
  }
  closedir(d);
  int err = 0;
  for (const std::string& name : names) {
    std::error_code ec;
    std::filesystem::remove_all(path + "/" + name, ec);
    err = err != 0 ? err : ec.value();
  }
  return err != 0 ? err : (names.empty() ? 0 : SyncPath(path));
}

int MoveByCopy(const std::string& from, const std::string& to) {
  return MovePathByCopy(Resolve(from), Resolve(to));
}

int CreateDirectory(const std::string& name) {
  std::string path = Resolve(name);
  if (mkdir(path.c_str(), 0777) != 0) {
    return errno;
  }
  return SyncPath(DirName(path));
}

int RemoveDirectory(const std::string& name) {
  std::string path = Resolve(name);
  if (sysio::Rmdir(path.c_str()) != 0) {
    return errno;
  }
  return SyncPath(DirName(path));
}

std::string CurrentDirectory() {
  std::error_code ec;
  std::string cwd = std::filesystem::current_path(ec).string();
  return ec ? std::string() : cwd;
}

int SetCurrentDirectory(const std::string& name) {
  return chdir(Resolve(name).c_str()) == 0 ? 0 : errno;
}

std::string DocumentsFolder() {
  std::string home = StripTrailingSlashes(HomeDirectory());
  if (home.empty()) {
    return {};
  }
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string config = xdg != nullptr && xdg[0] == '/' ? std::string(xdg) : home + "/.config";
  std::string documents =
      StripTrailingSlashes(DocumentsFromUserDirs(config + "/user-dirs.dirs", home));
  // A documents directory set to the home directory itself means "disabled" in user-dirs.dirs.
  if (documents.empty() || documents == home) {
    documents = home + "/Documents";
  }
  return MakeDirectories(documents) ? documents : std::string();
}

std::string ProgramPath() {
  std::error_code ec;
  std::string path = std::filesystem::read_symlink("/proc/self/exe", ec).string();
  return ec ? std::string() : path;
}

std::string ProgramDirectory() {
  std::string path = ProgramPath();
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return {};
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

DirectoryLock::~DirectoryLock() {
  if (fd_ >= 0) {
    close(fd_);  // releases the lock
  }
}

int DirectoryLock::Acquire(const std::string& dir) {
  if (fd_ >= 0) {
    return 0;
  }
  const int fd = open(Resolve(dir).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    return errno;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    close(fd);
    return err;
  }
  fd_ = fd;
  return 0;
}

int SyncFile(const std::string& name) {
  return SyncPath(Resolve(name));
}

int SyncDirectory(const std::string& name) {
  return SyncPath(Resolve(name));
}

int DropCachedPages(const std::string& name) {
  const int fd = open(Resolve(name).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return errno;
  }
  const int err = posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
  close(fd);
  return err;
}

}  // namespace files
