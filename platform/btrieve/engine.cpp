// The record manager: BTRCALL over record files kept as SQLite databases (store.h).
//
// The engine keeps, per process, a table of open files and a table of cursors. A caller's
// position block holds only a handle (slot and generation) into the cursor table; every cursor
// on one file shares that file's connection and keeps its own currency: key path, stored key
// value and physical position of the current record, or the gap a deleted record left.
//
// Ordered reads run on a scan that the cursor keeps alive (store.h, KeyScan): Get First, Get
// Greater and the rest start it at a point, and Get Next or Get Previous step the same scan on
// while no write to the file intervened (the file's generation tells). Otherwise the scan starts
// again just after (or before) the current key value and position, which costs a seek however
// many duplicates the key value has. A scan that has come a long way through a large file goes
// on as a sorted read (JudgeLongRead), which reads each page of the file once.
//
// Writes are grouped into one SQLite transaction per file, committed at Close, Reset, Stop,
// Begin and End Transaction, at process exit, and by a background flusher once a transaction
// is a quarter second old. A transaction opened by Begin Transaction spans every file of the
// process and is only committed by End Transaction. One mutex serialises everything.
//
// A file filled from empty defers the indexes of its keys with duplicates, and a fresh file (one
// this process created and has not closed for the last time) those of its unique keys too
// (store.h); the engine builds a key's index before the first ordered read on it and every
// waiting one when the file's last cursor closes, so no read ever runs on a missing index. A
// fresh file commits without syncing and is synced by that last close, which answers the sync's
// failure (store.cpp, connection settings).
//
// A failure that loses writes which had already answered 0 (a commit that fails in the
// background on a full disk, say) is kept on every cursor of the file: each answers it at its
// next operation, unless that very operation met it, and again at its Close.
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/btrieve/btrcall.h"
#include "platform/btrieve/keydef.h"
#include "platform/btrieve/store.h"
#include "platform/files/winpath.h"

namespace btr {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kFlushAge = std::chrono::milliseconds(150);
constexpr auto kFlushPeriod = std::chrono::milliseconds(100);
constexpr auto kMaxGroupAge = std::chrono::milliseconds(250);
constexpr uint32_t kHandleMagic = 0x52504231;  // "RPB1"

struct Cursor;

struct OpenFile {
  std::unique_ptr<RecordFile> store;
  dev_t device = 0;
  ino_t inode = 0;
  bool exclusive = false;
  // Created by this process and not closed for the last time since: commits are not synced, and
  // the last close syncs the file before it answers (store.cpp, connection settings).
  bool fresh = false;
  std::vector<Cursor*> cursors;
  std::vector<std::string> keys;  // scratch: stored key values of the record being written
};

enum class Currency {
  kNone,         // nothing read yet
  kOn,           // on the record at (key, pos)
  kGap,          // where the record at (key, pos) stood before it was deleted
  kPastEnd,      // Get Next ran off the end
  kBeforeStart,  // Get Previous ran off the start
};

struct Cursor {
  std::shared_ptr<OpenFile> file;
  bool read_only = false;
  int path = -1;  // key path of the currency; -1 after Step operations (physical only)
  Currency currency = Currency::kNone;
  std::string key;  // stored form
  int64_t pos = 0;
  // The kept ordered reads of the key path scan_path: [0] forward, [1] backward.
  std::unique_ptr<KeyScan> scan[2];
  int scan_path = -1;
  // Key-only reads of the key path probe_path ([0] forward, [1] backward): they read the index
  // alone, and are parked as soon as they have answered.
  std::unique_ptr<KeyScan> probe[2];
  int probe_path = -1;
  int live = 0;  // 1 or -1 when scan[] of that direction stands on the current record
  uint64_t live_generation = 0;
  uint32_t run = 0;        // records the live scan has answered since it started
  uint32_t scattered = 0;  // of the last stretch, those far from the record before (JudgeLongRead)
  // Lost writes (see above): the status, and whether it has been answered since.
  int failure = kOk;
  bool failure_told = false;

  void DropScans() {
    Park();
    scan[0].reset();
    scan[1].reset();
  }
  void Park() {
    if (live != 0) {
      scan[live > 0 ? 0 : 1]->Park();
      live = 0;
    }
  }
};

struct Engine {
  std::mutex mutex;
  std::vector<std::unique_ptr<Cursor>> slots;
  std::vector<uint32_t> slot_generation;
  std::vector<std::shared_ptr<OpenFile>> files;
  // Files closed during a transaction: their writes wait for End or Abort Transaction.
  std::vector<std::shared_ptr<OpenFile>> closing;
  // Files that Create made in this process and that have not been closed for the last time
  // since (by device and inode, so that a file put there by someone else is not taken for one).
  std::vector<std::pair<dev_t, ino_t>> created;
  bool transaction = false;
  bool flusher_running = false;
  std::condition_variable wake;
};

Engine& TheEngine() {
  // Never destroyed: the flusher thread and exit handlers may still use it.
  static Engine* engine = new Engine;
  return *engine;
}

// ---- handles ----------------------------------------------------------------------------------

void Put32(uint8_t* p, uint32_t v) {
  std::memcpy(p, &v, 4);
}
uint32_t Get32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

Cursor* FindCursor(Engine& e, const void* pos_block) {
  if (pos_block == nullptr) {
    return nullptr;
  }
  auto* p = static_cast<const uint8_t*>(pos_block);
  if (Get32(p) != kHandleMagic) {
    return nullptr;
  }
  uint32_t slot = Get32(p + 4);
  if (slot >= e.slots.size() || e.slot_generation[slot] != Get32(p + 8)) {
    return nullptr;
  }
  return e.slots[slot].get();
}

void IssueHandle(Engine& e, std::unique_ptr<Cursor> cursor, void* pos_block) {
  size_t slot = 0;
  while (slot < e.slots.size() && e.slots[slot]) {
    ++slot;
  }
  if (slot == e.slots.size()) {
    e.slots.emplace_back();
    e.slot_generation.push_back(0);
  }
  e.slots[slot] = std::move(cursor);
  auto* p = static_cast<uint8_t*>(pos_block);
  std::memset(p, 0, kPositionBlockSize);
  Put32(p, kHandleMagic);
  Put32(p + 4, static_cast<uint32_t>(slot));
  Put32(p + 8, e.slot_generation[slot]);
}

// ---- commits ----------------------------------------------------------------------------------

// Passes writes that a failure lost on to every cursor of the file. `caller` answered `status`
// for the operation during which it happened: when that is a failure, the caller has been told.
void NoteLoss(OpenFile& f, const Cursor* caller = nullptr, int status = kOk) {
  int loss = f.store->TakeLoss();
  if (loss == kOk) {
    return;
  }
  for (Cursor* c : f.cursors) {
    if (c->failure == kOk) {
      c->failure = loss;
      c->failure_told = c == caller && status != kOk;
    }
  }
}

int Commit(OpenFile& f) {
  int status = f.store->Commit();
  NoteLoss(f);
  return status;
}

int CommitAll(Engine& e) {
  int status = kOk;
  for (auto& f : e.files) {
    if (int s = Commit(*f); s != kOk && status == kOk) {
      status = s;
    }
  }
  return status;
}

// A fresh file's last close: its writes go to the disk before the close answers, and the file is
// an ordinary one from now on.
int CloseFresh(Engine& e, OpenFile& f) {
  if (!f.fresh) {
    return kOk;
  }
  f.fresh = false;
  std::erase(e.created, std::make_pair(f.device, f.inode));
  return f.store->SyncToDisk();
}

// Ends the process-wide transaction on every file, committing or rolling back.
int FinishTransaction(Engine& e, bool commit) {
  int status = kOk;
  auto finish = [&](OpenFile& f) {
    int s = commit ? Commit(f) : f.store->Rollback();
    if (s != kOk && status == kOk) {
      status = s;
    }
  };
  for (auto& f : e.files) {
    for (Cursor* c : f->cursors) {
      c->Park();
    }
    finish(*f);
  }
  for (auto& f : e.closing) {
    finish(*f);
    if (int s = CloseFresh(e, *f); s != kOk && status == kOk) {
      status = s;
    }
  }
  e.closing.clear();
  e.transaction = false;
  return status;
}

void FlushLoop() {
  Engine& e = TheEngine();
  std::unique_lock<std::mutex> lock(e.mutex);
  while (e.flusher_running) {
    e.wake.wait_for(lock, kFlushPeriod);
    if (e.transaction) {
      continue;
    }
    for (auto& f : e.files) {
      if (f->store->in_transaction() && f->store->transaction_age() >= kFlushAge) {
        Commit(*f);  // a failure waits on the file's cursors
      }
    }
  }
}

void CommitAtExit() {
  Engine& e = TheEngine();
  std::lock_guard<std::mutex> lock(e.mutex);
  if (!e.transaction) {
    CommitAll(e);
  }
}

// The flusher does not survive fork(); a child starts its own on its first write. The mutex is
// held across fork so that the child never inherits it locked by another thread.
void BeforeFork() {
  TheEngine().mutex.lock();
}
void AfterForkParent() {
  TheEngine().mutex.unlock();
}
void AfterForkChild() {
  Engine& e = TheEngine();
  e.flusher_running = false;
  // SQLite connections must not be used across fork: the child leaves the parent's files and
  // cursors untouched (kept reachable, never closed) and starts with an empty table.
  static auto* abandoned_files = new std::vector<std::shared_ptr<OpenFile>>;
  static auto* abandoned_cursors = new std::vector<Cursor*>;
  for (auto& f : e.files) {
    abandoned_files->push_back(f);
  }
  for (auto& f : e.closing) {
    abandoned_files->push_back(f);
  }
  for (size_t slot = 0; slot < e.slots.size(); ++slot) {
    if (e.slots[slot]) {
      abandoned_cursors->push_back(e.slots[slot].release());
      ++e.slot_generation[slot];
    }
  }
  e.files.clear();
  e.closing.clear();
  e.created.clear();  // the child created none of them
  e.transaction = false;
  e.mutex.unlock();
}

// Registered before the first write and before the first file created (which a child must not
// take for one of its own).
void RegisterHandlers() {
  static bool registered = [] {
    pthread_atfork(BeforeFork, AfterForkParent, AfterForkChild);
    std::atexit(CommitAtExit);
    return true;
  }();
  (void)registered;
}

void StartFlusher(Engine& e) {
  RegisterHandlers();
  if (!e.flusher_running) {
    e.flusher_running = true;
    std::thread(FlushLoop).detach();
  }
}

// Builds the file's deferred indexes (store.h) before anything reads one of them.
int BuildIndexes(OpenFile& f, uint32_t which = ~0u) {
  if ((f.store->deferred() & which) == 0) {
    return kOk;
  }
  for (Cursor* c : f.cursors) {
    c->Park();
  }
  return f.store->BuildIndexes(which);
}

// Called before every write: the kept statements of the file's cursors must not run across it.
int PrepareWrite(Engine& e, Cursor& c) {
  if (c.read_only) {
    return kAccessDenied;
  }
  OpenFile& f = *c.file;
  for (Cursor* other : f.cursors) {
    other->Park();
  }
  if (!e.transaction && f.store->transaction_age() >= kMaxGroupAge) {
    if (int status = f.store->Commit(); status != kOk) {
      return status;  // the loss is passed on after the operation
    }
  }
  StartFlusher(e);
  return kOk;
}

// ---- buffers ----------------------------------------------------------------------------------

struct Call {
  int op;         // without bias
  bool key_only;  // a +50 Get: position only, no data
  void* data;
  uint32_t* data_length;
  uint8_t* key;
  uint8_t key_length;
  int8_t key_number;

  uint32_t capacity() const { return data != nullptr && data_length != nullptr ? *data_length : 0; }
  void set_length(uint32_t n) const {
    if (data_length != nullptr) {
      *data_length = n;
    }
  }
};

// Copies a record into the data buffer: what fits, and 22 when that is not all of it.
int Deliver(const Call& call, const uint8_t* bytes, uint32_t length) {
  if (call.key_only) {
    return kOk;
  }
  uint32_t n = std::min(length, call.capacity());
  if (n > 0) {
    std::memcpy(call.data, bytes, n);
  }
  call.set_length(n);
  return n == length ? kOk : kDataBufferLength;
}

std::string NameFromKeyBuffer(const Call& call) {
  if (call.key == nullptr) {
    return {};
  }
  const auto* p = reinterpret_cast<const char*>(call.key);
  size_t n = strnlen(p, call.key_length);
  std::string name(p, n);
  while (!name.empty() && name.back() == ' ') {
    name.pop_back();
  }
  return name;
}

bool ValidKey(const OpenFile& f, int key_number) {
  return key_number >= 0 && static_cast<size_t>(key_number) < f.store->spec().keys.size();
}

// ---- currency ---------------------------------------------------------------------------------

// Makes `row` current on `path` and hands its key and data to the caller.
int TakeRow(const Call& call, Cursor& c, int path, const Row& row) {
  const Key& key = c.file->store->spec().keys[path];
  c.path = path;
  c.currency = Currency::kOn;
  c.pos = row.pos;
  if (row.key != nullptr) {
    c.key.assign(reinterpret_cast<const char*>(row.key), key.length);
  } else {
    EncodeKeyFromRecord(key, row.data, &c.key);
  }
  DecodeKey(key, reinterpret_cast<const uint8_t*>(c.key.data()), call.key);
  return Deliver(call, row.data, row.length);
}

KeyScan* ScanFor(Cursor& c, int path, int direction) {
  if (c.scan_path != path) {
    c.DropScans();
    c.scan_path = path;
  }
  std::unique_ptr<KeyScan>& scan = c.scan[direction > 0 ? 0 : 1];
  if (scan == nullptr) {
    scan = std::make_unique<KeyScan>(*c.file->store, path, direction);
  }
  return scan->ok() ? scan.get() : nullptr;
}

KeyScan* ProbeFor(Cursor& c, int path, int direction) {
  if (c.probe_path != path) {
    c.probe[0].reset();
    c.probe[1].reset();
    c.probe_path = path;
  }
  std::unique_ptr<KeyScan>& probe = c.probe[direction > 0 ? 0 : 1];
  if (probe == nullptr) {
    probe = std::make_unique<KeyScan>(*c.file->store, path, direction, true);
  }
  return probe->ok() ? probe.get() : nullptr;
}

// Records this many positions apart or fewer lie on one page or the next (see JudgeLongRead).
constexpr int64_t kNearRecords = 16;

// Steps the scan of `direction` once; the row found becomes current. *found, when given, gets
// the row.
int StepScan(const Call& call, Cursor& c, int path, int direction, KeyScan& scan,
             Row* found = nullptr) {
  Row row;
  int status = scan.Step(&row);
  if (status != kOk) {
    c.live = 0;
    return status;
  }
  if (row.key_length != c.file->store->spec().keys[path].length ||
      (row.data != nullptr && row.length < c.file->store->spec().record_length)) {
    scan.Park();  // a damaged file; the check tool says more
    c.live = 0;
    return kIoError;
  }
  c.live = direction;
  c.live_generation = c.file->store->generation();
  if (c.run++ > 0 && std::abs(row.pos - c.pos) > kNearRecords) {
    ++c.scattered;
  }
  if (found != nullptr) {
    *found = row;
  }
  return TakeRow(call, c, path, row);
}

// Starts a scan just after (direction 1) or before (-1) the point (key, pos) and takes the
// first row it meets. A `key_only` scan finds the position and the key without the record's
// data (a number probe of a large file then never reads a record page); it does not stay live,
// so a Get Next after it seeks again from the currency.
int ScanFrom(const Call& call, Cursor& c, int path, int direction, const std::string& key,
             int64_t pos, Row* found = nullptr, bool key_only = false) {
  c.Park();
  if ((c.file->store->deferred() >> path) & 1) {
    if (int status = BuildIndexes(*c.file, 1u << path); status != kOk) {
      return status;
    }
  }
  if (int status = c.file->store->BeginRead(); status != kOk) {
    return status;
  }
  KeyScan* scan = key_only ? ProbeFor(c, path, direction) : ScanFor(c, path, direction);
  if (scan == nullptr) {
    return kIoError;
  }
  scan->Start(key, pos);
  c.run = 0;
  c.scattered = 0;
  int status = StepScan(call, c, path, direction, *scan, found);
  if (key_only) {
    scan->Park();
    c.live = 0;
  }
  return status;
}

// A live scan goes on as a sorted read (KeyScan::StartSorted) when the file is larger than its
// page cache and, of the last kSortAfterRecords records it answered (or 1/kSortAfterShare of
// the file, when that is more), most lay far from the record before (more than kNearRecords
// positions away, so on another page). Records that lie in key order on their pages, or a file
// the cache holds, are read best through the index; the scan is judged at the end of each such
// stretch, so that a file in key order for a while and scattered after is judged by where the
// read is. A reader that stops right after the switch has paid for one sort of the rest of the
// file, no more than kSortAfterShare times the records it read; one that reads on reads the
// rest at a cost that grows with the file's size, not with how far it outgrows the page cache.
constexpr uint32_t kSortAfterRecords = 16384;
constexpr uint32_t kSortAfterShare = 16;

bool JudgeLongRead(Cursor& c) {
  const uint32_t stretch = std::max(kSortAfterRecords, c.file->store->count() / kSortAfterShare);
  if (c.run == 0 || c.run % stretch != 0) {
    return false;
  }
  const bool scattered = c.scattered >= stretch / 2;
  c.scattered = 0;
  return scattered && c.file->store->OutgrowsCache();
}

// Goes on from the current record as a sorted read (the scan is live and stands on it).
int ContinueSorted(const Call& call, Cursor& c, int direction) {
  KeyScan& scan = *c.scan[direction > 0 ? 0 : 1];
  c.Park();
  if (int status = c.file->store->BeginRead(); status != kOk) {
    return status;
  }
  scan.StartSorted(c.key, c.pos);
  return StepScan(call, c, c.path, direction, scan);
}

// ---- operations -------------------------------------------------------------------------------

int OpOpen(Engine& e, const Call& call, void* pos_block) {
  std::string name = NameFromKeyBuffer(call);
  if (name.empty() || pos_block == nullptr) {
    return kInvalidFileName;
  }
  std::string path = files::Resolve(name);
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    return errno == EACCES ? kAccessDenied : kFileNotFound;
  }
  if (!S_ISREG(st.st_mode)) {
    return kNotBtrieveFile;
  }
  bool exclusive = call.key_number == kExclusive;
  std::shared_ptr<OpenFile> file;
  for (auto& f : e.files) {
    if (f->device == st.st_dev && f->inode == st.st_ino) {
      file = f;
    }
  }
  if (file != nullptr && (file->exclusive || exclusive)) {
    return kFileInUse;
  }
  if (file == nullptr) {
    file = std::make_shared<OpenFile>();
    file->fresh =
        std::ranges::find(e.created, std::make_pair(st.st_dev, st.st_ino)) != e.created.end();
    if (int status = RecordFile::Open(path, file->fresh, &file->store); status != kOk) {
      return status;
    }
    file->device = st.st_dev;
    file->inode = st.st_ino;
    file->exclusive = exclusive;
    e.files.push_back(file);
  }
  auto cursor = std::make_unique<Cursor>();
  cursor->file = file;
  cursor->read_only = call.key_number == kReadOnly;
  file->cursors.push_back(cursor.get());
  IssueHandle(e, std::move(cursor), pos_block);
  return kOk;
}

// Releases a cursor; the file closes with its last cursor (building its deferred indexes,
// committing and, for a fresh file, syncing first, unless a transaction still holds its writes).
int CloseCursor(Engine& e, Cursor* c, void* pos_block) {
  std::shared_ptr<OpenFile> file = c->file;
  int status = file->cursors.size() == 1 ? BuildIndexes(*file) : kOk;
  if (!e.transaction) {
    if (int committed = Commit(*file); status == kOk) {
      status = committed;
    }
  }
  std::erase(file->cursors, c);
  for (size_t slot = 0; slot < e.slots.size(); ++slot) {
    if (e.slots[slot].get() == c) {
      e.slots[slot].reset();
      ++e.slot_generation[slot];
    }
  }
  if (pos_block != nullptr) {
    std::memset(pos_block, 0, kPositionBlockSize);
  }
  if (file->cursors.empty()) {
    std::erase(e.files, file);
    if (e.transaction && file->store->in_transaction()) {
      e.closing.push_back(file);
    } else if (int synced = CloseFresh(e, *file); status == kOk) {
      status = synced;
    }
  }
  return status;
}

// Stop and Reset: every file closes; an open transaction is rolled back. Lost writes that a
// position block has kept are answered here when nothing else failed, since no Close will.
int CloseEverything(Engine& e) {
  int status = kOk;
  if (e.transaction) {
    status = FinishTransaction(e, false);
  }
  for (size_t slot = 0; slot < e.slots.size(); ++slot) {
    if (Cursor* c = e.slots[slot].get(); c != nullptr) {
      int failure = c->failure;
      int s = CloseCursor(e, c, nullptr);
      if (status == kOk) {
        status = s != kOk ? s : failure;
      }
    }
  }
  return status;
}

int OpCreate(Engine& e, const Call& call) {
  FileSpec spec;
  if (int status = ParseSpec(static_cast<const uint8_t*>(call.data), call.capacity(), &spec);
      status != kOk) {
    return status;
  }
  std::string name = NameFromKeyBuffer(call);
  if (name.empty()) {
    return kInvalidFileName;
  }
  std::string path = files::Resolve(name);
  struct stat st;
  if (stat(path.c_str(), &st) == 0) {
    if (call.key_number == -1) {
      return kFileExists;
    }
    for (auto& f : e.files) {
      if (f->device == st.st_dev && f->inode == st.st_ino) {
        return kFileInUse;
      }
    }
    if (!S_ISREG(st.st_mode)) {
      return kCreateIo;
    }
  }
  int status = RecordFile::Create(path, spec, call.key_number != -1);
  if (status == kOk && stat(path.c_str(), &st) == 0) {
    auto id = std::make_pair(st.st_dev, st.st_ino);
    if (std::ranges::find(e.created, id) == e.created.end()) {
      RegisterHandlers();
      e.created.push_back(id);
    }
  }
  return status;
}

int OpStat(const Call& call, Cursor& c) {
  const RecordFile& store = *c.file->store;
  std::string block = SpecBlock(store.spec(), store.count());
  if (call.key != nullptr && call.key_length > 0) {
    call.key[0] = 0;  // no extension file
  }
  return Deliver(call, reinterpret_cast<const uint8_t*>(block.data()),
                 static_cast<uint32_t>(block.size()));
}

// The record of an Insert or Update: its length checked, its keys encoded into f.keys.
int PrepareRecord(const Call& call, OpenFile& f) {
  const FileSpec& spec = f.store->spec();
  uint32_t length = call.capacity();
  bool ok = spec.variable() ? length >= spec.record_length && length <= spec.max_record_length()
                            : length == spec.record_length;
  if (!ok || call.data == nullptr) {
    return kDataBufferLength;
  }
  f.keys.resize(spec.keys.size());
  for (size_t k = 0; k < spec.keys.size(); ++k) {
    EncodeKeyFromRecord(spec.keys[k], static_cast<const uint8_t*>(call.data), &f.keys[k]);
  }
  return kOk;
}

int OpInsert(Engine& e, const Call& call, Cursor& c) {
  OpenFile& f = *c.file;
  if (!ValidKey(f, call.key_number)) {
    return kInvalidKeyNumber;
  }
  const Key& key = f.store->spec().keys[call.key_number];
  if (call.key == nullptr || call.key_length < key.length) {
    return kKeyBufferTooShort;
  }
  if (int status = PrepareWrite(e, c); status != kOk) {
    return status;
  }
  if (int status = PrepareRecord(call, f); status != kOk) {
    return status;
  }
  int64_t pos = 0;
  if (int status =
          f.store->Insert(static_cast<const uint8_t*>(call.data), call.capacity(), f.keys, &pos);
      status != kOk) {
    return status;
  }
  c.path = call.key_number;
  c.currency = Currency::kOn;
  c.pos = pos;
  c.key = f.keys[c.path];
  DecodeKey(key, reinterpret_cast<const uint8_t*>(c.key.data()), call.key);
  return kOk;
}

int OpUpdate(Engine& e, const Call& call, Cursor& c) {
  OpenFile& f = *c.file;
  if (c.currency != Currency::kOn) {
    return kInvalidPositioning;
  }
  if (int status = PrepareWrite(e, c); status != kOk) {
    return status;
  }
  if (int status = PrepareRecord(call, f); status != kOk) {
    return status;
  }
  Row old;
  if (f.store->Read(c.pos, &old) != kOk) {
    return kInvalidPositioning;
  }
  const FileSpec& spec = f.store->spec();
  std::string old_key;
  uint32_t changed = 0;  // only the indexes of these keys are written
  for (size_t k = 0; k < spec.keys.size(); ++k) {
    EncodeKeyFromRecord(spec.keys[k], old.data, &old_key);
    if (old_key != f.keys[k]) {
      if (!spec.keys[k].modifiable) {
        return kKeyNotModifiable;
      }
      changed |= 1u << k;
    }
  }
  if (int status = f.store->Update(c.pos, static_cast<const uint8_t*>(call.data), call.capacity(),
                                   f.keys, changed);
      status != kOk) {
    return status;
  }
  if (c.path >= 0) {
    c.key = f.keys[c.path];
  }
  return kOk;
}

int OpDelete(Engine& e, Cursor& c) {
  if (c.currency != Currency::kOn) {
    return kInvalidPositioning;
  }
  if (int status = PrepareWrite(e, c); status != kOk) {
    return status;
  }
  Row old;
  if (c.file->store->Read(c.pos, &old) != kOk) {
    return kInvalidPositioning;
  }
  if (int status = c.file->store->Delete(c.pos); status != kOk) {
    return status;
  }
  c.currency = Currency::kGap;
  return kOk;
}

int OpGetNextPrevious(const Call& call, Cursor& c, int direction) {
  if (c.currency == Currency::kNone || c.path < 0) {
    return kInvalidPositioning;
  }
  if (c.path != call.key_number) {
    return kDifferentKeyNumber;
  }
  const Key& key = c.file->store->spec().keys[c.path];
  if (call.key == nullptr || call.key_length < key.length) {
    return kKeyBufferTooShort;
  }
  int status = kOk;
  if (c.currency == (direction > 0 ? Currency::kPastEnd : Currency::kBeforeStart)) {
    return kEndOfFile;
  }
  if (c.currency == Currency::kPastEnd || c.currency == Currency::kBeforeStart) {
    // Turning back from beyond an end: the extreme record of the path.
    std::string bound = direction > 0 ? std::string() : std::string(key.length + 1, '\xff');
    status = ScanFrom(call, c, c.path, direction, bound, direction > 0 ? -1 : INT64_MAX);
  } else if (c.live == direction && c.live_generation == c.file->store->generation() &&
             c.currency == Currency::kOn) {
    KeyScan& scan = *c.scan[direction > 0 ? 0 : 1];
    status = !scan.sorted() && JudgeLongRead(c) ? ContinueSorted(call, c, direction)
                                                : StepScan(call, c, c.path, direction, scan);
  } else {
    std::string from = c.key;
    status = ScanFrom(call, c, c.path, direction, from, c.pos);
  }
  if (status == kEndOfFile) {
    c.currency = direction > 0 ? Currency::kPastEnd : Currency::kBeforeStart;
  }
  return status;
}

// Get Equal, Greater, Greater or Equal, Less, Less or Equal, First and Last.
int OpGetByKey(const Call& call, Cursor& c) {
  if (!ValidKey(*c.file, call.key_number)) {
    return kInvalidKeyNumber;
  }
  int path = call.key_number;
  const Key& key = c.file->store->spec().keys[path];
  if (call.key == nullptr || call.key_length < key.length) {
    return kKeyBufferTooShort;
  }
  std::string value;
  if (call.op != kGetFirst && call.op != kGetLast) {
    EncodeKeyFromBuffer(key, call.key, &value);
  }
  switch (call.op) {
    case kGetEqual: {
      std::string wanted = value;
      // Look without moving: a miss leaves the currency as it was.
      int saved_path = c.path;
      Currency saved_currency = c.currency;
      std::string saved_key = c.key;
      int64_t saved_pos = c.pos;
      std::vector<uint8_t> key_copy(call.key, call.key + key.length);
      Call probe = call;
      probe.key_only = true;
      Row row;
      int status = ScanFrom(probe, c, path, 1, wanted, -1, &row, call.key_only);
      if (status == kOk && c.key == wanted) {
        return Deliver(call, row.data, row.length);
      }
      c.Park();
      c.path = saved_path;
      c.currency = saved_currency;
      c.key = saved_key;
      c.pos = saved_pos;
      std::memcpy(call.key, key_copy.data(), key_copy.size());
      return status == kOk || status == kEndOfFile ? kKeyNotFound : status;
    }
    case kGetGreater:
      return ScanFrom(call, c, path, 1, value, INT64_MAX, nullptr, call.key_only);
    case kGetGreaterOrEqual:
      return ScanFrom(call, c, path, 1, value, -1, nullptr, call.key_only);
    case kGetLess:
      return ScanFrom(call, c, path, -1, value, -1, nullptr, call.key_only);
    case kGetLessOrEqual:
      return ScanFrom(call, c, path, -1, value, INT64_MAX, nullptr, call.key_only);
    case kGetFirst:
      return ScanFrom(call, c, path, 1, std::string(), -1, nullptr, call.key_only);
    default:  // kGetLast
      return ScanFrom(call, c, path, -1, std::string(key.length + 1, '\xff'), INT64_MAX, nullptr,
                      call.key_only);
  }
}

int OpGetPosition(const Call& call, Cursor& c) {
  if (c.currency != Currency::kOn) {
    return kInvalidPositioning;
  }
  if (call.capacity() < 4) {
    return kDataBufferLength;
  }
  Put32(static_cast<uint8_t*>(call.data), static_cast<uint32_t>(c.pos));
  call.set_length(4);
  return kOk;
}

int OpGetDirect(const Call& call, Cursor& c) {
  if (call.capacity() < 4) {
    return kDataBufferLength;
  }
  if (!ValidKey(*c.file, call.key_number)) {
    return kInvalidKeyNumber;
  }
  const Key& key = c.file->store->spec().keys[call.key_number];
  if (call.key == nullptr || call.key_length < key.length) {
    return kKeyBufferTooShort;
  }
  int64_t pos = Get32(static_cast<const uint8_t*>(call.data));
  Row row;
  if (int status = c.file->store->BeginRead(); status != kOk) {
    return status;
  }
  if (int status = c.file->store->Read(pos, &row); status != kOk) {
    return status;
  }
  c.Park();
  return TakeRow(call, c, call.key_number, row);
}

int OpStep(const Call& call, Cursor& c) {
  RecordFile& store = *c.file->store;
  int64_t from = 0;
  int direction = 1;
  switch (call.op) {
    case kStepFirst:
      from = -1;
      break;
    case kStepLast:
      from = INT64_MAX;
      direction = -1;
      break;
    default:
      if (c.currency != Currency::kOn && c.currency != Currency::kGap) {
        return kInvalidPositioning;
      }
      from = c.pos;
      direction = call.op == kStepNext ? 1 : -1;
  }
  Row row;
  if (int status = store.BeginRead(); status != kOk) {
    return status;
  }
  if (int status = store.Step(from, direction, &row); status != kOk) {
    return status;
  }
  c.Park();
  c.path = -1;
  c.currency = Currency::kOn;
  c.pos = row.pos;
  c.key.clear();
  return Deliver(call, row.data, row.length);
}

int OpVersion(const Call& call) {
  if (call.capacity() < 5) {
    return kDataBufferLength;
  }
  auto* p = static_cast<uint8_t*>(call.data);
  p[0] = kEngineVersion & 0xff;
  p[1] = kEngineVersion >> 8;
  p[2] = kEngineRevision & 0xff;
  p[3] = kEngineRevision >> 8;
  p[4] = static_cast<uint8_t>(kEnginePlatform);
  call.set_length(5);
  return kOk;
}

int OpSetDirectory(const Call& call) {
  std::string name = NameFromKeyBuffer(call);
  if (name.empty()) {
    return kDirectoryError;
  }
  return chdir(files::Resolve(name).c_str()) == 0 ? kOk : kDirectoryError;
}

// The current directory, NUL-terminated, into the key buffer: never more than the key length the
// caller gives, and nothing at all (22) when the directory does not fit in it.
int OpGetDirectory(const Call& call) {
  char buffer[PATH_MAX];
  if (getcwd(buffer, sizeof buffer) == nullptr) {
    return kDirectoryError;
  }
  size_t n = std::strlen(buffer) + 1;
  if (call.key == nullptr || call.key_length < n) {
    return kDataBufferLength;
  }
  std::memcpy(call.key, buffer, n);
  return kOk;
}

int OpTransaction(Engine& e, int op) {
  if (op == kBeginTransaction) {
    if (e.transaction) {
      return kTransactionActive;
    }
    int status = CommitAll(e);
    if (status == kOk) {
      e.transaction = true;
    }
    return status;
  }
  if (!e.transaction) {
    return kNoTransaction;
  }
  return FinishTransaction(e, op == kEndTransaction);
}

// Splits the operation code into the operation and its bias. Lock biases (+100 to +400) are
// accepted and ignored; Begin Transaction also takes the +1000 and +2000 forms.
bool SplitOp(uint16_t code, int* op, bool* key_only) {
  int bias = code / 100;
  int base = code % 100;
  if (code >= 1000) {
    if (code != 1000 + kBeginTransaction && code != 2000 + kBeginTransaction) {
      return false;
    }
    bias = 0;
    base = kBeginTransaction;
  }
  if (bias > 4) {
    return false;
  }
  *key_only = base >= kGetKeyBias + kGetEqual && base <= kGetKeyBias + kGetLast;
  *op = *key_only ? base - kGetKeyBias : base;
  return true;
}

// The operations that work through a cursor, Close aside.
int DispatchOnCursor(Engine& e, const Call& call, Cursor& c) {
  switch (call.op) {
    case kInsert:
      return OpInsert(e, call, c);
    case kUpdate:
      return OpUpdate(e, call, c);
    case kDelete:
      return OpDelete(e, c);
    case kGetNext:
      return OpGetNextPrevious(call, c, 1);
    case kGetPrevious:
      return OpGetNextPrevious(call, c, -1);
    case kStat:
      return OpStat(call, c);
    case kGetPosition:
      return OpGetPosition(call, c);
    case kGetDirect:
      return OpGetDirect(call, c);
    case kStepNext:
    case kStepFirst:
    case kStepLast:
    case kStepPrevious:
      return OpStep(call, c);
    default:
      return OpGetByKey(call, c);
  }
}

int Dispatch(Engine& e, const Call& call, void* pos_block) {
  switch (call.op) {
    case kOpen:
      return OpOpen(e, call, pos_block);
    case kCreate:
      return OpCreate(e, call);
    case kVersion:
      return OpVersion(call);
    case kSetDirectory:
      return OpSetDirectory(call);
    case kGetDirectory:
      return OpGetDirectory(call);
    case kBeginTransaction:
    case kEndTransaction:
    case kAbortTransaction:
      return OpTransaction(e, call.op);
    case kStop:
    case kReset:
      return CloseEverything(e);
    case kUnlock:
      return kOk;
    default:
      break;
  }
  Cursor* c = FindCursor(e, pos_block);
  bool known = (call.op >= kClose && call.op <= kStat) || call.op == kGetPosition ||
               call.op == kGetDirect || call.op == kStepNext ||
               (call.op >= kStepFirst && call.op <= kStepPrevious);
  if (!known || call.op == kCreate) {
    return kInvalidOperation;
  }
  if (c == nullptr) {
    return kFileNotOpen;
  }
  if (call.op == kClose) {
    int failure = c->failure;
    int status = CloseCursor(e, c, pos_block);
    return status != kOk ? status : failure;
  }
  if (c->failure != kOk && !c->failure_told) {
    c->failure_told = true;
    return c->failure;
  }
  int status = DispatchOnCursor(e, call, *c);
  NoteLoss(*c->file, c, status);
  return status;
}

}  // namespace
}  // namespace btr

int16_t BTRCALL(uint16_t op, void* posBlock, void* dataBuf, uint32_t* dataLen, void* keyBuf,
                uint8_t keyLen, int8_t keyNum) {
  using namespace btr;
  Call call{};
  if (!SplitOp(op, &call.op, &call.key_only)) {
    return kInvalidOperation;
  }
  bool key_only_allowed = call.op == kGetEqual || (call.op >= kGetNext && call.op <= kGetLast);
  if (call.key_only && !key_only_allowed) {
    return kInvalidOperation;
  }
  call.data = dataBuf;
  call.data_length = dataLen;
  call.key = static_cast<uint8_t*>(keyBuf);
  call.key_length = keyLen;
  call.key_number = keyNum;
  Engine& e = TheEngine();
  std::lock_guard<std::mutex> lock(e.mutex);
  return static_cast<int16_t>(Dispatch(e, call, posBlock));
}
