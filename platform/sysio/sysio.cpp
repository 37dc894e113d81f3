// System call wrappers, faults and kill points: see sysio.h.
#include "platform/sysio/sysio.h"

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <stdio.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <vector>

namespace sysio {
namespace {

std::atomic<bool> g_armed{false};
std::atomic<bool> g_struck{false};
Fault g_fault;
std::atomic<int64_t> g_counts[5];

std::atomic<bool> g_skipSyncs{false};
std::atomic<bool> g_killArmed{false};
std::string g_killName;
std::string g_killDetail;
int g_killLeft = 0;
bool g_faultAtPoint = false;  // the armed point arms a fault instead of killing
Fault g_pointFault;

int Index(Op op) {
  switch (op) {
    case kRead:
      return 0;
    case kWrite:
      return 1;
    case kSync:
      return 2;
    case kRename:
      return 3;
    default:
      return 4;
  }
}

// -1 with errno set when the call must fail.
int Gate(Op op) {
  if (!g_armed.load(std::memory_order_relaxed)) {
    return 0;
  }
  const int err = Inject(op);
  if (err != 0) {
    errno = err;
    return -1;
  }
  return 0;
}

}  // namespace

int Inject(Op op) {
  if (!g_armed.load(std::memory_order_relaxed)) {
    return 0;
  }
  g_counts[Index(op)].fetch_add(1);
  if ((g_fault.ops & op) == 0 || g_fault.nth <= 0) {
    return 0;
  }
  if (g_fault.sticky && g_struck.load()) {
    return g_fault.error;
  }
  if (Calls(g_fault.ops) == g_fault.nth && !g_struck.exchange(true)) {
    return g_fault.error;
  }
  return 0;
}

ssize_t Read(int fd, void* buf, size_t count) {
  return Gate(kRead) != 0 ? -1 : read(fd, buf, count);
}

ssize_t PRead(int fd, void* buf, size_t count, off_t offset) {
  return Gate(kRead) != 0 ? -1 : pread(fd, buf, count, offset);
}

ssize_t Write(int fd, const void* buf, size_t count) {
  return Gate(kWrite) != 0 ? -1 : write(fd, buf, count);
}

ssize_t PWrite(int fd, const void* buf, size_t count, off_t offset) {
  return Gate(kWrite) != 0 ? -1 : pwrite(fd, buf, count, offset);
}

int Fsync(int fd) {
  if (Gate(kSync) != 0) {
    return -1;
  }
  return SyncsSkipped() ? 0 : fsync(fd);
}

void SkipSyncsForTesting(bool skip) {
  g_skipSyncs.store(skip);
}

bool SyncsSkipped() {
  return g_skipSyncs.load(std::memory_order_relaxed);
}

int Rename(const char* from, const char* to) {
  return Gate(kRename) != 0 ? -1 : rename(from, to);
}

int RenameNoReplace(const char* from, const char* to) {
  return Gate(kRename) != 0 ? -1 : renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
}

int Link(const char* from, const char* to) {
  return Gate(kRename) != 0 ? -1 : link(from, to);
}

int Unlink(const char* path) {
  return Gate(kUnlink) != 0 ? -1 : unlink(path);
}

int Rmdir(const char* path) {
  return Gate(kUnlink) != 0 ? -1 : rmdir(path);
}

std::string DirName(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string HomeDirectory() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') {
    return home;
  }
  std::vector<char> buf(16384);
  passwd pw;
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found != nullptr) {
    return found->pw_dir;
  }
  return {};
}

Fd::~Fd() {
  if (fd_ >= 0) {
    close(fd_);
  }
}

int Fd::Close() {
  const int rc = close(fd_);
  fd_ = -1;
  return rc == 0 ? 0 : errno;
}

int SyncPath(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return errno;
  }
  const int err = Fsync(fd) == 0 ? 0 : errno;
  close(fd);
  return err;
}

void ArmFault(const Fault& fault) {
  g_armed.store(false);
  ResetCounts();
  g_fault = fault;
  g_struck.store(false);
  g_armed.store(fault.nth > 0 || fault.ops != 0);
}

void DisarmFault() {
  ArmFault(Fault{});
}

int64_t Calls(unsigned ops) {
  int64_t total = 0;
  for (unsigned bit = 0; bit < 5; ++bit) {
    if ((ops & (1u << bit)) != 0) {
      total += g_counts[bit].load();
    }
  }
  return total;
}

void ResetCounts() {
  for (auto& count : g_counts) {
    count.store(0);
  }
}

bool FaultStruck() {
  return g_struck.load();
}

void Point(const char* name, const std::string& detail) {
  if (!g_killArmed.load(std::memory_order_relaxed) || g_killName != name ||
      (!g_killDetail.empty() && g_killDetail != detail)) {
    return;
  }
  if (--g_killLeft > 0) {
    return;
  }
  if (g_faultAtPoint) {
    DisarmKill();
    ArmFault(g_pointFault);
    return;
  }
  raise(SIGKILL);
}

void ArmKill(const std::string& name, const std::string& detail, int occurrence) {
  g_faultAtPoint = false;
  g_killName = name;
  g_killDetail = detail;
  g_killLeft = occurrence;
  g_killArmed.store(true);
}

void DisarmKill() {
  g_killArmed.store(false);
}

void ArmFaultAt(const std::string& name, const std::string& detail, const Fault& fault) {
  ArmKill(name, detail, 1);
  g_faultAtPoint = true;
  g_pointFault = fault;
}

}  // namespace sysio
