// The record files' SQLite file system; see vfs.h.
//
// Each file of the shim is a ShimFile followed in the same allocation by the file of the default
// file system, to which every method hands on. The shim offers version 1 of the file methods: no
// shared memory (record files keep a rollback journal, never a write-ahead log) and no memory
// mapping, so that every read of a page reaches xRead and the fault layer.
#include "platform/btrieve/vfs.h"

#include <sqlite3.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "platform/sysio/sysio.h"

namespace btr {
namespace {

struct ShimFile {
  sqlite3_file base;  // must come first: SQLite sees this
  sqlite3_file* real;
  const char* name;  // SQLite keeps the name alive while the file is open
  bool main_db;
  bool main_journal;
  bool journal_open;  // main_db: a rollback journal of this database is open (atomic_ref)
};

void SetJournalOpen(ShimFile* f, bool open) {
  std::atomic_ref<bool>(f->journal_open).store(open, std::memory_order_relaxed);
}

bool JournalOpen(ShimFile* f) {
  return std::atomic_ref<bool>(f->journal_open).load(std::memory_order_relaxed);
}

sqlite3_vfs* g_real = nullptr;

// The open database files by name, so that a journal can tell its database that it is open.
// Touched only when files open and close.
std::mutex g_files_mutex;
std::map<std::string, ShimFile*>& OpenDatabases() {
  static auto* files = new std::map<std::string, ShimFile*>;
  return *files;
}

void MarkJournal(const char* journal_name, bool open) {
  static constexpr char kSuffix[] = "-journal";
  size_t length = std::strlen(journal_name);
  size_t suffix = sizeof kSuffix - 1;
  if (length <= suffix || std::strcmp(journal_name + length - suffix, kSuffix) != 0) {
    return;
  }
  std::lock_guard<std::mutex> lock(g_files_mutex);
  auto found = OpenDatabases().find(std::string(journal_name, length - suffix));
  if (found != OpenDatabases().end()) {
    SetJournalOpen(found->second, open);
  }
}

ShimFile* Shim(sqlite3_file* file) {
  return reinterpret_cast<ShimFile*>(file);
}

// The SQLite error for an errno that the fault layer injects.
int Failure(int error, int io_error) {
  return error == ENOSPC ? SQLITE_FULL : io_error;
}

int ShimClose(sqlite3_file* file) {
  ShimFile* f = Shim(file);
  if (f->main_db) {
    std::lock_guard<std::mutex> lock(g_files_mutex);
    auto found = OpenDatabases().find(f->name);
    if (found != OpenDatabases().end() && found->second == f) {
      OpenDatabases().erase(found);
    }
  } else if (f->main_journal) {
    MarkJournal(f->name, false);
  }
  return f->real->pMethods != nullptr ? f->real->pMethods->xClose(f->real) : SQLITE_OK;
}

int ShimRead(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset) {
  if (int error = sysio::Inject(sysio::kRead); error != 0) {
    return SQLITE_IOERR_READ;
  }
  sqlite3_file* real = Shim(file)->real;
  return real->pMethods->xRead(real, buffer, amount, offset);
}

int ShimWrite(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset) {
  ShimFile* f = Shim(file);
  if (f->main_db && JournalOpen(f)) {
    sysio::Point("btr:commit-journaled", f->name);
  }
  if (int error = sysio::Inject(sysio::kWrite); error != 0) {
    return Failure(error, SQLITE_IOERR_WRITE);
  }
  return f->real->pMethods->xWrite(f->real, buffer, amount, offset);
}

int ShimTruncate(sqlite3_file* file, sqlite3_int64 size) {
  if (int error = sysio::Inject(sysio::kWrite); error != 0) {
    return Failure(error, SQLITE_IOERR_TRUNCATE);
  }
  sqlite3_file* real = Shim(file)->real;
  return real->pMethods->xTruncate(real, size);
}

int ShimSync(sqlite3_file* file, int flags) {
  if (int error = sysio::Inject(sysio::kSync); error != 0) {
    return Failure(error, SQLITE_IOERR_FSYNC);
  }
  sqlite3_file* real = Shim(file)->real;
  return sysio::SyncsSkipped() ? SQLITE_OK : real->pMethods->xSync(real, flags);
}

int ShimFileSize(sqlite3_file* file, sqlite3_int64* size) {
  sqlite3_file* real = Shim(file)->real;
  return real->pMethods->xFileSize(real, size);
}

int ShimLock(sqlite3_file* file, int level) {
  sqlite3_file* real = Shim(file)->real;
  return real->pMethods->xLock(real, level);
}

int ShimUnlock(sqlite3_file* file, int level) {
  sqlite3_file* real = Shim(file)->real;
  return real->pMethods->xUnlock(real, level);
}

int ShimCheckReservedLock(sqlite3_file* file, int* reserved) {
  sqlite3_file* real = Shim(file)->real;
  return real->pMethods->xCheckReservedLock(real, reserved);
}

int ShimFileControl(sqlite3_file* file, int op, void* arg) {
  sqlite3_file* real = Shim(file)->real;
  return real->pMethods->xFileControl(real, op, arg);
}

int ShimSectorSize(sqlite3_file* file) {
  sqlite3_file* real = Shim(file)->real;
  return real->pMethods->xSectorSize(real);
}

int ShimDeviceCharacteristics(sqlite3_file* file) {
  sqlite3_file* real = Shim(file)->real;
  return real->pMethods->xDeviceCharacteristics(real);
}

const sqlite3_io_methods kShimMethods = {
    1,  // version 1: no shared memory, no memory mapping
    ShimClose,
    ShimRead,
    ShimWrite,
    ShimTruncate,
    ShimSync,
    ShimFileSize,
    ShimLock,
    ShimUnlock,
    ShimCheckReservedLock,
    ShimFileControl,
    ShimSectorSize,
    ShimDeviceCharacteristics,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

int ShimOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* out_flags) {
  ShimFile* f = Shim(file);
  f->real = reinterpret_cast<sqlite3_file*>(f + 1);
  f->name = name;
  f->main_db = (flags & SQLITE_OPEN_MAIN_DB) != 0 && name != nullptr;
  f->main_journal = (flags & SQLITE_OPEN_MAIN_JOURNAL) != 0 && name != nullptr;
  f->journal_open = false;
  int rc = g_real->xOpen(g_real, name, f->real, flags, out_flags);
  if (rc != SQLITE_OK) {
    // SQLite calls xClose only when pMethods is set: close what the real open left behind here.
    if (f->real->pMethods != nullptr) {
      f->real->pMethods->xClose(f->real);
    }
    file->pMethods = nullptr;
    return rc;
  }
  file->pMethods = &kShimMethods;
  if (f->main_db) {
    std::lock_guard<std::mutex> lock(g_files_mutex);
    OpenDatabases()[name] = f;
  } else if (f->main_journal) {
    MarkJournal(name, true);
  }
  return SQLITE_OK;
}

int ShimDelete(sqlite3_vfs*, const char* name, int sync_dir) {
  if (int error = sysio::Inject(sysio::kUnlink); error != 0) {
    return Failure(error, SQLITE_IOERR_DELETE);
  }
  return g_real->xDelete(g_real, name, sync_dir);
}

int ShimAccess(sqlite3_vfs*, const char* name, int flags, int* result) {
  return g_real->xAccess(g_real, name, flags, result);
}

int ShimFullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
  return g_real->xFullPathname(g_real, name, size, out);
}

void* ShimDlOpen(sqlite3_vfs*, const char* name) {
  return g_real->xDlOpen(g_real, name);
}

void ShimDlError(sqlite3_vfs*, int size, char* message) {
  g_real->xDlError(g_real, size, message);
}

void (*ShimDlSym(sqlite3_vfs*, void* handle, const char* symbol))(void) {
  return g_real->xDlSym(g_real, handle, symbol);
}

void ShimDlClose(sqlite3_vfs*, void* handle) {
  g_real->xDlClose(g_real, handle);
}

int ShimRandomness(sqlite3_vfs*, int size, char* out) {
  return g_real->xRandomness(g_real, size, out);
}

int ShimSleep(sqlite3_vfs*, int microseconds) {
  return g_real->xSleep(g_real, microseconds);
}

int ShimCurrentTime(sqlite3_vfs*, double* now) {
  return g_real->xCurrentTime(g_real, now);
}

int ShimGetLastError(sqlite3_vfs*, int size, char* out) {
  return g_real->xGetLastError != nullptr ? g_real->xGetLastError(g_real, size, out) : 0;
}

int ShimCurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* now) {
  return g_real->xCurrentTimeInt64(g_real, now);
}

constexpr char kName[] = "remold-sysio";

sqlite3_vfs* Register() {
  g_real = sqlite3_vfs_find(nullptr);
  if (g_real == nullptr) {
    return nullptr;
  }
  static sqlite3_vfs shim = {};
  shim.iVersion = 2;  // up to xCurrentTimeInt64; the system-call overrides stay the real one's
  shim.szOsFile = static_cast<int>(sizeof(ShimFile)) + g_real->szOsFile;
  shim.mxPathname = g_real->mxPathname;
  shim.zName = kName;
  shim.xOpen = ShimOpen;
  shim.xDelete = ShimDelete;
  shim.xAccess = ShimAccess;
  shim.xFullPathname = ShimFullPathname;
  shim.xDlOpen = ShimDlOpen;
  shim.xDlError = ShimDlError;
  shim.xDlSym = ShimDlSym;
  shim.xDlClose = ShimDlClose;
  shim.xRandomness = ShimRandomness;
  shim.xSleep = ShimSleep;
  shim.xCurrentTime = ShimCurrentTime;
  shim.xGetLastError = ShimGetLastError;
  shim.xCurrentTimeInt64 = ShimCurrentTimeInt64;
  return sqlite3_vfs_register(&shim, 0) == SQLITE_OK ? &shim : nullptr;
}

}  // namespace

const char* RecordFileVfs() {
  static sqlite3_vfs* shim = Register();
  return shim != nullptr ? kName : nullptr;
}

}  // namespace btr
