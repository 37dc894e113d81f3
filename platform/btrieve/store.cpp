// Record files as SQLite databases; see store.h.
#include "platform/btrieve/store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/btrieve/btrcall.h"
#include "platform/btrieve/vfs.h"
#include "platform/sysio/sysio.h"

namespace btr {
namespace {

// Every connection keeps a bounded page cache; a few files are open at a time. A fresh file keeps
// a small one: filled from empty, its indexes wait (store.h), so its writes append to the record
// table and touch only its last pages; the one-pass index builds read the table in order, and
// SQLite sizes their sort's memory by the page cache, which keeps the builds within it too.
//
// Every commit goes through a rollback journal (journal_mode=DELETE), so that a process that dies
// in the middle of a commit leaves a hot journal which the next reader plays back: the file then
// holds exactly what the last commit before the death wrote. The journal is deleted by every
// commit, so no side file outlives Close.
//
// A file that this process created and has not yet closed for the last time (a work file being
// filled) commits without fsync (synchronous=OFF). That keeps every guarantee against the death
// of the process: each write() that returned is in the kernel's page cache, journal before the
// pages it protects, and the next reader sees it. It gives up only the guarantee against a power
// loss before the last Close, and that file is not in use yet: whoever fills it throws it away
// when the run that made it did not end. The last Close makes the file durable with one fsync
// (SyncToDisk) before it answers, and answers its failure, so a file that a Close answered 0 for
// is on disk whole, as with synchronous=FULL. Every other file commits with synchronous=FULL.
constexpr const char* kConnectionPragmas = "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL;";
constexpr const char* kFreshConnectionPragmas =
    "PRAGMA journal_mode=DELETE; PRAGMA synchronous=OFF;";
// The page cache of a connection, in KiB: a fresh file's writes append and need little.
constexpr int64_t kCacheKiB = 16384;
constexpr int64_t kFreshCacheKiB = 4096;
// A sorted read (KeyScan::StartSorted) sorts in this much memory and spills the rest into
// SQLite's temporary files, so that a file of any size sorts within the memory bound.
constexpr int64_t kSortCacheKiB = 4096;

int SetCache(sqlite3* db, int64_t kib) {
  std::string sql = "PRAGMA cache_size=-" + std::to_string(kib);
  return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
}

constexpr int kBusyTimeoutMs = 5000;

std::string Column(int key) {
  return "k" + std::to_string(key);
}

std::string IndexName(int key) {
  return "rec_" + Column(key);
}

// The records whose key `col` lies beyond ?1 in `direction`, in (key, position) order: one clause
// for the index's scan and the sorted one, so that both answer the same order.
std::string BeyondPoint(const std::string& col, int direction) {
  return direction > 0 ? col + " > ?1 ORDER BY " + col + ", pos"
                       : col + " < ?1 ORDER BY " + col + " DESC, pos DESC";
}

std::string SchemaSql(const FileSpec& spec) {
  std::string sql =
      "CREATE TABLE spec(id INTEGER PRIMARY KEY CHECK(id = 1), block BLOB NOT NULL, "
      "count INTEGER NOT NULL);"
      "CREATE TABLE rec(pos INTEGER PRIMARY KEY, data BLOB NOT NULL";
  for (size_t k = 0; k < spec.keys.size(); ++k) {
    sql += ", " + Column(static_cast<int>(k)) + " BLOB NOT NULL";
  }
  sql += ");";
  for (size_t k = 0; k < spec.keys.size(); ++k) {
    std::string col = Column(static_cast<int>(k));
    sql += spec.keys[k].duplicates ? "CREATE INDEX " : "CREATE UNIQUE INDEX ";
    sql += IndexName(static_cast<int>(k)) + " ON rec(" + col + ");";
  }
  sql += "PRAGMA application_id=" + std::to_string(kApplicationId) + ";";
  return sql;
}

// Opens a connection of the record manager: through the fault layer's file system, with
// extended result codes (WriteStatus tells a unique key from other constraints by them).
int OpenConnection(const std::string& path, int flags, sqlite3** db) {
  int rc = sqlite3_open_v2(path.c_str(), db, flags | SQLITE_OPEN_NOMUTEX, RecordFileVfs());
  if (*db != nullptr) {
    sqlite3_extended_result_codes(*db, 1);
  }
  return rc;
}

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Builds the empty database in the (empty) file `temp`. Returns 0, 18 when the disk is full, or
// 25.
int BuildFile(const std::string& temp, const FileSpec& spec) {
  sqlite3* db = nullptr;
  int rc = OpenConnection(temp, SQLITE_OPEN_READWRITE, &db);
  // The temporary file is thrown away on any failure, so it needs no journal of its own.
  if (rc == SQLITE_OK) {
    rc = sqlite3_exec(db, "PRAGMA journal_mode=MEMORY; BEGIN;", nullptr, nullptr, nullptr);
  }
  if (rc == SQLITE_OK) {
    rc = sqlite3_exec(db, SchemaSql(spec).c_str(), nullptr, nullptr, nullptr);
  }
  sqlite3_stmt* stmt = nullptr;
  if (rc == SQLITE_OK) {
    rc = sqlite3_prepare_v2(db, "INSERT INTO spec VALUES (1, ?1, 0)", -1, &stmt, nullptr);
  }
  std::string block = SpecBlock(spec, 0);
  if (rc == SQLITE_OK) {
    sqlite3_bind_blob(stmt, 1, block.data(), static_cast<int>(block.size()), SQLITE_STATIC);
    rc = sqlite3_step(stmt) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(db);
  }
  sqlite3_finalize(stmt);
  if (rc == SQLITE_OK) {
    rc = sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
  }
  if (int closed = sqlite3_close(db); rc == SQLITE_OK) {
    rc = closed;
  }
  if (rc == SQLITE_OK && sysio::SyncPath(temp) != 0) {
    rc = SQLITE_IOERR_FSYNC;
  }
  if (rc == SQLITE_OK) {
    return kOk;
  }
  return (rc & 0xff) == SQLITE_FULL ? kDiskFull : kCreateIo;
}

mode_t CreationMode() {
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

std::string JournalOf(const std::string& path) {
  return path + "-journal";
}

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// A writer killed while it was starting its journal leaves a journal that is not hot: SQLite
// neither rolls it back nor removes it, and it would outlive every later Close. Holding the
// write lock proves that no other writer owns it, so it can go. (A hot journal has already been
// rolled back and removed by the first read.)
void RemoveStaleJournal(sqlite3* db, const std::string& path) {
  std::string journal = JournalOf(path);
  if (!Exists(journal)) {
    return;
  }
  sqlite3_busy_timeout(db, 0);  // a live writer keeps its journal; do not wait for it
  if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK) {
    sysio::Unlink(journal.c_str());
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  }
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
}

// Before a new file takes the name `path`: a journal under that name was left by a writer killed
// during a commit, and SQLite would play it into whatever file next stands there. When the old
// file still stands there, one read rolls the journal back into it (so that a kill before the
// new file is in place leaves the old file whole); then whatever is left of the journal goes,
// durably. Returns 0 or 25.
int ClearJournalFor(const std::string& path, const std::string& dir) {
  std::string journal = JournalOf(path);
  if (!Exists(journal)) {
    return kOk;
  }
  if (Exists(path)) {
    sqlite3* db = nullptr;
    if (OpenConnection(path, SQLITE_OPEN_READWRITE, &db) == SQLITE_OK) {
      sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
  }
  if (sysio::Unlink(journal.c_str()) != 0 && errno != ENOENT) {
    return kCreateIo;
  }
  return sysio::SyncPath(dir) == 0 ? kOk : kCreateIo;
}

}  // namespace

// The values of one unique key while its index is deferred: an open-addressing table (linear
// probing) of 64-bit entries, a 32-bit fingerprint of the value above the record's position,
// placed by the fingerprint's top bits so that the table grows without the values. A fingerprint
// met again only names a candidate; the caller compares the stored key of the record at that
// position. 8 bytes a slot, at most 80 % full: 400,000 values take 4 MB.
class UniqueSet {
 public:
  static uint32_t Fingerprint(const std::string& value) {
    uint64_t h = 0xcbf29ce484222325ull;  // FNV-1a, then a final mix for the top bits
    for (unsigned char c : value) {
      h = (h ^ c) * 0x100000001b3ull;
    }
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    return static_cast<uint32_t>(h >> 32);
  }

  // Calls visit(pos) for every position whose value has fingerprint `fp`, until one answers
  // other than 0; returns that answer, or 0.
  template <class Visit>
  int Find(uint32_t fp, Visit&& visit) const {
    if (slots_.empty()) {
      return kOk;
    }
    for (size_t i = Home(fp); slots_[i] != 0; i = (i + 1) & Mask()) {
      if (static_cast<uint32_t>(slots_[i] >> 32) == fp) {
        if (int answer = visit(static_cast<int64_t>(slots_[i] & 0xffffffffu)); answer != kOk) {
          return answer;
        }
      }
    }
    return kOk;
  }

  // False when the position does not fit the table's 32 bits.
  bool Insert(uint32_t fp, int64_t pos) {
    if (pos <= 0 || pos > 0xffffffffll) {
      return false;
    }
    if ((size_ + 1) * 5 > slots_.size() * 4) {
      Grow();
    }
    Place((static_cast<uint64_t>(fp) << 32) | static_cast<uint64_t>(pos));
    ++size_;
    return true;
  }

  void Erase(uint32_t fp, int64_t pos) {
    if (slots_.empty()) {
      return;
    }
    const uint64_t entry = (static_cast<uint64_t>(fp) << 32) | static_cast<uint64_t>(pos);
    size_t i = Home(fp);
    while (slots_[i] != entry) {
      if (slots_[i] == 0) {
        return;
      }
      i = (i + 1) & Mask();
    }
    // Backward shift: every later entry of the run that may move into the hole moves.
    for (size_t j = (i + 1) & Mask(); slots_[j] != 0; j = (j + 1) & Mask()) {
      size_t home = Home(static_cast<uint32_t>(slots_[j] >> 32));
      bool moves = i <= j ? (home <= i || home > j) : (home <= i && home > j);
      if (moves) {
        slots_[i] = slots_[j];
        i = j;
      }
    }
    slots_[i] = 0;
    --size_;
  }

 private:
  size_t Mask() const { return slots_.size() - 1; }
  size_t Home(uint32_t fp) const { return static_cast<size_t>(fp) >> (32 - bits_); }
  void Place(uint64_t entry) {
    size_t i = Home(static_cast<uint32_t>(entry >> 32));
    while (slots_[i] != 0) {
      i = (i + 1) & Mask();
    }
    slots_[i] = entry;
  }
  void Grow() {
    std::vector<uint64_t> old = std::move(slots_);
    bits_ = old.empty() ? 10 : bits_ + 1;
    slots_.assign(size_t{1} << bits_, 0);
    for (uint64_t entry : old) {
      if (entry != 0) {
        Place(entry);
      }
    }
  }

  std::vector<uint64_t> slots_;
  size_t size_ = 0;
  int bits_ = 0;  // slots_ holds 2^bits_ entries
};

RecordFile::RecordFile(sqlite3* db) : db_(db) {}

int WriteStatus(int sqlite_result) {
  switch (sqlite_result & 0xff) {
    case SQLITE_CONSTRAINT:
      return sqlite_result == SQLITE_CONSTRAINT_UNIQUE ||
                     sqlite_result == SQLITE_CONSTRAINT_PRIMARYKEY
                 ? kDuplicateKey
                 : kIoError;
    case SQLITE_FULL:
      return kDiskFull;
    case SQLITE_READONLY:
      return kAccessDenied;
    default:
      return kIoError;
  }
}

int RecordFile::Create(const std::string& path, const FileSpec& spec, bool replace) {
  std::string dir = DirectoryOf(path);
  std::string base = path.substr(path.rfind('/') + 1);
  std::string temp = dir + "/.~" + base + ".XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) {
    return kCreateIo;
  }
  int status = fchmod(fd, CreationMode()) == 0 ? kOk : kCreateIo;
  close(fd);
  if (status == kOk) {
    status = BuildFile(temp, spec);
  }
  // Without `replace` a file that stands there keeps its journal: it stays, and link() fails.
  if (status == kOk && (replace || !Exists(path))) {
    status = ClearJournalFor(path, dir);
  }
  if (status == kOk && replace) {
    status = sysio::Rename(temp.c_str(), path.c_str()) == 0 ? kOk : kCreateIo;
  } else if (status == kOk) {
    // link() fails when the name is taken, so no second creator can slip in between.
    if (sysio::Link(temp.c_str(), path.c_str()) != 0) {
      status = errno == EEXIST ? kFileExists : kCreateIo;
    }
  }
  if (status != kOk || !replace) {
    sysio::Unlink(temp.c_str());
  }
  if (status == kOk && sysio::SyncPath(dir) != 0) {
    status = kCreateIo;  // the new file is in place, but not durably
  }
  return status;
}

int RecordFile::Probe(sqlite3* db) {
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v2(db, "PRAGMA application_id", -1, &stmt, nullptr);
  if (rc == SQLITE_OK) {
    rc = sqlite3_step(stmt);
  }
  int status = kOk;
  if (rc == SQLITE_ROW) {
    status = sqlite3_column_int(stmt, 0) == kApplicationId ? kOk : kNotBtrieveFile;
  } else {
    int code = sqlite3_errcode(db) & 0xff;
    status = code == SQLITE_NOTADB || code == SQLITE_CORRUPT ? kNotBtrieveFile : kIoError;
  }
  sqlite3_finalize(stmt);
  return status;
}

int RecordFile::Open(const std::string& path, bool fresh, std::unique_ptr<RecordFile>* out) {
  sqlite3* db = nullptr;
  int rc = OpenConnection(path, SQLITE_OPEN_READWRITE, &db);
  if (rc != SQLITE_OK) {
    sqlite3_close(db);
    return kIoError;
  }
  std::unique_ptr<RecordFile> file(new RecordFile(db));
  file->fresh_ = fresh;
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  if (int status = Probe(db); status != kOk) {
    return status;
  }
  const char* pragmas = fresh ? kFreshConnectionPragmas : kConnectionPragmas;
  if (sqlite3_exec(db, pragmas, nullptr, nullptr, nullptr) != SQLITE_OK ||
      SetCache(db, fresh ? kFreshCacheKiB : kCacheKiB) != SQLITE_OK) {
    return kIoError;
  }
  RemoveStaleJournal(db, path);
  if (int status = file->Load(); status != kOk) {
    return status;
  }
  if (int status = file->LoadIndexes(); status != kOk) {
    return status;
  }
  if (int status = file->Prepare(); status != kOk) {
    return status;
  }
  // A writer died before it built its deferred indexes: build them before anything reads.
  if (file->deferred_ != 0) {
    int status = file->BuildIndexes();
    if (status == kOk) {
      status = file->Commit();
    }
    if (status != kOk) {
      file->Rollback();
      return status;
    }
  }
  *out = std::move(file);
  return kOk;
}

int RecordFile::Load() {
  sqlite3_stmt* stmt = nullptr;
  int status = kNotBtrieveFile;
  if (sqlite3_prepare_v2(db_, "SELECT block, count FROM spec WHERE id = 1", -1, &stmt, nullptr) ==
          SQLITE_OK &&
      sqlite3_step(stmt) == SQLITE_ROW) {
    auto* block = static_cast<const uint8_t*>(sqlite3_column_blob(stmt, 0));
    int length = sqlite3_column_bytes(stmt, 0);
    if (ParseSpec(block, static_cast<uint32_t>(length), &spec_) == kOk) {
      count_ = static_cast<uint32_t>(sqlite3_column_int64(stmt, 1));
      status = kOk;
    }
  }
  sqlite3_finalize(stmt);
  return status;
}

// Which indexes the file holds: a missing index is a deferred one (store.h). A unique key's values
// are then kept in a set until its index is built.
int RecordFile::LoadIndexes() {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db_, "SELECT name FROM sqlite_master WHERE type = 'index'", -1, &stmt,
                         nullptr) != SQLITE_OK) {
    return kIoError;
  }
  uint32_t present = 0;
  int rc;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    std::string name = text != nullptr ? text : "";
    for (size_t k = 0; k < spec_.keys.size(); ++k) {
      if (name == IndexName(static_cast<int>(k))) {
        present |= 1u << k;
      }
    }
  }
  sqlite3_finalize(stmt);
  if (rc != SQLITE_DONE) {
    return kIoError;
  }
  uint32_t missing = 0;
  for (size_t k = 0; k < spec_.keys.size(); ++k) {
    if (((present >> k) & 1) == 0) {
      missing |= 1u << k;
    }
  }
  deferred_ = missing;
  return LoadUniqueSets();
}

// Fills the set of every unique key whose index is deferred from the records (after an open or a
// rollback, when the sets may not match the file any more), and drops the others.
int RecordFile::LoadUniqueSets() {
  unique_.clear();
  for (size_t k = 0; k < spec_.keys.size(); ++k) {
    if (spec_.keys[k].duplicates || ((deferred_ >> k) & 1) == 0) {
      continue;
    }
    auto set = std::make_unique<UniqueSet>();
    sqlite3_stmt* stmt = nullptr;
    std::string sql = "SELECT pos, " + Column(static_cast<int>(k)) + " FROM rec";
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
      return kIoError;
    }
    int rc;
    bool fits = true;
    while (fits && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      std::string value(static_cast<const char*>(sqlite3_column_blob(stmt, 1)),
                        static_cast<size_t>(sqlite3_column_bytes(stmt, 1)));
      fits = set->Insert(UniqueSet::Fingerprint(value), sqlite3_column_int64(stmt, 0));
    }
    sqlite3_finalize(stmt);
    if (!fits || rc != SQLITE_DONE) {
      return kIoError;
    }
    unique_[static_cast<int>(k)] = std::move(set);
  }
  return kOk;
}

// The stored value of `key` of the record at `pos`: 0, kInvalidRecordAddress when no record
// stands there, or kIoError.
int RecordFile::StoredKey(int key, int64_t pos, std::string* value) {
  sqlite3_stmt*& stmt = read_key_[key];
  if (stmt == nullptr) {
    std::string sql = "SELECT " + Column(key) + " FROM rec WHERE pos = ?1";
    if (sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) !=
        SQLITE_OK) {
      sqlite3_finalize(stmt);
      stmt = nullptr;
      return kIoError;
    }
  }
  sqlite3_bind_int64(stmt, 1, pos);
  int rc = sqlite3_step(stmt);
  int status = rc == SQLITE_ROW ? kOk : rc == SQLITE_DONE ? kInvalidRecordAddress : kIoError;
  if (status == kOk) {
    value->assign(static_cast<const char*>(sqlite3_column_blob(stmt, 0)),
                  static_cast<size_t>(sqlite3_column_bytes(stmt, 0)));
  }
  sqlite3_reset(stmt);
  return status;
}

// 0, or kDuplicateKey when another record than `self` holds the value of one of the deferred
// unique keys in `which`.
int RecordFile::CheckUnique(const std::vector<std::string>& keys, uint32_t which, int64_t self) {
  std::string stored;
  for (auto& entry : unique_) {
    const int k = entry.first;
    if (((which >> k) & 1) == 0) {
      continue;
    }
    int status = entry.second->Find(UniqueSet::Fingerprint(keys[k]), [&](int64_t pos) -> int {
      if (pos == self) {
        return kOk;
      }
      int found = StoredKey(k, pos, &stored);
      if (found == kInvalidRecordAddress) {
        return kOk;
      }
      return found != kOk ? found : stored == keys[k] ? kDuplicateKey : kOk;
    });
    if (status != kOk) {
      return status;
    }
  }
  return kOk;
}

// Notes the values of the keys in `which` of the record written at `pos`. A position beyond the
// sets' 32 bits ends the deferral: the indexes are built at once.
void RecordFile::NoteUnique(const std::vector<std::string>& keys, uint32_t which, int64_t pos) {
  bool fits = true;
  for (auto& [k, set] : unique_) {
    if ((which >> k) & 1) {
      fits = set->Insert(UniqueSet::Fingerprint(keys[k]), pos) && fits;
    }
  }
  if (!fits) {
    BuildIndexes(deferred_);
  }
}

// Statements left on a row keep a read open, and SQLite drops no index under an active read.
void RecordFile::ResetStatements() {
  for (sqlite3_stmt* s : {insert_, delete_, read_, step_next_, step_prev_, save_count_}) {
    sqlite3_reset(s);
  }
  for (auto& [changed, s] : update_) {
    sqlite3_reset(s);
  }
  for (auto& [key, s] : read_key_) {
    sqlite3_reset(s);
  }
}

// Called inside the transaction of the first insert into an empty file. Dropping is only a
// saving: when it fails, the indexes that are left stay maintained record by record. Unique keys
// wait only in a fresh file, which no other process writes: another writer would not know the
// set that stands for the index.
int RecordFile::DeferIndexes() {
  ResetStatements();
  for (size_t k = 0; k < spec_.keys.size(); ++k) {
    if (spec_.keys[k].duplicates || fresh_) {
      std::string sql = "DROP INDEX " + IndexName(static_cast<int>(k));
      if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        break;
      }
      deferred_ |= 1u << k;
      if (!spec_.keys[k].duplicates) {
        unique_[static_cast<int>(k)] = std::make_unique<UniqueSet>();  // the file is empty
      }
    }
  }
  NoteLostTransaction(kIoError);
  return in_transaction_ ? kOk : kIoError;
}

int RecordFile::BuildIndexes(uint32_t which) {
  which &= deferred_;
  if (which == 0) {
    return kOk;
  }
  ResetStatements();
  if (int status = BeginWrite(); status != kOk) {
    return status;
  }
  for (size_t k = 0; k < spec_.keys.size(); ++k) {
    if (((which >> k) & 1) == 0) {
      continue;
    }
    std::string col = Column(static_cast<int>(k));
    std::string sql = (spec_.keys[k].duplicates ? "CREATE INDEX " : "CREATE UNIQUE INDEX ") +
                      IndexName(static_cast<int>(k)) + " ON rec(" + col + ")";
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
      // A unique key that holds a value twice can only come from a damaged file.
      int code = sqlite3_extended_errcode(db_);
      int status = (code & 0xff) == SQLITE_CONSTRAINT ? kIoError : WriteStatus(code);
      NoteLostTransaction(status);
      return status;
    }
    deferred_ &= ~(1u << k);
    unique_.erase(static_cast<int>(k));
    dirty_ = true;
  }
  return kOk;
}

int RecordFile::ReloadCount() {
  // After a rollback the indexes are what the file holds again, too.
  int indexes = LoadIndexes();
  sqlite3_stmt* stmt = nullptr;
  int status = kIoError;
  if (sqlite3_prepare_v2(db_, "SELECT count FROM spec WHERE id = 1", -1, &stmt, nullptr) ==
          SQLITE_OK &&
      sqlite3_step(stmt) == SQLITE_ROW) {
    count_ = static_cast<uint32_t>(sqlite3_column_int64(stmt, 0));
    status = kOk;
  }
  sqlite3_finalize(stmt);
  return status != kOk ? status : indexes;
}

int RecordFile::Prepare() {
  std::string cols, params;
  for (size_t k = 0; k < spec_.keys.size(); ++k) {
    cols += ", " + Column(static_cast<int>(k));
    params += ", ?" + std::to_string(k + 2);
  }
  struct {
    sqlite3_stmt** stmt;
    std::string sql;
  } statements[] = {
      {&insert_, "INSERT INTO rec(data" + cols + ") VALUES (?1" + params + ")"},
      {&delete_, "DELETE FROM rec WHERE pos = ?1"},
      {&read_, "SELECT pos, data FROM rec WHERE pos = ?1"},
      {&step_next_, "SELECT pos, data FROM rec WHERE pos > ?1 ORDER BY pos LIMIT 1"},
      {&step_prev_, "SELECT pos, data FROM rec WHERE pos < ?1 ORDER BY pos DESC LIMIT 1"},
      {&save_count_, "UPDATE spec SET count = ?1 WHERE id = 1"},
  };
  for (auto& s : statements) {
    if (sqlite3_prepare_v3(db_, s.sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, s.stmt, nullptr) !=
        SQLITE_OK) {
      return kNotBtrieveFile;
    }
  }
  return kOk;
}

// "UPDATE rec SET data = ?1, kN = ?(N + 2) ... WHERE pos = ?(keys + 2)" naming only the keys in
// `changed`: SQLite rewrites the index entries of exactly the columns an UPDATE sets. Prepared
// once per combination of keys that occurs.
sqlite3_stmt* RecordFile::UpdateStatement(uint32_t changed) {
  sqlite3_stmt*& stmt = update_[changed];
  if (stmt != nullptr) {
    return stmt;
  }
  std::string sql = "UPDATE rec SET data = ?1";
  for (size_t k = 0; k < spec_.keys.size(); ++k) {
    if ((changed >> k) & 1) {
      sql += ", " + Column(static_cast<int>(k)) + " = ?" + std::to_string(k + 2);
    }
  }
  sql += " WHERE pos = ?" + std::to_string(spec_.keys.size() + 2);
  if (sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) !=
      SQLITE_OK) {
    sqlite3_finalize(stmt);
    stmt = nullptr;
    update_.erase(changed);
    return nullptr;
  }
  return stmt;
}

bool RecordFile::PrepareScan(int key, int direction, bool key_only, sqlite3_stmt** same,
                             sqlite3_stmt** beyond) {
  // INDEXED BY: the plan must be the index seek, whatever SQLite estimates. The index holds the
  // key and the position, so a key-only read never leaves it.
  std::string col = Column(key);
  std::string from = "SELECT pos, " + std::string(key_only ? "NULL" : "data") + ", " + col +
                     " FROM rec INDEXED BY rec_" + col + " WHERE ";
  std::string same_sql = from + col + " = ?1 AND pos " +
                         (direction > 0 ? "> ?2 ORDER BY pos" : "< ?2 ORDER BY pos DESC");
  std::string beyond_sql = from + BeyondPoint(col, direction);
  *same = *beyond = nullptr;
  if (sqlite3_prepare_v3(db_, same_sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, same, nullptr) ==
          SQLITE_OK &&
      sqlite3_prepare_v3(db_, beyond_sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, beyond, nullptr) ==
          SQLITE_OK) {
    return true;
  }
  sqlite3_finalize(*same);
  sqlite3_finalize(*beyond);
  *same = *beyond = nullptr;
  return false;
}

sqlite3_stmt* RecordFile::PrepareSortedScan(int key, int direction) {
  // NOT INDEXED: the plan must be the pass over the table and the sort, which is the point.
  std::string col = Column(key);
  std::string sql =
      "SELECT pos, data, " + col + " FROM rec NOT INDEXED WHERE " + BeyondPoint(col, direction);
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) !=
      SQLITE_OK) {
    sqlite3_finalize(stmt);
    return nullptr;
  }
  return stmt;
}

int RecordFile::StepSorting(sqlite3_stmt* stmt) {
  SetCache(db_, kSortCacheKiB);
  int rc = sqlite3_step(stmt);
  SetCache(db_, fresh_ ? kFreshCacheKiB : kCacheKiB);
  return rc;
}

bool RecordFile::OutgrowsCache() {
  sqlite3_stmt* stmt = nullptr;
  int64_t bytes = 0;
  if (sqlite3_prepare_v2(db_,
                         "SELECT page_count * page_size FROM pragma_page_count, pragma_page_size",
                         -1, &stmt, nullptr) == SQLITE_OK &&
      sqlite3_step(stmt) == SQLITE_ROW) {
    bytes = sqlite3_column_int64(stmt, 0);
  }
  sqlite3_finalize(stmt);
  return bytes > 1024 * (fresh_ ? kFreshCacheKiB : kCacheKiB);
}

KeyScan::KeyScan(RecordFile& file, int key, int direction, bool key_only)
    : file_(file), key_(key), direction_(direction) {
  file.PrepareScan(key, direction, key_only, &same_, &beyond_);
}

KeyScan::~KeyScan() {
  sqlite3_finalize(same_);
  sqlite3_finalize(beyond_);
  sqlite3_finalize(sorted_);
}

void KeyScan::Start(const std::string& value, int64_t pos) {
  Park();
  value_ = value;
  sqlite3_bind_blob(same_, 1, value_.data(), static_cast<int>(value_.size()), SQLITE_STATIC);
  sqlite3_bind_int64(same_, 2, pos);
  sqlite3_bind_blob(beyond_, 1, value_.data(), static_cast<int>(value_.size()), SQLITE_STATIC);
}

void KeyScan::StartSorted(const std::string& value, int64_t pos) {
  Start(value, pos);
  if (sorted_ == nullptr) {
    sorted_ = file_.PrepareSortedScan(key_, direction_);
  }
  if (sorted_ != nullptr) {  // otherwise the index serves, as it always can
    sqlite3_bind_blob(sorted_, 1, value_.data(), static_cast<int>(value_.size()), SQLITE_STATIC);
    sorting_ = true;
  }
}

int KeyScan::Step(Row* row) {
  sqlite3_stmt* stmt = !in_beyond_ ? same_ : sorting_ ? sorted_ : beyond_;
  int rc = sqlite3_step(stmt);
  if (rc == SQLITE_DONE && !in_beyond_) {
    in_beyond_ = true;
    stmt = sorting_ ? sorted_ : beyond_;
    rc = sorting_ ? file_.StepSorting(stmt) : sqlite3_step(stmt);
    if (sorting_ && rc != SQLITE_ROW && rc != SQLITE_DONE) {
      // The sort could not run (no room for its temporary files, say): the index serves, and
      // answers what the file itself has to say.
      sqlite3_reset(sorted_);
      sorting_ = false;
      stmt = beyond_;
      rc = sqlite3_step(stmt);
    }
  }
  if (rc != SQLITE_ROW) {
    Park();
    return rc == SQLITE_DONE ? kEndOfFile : kIoError;
  }
  row->pos = sqlite3_column_int64(stmt, 0);
  row->data = static_cast<const uint8_t*>(sqlite3_column_blob(stmt, 1));
  row->length = static_cast<uint32_t>(sqlite3_column_bytes(stmt, 1));
  row->key = static_cast<const uint8_t*>(sqlite3_column_blob(stmt, 2));
  row->key_length = static_cast<uint32_t>(sqlite3_column_bytes(stmt, 2));
  return kOk;
}

void KeyScan::Park() {
  sqlite3_reset(same_);
  sqlite3_reset(beyond_);
  sqlite3_reset(sorted_);
  in_beyond_ = false;
  sorting_ = false;
}

RecordFile::~RecordFile() {
  Commit();
  for (sqlite3_stmt* s : {insert_, delete_, read_, step_next_, step_prev_, save_count_}) {
    sqlite3_finalize(s);
  }
  for (auto& [changed, s] : update_) {
    sqlite3_finalize(s);
  }
  for (auto& [key, s] : read_key_) {
    sqlite3_finalize(s);
  }
  sqlite3_close(db_);
}

std::chrono::steady_clock::duration RecordFile::transaction_age() const {
  return in_transaction_ ? std::chrono::steady_clock::now() - transaction_start_
                         : std::chrono::steady_clock::duration::zero();
}

int RecordFile::BeginTransaction() {
  if (in_transaction_) {
    return kOk;
  }
  int rc = sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) {
    return WriteStatus(rc);
  }
  in_transaction_ = true;
  transaction_start_ = std::chrono::steady_clock::now();
  return kOk;
}

int RecordFile::BeginWrite() {
  ++generation_;
  return BeginTransaction();
}

int RecordFile::BeginRead() {
  return fresh_ ? BeginTransaction() : kOk;
}

int RecordFile::StepWrite(sqlite3_stmt* stmt) {
  int rc = sqlite3_step(stmt);
  sqlite3_reset(stmt);
  sqlite3_clear_bindings(stmt);
  if (rc != SQLITE_DONE) {
    int status = WriteStatus(sqlite3_extended_errcode(db_));
    NoteLostTransaction(status);
    return status;
  }
  dirty_ = true;
  return kOk;
}

int RecordFile::Insert(const uint8_t* data, uint32_t length, const std::vector<std::string>& keys,
                       int64_t* pos) {
  if (int status = BeginWrite(); status != kOk) {
    return status;
  }
  if (count_ == 0 && deferred_ == 0) {
    if (int status = DeferIndexes(); status != kOk) {
      return status;
    }
  }
  if (int status = CheckUnique(keys, deferred_, 0); status != kOk) {
    return status;
  }
  sqlite3_bind_blob(insert_, 1, data, static_cast<int>(length), SQLITE_STATIC);
  for (size_t k = 0; k < keys.size(); ++k) {
    sqlite3_bind_blob(insert_, static_cast<int>(k + 2), keys[k].data(),
                      static_cast<int>(keys[k].size()), SQLITE_STATIC);
  }
  int status = StepWrite(insert_);
  if (status == kOk) {
    *pos = sqlite3_last_insert_rowid(db_);
    ++count_;
    NoteUnique(keys, deferred_, *pos);
  }
  return status;
}

int RecordFile::Update(int64_t pos, const uint8_t* data, uint32_t length,
                       const std::vector<std::string>& keys, uint32_t changed) {
  sqlite3_stmt* update = UpdateStatement(changed);
  if (update == nullptr) {
    return kIoError;
  }
  if (int status = BeginWrite(); status != kOk) {
    return status;
  }
  const uint32_t waiting = changed & deferred_;  // unique keys among them have a set
  if (int status = CheckUnique(keys, waiting, pos); status != kOk) {
    return status;
  }
  std::vector<std::string> before(keys.size());
  for (auto& [k, set] : unique_) {
    if ((waiting >> k) & 1) {
      if (int status = StoredKey(k, pos, &before[static_cast<size_t>(k)]); status != kOk) {
        return status;
      }
    }
  }
  sqlite3_bind_blob(update, 1, data, static_cast<int>(length), SQLITE_STATIC);
  for (size_t k = 0; k < keys.size(); ++k) {
    if ((changed >> k) & 1) {
      sqlite3_bind_blob(update, static_cast<int>(k + 2), keys[k].data(),
                        static_cast<int>(keys[k].size()), SQLITE_STATIC);
    }
  }
  sqlite3_bind_int64(update, static_cast<int>(keys.size() + 2), pos);
  int status = StepWrite(update);
  if (status == kOk) {
    for (auto& [k, set] : unique_) {
      if ((waiting >> k) & 1) {
        set->Erase(UniqueSet::Fingerprint(before[static_cast<size_t>(k)]), pos);
      }
    }
    NoteUnique(keys, waiting, pos);
  }
  return status;
}

int RecordFile::Delete(int64_t pos) {
  if (int status = BeginWrite(); status != kOk) {
    return status;
  }
  std::vector<std::string> before(spec_.keys.size());
  for (auto& [k, set] : unique_) {
    int found = StoredKey(k, pos, &before[static_cast<size_t>(k)]);
    if (found == kInvalidRecordAddress) {
      break;  // nothing to delete
    }
    if (found != kOk) {
      return found;
    }
  }
  sqlite3_bind_int64(delete_, 1, pos);
  int status = StepWrite(delete_);
  if (status == kOk && sqlite3_changes(db_) > 0) {
    --count_;
    for (auto& [k, set] : unique_) {
      set->Erase(UniqueSet::Fingerprint(before[static_cast<size_t>(k)]), pos);
    }
  }
  return status;
}

namespace {

int ReadRow(sqlite3_stmt* stmt, int missing_status, Row* row) {
  int rc = sqlite3_step(stmt);
  if (rc != SQLITE_ROW) {
    return rc == SQLITE_DONE ? missing_status : kIoError;
  }
  row->pos = sqlite3_column_int64(stmt, 0);
  row->data = static_cast<const uint8_t*>(sqlite3_column_blob(stmt, 1));
  row->length = static_cast<uint32_t>(sqlite3_column_bytes(stmt, 1));
  row->key = nullptr;
  return kOk;
}

}  // namespace

int RecordFile::Read(int64_t pos, Row* row) {
  sqlite3_reset(read_);
  sqlite3_bind_int64(read_, 1, pos);
  int status = ReadRow(read_, kInvalidRecordAddress, row);
  // Key encoding reads the fixed part; a shorter record can only come from a damaged file.
  return status == kOk && row->length < spec_.record_length ? kIoError : status;
}

int RecordFile::Step(int64_t pos, int direction, Row* row) {
  sqlite3_stmt* stmt = direction > 0 ? step_next_ : step_prev_;
  sqlite3_reset(stmt);
  sqlite3_bind_int64(stmt, 1, pos);
  int status = ReadRow(stmt, kEndOfFile, row);
  return status == kOk && row->length < spec_.record_length ? kIoError : status;
}

// Some failures (I/O errors, a full disk) make SQLite roll the whole transaction back; the kept
// count then returns to what the file holds, and writes that had succeeded are lost.
void RecordFile::NoteLostTransaction(int status) {
  if (in_transaction_ && sqlite3_get_autocommit(db_)) {
    if (dirty_ && loss_ == kOk) {
      loss_ = status;
    }
    in_transaction_ = false;
    dirty_ = false;
    ++generation_;
    ReloadCount();
  }
}

int RecordFile::SyncToDisk() {
  if (int status = Commit(); status != kOk) {
    return status;
  }
  sqlite3_file* file = nullptr;
  if (sqlite3_file_control(db_, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK ||
      file == nullptr || file->pMethods == nullptr) {
    return kIoError;
  }
  return file->pMethods->xSync(file, SQLITE_SYNC_FULL) == SQLITE_OK ? kOk : kIoError;
}

int RecordFile::TakeLoss() {
  int loss = loss_;
  loss_ = kOk;
  return loss;
}

int RecordFile::Commit() {
  NoteLostTransaction(kIoError);
  if (!in_transaction_) {
    return kOk;
  }
  // Statements that were reading keep their place; they need not be reset for a commit.
  int status = kOk;
  if (dirty_) {
    sqlite3_bind_int64(save_count_, 1, count_);
    status = StepWrite(save_count_);
  }
  int rc = status == kOk ? sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) : SQLITE_OK;
  if (status == kOk && rc != SQLITE_OK) {
    status = WriteStatus(rc);
  }
  if (status == kOk) {
    in_transaction_ = false;
    dirty_ = false;
    return kOk;
  }
  // A failed COMMIT may have rolled the transaction back (an I/O error) or left it open (busy,
  // a full disk): either way it ends here, so that the file holds a known state.
  if (dirty_ && loss_ == kOk) {
    loss_ = status;
  }
  if (!sqlite3_get_autocommit(db_)) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  in_transaction_ = !sqlite3_get_autocommit(db_);
  dirty_ = in_transaction_ && dirty_;
  ReloadCount();
  ++generation_;
  return status;
}

int RecordFile::Rollback() {
  if (!in_transaction_) {
    return kOk;
  }
  ++generation_;
  int rc = sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  in_transaction_ = !sqlite3_get_autocommit(db_);
  dirty_ = in_transaction_ && dirty_;
  int status = rc == SQLITE_OK ? kOk : WriteStatus(rc);
  if (int load = ReloadCount(); status == kOk) {
    status = load;
  }
  return status;
}

}  // namespace btr
