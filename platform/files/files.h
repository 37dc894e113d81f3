// File operations on Windows-style names ("SAVEDB\PCONT.DB", "C:\VENDRIX", or plain Linux paths,
// which pass through Resolve unchanged). Every name is resolved with files::Resolve, so letter
// case does not matter and an exact match wins.
//
// Statuses are errno values, 0 for success; nothing here throws or prints. Every call that
// changes a directory (delete, rename, create, remove) makes that change durable (fsync of the
// directory) before it returns, so that the order of the upgrade's renames survives a crash.
// When only that final sync fails, the change has been made and the sync's errno is returned.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/files/winpath.h"

namespace files {

// Searches a directory for names matching a pattern: "DIR\*.db", "*.DB", "SAVEDB\PCONT.DB".
// The last component is the pattern, matched without regard to case; "*" matches any run of
// characters, "?" one character, "*.*" everything; "[" and the rest are ordinary characters.
// Fills *names with the matching entry names (files and directories, not "." and ".."), as
// FindFirstFile/FindNextFile give them, sorted without regard to case.
// Returns 0 when the directory was read to its end (the search ended with "no more files",
// whether or not anything matched), else the errno of the failure (ENOENT: no such directory;
// EACCES, EIO, ...), with *names holding what was found before it.
int FindFiles(const std::string& pattern, std::vector<std::string>* names);

// Whether the name exists (a dangling symbolic link exists too: it would block a rename).
bool Exists(const std::string& name);
bool IsDirectory(const std::string& name);

// Deletes a file; EISDIR for a directory. A record file's journal ("<name>-journal", left by a
// writer that was killed) goes with it.
int DeleteFile(const std::string& name);

// Whether two names are the same file system object (device and inode, links followed): the
// only sound way to tell that two spellings of a directory are one directory. False when either
// is missing.
bool SameFile(const std::string& a, const std::string& b);

// How many entries of the name's directory equal its last component without regard to case: 0
// when there is none, more than 1 when several names differ only in letter case, in which case
// the name alone cannot say which of those files is meant.
int CountSpellings(const std::string& name);

// Renames or moves a file or a whole directory. EEXIST when the target exists, as on Windows
// (renaming a name to another letter case of itself is allowed). Across file systems the
// source is copied (recursively), synced, renamed into place and then deleted; as on Windows,
// a source that cannot be deleted after a complete copy is left behind and the move succeeds.
// A file's journal moves with it, and a stale journal of the target name is removed first.
int RenameFile(const std::string& from, const std::string& to);

// The copy-then-delete move that RenameFile uses across file systems, usable within one.
int MoveByCopy(const std::string& from, const std::string& to);

// The prefix of a record file that the record manager is still building under a hidden name.
constexpr const char* kHalfBuiltPrefix = ".~";
// Whether a directory entry is the hidden work of an unfinished move or file creation.
bool IsLeftover(std::string_view name);
// Removes such entries from a directory (a killed process leaves them; the sources of an
// unfinished move are still in place, so nothing is lost). 0 or the first errno.
int RemoveLeftovers(const std::string& dir);

// Creates one directory (its parent must exist). EEXIST when the name exists already, whether
// as a directory or not (IsDirectory tells).
int CreateDirectory(const std::string& name);
// Removes an empty directory.
int RemoveDirectory(const std::string& name);

// The process's current directory as a Linux path; empty on failure.
std::string CurrentDirectory();
int SetCurrentDirectory(const std::string& name);

// The user's documents folder: XDG_DOCUMENTS_DIR of ${XDG_CONFIG_HOME:-$HOME/.config}/
// user-dirs.dirs ("$HOME/..." or an absolute path), else $HOME/Documents; created when
// missing. A Linux path without trailing slash; empty when there is no home directory or the
// folder cannot be created.
std::string DocumentsFolder();

// The full path of the running program (/proc/self/exe); empty on failure.
std::string ProgramPath();
// The directory of the running program, without trailing separator; empty on failure. The
// application takes this instead of cutting ProgramPath() at its last backslash, which a Linux
// path does not have.
std::string ProgramDirectory();

// An exclusive lock on a directory (on the directory itself, so every name of it is one lock),
// held until the object goes or the process ends, however it ends: a killed holder leaves no
// lock behind. Advisory: it keeps out only those that ask for it.
class DirectoryLock {
 public:
  DirectoryLock() = default;
  ~DirectoryLock();
  DirectoryLock(const DirectoryLock&) = delete;
  DirectoryLock& operator=(const DirectoryLock&) = delete;
  // 0 once this object holds the lock; EWOULDBLOCK while another holder has it; else the errno
  // of the failure. Never waits.
  int Acquire(const std::string& dir);

 private:
  int fd_ = -1;
};

// fsync of a file, and of a directory (which makes renames and deletions in it durable).
int SyncFile(const std::string& name);
int SyncDirectory(const std::string& name);

// Tells the kernel that the file will not be read again soon, so that its clean pages leave the
// page cache (pages not yet on the disk stay until they are written). Advice only: the file and
// its contents are unchanged whatever it answers. 0, or the errno of the failure.
int DropCachedPages(const std::string& name);

}  // namespace files
