// The whole upgrade run, as a user starts it (the dialog on the scripted front end, progress
// bars, one message dispatched per record, the save area and the settings), against a bare loop
// that reads, converts and inserts the same records through the same table classes.
//
// Each case builds its legacy file once, then per iteration puts a copy in place and runs. The
// figures that matter are printed at the end: seconds per run, records per second, and the ratio
// of the run to the bare loop for the terms table.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "app/remold_app.h"
#include "app/upgrade_steps.h"
#include "platform/btrieve/btrcall.h"
#include "platform/framework/scripted_front_end.h"
#include "platform/registry/registry.h"
#include "resources/remold_resources.h"
#include "tables/customers/ar.h"
#include "tables/orders/terms.h"
#include "tests/support/scratch_path.h"
#include "tools/mkdemo/demo.h"

namespace fs = std::filesystem;

namespace {

struct Home {
  rectest::ScratchPath scratch;
  fs::path root = scratch.path();
  fs::path program = root / "program";
  fs::path data = root / "Documents" / "Vendrix 32" / "ID0";
  fs::path templates = root / "templates";
  Home() {
    fs::create_directories(program);
    fs::create_directories(data);
    fs::create_directories(templates);
    std::ofstream(program / "VENDRIX.EXE") << "placeholder";
    setenv("HOME", root.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / ".config").c_str(), 1);
  }
  void Profile(int version, int build) {
    registry::Store store("Corvane", "Vendrix 32");
    store.Load();
    store.WriteInt("Profiles", "Created", 1);
    store.WriteInt("Profiles", "Current", 0);
    store.WriteInt("Profiles\\ID0", "Enabled", 1);
    store.WriteInt("Profiles\\ID0\\Generic", "DBVersion", version);
    store.WriteInt("Profiles\\ID0\\Generic", "Build", build);
    store.WriteInt("Profiles\\ID0\\Upgrade", "UpgradeRunning", 0);
    store.WriteString("Profiles\\ID0\\Directories", "DatabaseDir", data.string());
  }
  // Makes the data directory hold exactly the template files.
  void Restore() {
    for (const auto& entry : fs::directory_iterator(data)) {
      fs::remove_all(entry.path());
    }
    for (const auto& entry : fs::directory_iterator(templates)) {
      fs::copy_file(entry.path(), data / entry.path().filename());
    }
  }
};

Home& TheHome() {
  static Home home;
  return home;
}

// 65,025 terms: every two-character code without a NUL byte (the code is the unique key).
void WriteTermsTemplate(const fs::path& dir) {
  const fs::path previous = fs::current_path();
  fs::current_path(dir);
  CTerms0204DB table;
  table.CreateFile("TERMS.DB");
  CTerms0204 r;
  for (int a = 1; a < 256; ++a) {
    for (int b = 1; b < 256; ++b) {
      r.Code = {static_cast<char>(a), static_cast<char>(b)};
      r.Description = "Net " + std::to_string(a * b);
      table.InsertRecord(r);
    }
  }
  table.Close();
  fs::current_path(previous);
}

// A legacy file written by the demo writer of a step.
void WriteStepTemplate(const fs::path& dir, const std::string& stepId, int records) {
  demo::Registry writers;
  demo::RegisterCatalogDemos(writers);
  demo::RegisterOrderDemos(writers);
  demo::RegisterCustomerDemos(writers);
  const fs::path previous = fs::current_path();
  fs::current_path(dir);
  std::mt19937 rng(7);
  demo::Context ctx{records, &rng, {}};
  if (writers.count(stepId) == 0 || writers[stepId](ctx) != 0) {
    std::fprintf(stderr, "no demo writer for step %s: %s\n", stepId.c_str(), ctx.error.c_str());
  }
  BTRCALL(btr::kStop, nullptr, nullptr, nullptr, nullptr, 0, 0);
  fs::current_path(previous);
}

void ClearTemplates() {
  for (const auto& entry : fs::directory_iterator(TheHome().templates)) {
    fs::remove_all(entry.path());
  }
}

// One run of the program on the scripted front end; returns its exit status.
int RunProgram() {
  framework::ScriptedFrontEnd ui;
  ui.Add(framework::WhenDialog(IDD_REMOLD_DIALOG), framework::Press(IDOK));
  CRemoldApp app(TheHome().program.string());
  return AfxWinMain(app, ui, RemoldResources());
}

void RunCase(benchmark::State& state, int version, int build) {
  Home& home = TheHome();
  for (auto _ : state) {
    state.PauseTiming();
    home.Restore();
    home.Profile(version, build);
    fs::current_path(home.root);
    state.ResumeTiming();
    const int status = RunProgram();
    if (status != 0) {
      state.SkipWithError("the run did not complete");
      break;
    }
  }
  fs::current_path(home.root);
}

void BM_RunTerms(benchmark::State& state) {
  ClearTemplates();
  WriteTermsTemplate(TheHome().templates);
  RunCase(state, 516, 0);
  state.counters["records/s"] =
      benchmark::Counter(65025.0 * state.iterations(), benchmark::Counter::kIsRate);
}

// The same records through the same classes, without the dialog: read, convert, insert.
template <class L, class N, class Old, class New>
void BareLoop(benchmark::State& state) {
  Home& home = TheHome();
  for (auto _ : state) {
    state.PauseTiming();
    home.Restore();
    fs::current_path(home.data);
    state.ResumeTiming();
    L legacy;
    N current;
    Old r;
    New R;
    legacy.Open(nullptr);
    current.CreateFile("TMP.DB");
    for (int status = legacy.ReadFirst(r); status == 0; status = legacy.ReadNext(r)) {
      ConvertRecord(r, R);
      current.InsertRecord(R);
    }
    legacy.Close();
    current.Close();
  }
  fs::current_path(home.root);
}

void BM_BareLoopTerms(benchmark::State& state) {
  ClearTemplates();
  WriteTermsTemplate(TheHome().templates);
  BareLoop<CTerms0204DB, CTermsDB, CTerms0204, CTerms>(state);
  state.counters["records/s"] =
      benchmark::Counter(65025.0 * state.iterations(), benchmark::Counter::kIsRate);
}

constexpr int kArRecords = 200000;

void BM_RunAr(benchmark::State& state) {
  ClearTemplates();
  WriteStepTemplate(TheHome().templates, "11", kArRecords);
  RunCase(state, 516, 0);
  state.counters["records/s"] =
      benchmark::Counter(double{kArRecords} * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_BareLoopAr(benchmark::State& state) {
  ClearTemplates();
  WriteStepTemplate(TheHome().templates, "11", kArRecords);
  BareLoop<CAr0204DB, CArDB, CAr0204, CAr>(state);
  state.counters["records/s"] =
      benchmark::Counter(double{kArRecords} * state.iterations(), benchmark::Counter::kIsRate);
}

// A family's file through the whole run: step id, release that selects it, records.
void BM_RunStep(benchmark::State& state, const char* stepId, int version, int build, int records) {
  ClearTemplates();
  WriteStepTemplate(TheHome().templates, stepId, records);
  RunCase(state, version, build);
  state.counters["records/s"] = benchmark::Counter(
      static_cast<double>(records) * state.iterations(), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_RunTerms)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_BareLoopTerms)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_RunAr)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_BareLoopAr)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK_CAPTURE(BM_RunStep, items_0308_with_notes, "14b", 776, 0, 50000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_RunStep, customers_0308, "18b", 776, 0, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_RunStep, price_contracts_0202, "2b", 514, 0, 200000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_RunStep, historical_order_lines_0304, "6b", 772, 5, 200000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_RunStep, velocity_0401, "8d", 1025, 4, 200000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
