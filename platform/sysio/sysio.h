// The system calls through which the platform layers read, write, sync, rename and delete files,
// and the named kill points of the program: the one place where tests make the machine fail.
//
// Every platform layer that touches a file (platform/files, platform/registry, the record
// manager and its SQLite file system shim) calls these wrappers instead of the system calls.
// Unarmed, each wrapper is the plain system call and costs one relaxed load. A test arms a fault:
// the Nth call (counted from the arming) of the chosen kinds fails with the chosen errno, once or
// from then on ("sticky", as a full disk stays full). A failed call changes nothing on disk.
//
// Kill points are named places in the program ("swap:old-saved", "end:stamped"); a test that
// forks a child arms one, and the child raises SIGKILL when it passes it. The test then asserts
// that the child died from that signal, so a misspelled point fails the test instead of passing.
//
// Not thread-safe to arm; the calls themselves may come from any thread (the record manager's
// background commit).
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace sysio {

// Kinds of calls, as bits so that a fault can cover several.
enum Op : unsigned {
  kRead = 1u << 0,
  kWrite = 1u << 1,
  kSync = 1u << 2,
  kRename = 1u << 3,  // rename and link: calls that give a file a new name
  kUnlink = 1u << 4,  // unlink and rmdir
  kAllOps = 0x1F,
};

// The wrappers: same arguments and results as the system calls (-1 and errno on failure).
ssize_t Read(int fd, void* buf, size_t count);
ssize_t PRead(int fd, void* buf, size_t count, off_t offset);
ssize_t Write(int fd, const void* buf, size_t count);
ssize_t PWrite(int fd, const void* buf, size_t count, off_t offset);
int Fsync(int fd);
int Rename(const char* from, const char* to);
// rename that fails with EEXIST when `to` exists (renameat2 RENAME_NOREPLACE).
int RenameNoReplace(const char* from, const char* to);
int Link(const char* from, const char* to);
int Unlink(const char* path);
int Rmdir(const char* path);

// For layers that call the system through another library (SQLite's file system shim): counts
// one call of kind `op` and returns the errno it must fail with, or 0 to go ahead.
int Inject(Op op);

// Linux paths: the directory part ("." for a bare name, "/" for an entry of the root) and the
// last component.
std::string DirName(const std::string& path);
std::string BaseName(const std::string& path);

// The user's home directory: $HOME when set, else the password database's entry ("" when
// neither says).
std::string HomeDirectory();

// An open descriptor, closed when it goes out of scope.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd();
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  // Closes now, reporting the failure of close (a write error may surface only there).
  int Close();

 private:
  int fd_;
};

// Opens `path` read-only and fsyncs it (a file, or a directory to make its entries durable).
// Returns 0 or an errno.
int SyncPath(const std::string& path);

// --- For tests only -----------------------------------------------------------------------------

struct Fault {
  unsigned ops = 0;     // the kinds of call counted
  int64_t nth = 0;      // the call that fails, 1-based; 0 disarms
  int error = 0;        // ENOSPC, EIO, EACCES, ...
  bool sticky = false;  // every later call of those kinds fails too
};

// Makes every sync a no-op that still counts and can still fail (true), or a real one again.
// Kill tests stay sound without the syncs: a killed process's writes stay in the page cache.
// Only whole-program tests that run the program hundreds of times use it, to save the disk.
void SkipSyncsForTesting(bool skip);
// Whether syncs are skipped; layers that sync through another library ask before they do.
bool SyncsSkipped();

// Arms a fault and starts counting from zero.
void ArmFault(const Fault& fault);
void DisarmFault();
// Calls of the given kinds made since the last ArmFault/DisarmFault/ResetCounts.
int64_t Calls(unsigned ops);
void ResetCounts();
// Whether the armed fault has struck. Arming {kAllOps, 0, 0} only counts.
bool FaultStruck();

// A named kill point. When armed with this name (and, when the arming names one, this detail),
// raises SIGKILL at the armed occurrence.
void Point(const char* name, const std::string& detail = std::string());
// Arms a kill point: die at the `occurrence`th time (1-based) the named point is passed with a
// matching detail (an empty detail matches any).
void ArmKill(const std::string& name, const std::string& detail = std::string(),
             int occurrence = 1);
void DisarmKill();
// Arms `fault` when the named kill point is next passed (with a matching detail, when one is
// given): "everything fails from the end of the run on". Cleared by DisarmKill.
void ArmFaultAt(const std::string& name, const std::string& detail, const Fault& fault);

}  // namespace sysio
