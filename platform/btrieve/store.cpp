// Record files as SQLite databases; see store.h.
#include "platform/btrieve/store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/btrieve/btrcall.h"

namespace btr {
namespace {

// Every connection keeps a bounded page cache; a few files are open at a time.
constexpr const char* kConnectionPragmas =
    "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL; PRAGMA cache_size=-16384;";
constexpr int kBusyTimeoutMs = 5000;

std::string Column(int key) {
  return "k" + std::to_string(key);
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
    sql += "rec_" + col + " ON rec(" + col + ");";
  }
  sql += "PRAGMA application_id=" + std::to_string(kApplicationId) + ";";
  return sql;
}

bool SyncPath(const std::string& path, int flags) {
  int fd = open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) {
    return false;
  }
  bool ok = fsync(fd) == 0;
  close(fd);
  return ok;
}

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Builds the empty database in the (empty) file `temp`.
bool BuildFile(const std::string& temp, const FileSpec& spec) {
  sqlite3* db = nullptr;
  bool ok = sqlite3_open_v2(temp.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                            nullptr) == SQLITE_OK;
  // The temporary file is thrown away on any failure, so it needs no journal of its own.
  ok = ok && sqlite3_exec(db, "PRAGMA journal_mode=MEMORY; BEGIN;", nullptr, nullptr, nullptr) ==
                 SQLITE_OK;
  ok = ok && sqlite3_exec(db, SchemaSql(spec).c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_stmt* stmt = nullptr;
  ok = ok && sqlite3_prepare_v2(db, "INSERT INTO spec VALUES (1, ?1, 0)", -1, &stmt, nullptr) ==
                 SQLITE_OK;
  std::string block = SpecBlock(spec, 0);
  ok = ok && sqlite3_bind_blob(stmt, 1, block.data(), static_cast<int>(block.size()),
                               SQLITE_STATIC) == SQLITE_OK;
  ok = ok && sqlite3_step(stmt) == SQLITE_DONE;
  sqlite3_finalize(stmt);
  ok = ok && sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr) == SQLITE_OK;
  ok = sqlite3_close(db) == SQLITE_OK && ok;
  return ok && SyncPath(temp, O_RDONLY);
}

mode_t CreationMode() {
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// A writer killed while it was starting its journal leaves a journal that is not hot: SQLite
// neither rolls it back nor removes it, and it would outlive every later Close. Holding the
// write lock proves that no other writer owns it, so it can go. (A hot journal has already been
// rolled back and removed by the first read.)
void RemoveStaleJournal(sqlite3* db, const std::string& path) {
  std::string journal = path + "-journal";
  struct stat st;
  if (stat(journal.c_str(), &st) != 0) {
    return;
  }
  sqlite3_busy_timeout(db, 0);  // a live writer keeps its journal; do not wait for it
  if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK) {
    unlink(journal.c_str());
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  }
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
}

}  // namespace

int WriteStatus(int sqlite_result) {
  switch (sqlite_result & 0xff) {
    case SQLITE_CONSTRAINT:
      return kDuplicateKey;
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
  bool ok = fchmod(fd, CreationMode()) == 0;
  close(fd);
  ok = ok && BuildFile(temp, spec);
  int status = ok ? kOk : kCreateIo;
  if (ok && replace) {
    status = rename(temp.c_str(), path.c_str()) == 0 ? kOk : kCreateIo;
  } else if (ok) {
    // link() fails when the name is taken, so no second creator can slip in between.
    if (link(temp.c_str(), path.c_str()) != 0) {
      status = errno == EEXIST ? kFileExists : kCreateIo;
    }
  }
  if (status != kOk || !replace) {
    unlink(temp.c_str());
  }
  if (status == kOk) {
    SyncPath(dir, O_RDONLY | O_DIRECTORY);
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

int RecordFile::Open(const std::string& path, std::unique_ptr<RecordFile>* out) {
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_close(db);
    return kIoError;
  }
  std::unique_ptr<RecordFile> file(new RecordFile(db));
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  if (int status = Probe(db); status != kOk) {
    return status;
  }
  if (sqlite3_exec(db, kConnectionPragmas, nullptr, nullptr, nullptr) != SQLITE_OK) {
    return kIoError;
  }
  RemoveStaleJournal(db, path);
  if (int status = file->Load(); status != kOk) {
    return status;
  }
  if (int status = file->Prepare(); status != kOk) {
    return status;
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

int RecordFile::ReloadCount() {
  sqlite3_stmt* stmt = nullptr;
  int status = kIoError;
  if (sqlite3_prepare_v2(db_, "SELECT count FROM spec WHERE id = 1", -1, &stmt, nullptr) ==
          SQLITE_OK &&
      sqlite3_step(stmt) == SQLITE_ROW) {
    count_ = static_cast<uint32_t>(sqlite3_column_int64(stmt, 0));
    status = kOk;
  }
  sqlite3_finalize(stmt);
  return status;
}

int RecordFile::Prepare() {
  std::string cols, params, sets;
  for (size_t k = 0; k < spec_.keys.size(); ++k) {
    std::string col = Column(static_cast<int>(k));
    std::string param = "?" + std::to_string(k + 2);
    cols += ", " + col;
    params += ", " + param;
    sets += ", " + col + " = " + param;
  }
  struct {
    sqlite3_stmt** stmt;
    std::string sql;
  } statements[] = {
      {&insert_, "INSERT INTO rec(data" + cols + ") VALUES (?1" + params + ")"},
      {&update_, "UPDATE rec SET data = ?1" + sets + " WHERE pos = ?" +
                     std::to_string(spec_.keys.size() + 2)},
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

sqlite3_stmt* RecordFile::PrepareScan(int key, int direction) {
  std::string col = Column(key);
  std::string sql = "SELECT pos, data, " + col + " FROM rec WHERE (" + col + ", pos) " +
                    (direction > 0 ? "> (?1, ?2) ORDER BY " + col + ", pos"
                                   : "< (?1, ?2) ORDER BY " + col + " DESC, pos DESC");
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) !=
      SQLITE_OK) {
    sqlite3_finalize(stmt);
    return nullptr;
  }
  return stmt;
}

RecordFile::~RecordFile() {
  Commit();
  for (sqlite3_stmt* s : {insert_, update_, delete_, read_, step_next_, step_prev_, save_count_}) {
    sqlite3_finalize(s);
  }
  sqlite3_close(db_);
}

std::chrono::steady_clock::duration RecordFile::transaction_age() const {
  return in_transaction_ ? std::chrono::steady_clock::now() - transaction_start_
                         : std::chrono::steady_clock::duration::zero();
}

int RecordFile::BeginWrite() {
  ++generation_;
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

int RecordFile::StepWrite(sqlite3_stmt* stmt) {
  int rc = sqlite3_step(stmt);
  sqlite3_reset(stmt);
  sqlite3_clear_bindings(stmt);
  if (rc != SQLITE_DONE) {
    NoteLostTransaction();
    return WriteStatus(rc);
  }
  dirty_ = true;
  return kOk;
}

int RecordFile::Insert(const uint8_t* data, uint32_t length, const std::vector<std::string>& keys,
                       int64_t* pos) {
  if (int status = BeginWrite(); status != kOk) {
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
  }
  return status;
}

int RecordFile::Update(int64_t pos, const uint8_t* data, uint32_t length,
                       const std::vector<std::string>& keys) {
  if (int status = BeginWrite(); status != kOk) {
    return status;
  }
  sqlite3_bind_blob(update_, 1, data, static_cast<int>(length), SQLITE_STATIC);
  for (size_t k = 0; k < keys.size(); ++k) {
    sqlite3_bind_blob(update_, static_cast<int>(k + 2), keys[k].data(),
                      static_cast<int>(keys[k].size()), SQLITE_STATIC);
  }
  sqlite3_bind_int64(update_, static_cast<int>(keys.size() + 2), pos);
  return StepWrite(update_);
}

int RecordFile::Delete(int64_t pos) {
  if (int status = BeginWrite(); status != kOk) {
    return status;
  }
  sqlite3_bind_int64(delete_, 1, pos);
  int status = StepWrite(delete_);
  if (status == kOk && sqlite3_changes(db_) > 0) {
    --count_;
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
// count then returns to what the file holds.
void RecordFile::NoteLostTransaction() {
  if (in_transaction_ && sqlite3_get_autocommit(db_)) {
    in_transaction_ = false;
    dirty_ = false;
    ++generation_;
    ReloadCount();
  }
}

int RecordFile::Commit() {
  NoteLostTransaction();
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
  // A failed COMMIT may leave the transaction open (busy) or have rolled it back (I/O error).
  in_transaction_ = !sqlite3_get_autocommit(db_);
  dirty_ = in_transaction_ && dirty_;
  if (!in_transaction_ && status != kOk) {
    ReloadCount();
    ++generation_;
  }
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
