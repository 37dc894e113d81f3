// A whole database at scale: the upgrade of a demo database of release 2.04, run as a user runs it
// (the dialog on the scripted front end), each run in a fresh process of its own so that its peak
// resident memory is its own. Prints four figures:
//
//   ratio    the whole run against a bare program that inserts the same converted records with
//            the same keys into SQLite (indexes made before the first insert, one transaction
//            per file), the fastest of SCALE_REPEAT runs of each, on SCALE_RECORDS records spread
//            as a customer's database holds them (demo::SpreadRecords; default 1,000,000)
//   growth   per table, the time per record with 4 x SCALE_PER_FILE records in every file over
//            the time per record with SCALE_PER_FILE (default 100,000), each the fastest of
//            SCALE_REPEAT runs (default 5); a table over 1.2 is run again alone
//   memory   the peak resident memory of every run
//   counts   how long after the program started the dialog showed its file and record counts
//
// Usage: scale_bench [--records N] [--per-file N] [--repeat N]; the environment variables give
// the defaults.
// Internally the program runs itself as "scale_bench --child HOME" for each upgrade.
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "app/remold_app.h"
#include "app/upgrade_steps.h"
#include "platform/btrieve/btrcall.h"
#include "platform/framework/scripted_front_end.h"
#include "platform/registry/registry.h"
#include "resources/remold_resources.h"
#include "tests/support/scratch_path.h"
#include "tools/mkdemo/demo.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kVersion = 516;  // release 2.04
// The most a table's time per record may grow from SCALE_PER_FILE to four times as many.
constexpr double kGrowthLimit = 1.2;

double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

fs::path DataDir(const fs::path& home) {
  return home / "Documents" / "Vendrix 32" / "ID0";
}

// ---- the child: one upgrade run ---------------------------------------------------------------

double CpuSeconds(const struct rusage& usage) {
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double SelfCpuSeconds() {
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  return CpuSeconds(usage);
}

struct TableStart {
  std::string name;
  double at = 0;   // wall seconds since the program started
  double cpu = 0;  // the process's user and system seconds by then
};

// Notes when the dialog shows the counts and when each table starts.
class TimedFrontEnd : public framework::ScriptedFrontEnd {
 public:
  explicit TimedFrontEnd(std::string total) : total_(std::move(total)) {}
  void TextChanged(const framework::Window& w) override {
    ScriptedFrontEnd::TextChanged(w);
    if (counts_ < 0 && w.text.find(total_) != std::string::npos) {
      counts_ = Seconds(Clock::now() - start_);
    }
    if (w.id == IDC_STATUS_TEXT && w.text.rfind("Working on", 0) == 0 &&
        (tables_.empty() || tables_.back().name != w.text)) {
      tables_.push_back({w.text, Seconds(Clock::now() - start_), SelfCpuSeconds()});
    }
  }
  Clock::time_point start_ = Clock::now();
  std::string total_;
  double counts_ = -1;
  std::vector<TableStart> tables_;
};

// Prints "counts S", "table SECONDS_FROM_START CPU_SECONDS NAME" lines and "end S CPU_SECONDS".
int Child(const fs::path& home, const std::string& total) {
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
  fs::current_path(home);
  TimedFrontEnd ui(total);
  ui.Add(framework::WhenDialog(IDD_REMOLD_DIALOG), framework::Press(IDOK));
  CRemoldApp app((home / "program").string());
  ui.start_ = Clock::now();
  const int status = AfxWinMain(app, ui, RemoldResources());
  const double end = Seconds(Clock::now() - ui.start_);
  std::printf("counts %.4f\n", ui.counts_);
  for (const TableStart& t : ui.tables_) {
    std::printf("table %.4f %.4f %s\n", t.at, t.cpu, t.name.c_str() + std::strlen("Working on "));
  }
  std::printf("end %.4f %.4f\n", end, SelfCpuSeconds());
  return status;
}

// ---- the parent -------------------------------------------------------------------------------

struct Home {
  rectest::ScratchPath scratch;
  fs::path root = scratch.path();
  Home() {
    fs::create_directories(root / "program");
    fs::create_directories(DataDir(root));
    std::ofstream(root / "program" / "VENDRIX.EXE") << "placeholder";
  }
  void Profile() const {
    setenv("HOME", root.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / ".config").c_str(), 1);
    fs::remove_all(root / ".config");
    registry::Store store("Corvane", "Vendrix 32");
    store.Load();
    store.WriteInt("Profiles", "Created", 1);
    store.WriteInt("Profiles", "Current", 0);
    store.WriteInt("Profiles\\ID0", "Enabled", 1);
    store.WriteInt("Profiles\\ID0\\Generic", "DBVersion", kVersion);
    store.WriteInt("Profiles\\ID0\\Generic", "Build", 0);
    store.WriteInt("Profiles\\ID0\\Upgrade", "UpgradeRunning", 0);
    store.WriteString("Profiles\\ID0\\Directories", "DatabaseDir", DataDir(root).string());
  }
  // Where MakeDatabase keeps the legacy database `slot`.
  fs::path Templates(int slot) const { return root / ("templates" + std::to_string(slot)); }
  // Puts legacy database `slot` into the data directory: every file, or the work directories and
  // the record file `only`.
  void Restore(int slot, const std::string& only) const {
    const fs::path data = DataDir(root);
    for (const auto& entry : fs::directory_iterator(data)) {
      fs::remove_all(entry.path());
    }
    for (const auto& entry : fs::directory_iterator(Templates(slot))) {
      if (only.empty() || entry.is_directory() || entry.path().filename() == only) {
        fs::copy(entry.path(), data / entry.path().filename(), fs::copy_options::recursive);
      }
    }
  }
};

uint32_t CountOf(const fs::path& file) {
  uint8_t pos[128] = {}, key[255] = {}, data[1024] = {};
  std::strncpy(reinterpret_cast<char*>(key), file.c_str(), sizeof key - 1);
  uint32_t length = 0;
  if (BTRCALL(btr::kOpen, pos, data, &length, key, 255, btr::kReadOnly) != 0) {
    return 0;
  }
  length = sizeof data;
  uint32_t count = 0;
  if (BTRCALL(btr::kStat, pos, data, &length, key, 255, 0) == 0) {
    std::memcpy(&count, data + 6, 4);
  }
  BTRCALL(btr::kClose, pos, nullptr, nullptr, nullptr, 0, 0);
  return count;
}

// The records of every step file, in step order.
using Counts = std::vector<std::pair<std::string, uint32_t>>;

// Writes legacy database `slot`: `total` records spread, or `perFile` in every file. Returns the
// records per step file, in step order.
Counts MakeDatabase(const Home& home, int slot, long total, long perFile) {
  fs::remove_all(home.Templates(slot));
  fs::create_directories(home.Templates(slot));
  demo::Registry writers;
  demo::RegisterCatalogDemos(writers);
  demo::RegisterOrderDemos(writers);
  demo::RegisterCustomerDemos(writers);
  std::mt19937 rng(1);
  const fs::path previous = fs::current_path();
  fs::current_path(home.Templates(slot));
  for (const char* work : {"CONFS", "DBTEXT", "TEMP", "BACKUP"}) {
    fs::create_directories(work);
  }
  const std::vector<const upgrade::Step*> steps = upgrade::SelectSteps(kVersion, 0);
  std::vector<std::string> files;
  for (const upgrade::Step* step : steps) {
    files.push_back(step->file);
  }
  const std::vector<int> counts = demo::SpreadRecords(files, total);
  for (size_t i = 0; i < steps.size(); ++i) {
    auto it = writers.find(steps[i]->id);
    if (it != writers.end()) {
      // Modem profiles number themselves in quadratic time: 50, as a database holds them.
      const bool modem = std::strcmp(steps[i]->file, "MODEM.DB") == 0;
      const int n =
          perFile > 0 ? static_cast<int>(modem ? std::min(perFile, 50L) : perFile) : counts[i];
      demo::Context ctx{n, &rng, {}};
      if (it->second(ctx) != 0) {
        std::fprintf(stderr, "scale_bench: step %s: %s\n", steps[i]->id, ctx.error.c_str());
      }
    }
  }
  BTRCALL(btr::kStop, nullptr, nullptr, nullptr, nullptr, 0, 0);
  Counts result;
  for (const std::string& file : files) {
    result.emplace_back(file, CountOf(file));
  }
  fs::current_path(previous);
  return result;
}

struct TableTime {
  std::string name;
  double seconds = 0;
  double cpu = 0;
};

struct Run {
  bool ok = false;
  double seconds = 0;
  double counts = -1;
  long peakKb = 0;
  double cpu = 0;  // user and system seconds: steadier than the wall clock on a shared machine
  std::vector<TableTime> tables;
};

// Brings the machine to the same state before every run, whatever ran before it: a customer's
// database has long been on the disk when the upgrade starts. Without this the kernel would
// still be writing back the copy just made while the run writes and syncs its own files, and
// the page cache would hold the gigabytes of earlier runs, so that each page a large run
// allocates had first to be reclaimed; either cost lands on whichever table happens to be
// running and varies by half from one identical run to the next. Dropping the clean pages needs
// root; without it the runs start from whatever the cache holds. The files in `data` are then
// read back in, so that every run finds them in the cache, as the copy left them.
void Settle(const fs::path& data) {
  sync();
  std::ofstream("/proc/sys/vm/drop_caches") << "1";
  std::vector<char> buffer(1 << 20);
  for (const auto& entry : fs::recursive_directory_iterator(data)) {
    if (entry.is_regular_file()) {
      std::ifstream in(entry.path(), std::ios::binary);
      while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()))) {
      }
    }
  }
}

// Upgrades legacy database `slot` (only its file `only`, when given) in a process of its own.
Run RunChild(const Home& home, uint64_t total, int slot, const std::string& only = "") {
  home.Restore(slot, only);
  home.Profile();
  Settle(DataDir(home.root));
  int fds[2];
  Run run;
  if (pipe(fds) != 0) {
    return run;
  }
  const Clock::time_point start = Clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], 1);
    close(fds[0]);
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    const std::string totalText = std::to_string(total);
    execl(self.c_str(), self.c_str(), "--child", home.root.c_str(), totalText.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  std::string out;
  char buffer[4096];
  for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) {
    out.append(buffer, static_cast<size_t>(n));
  }
  close(fds[0]);
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  run.seconds = Seconds(Clock::now() - start);
  run.peakKb = usage.ru_maxrss;
  run.cpu = CpuSeconds(usage);
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  std::vector<TableStart> starts;
  TableStart end;
  size_t at = 0;
  while (at < out.size()) {
    size_t nl = out.find('\n', at);
    std::string line = out.substr(at, nl - at);
    at = nl == std::string::npos ? out.size() : nl + 1;
    char name[256] = {};
    double wall = 0, cpu = 0;
    if (std::sscanf(line.c_str(), "counts %lf", &wall) == 1) {
      run.counts = wall;
    } else if (std::sscanf(line.c_str(), "end %lf %lf", &wall, &cpu) == 2) {
      end = {"", wall, cpu};
    } else if (std::sscanf(line.c_str(), "table %lf %lf %255[^\n]", &wall, &cpu, name) == 3) {
      starts.push_back({name, wall, cpu});
    }
  }
  for (size_t i = 0; i < starts.size(); ++i) {
    const TableStart& until = i + 1 < starts.size() ? starts[i + 1] : end;
    run.tables.push_back({starts[i].name, until.at - starts[i].at, until.cpu - starts[i].cpu});
  }
  return run;
}

// The bare program: every converted file's records with their stored keys, into a new SQLite
// database with the same tables and indexes, one transaction per file.
double BareSqlite(const Home& home, double* cpu) {
  const fs::path data = DataDir(home.root);
  const fs::path out = home.root / "bare";
  fs::remove_all(out);
  fs::create_directories(out);
  std::vector<fs::path> converted;
  for (const auto& entry : fs::directory_iterator(data)) {
    if (entry.is_regular_file() && entry.path().extension() == ".DB") {
      converted.push_back(entry.path());
    }
  }
  Settle(data);
  const Clock::time_point start = Clock::now();
  const double cpuStart = SelfCpuSeconds();
  for (const fs::path& file : converted) {
    sqlite3* from = nullptr;
    sqlite3* to = nullptr;
    sqlite3_open_v2(file.c_str(), &from, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_open((out / file.filename()).c_str(), &to);
    // The converted file's own schema: the record table and its key indexes.
    std::vector<std::string> schema;
    int keys = 0;
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(from, "SELECT sql, type FROM sqlite_master WHERE tbl_name = 'rec'", -1,
                       &stmt, nullptr);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      schema.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    }
    sqlite3_finalize(stmt);
    for (const std::string& sql : schema) {
      sqlite3_exec(to, sql.c_str(), nullptr, nullptr, nullptr);
      keys += sql.rfind("CREATE TABLE", 0) == 0 ? 0 : 1;
    }
    std::string cols = "data", params = "?1";
    for (int k = 0; k < keys; ++k) {
      cols += ", k" + std::to_string(k);
      params += ", ?" + std::to_string(k + 2);
    }
    sqlite3_stmt* read = nullptr;
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(from, ("SELECT " + cols + " FROM rec ORDER BY pos").c_str(), -1, &read,
                       nullptr);
    sqlite3_prepare_v2(to, ("INSERT INTO rec(" + cols + ") VALUES (" + params + ")").c_str(), -1,
                       &insert, nullptr);
    sqlite3_exec(to, "BEGIN", nullptr, nullptr, nullptr);
    while (sqlite3_step(read) == SQLITE_ROW) {
      for (int c = 0; c <= keys; ++c) {
        sqlite3_bind_blob(insert, c + 1, sqlite3_column_blob(read, c),
                          sqlite3_column_bytes(read, c), SQLITE_STATIC);
      }
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
    sqlite3_exec(to, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_finalize(read);
    sqlite3_finalize(insert);
    sqlite3_close(from);
    sqlite3_close(to);
  }
  *cpu = SelfCpuSeconds() - cpuStart;
  return Seconds(Clock::now() - start);
}

double Best(const std::vector<double>& values) {
  return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n == 0 ? 0 : n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

uint64_t Sum(const Counts& counts) {
  uint64_t total = 0;
  for (const auto& [file, n] : counts) {
    total += n;
  }
  return total;
}

uint32_t CountIn(const Counts& counts, const std::string& file) {
  for (const auto& [name, n] : counts) {
    if (name == file) {
      return n;
    }
  }
  return 0;
}

// Seconds per record of a table in each run, by the table's file.
struct PerRecord {
  std::string name;
  std::vector<double> wall, cpu;
};
using Timings = std::map<std::string, PerRecord>;

// Adds the time per record of every table of `run` that has at least 1,000 records (of the
// table of file `only`, when given). The run's tables come in step order, one per step file.
void AddTables(const Run& run, const Counts& counts, const std::string& only, Timings* timings) {
  for (size_t t = 0; t < run.tables.size() && t < counts.size(); ++t) {
    const auto& [file, n] = counts[t];
    if (n >= 1000 && (only.empty() || file == only)) {
      PerRecord& table = (*timings)[file];
      table.name = run.tables[t].name;
      table.wall.push_back(run.tables[t].seconds / n);
      table.cpu.push_back(run.tables[t].cpu / n);
    }
  }
}

// Prints the growth from `at1` to `at4` of every table that both hold, of the fastest runs (the
// median beside it), and returns the worst; adds the files of the tables that grow by more than
// kGrowthLimit to *over, when given. The machine only ever slows a run down: a slow spell of a
// shared machine lasts minutes and adds a third or more to every run in it, so the fastest run of
// each size is the one that tells what the program costs.
double PrintGrowth(const Timings& at1, const Timings& at4, std::vector<std::string>* over) {
  double worst = 0;
  for (const auto& [file, one] : at1) {
    auto it = at4.find(file);
    if (it == at4.end()) {
      continue;
    }
    const double wall1 = Best(one.wall), wall4 = Best(it->second.wall);
    const double cpu1 = Best(one.cpu), cpu4 = Best(it->second.cpu);
    if (wall1 <= 0 || cpu1 <= 0) {
      continue;
    }
    const double growth = wall4 / wall1;
    worst = std::max(worst, growth);
    if (over != nullptr && growth > kGrowthLimit) {
      over->push_back(file);
    }
    std::printf(
        "  %-32s %6.2f us -> %6.2f us  %.2f   (cpu %6.2f us -> %6.2f us  %.2f; median %.2f)\n",
        one.name.c_str(), wall1 * 1e6, wall4 * 1e6, growth, cpu1 * 1e6, cpu4 * 1e6, cpu4 / cpu1,
        Median(it->second.wall) / Median(one.wall));
  }
  return worst;
}

void PrintRun(const char* what, const Run& run, uint64_t records) {
  std::printf(
      "%-34s %8.2f s (cpu %6.2f s)  %9.0f records/s  peak %5.1f MB  counts shown after %.3f s%s\n",
      what, run.seconds, run.cpu, static_cast<double>(records) / run.seconds, run.peakKb / 1024.0,
      run.counts, run.ok ? "" : "  (RUN FAILED)");
}

long Arg(int argc, char** argv, const char* flag, const char* env, long fallback) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], flag) == 0) {
      return std::atol(argv[i + 1]);
    }
  }
  const char* value = std::getenv(env);
  return value != nullptr ? std::atol(value) : fallback;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--child") == 0) {
    return Child(argv[2], argv[3]);
  }
  const long records = Arg(argc, argv, "--records", "SCALE_RECORDS", 1000000);
  const long perFile = Arg(argc, argv, "--per-file", "SCALE_PER_FILE", 100000);
  const long repeat = std::max(1L, Arg(argc, argv, "--repeat", "SCALE_REPEAT", 5));
  Home home;

  // Ratio, memory and counts at `records` spread over the files: the whole run and the bare
  // program take turns `repeat` times; the ratio is of the fastest of each, memory and counts
  // the worst of the runs.
  const Counts spread = MakeDatabase(home, 0, records, 0);
  const uint64_t total = Sum(spread);
  std::printf("release 2.04, %lu records spread over %zu files\n",
              static_cast<unsigned long>(total), spread.size());
  Run whole;
  long wholePeakKb = 0;
  double countsWorst = 0;
  double bare = 0, bareCpu = 0;
  bool ok = true;
  for (long r = 0; r < repeat; ++r) {
    const Run run = RunChild(home, total, 0);
    ok = ok && run.ok;
    wholePeakKb = std::max(wholePeakKb, run.peakKb);
    countsWorst = run.counts < 0 || countsWorst < 0 ? -1 : std::max(countsWorst, run.counts);
    whole = r == 0 || run.seconds < whole.seconds ? run : whole;
    double cpu = 0;
    const double seconds = BareSqlite(home, &cpu);
    if (r == 0 || seconds < bare) {
      bare = seconds;
      bareCpu = cpu;
    }
    const std::string n = ", run " + std::to_string(r + 1);
    PrintRun(("whole upgrade (scripted)" + n).c_str(), run, total);
    std::printf("%-34s %8.2f s (cpu %6.2f s)  %9.0f records/s\n",
                ("bare SQLite, same records" + n).c_str(), seconds, cpu,
                static_cast<double>(total) / seconds);
  }
  std::printf("the fastest whole run, table by table:\n");
  // Tables come in step order, one per selected step file.
  for (size_t t = 0; t < whole.tables.size() && t < spread.size(); ++t) {
    const TableTime& table = whole.tables[t];
    std::printf("  %-32s %7.2f s  %8u records  %6.2f us/record\n", table.name.c_str(),
                table.seconds, spread[t].second,
                table.seconds * 1e6 / std::max<uint32_t>(spread[t].second, 1));
  }
  std::printf("RATIO run / bare SQLite, the fastest of each: %.2f (at most 1.0; cpu %.2f)\n",
              whole.seconds / bare, whole.cpu / bareCpu);

  // Growth: perFile and 4 x perFile records in every file, each run `repeat` times (see
  // PrintGrowth). The runs of the two sizes take turns, so that a slow spell of the machine
  // cannot fall on every run of one size.
  Counts counts[2];
  Timings timings[2];
  uint64_t totals[2] = {0, 0};
  long peakKb[2] = {0, 0};
  const long perFileOf[2] = {perFile, 4 * perFile};
  for (int i = 0; i < 2; ++i) {
    counts[i] = MakeDatabase(home, i + 1, 0, perFileOf[i]);
    totals[i] = Sum(counts[i]);
  }
  for (long r = 0; r < repeat; ++r) {
    for (int i = 0; i < 2; ++i) {
      const Run run = RunChild(home, totals[i], i + 1);
      ok = ok && run.ok;
      peakKb[i] = std::max(peakKb[i], run.peakKb);
      std::string label = std::to_string(perFileOf[i]) + " per file, run " + std::to_string(r + 1);
      PrintRun(label.c_str(), run, totals[i]);
      AddTables(run, counts[i], "", &timings[i]);
    }
  }
  std::printf("GROWTH per table, time per record at 4 x %ld over %ld per file (at most %.1f):\n",
              perFile, perFile, kGrowthLimit);
  std::vector<std::string> over;
  std::printf("GROWTH worst table: %.2f\n", PrintGrowth(timings[0], timings[1], &over));

  // A table that grows too much is upgraded again with its file the only one, so that the figure
  // tells the table's own cost from what the run before it left behind (the gigabytes it wrote
  // into the page cache, the state of the heap).
  if (!over.empty()) {
    Timings alone[2];
    for (const std::string& file : over) {
      for (long r = 0; r < repeat; ++r) {
        for (int i = 0; i < 2; ++i) {
          const Run run = RunChild(home, CountIn(counts[i], file), i + 1, file);
          ok = ok && run.ok;
          AddTables(run, counts[i], file, &alone[i]);
        }
      }
    }
    std::printf("GROWTH of the tables over %.1f, each upgraded alone (fastest of %ld runs):\n",
                kGrowthLimit, repeat);
    std::printf("GROWTH worst of them alone: %.2f\n", PrintGrowth(alone[0], alone[1], nullptr));
  }
  std::printf("MEMORY peak: %.1f MB (%lu records), %.1f MB (%lu), %.1f MB (%lu) (at most 64)\n",
              wholePeakKb / 1024.0, static_cast<unsigned long>(total), peakKb[0] / 1024.0,
              static_cast<unsigned long>(totals[0]), peakKb[1] / 1024.0,
              static_cast<unsigned long>(totals[1]));
  std::printf("COUNTS shown %.3f s after start at %lu records (at most 0.2)\n", countsWorst,
              static_cast<unsigned long>(total));
  return ok ? 0 : 1;
}
