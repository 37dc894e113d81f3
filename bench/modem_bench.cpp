// Filling a modem profile file: CModemProfileDB::InsertRecord gives every profile the first free
// code 000001, 000002, ..., so a new file of n profiles must cost time linear in n. Measured:
//   profiles   n inserts through InsertRecord into a new file
//   bare       the same n records formatted and inserted with their codes counted up by the
//              caller, no lookups: the floor for the same records
//   fromStart  the codes found by looking up 000001, 000002, ... from the start for every
//              insert (quadratic), on a small n only, beside `profiles` on the same n
// Prints the ratio of `profiles` to `bare` at 100,000 profiles.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include "bench/ratio_reporter.h"
#include "recfile/table_ops.h"
#include "tables/orders/key_probe.h"
#include "tables/orders/modem_profile.h"
#include "tests/support/scratch_path.h"

namespace {

constexpr int kProfiles = 100'000;
constexpr int kSmall = 2'000;

CModemProfile Profile(int i) {
  CModemProfile p;
  p.Text35 = "profile " + std::to_string(i);
  p.SecretText = "secret";
  p.Text50A = "ATZ";
  return p;
}

std::string Code(int n) {
  char code[16];
  std::snprintf(code, sizeof code, "%.6d", n);
  return code;
}

// How one file of n profiles is filled: `insert` puts profile i into the open table, nonzero on
// a failure.
using Fill = int (*)(CModemProfileDB& table, int i);

// The timing loop of every case: a new file in a fresh directory per iteration, n inserts.
void FillNewFiles(benchmark::State& state, Fill insert) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    rectest::ScratchDir scratch;
    CModemProfileDB table;
    if (table.CreateFile("MODEM.DB") != 0) {
      state.SkipWithError("create failed");
      return;
    }
    for (int i = 0; i < n; ++i) {
      if (insert(table, i) != 0) {
        state.SkipWithError("insert failed or took an unexpected code");
        return;
      }
    }
    table.Close();
  }
}

// The record as InsertRecord stores it, with the code the caller chose.
int InsertWithCode(CModemProfileDB& table, int i, int code) {
  CModemProfile p = Profile(i);
  p.SecretText = ScrambleSecret(p.SecretText);  // the work InsertRecord does besides lookups
  p.ProfileCode = Code(code);
  uint8_t key[6] = {};
  return recfile::InsertRecord(table, kModemProfileLayout, p, key, 0);
}

void BM_Profiles(benchmark::State& state) {
  FillNewFiles(state, [](CModemProfileDB& table, int i) {
    CModemProfile p = Profile(i);
    return table.InsertRecord(p) != 0 || p.ProfileCode != Code(i + 1) ? 1 : 0;
  });
}

void BM_Bare(benchmark::State& state) {
  FillNewFiles(state,
               [](CModemProfileDB& table, int i) { return InsertWithCode(table, i, i + 1); });
}

// The search every insert made before the object remembered the codes it had seen taken.
void BM_FromStart(benchmark::State& state) {
  FillNewFiles(state, [](CModemProfileDB& table, int i) {
    uint8_t key[6] = {};
    int candidate = 1;
    for (;; ++candidate) {
      recfile::WriteText(key, sizeof key, Code(candidate));
      if (orders::ProbeKey(table, key, 0) != 0) {
        break;
      }
    }
    return InsertWithCode(table, i, candidate);
  });
}

BENCHMARK(BM_Profiles)
    ->Arg(kProfiles)
    ->Arg(kSmall)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();
BENCHMARK(BM_Bare)->Arg(kProfiles)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_FromStart)->Arg(kSmall)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void PrintRatio(const RatioReporter& r, const std::string& what, const std::string& measured,
                const std::string& baseline) {
  auto m = r.millis.find(measured);
  auto b = r.millis.find(baseline);
  if (m == r.millis.end() || b == r.millis.end()) {
    return;
  }
  std::printf("%-48s %10.1f ms against %10.1f ms   ratio %.2f\n", what.c_str(), m->second,
              b->second, m->second / b->second);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const std::string big = std::to_string(kProfiles), small = std::to_string(kSmall);
  std::printf("\n");
  PrintRatio(reporter, big + " profiles: InsertRecord / bare inserts",
             "BM_Profiles/" + big + "/iterations:2/real_time",
             "BM_Bare/" + big + "/iterations:2/real_time");
  PrintRatio(reporter, small + " profiles: search from 000001 / InsertRecord",
             "BM_FromStart/" + small + "/iterations:1/real_time",
             "BM_Profiles/" + small + "/iterations:2/real_time");
  benchmark::Shutdown();
  return 0;
}
