// The record manager against bare SQLite, on the shape of the order line file: 200,000 records
// of 176 bytes with four keys
//   key 0  order number + line number (int32 + int32, unique)
//   key 1  order number + 15-byte item id (duplicates)
//   key 2  order number + 12-byte item number, the item id's first 12 bytes (duplicates)
//   key 3  12-byte item number (duplicates)
// as the order line file declares them (the item id stands at byte 8).
// Insert: one BTRCALL Insert per record, against a program that inserts the same records and
// key columns with the same indexes in one transaction. Scan: Get First and Get Next on key 0,
// against one indexed SELECT stepped to the end. Prints both times and their ratios.
//
// Two more measure the engine's writes on their own:
//   DuplicateWalk/N  Get First, then Update and Get Next through N records that all carry one
//                    value of a duplicate key: each Get Next after an Update finds its place
//                    again, which must cost the same at the last duplicate as at the first.
//   UpdateNoKey, UpdateEveryKey  100,000 Step Next plus Update on the order line file, changing
//                    only bytes outside every key, against changing every one of the four keys.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "platform/btrieve/btrcall.h"

namespace {

constexpr int kRecords = 200'000;
constexpr int kLinesPerOrder = 10;
constexpr uint32_t kRecordLength = 176;
constexpr int kItemIdAt = 8, kItemIdLength = 15;
constexpr int kItemAt = 8, kItemLength = 12;
constexpr int kFillerAt = kItemIdAt + kItemIdLength;
// Both sides get the same connection settings: the engine's defaults.
constexpr const char* kPragmas =
    "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL; PRAGMA cache_size=-16384;";

using Bytes = std::vector<uint8_t>;

uint32_t Mix(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352d;
  x ^= x >> 15;
  x *= 0x846ca68b;
  return x ^ (x >> 16);
}

// Record i: order lines in order-number order, item codes scattered as real ones are.
Bytes MakeRecord(int i) {
  Bytes r(kRecordLength, 0);
  int32_t order = 100'000 + i / kLinesPerOrder;
  int32_t line = i % kLinesPerOrder + 1;
  std::memcpy(&r[0], &order, 4);
  std::memcpy(&r[4], &line, 4);
  uint32_t h = Mix(static_cast<uint32_t>(i));
  char item_id[kItemIdLength + 1];
  std::snprintf(item_id, sizeof item_id, "%012u%03u", h % 20000, h % 7);
  std::memcpy(&r[kItemIdAt], item_id, kItemIdLength);
  for (uint32_t b = kFillerAt; b < kRecordLength; ++b) {
    r[b] = static_cast<uint8_t>(h + b);
  }
  return r;
}

const std::vector<Bytes>& Records() {
  static const std::vector<Bytes> records = [] {
    std::vector<Bytes> v;
    v.reserve(kRecords);
    for (int i = 0; i < kRecords; ++i) {
      v.push_back(MakeRecord(i));
    }
    return v;
  }();
  return records;
}

void Put16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

// One key segment of a file specification.
struct Seg {
  uint16_t position, length, flags;
  uint8_t type;
};

// The specification of a file of `recordLength`-byte records with `keys` keys made of `segs`;
// `extra` adds key flags to every segment (the update benchmarks make every key modifiable).
Bytes Specification(uint16_t recordLength, uint16_t keys, std::initializer_list<Seg> segs,
                    uint16_t extra = 0) {
  Bytes b(16 + 16 * segs.size(), 0);
  Put16(&b[0], recordLength);
  Put16(&b[2], 1024);
  Put16(&b[4], keys);
  uint8_t* e = &b[16];
  for (const Seg& seg : segs) {
    Put16(e, seg.position);
    Put16(e + 2, seg.length);
    Put16(e + 4, static_cast<uint16_t>(seg.flags | extra));
    e[10] = seg.type;
    e += 16;
  }
  return b;
}

Bytes OrderLineSpecification(uint16_t extra = 0) {
  using namespace btr;
  return Specification(kRecordLength, 4,
                       {
                           {1, 4, kExtendedType | kSegmented | kModifiable, kInteger},
                           {5, 4, kExtendedType | kModifiable, kInteger},
                           {1, 4, kExtendedType | kSegmented | kDuplicates, kInteger},
                           {kItemIdAt + 1, kItemIdLength, kDuplicates, kString},
                           {1, 4, kExtendedType | kSegmented | kDuplicates, kInteger},
                           {kItemAt + 1, kItemLength, kDuplicates, kString},
                           {kItemAt + 1, kItemLength, kDuplicates, kString},
                       },
                       extra);
}

struct ScratchDir {
  std::string path;
  ScratchDir() {
    char tmpl[] = "/tmp/btrieve_bench.XXXXXX";
    path = mkdtemp(tmpl);
  }
  ~ScratchDir() { std::filesystem::remove_all(path); }
};

ScratchDir& Scratch() {
  static ScratchDir dir;
  return dir;
}

std::string EnginePath() {
  return Scratch().path + "/ORDRITEM.DB";
}
std::string BarePath() {
  return Scratch().path + "/bare.db";
}

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "btrieve_bench: %s failed\n", what);
    std::exit(1);
  }
}

// ---- the record manager ------------------------------------------------------------------------

// One open record file, closed (and so committed) at the end of its scope.
class EngineFile {
 public:
  explicit EngineFile(const std::string& path) {
    std::memcpy(key_, path.c_str(), path.size() + 1);
    uint32_t length = 0;
    Check(BTRCALL(btr::kOpen, pos_, nullptr, &length, key_, 255, 0) == 0, "Open");
  }
  ~EngineFile() {
    uint32_t length = 0;
    Check(BTRCALL(btr::kClose, pos_, nullptr, &length, key_, 255, 0) == 0, "Close");
  }
  static void Create(const std::string& path, Bytes spec) {
    uint8_t pos[128] = {};
    uint8_t key[255] = {};
    std::memcpy(key, path.c_str(), path.size() + 1);
    uint32_t length = static_cast<uint32_t>(spec.size());
    Check(BTRCALL(btr::kCreate, pos, spec.data(), &length, key, 255, 0) == 0, "Create");
  }
  int Call(int op, uint8_t* data, uint32_t length, int key_number) {
    return BTRCALL(static_cast<uint16_t>(op), pos_, data, &length, key_, 255,
                   static_cast<int8_t>(key_number));
  }

 private:
  uint8_t pos_[128] = {};
  uint8_t key_[255] = {};
};

void EngineInsertAll() {
  std::filesystem::remove(EnginePath());
  EngineFile::Create(EnginePath(), OrderLineSpecification());
  EngineFile file(EnginePath());
  for (const Bytes& r : Records()) {
    Check(file.Call(btr::kInsert, const_cast<uint8_t*>(r.data()), kRecordLength, 0) == 0, "Insert");
  }
}

int EngineScan() {
  EngineFile file(EnginePath());
  uint8_t data[kRecordLength];
  int n = 0;
  for (int s = file.Call(btr::kGetFirst, data, sizeof data, 0); s == 0;
       s = file.Call(btr::kGetNext, data, sizeof data, 0)) {
    benchmark::DoNotOptimize(data);
    ++n;
  }
  return n;
}

// ---- bare SQLite -------------------------------------------------------------------------------

void PutInt(uint8_t* out, const uint8_t* in) {
  uint32_t v;
  std::memcpy(&v, in, 4);
  v ^= 0x80000000u;
  out[0] = static_cast<uint8_t>(v >> 24);
  out[1] = static_cast<uint8_t>(v >> 16);
  out[2] = static_cast<uint8_t>(v >> 8);
  out[3] = static_cast<uint8_t>(v);
}

void Exec(sqlite3* db, const char* sql) {
  Check(sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK, sql);
}

void BareInsertAll() {
  std::filesystem::remove(BarePath());
  sqlite3* db = nullptr;
  Check(sqlite3_open(BarePath().c_str(), &db) == SQLITE_OK, "open");
  Exec(db, kPragmas);
  Exec(db,
       "CREATE TABLE rec(pos INTEGER PRIMARY KEY, data BLOB NOT NULL, k0 BLOB NOT NULL, "
       "k1 BLOB NOT NULL, k2 BLOB NOT NULL, k3 BLOB NOT NULL);"
       "CREATE UNIQUE INDEX rec_k0 ON rec(k0); CREATE INDEX rec_k1 ON rec(k1);"
       "CREATE INDEX rec_k2 ON rec(k2); CREATE INDEX rec_k3 ON rec(k3);");
  Exec(db, "BEGIN");
  sqlite3_stmt* insert = nullptr;
  Check(sqlite3_prepare_v2(db, "INSERT INTO rec(data, k0, k1, k2, k3) VALUES (?1, ?2, ?3, ?4, ?5)",
                           -1, &insert, nullptr) == SQLITE_OK,
        "prepare");
  uint8_t k0[8], k1[4 + kItemIdLength], k2[4 + kItemLength];
  for (const Bytes& r : Records()) {
    PutInt(k0, &r[0]);
    PutInt(k0 + 4, &r[4]);
    PutInt(k1, &r[0]);
    std::memcpy(k1 + 4, &r[kItemIdAt], kItemIdLength);
    PutInt(k2, &r[0]);
    std::memcpy(k2 + 4, &r[kItemAt], kItemLength);
    sqlite3_bind_blob(insert, 1, r.data(), kRecordLength, SQLITE_STATIC);
    sqlite3_bind_blob(insert, 2, k0, sizeof k0, SQLITE_STATIC);
    sqlite3_bind_blob(insert, 3, k1, sizeof k1, SQLITE_STATIC);
    sqlite3_bind_blob(insert, 4, k2, sizeof k2, SQLITE_STATIC);
    sqlite3_bind_blob(insert, 5, &r[kItemAt], kItemLength, SQLITE_STATIC);
    Check(sqlite3_step(insert) == SQLITE_DONE, "insert");
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  Exec(db, "COMMIT");
  sqlite3_close(db);
}

int BareScan() {
  sqlite3* db = nullptr;
  Check(sqlite3_open(BarePath().c_str(), &db) == SQLITE_OK, "open");
  Exec(db, kPragmas);
  sqlite3_stmt* scan = nullptr;
  Check(sqlite3_prepare_v2(db, "SELECT pos, data, k0 FROM rec ORDER BY k0, pos", -1, &scan,
                           nullptr) == SQLITE_OK,
        "prepare");
  uint8_t data[kRecordLength];
  uint8_t key[8];
  int n = 0;
  while (sqlite3_step(scan) == SQLITE_ROW) {
    std::memcpy(data, sqlite3_column_blob(scan, 1), sizeof data);
    std::memcpy(key, sqlite3_column_blob(scan, 2), sizeof key);
    benchmark::DoNotOptimize(data);
    benchmark::DoNotOptimize(key);
    ++n;
  }
  sqlite3_finalize(scan);
  sqlite3_close(db);
  return n;
}

// ---- writes on their own -----------------------------------------------------------------------

// The duplicate walk's file: a 64-byte record, key 0 a unique int32 id, key 1 a 12-byte text
// that every record shares.
constexpr uint32_t kWalkRecordLength = 64;

std::string WalkPath(int records) {
  return Scratch().path + "/WALK" + std::to_string(records) + ".DB";
}

void MakeWalkFile(int records) {
  std::string path = WalkPath(records);
  if (std::filesystem::exists(path)) {
    return;
  }
  using namespace btr;
  EngineFile::Create(path, Specification(kWalkRecordLength, 2,
                                         {{1, 4, kExtendedType, kInteger},
                                          {5, 12, kDuplicates | kModifiable, kString}}));
  EngineFile file(path);
  Bytes r(kWalkRecordLength, 0);
  std::memcpy(&r[4], "SAME VALUE  ", 12);
  for (int32_t id = 0; id < records; ++id) {
    std::memcpy(&r[0], &id, 4);
    Check(file.Call(btr::kInsert, r.data(), kWalkRecordLength, 0) == 0, "Insert");
  }
}

void BM_DuplicateWalk(benchmark::State& state) {
  const int records = static_cast<int>(state.range(0));
  MakeWalkFile(records);
  uint8_t stamp = 0;
  for (auto _ : state) {
    EngineFile file(WalkPath(records));
    uint8_t r[kWalkRecordLength];
    int walked = 0;
    ++stamp;
    for (int s = file.Call(btr::kGetFirst, r, sizeof r, 1); s == 0;
         s = file.Call(btr::kGetNext, r, sizeof r, 1)) {
      r[kWalkRecordLength - 1] = stamp;
      Check(file.Call(btr::kUpdate, r, sizeof r, 1) == 0, "Update");
      ++walked;
    }
    Check(walked == records, "duplicate walk count");
  }
}

constexpr int kUpdates = 100'000;

std::string UpdatePath() {
  return Scratch().path + "/UPDATE.DB";
}

void MakeUpdateFile() {
  if (std::filesystem::exists(UpdatePath())) {
    return;
  }
  EngineFile::Create(UpdatePath(), OrderLineSpecification(btr::kModifiable));
  EngineFile file(UpdatePath());
  for (int i = 0; i < kUpdates; ++i) {
    Bytes r = Records()[i];
    Check(file.Call(btr::kInsert, r.data(), kRecordLength, 0) == 0, "Insert");
  }
}

// Steps through the file in physical order and updates every record: the filler only, or the
// line number (key 0) and the item id (keys 1 to 3) as well. Each run writes values of its own,
// so that every update really changes what it claims to.
void UpdateAll(bool every_key, int round) {
  EngineFile file(UpdatePath());
  uint8_t r[kRecordLength];
  int updated = 0;
  for (int s = file.Call(btr::kStepFirst, r, sizeof r, 0); s == 0;
       s = file.Call(btr::kStepNext, r, sizeof r, 0)) {
    r[kRecordLength - 1] = static_cast<uint8_t>(round);
    if (every_key) {
      int32_t line;
      std::memcpy(&line, &r[4], 4);
      line = line % 1000 + 1000 * (round % 1000 + 1);
      std::memcpy(&r[4], &line, 4);
      r[kItemIdAt] = static_cast<uint8_t>('A' + round % 26);
    }
    Check(file.Call(btr::kUpdate, r, sizeof r, 0) == 0, "Update");
    ++updated;
  }
  Check(updated == kUpdates, "update count");
}

void BM_UpdateNoKey(benchmark::State& state) {
  MakeUpdateFile();
  static int round = 0;
  for (auto _ : state) {
    UpdateAll(false, ++round);
  }
}

void BM_UpdateEveryKey(benchmark::State& state) {
  MakeUpdateFile();
  static int round = 0;
  for (auto _ : state) {
    UpdateAll(true, ++round);
  }
}

// ---- benchmarks --------------------------------------------------------------------------------

void BM_InsertEngine(benchmark::State& state) {
  Records();
  for (auto _ : state) {
    EngineInsertAll();
  }
}

void BM_InsertBare(benchmark::State& state) {
  Records();
  for (auto _ : state) {
    BareInsertAll();
  }
}

void BM_ScanEngine(benchmark::State& state) {
  if (!std::filesystem::exists(EnginePath())) {
    EngineInsertAll();
  }
  for (auto _ : state) {
    Check(EngineScan() == kRecords, "engine scan count");
  }
}

void BM_ScanBare(benchmark::State& state) {
  if (!std::filesystem::exists(BarePath())) {
    BareInsertAll();
  }
  for (auto _ : state) {
    Check(BareScan() == kRecords, "bare scan count");
  }
}

constexpr int kIterations = 3;
BENCHMARK(BM_InsertBare)->Unit(benchmark::kMillisecond)->Iterations(kIterations)->UseRealTime();
BENCHMARK(BM_InsertEngine)->Unit(benchmark::kMillisecond)->Iterations(kIterations)->UseRealTime();
BENCHMARK(BM_ScanBare)->Unit(benchmark::kMillisecond)->Iterations(kIterations)->UseRealTime();
BENCHMARK(BM_ScanEngine)->Unit(benchmark::kMillisecond)->Iterations(kIterations)->UseRealTime();
BENCHMARK(BM_DuplicateWalk)
    ->Arg(20'000)
    ->Arg(200'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(kIterations)
    ->UseRealTime();
BENCHMARK(BM_UpdateNoKey)->Unit(benchmark::kMillisecond)->Iterations(kIterations)->UseRealTime();
BENCHMARK(BM_UpdateEveryKey)->Unit(benchmark::kMillisecond)->Iterations(kIterations)->UseRealTime();

double Millis(const RatioReporter& r, const std::string& name) {
  auto found = r.millis.find(name + "/iterations:3/real_time");
  return found == r.millis.end() ? -1 : found->second;
}

void PrintRatio(const RatioReporter& r, const char* what, const std::string& engine,
                const std::string& bare, double target) {
  const double e = Millis(r, engine), b = Millis(r, bare);
  if (e < 0 || b < 0) {
    return;
  }
  const double ratio = e / b;
  std::printf(
      "%-6s record manager %8.1f ms   bare SQLite %8.1f ms   ratio %.2f (target <= %.1f)%s\n", what,
      e, b, ratio, target, ratio <= target ? "" : "  OVER TARGET");
}

// Per record, the walk over ten times as many duplicates must cost about the same.
void PrintWalk(const RatioReporter& r) {
  double small = Millis(r, "BM_DuplicateWalk/20000");
  double large = Millis(r, "BM_DuplicateWalk/200000");
  if (small < 0 || large < 0) {
    return;
  }
  std::printf(
      "walk   Get Next + Update over one duplicate value: 20,000 records %8.1f ms (%.2f us each), "
      "200,000 records %8.1f ms (%.2f us each)\n",
      small, small * 1000 / 20'000, large, large * 1000 / 200'000);
}

void PrintUpdates(const RatioReporter& r) {
  double none = Millis(r, "BM_UpdateNoKey");
  double every = Millis(r, "BM_UpdateEveryKey");
  if (none < 0 || every < 0) {
    return;
  }
  std::printf(
      "update %d records: no key changed %8.1f ms, all four keys changed %8.1f ms, ratio %.2f\n",
      kUpdates, none, every, none / every);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n%d records of %u bytes, four keys\n", kRecords, kRecordLength);
  PrintRatio(reporter, "insert", "BM_InsertEngine", "BM_InsertBare", 1.3);
  PrintRatio(reporter, "scan", "BM_ScanEngine", "BM_ScanBare", 2.0);
  PrintWalk(reporter);
  PrintUpdates(reporter);
  benchmark::Shutdown();
  return 0;
}
