// One record file on disk: a SQLite database marked by its application_id, holding
//   spec(id = 1, block, count)   the specification block and the kept record count
//   rec(pos INTEGER PRIMARY KEY, data, k0, k1, ...)
// where pos is the record's physical position and kN the stored form of key N (keydef.h),
// indexed (UNIQUE for keys without duplicates; the rowid that every index entry carries keeps
// duplicates in insertion order).
//
// Writes are grouped: the first write opens a SQLite transaction and Commit ends it; the caller
// commits at least every quarter second and at every point where the data must be durable. The
// kept count is written inside the same transaction, so it always matches the records on disk.
// The rollback journal exists only while a transaction is open, so nothing but the database file
// remains after Commit. Not thread-safe: the engine serialises every call.
#pragma once

#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/btrieve/keydef.h"

namespace btr {

// The application_id that marks our record files ("RMBT").
constexpr int32_t kApplicationId = 0x524D4254;

// A record as a query step delivers it; the pointers live until the statement moves on.
struct Row {
  int64_t pos = 0;
  const uint8_t* data = nullptr;
  uint32_t length = 0;
  const uint8_t* key = nullptr;  // stored form, when the query selected a key
};

class RecordFile {
 public:
  // Writes a new empty record file at `path` atomically: built under a temporary name in the same
  // directory, synced, then moved into place (replacing, or failing with 59 when `replace` is
  // false and the name is taken). Returns 0, 59, or 25 when the directory cannot be written.
  static int Create(const std::string& path, const FileSpec& spec, bool replace);

  // Opens an existing file: 0, 30 when it is not a record file of ours, 2 on an I/O failure.
  static int Open(const std::string& path, std::unique_ptr<RecordFile>* out);

  // Tells whether `path` holds a record file of ours, without the engine (0, 30 or 2).
  static int Probe(sqlite3* db);

  ~RecordFile();  // commits pending writes, then closes
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;

  const FileSpec& spec() const { return spec_; }
  uint32_t count() const { return count_; }
  sqlite3* db() const { return db_; }
  // Changes with every write and rollback; kept cursors compare it before stepping on.
  uint64_t generation() const { return generation_; }

  // Key values in stored form, one per key, computed by the caller from the record.
  int Insert(const uint8_t* data, uint32_t length, const std::vector<std::string>& keys,
             int64_t* pos);
  int Update(int64_t pos, const uint8_t* data, uint32_t length,
             const std::vector<std::string>& keys);
  int Delete(int64_t pos);

  // Reads the record at `pos`: 0, or 43 when no record stands there. `row` is valid until the
  // next call on this object.
  int Read(int64_t pos, Row* row);
  // Physical order: the first record after (direction 1) or before (-1) `pos`; 0 or 9.
  int Step(int64_t pos, int direction, Row* row);

  bool in_transaction() const { return in_transaction_; }
  // How long the current transaction has been open.
  std::chrono::steady_clock::duration transaction_age() const;
  int Commit();
  int Rollback();

  // A statement for ordered reads on key `key`: "(kN, pos) > (?1, ?2) ORDER BY kN, pos" for
  // direction 1, the mirror for -1. Owned by the caller.
  sqlite3_stmt* PrepareScan(int key, int direction);

 private:
  explicit RecordFile(sqlite3* db) : db_(db) {}
  int Load();
  int ReloadCount();
  int Prepare();
  int BeginWrite();
  int StepWrite(sqlite3_stmt* stmt);
  void NoteLostTransaction();

  sqlite3* db_;
  FileSpec spec_;
  uint32_t count_ = 0;
  uint64_t generation_ = 0;
  bool in_transaction_ = false;
  bool dirty_ = false;  // a write of the open transaction succeeded
  std::chrono::steady_clock::time_point transaction_start_;
  sqlite3_stmt* insert_ = nullptr;
  sqlite3_stmt* update_ = nullptr;
  sqlite3_stmt* delete_ = nullptr;
  sqlite3_stmt* read_ = nullptr;
  sqlite3_stmt* step_next_ = nullptr;
  sqlite3_stmt* step_prev_ = nullptr;
  sqlite3_stmt* save_count_ = nullptr;
};

// Maps a SQLite result code of a write onto a status: 5 constraint, 18 full, 46 read-only,
// 2 anything else.
int WriteStatus(int sqlite_result);

}  // namespace btr
