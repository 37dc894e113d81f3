// One record file on disk: a SQLite database marked by its application_id, holding
//   spec(id = 1, block, count)   the specification block and the kept record count
//   rec(pos INTEGER PRIMARY KEY, data, k0, k1, ...)
// where pos is the record's physical position and kN the stored form of key N (keydef.h),
// indexed as rec_kN (UNIQUE for keys without duplicates; the rowid that every index entry carries
// keeps duplicates in insertion order).
//
// Deferred indexes. A file filled from empty (a converted file written record by record) would
// put every index entry on a random page of an index that outgrows the page cache. So the first
// insert into an empty file drops the indexes of the keys that allow duplicates, in the same
// transaction, and BuildIndexes makes them again in one sorted pass: the engine calls it before
// the first ordered read on such a key and when the file closes. A fresh file (see Open) defers
// its unique keys' indexes too, and enforces them on every insert and update with a set of the
// key values' hashes kept in memory (UniqueSet in store.cpp): a hash met again is compared with
// the stored key of the record it names. The schema itself is the marker: an index missing from
// sqlite_master is a deferred one, so a file whose writer died before the build is recognised by
// Open, which builds the indexes before anything reads the file (or refuses it with the status
// of the failure).
//
// Writes are grouped: the first write opens a SQLite transaction and Commit ends it; the caller
// commits at least every quarter second and at every point where the data must be durable. The
// kept count is written inside the same transaction, so it always matches the records on disk.
// A commit that fails rolls the whole transaction back: the file then holds what the last
// successful commit wrote, and the caller must pass the failure on to whoever wrote since.
// The rollback journal exists only while a transaction is open, so nothing but the database file
// remains after Commit. Not thread-safe: the engine serialises every call.
//
// Every connection goes through the fault layer's SQLite file system (vfs.h), and every call of
// this file's own (link, rename, unlink, fsync) through platform/sysio.
#pragma once

#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/btrieve/keydef.h"

namespace btr {

class UniqueSet;

// The application_id that marks our record files ("RMBT").
constexpr int32_t kApplicationId = 0x524D4254;

// A record as a query step delivers it; the pointers live until the statement moves on.
struct Row {
  int64_t pos = 0;
  const uint8_t* data = nullptr;
  uint32_t length = 0;
  const uint8_t* key = nullptr;  // stored form, when the query selected a key
  uint32_t key_length = 0;
};

class RecordFile {
 public:
  // Writes a new empty record file at `path` atomically: built under a temporary name in the same
  // directory, synced, then moved into place (replacing, or failing with 59 when `replace` is
  // false and the name is taken). A rollback journal under the new file's name belongs to a
  // file that is going away: it is rolled back into that file (when it still stands there) or
  // removed, before the new file takes the name, so that SQLite never plays it into the new
  // file. Returns 0, 59, 18 when the disk is full, or 25 when the directory cannot be written.
  static int Create(const std::string& path, const FileSpec& spec, bool replace);

  // Opens an existing file: 0, 30 when it is not a record file of ours, 2 on an I/O failure.
  // Builds indexes that a writer left deferred first, answering the build's failure (18 full,
  // 46 read-only, 2) instead of opening a file with a missing index. `fresh` tells that this
  // process created the file and has not closed it for the last time yet: its commits are then
  // not synced, and the caller must call SyncToDisk before it reports the file closed (see the
  // connection settings in store.cpp).
  static int Open(const std::string& path, bool fresh, std::unique_ptr<RecordFile>* out);

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
  // Writes the record and the index entries of the keys whose bit is set in `changed` (bit k for
  // key k); the other keys must hold the values they had.
  int Update(int64_t pos, const uint8_t* data, uint32_t length,
             const std::vector<std::string>& keys, uint32_t changed);
  int Delete(int64_t pos);

  // Reads the record at `pos`: 0, or 43 when no record stands there. `row` is valid until the
  // next call on this object.
  int Read(int64_t pos, Row* row);
  // Physical order: the first record after (direction 1) or before (-1) `pos`; 0 or 9.
  int Step(int64_t pos, int direction, Row* row);

  // Keys (bit k for key k) whose index is deferred, that is, not in the file yet.
  uint32_t deferred() const { return deferred_; }
  // Builds the deferred indexes of the keys in `which` (bit k for key k; all by default) inside
  // the open transaction (or a new one). The caller parks every statement that reads the file
  // first. 0, or the write status of the failure.
  int BuildIndexes(uint32_t which = ~0u);

  bool in_transaction() const { return in_transaction_; }
  // Before a read of a fresh file (see Open): opens the grouped transaction, so that a run of
  // reads between two commits takes the file's lock once instead of once per read. Any other
  // file reads in autocommit, holding no lock between calls. 0 or the status of the failure.
  int BeginRead();
  // How long the current transaction has been open.
  std::chrono::steady_clock::duration transaction_age() const;
  // Makes the open transaction durable; on failure rolls it back (see above).
  int Commit();
  int Rollback();
  // Commits, then forces everything the file holds onto the disk: 0, the commit's status, or 2
  // when the sync fails.
  int SyncToDisk();
  // The status of the last failure that lost writes which had answered 0 (a failed commit, or a
  // failed write that made SQLite roll back the transaction), or 0; cleared by the call.
  int TakeLoss();

  // The two statements of an ordered read on key `key` in `direction` (see KeyScan), prepared
  // for the caller, who owns them. A `key_only` read answers no record data (Row::data null),
  // so it reads the key's index alone and never the record's page. False when SQLite cannot
  // prepare them.
  bool PrepareScan(int key, int direction, bool key_only, sqlite3_stmt** same,
                   sqlite3_stmt** beyond);
  // The statement of a sorted read (see KeyScan::StartSorted): the records whose key `key` lies
  // beyond ?1 in `direction`, in (key, position) order, found by one pass over the whole table
  // and a sort. Null when SQLite cannot prepare it.
  sqlite3_stmt* PrepareSortedScan(int key, int direction);
  // Steps `stmt` the first time, which runs its whole sort, with the page cache (by which SQLite
  // sizes a sort's memory) cut down to kSortCacheKiB, then gives the cache its size back.
  int StepSorting(sqlite3_stmt* stmt);
  // Whether the file is larger than its page cache, so that a read that jumps from page to page
  // reads most of them from the file again (false when SQLite cannot tell).
  bool OutgrowsCache();

 private:
  explicit RecordFile(sqlite3* db);
  int Load();
  int ReloadCount();
  int LoadIndexes();
  int DeferIndexes();
  int LoadUniqueSets();
  int StoredKey(int key, int64_t pos, std::string* value);
  int CheckUnique(const std::vector<std::string>& keys, uint32_t which, int64_t self);
  void NoteUnique(const std::vector<std::string>& keys, uint32_t which, int64_t pos);
  void ResetStatements();
  int Prepare();
  // Opens the grouped transaction unless one is open: 0 or the status of the failure.
  int BeginTransaction();
  int BeginWrite();
  int StepWrite(sqlite3_stmt* stmt);
  void NoteLostTransaction(int status);

  sqlite3* db_;
  FileSpec spec_;
  uint32_t count_ = 0;
  uint32_t deferred_ = 0;  // see deferred()
  uint64_t generation_ = 0;
  bool fresh_ = false;  // see Open
  bool in_transaction_ = false;
  bool dirty_ = false;  // a write of the open transaction succeeded
  int loss_ = 0;        // see TakeLoss
  std::chrono::steady_clock::time_point transaction_start_;
  sqlite3_stmt* UpdateStatement(uint32_t changed);

  sqlite3_stmt* insert_ = nullptr;
  std::map<uint32_t, sqlite3_stmt*> update_;  // by the keys an update writes
  sqlite3_stmt* delete_ = nullptr;
  sqlite3_stmt* read_ = nullptr;
  sqlite3_stmt* step_next_ = nullptr;
  sqlite3_stmt* step_prev_ = nullptr;
  sqlite3_stmt* save_count_ = nullptr;
  // While a unique key's index is deferred: the set enforcing it, and the statement reading the
  // key's stored value at a position; by key.
  std::map<int, std::unique_ptr<UniqueSet>> unique_;
  std::map<int, sqlite3_stmt*> read_key_;
};

// An ordered read on one key: the records after (direction 1) or before (-1) a point (stored key
// value, position), in (key, position) order. It runs as two statements, so that SQLite seeks
// both in logarithmic time however many duplicates the key value has: first the records of the
// point's own value beyond its position, then those of the values beyond it. A row stays valid
// until the next call. A key-only scan delivers the position and the key, without the data.
class KeyScan {
 public:
  KeyScan(RecordFile& file, int key, int direction, bool key_only = false);
  ~KeyScan();
  KeyScan(const KeyScan&) = delete;
  KeyScan& operator=(const KeyScan&) = delete;

  bool ok() const { return same_ != nullptr; }
  int key() const { return key_; }
  // Binds the scan to start just beyond (value, pos); the next Step answers the first record.
  void Start(const std::string& value, int64_t pos);
  // As Start, but the records of the values beyond the point's own come from one pass over the
  // table and a sort instead of an index seek each. The index gives the records of a key in key
  // order, but on pages in no order: once a file outgrows the page cache, nearly every record of
  // a long ordered read costs a page read, while the sort reads each page once and runs in
  // bounded memory. The sort costs a pass over the whole file before the first record, so the
  // engine asks for it only when a read has already gone a long way (engine.cpp).
  void StartSorted(const std::string& value, int64_t pos);
  bool sorted() const { return sorting_; }
  // 0 with the next record in *row (its key in row->key), 9 at the end, 2 on a read failure.
  int Step(Row* row);
  // Releases the statements' hold on the file (before writes and commits); Start again after.
  void Park();

 private:
  RecordFile& file_;
  int key_;
  int direction_;
  std::string value_;  // the point's key value, bound to every statement
  sqlite3_stmt* same_ = nullptr;
  sqlite3_stmt* beyond_ = nullptr;
  sqlite3_stmt* sorted_ = nullptr;  // prepared by the first StartSorted
  bool in_beyond_ = false;
  bool sorting_ = false;  // the values beyond come from sorted_
};

// Maps a SQLite result code of a write onto a status: 5 for a record whose key value a unique key
// already holds, 18 full, 46 read-only, 2 anything else (other constraints included). Takes
// extended result codes, which every connection of the record manager reports.
int WriteStatus(int sqlite_result);

}  // namespace btr
