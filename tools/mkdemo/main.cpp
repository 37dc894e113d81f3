// mkdemo: makes a demo installation of the product for remold to upgrade: a settings store (the
// profile layout, or the older flat one), a database of the chosen release with every file in the
// legacy layout that release wrote, and a program directory with remold and the product's
// "VENDRIX.EXE" placeholder.
//
//   mkdemo --home DIR [--release 2.04[.B]] [--records N | --records-per-file N] [--seed S]
//          [--flat] [--remold PATH]
//
// --records N spreads N records over the files as a customer's database holds them (historical
// orders most, terms and modem profiles few); --records-per-file N gives every file about N.
//
// DIR becomes the demo user's home: DIR/.config holds the settings, DIR/Documents the documents
// folder, DIR/program the programs. Releases before 3.04 build 5 kept the database beside the
// program, so their files go there; later ones into the profile's database directory.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <regex>
#include <string>

#include "app/upgrade_steps.h"
#include "platform/btrieve/btrcall.h"
#include "platform/registry/registry.h"
#include "tools/mkdemo/demo.h"

namespace fs = std::filesystem;

namespace {

struct Options {
  std::string home;
  int version = 516;
  int build = 0;
  long records = 200;
  bool perFile = true;  // --records-per-file, the default spread
  unsigned seed = 1;
  bool flat = false;
  std::string remold;
};

void Usage(FILE* out) {
  std::fprintf(out,
               "usage: mkdemo --home DIR [--release 2.04[.B]] [--records N | --records-per-file N]"
               " [--seed S] [--flat] [--remold PATH]\n"
               "Makes a demo home DIR with settings, a legacy database of the release (version\n"
               "major.minor, optional build B) and a program directory with remold. --records N\n"
               "spreads N records over the files as a customer's database holds them;\n"
               "--records-per-file N puts about N in every file (200 when neither is given).\n");
}

// "2.04" -> 2 * 256 + 4; "3.09.4" -> 777 with build 4. Nothing else: "2.04x", "2.4", "2.04."
// and "-2.04" are not releases.
bool ParseRelease(const std::string& text, int* version, int* build) {
  static const std::regex kRelease(R"(([0-9]{1,2})\.([0-9]{2})(?:\.([0-9]{1,3}))?)");
  std::smatch m;
  if (!std::regex_match(text, m, kRelease)) {
    return false;
  }
  *version = std::stoi(m[1]) * 256 + std::stoi(m[2]);
  *build = m[3].matched ? std::stoi(m[3]) : 0;
  return true;
}

bool ParseNumber(const char* text, long low, long high, long* out) {
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || v < low || v > high) {
    return false;
  }
  *out = v;
  return true;
}

// Returns 0, or 2 after printing a usage error.
int ParseArguments(int argc, char** argv, Options* o) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      Usage(stdout);
      std::exit(0);
    }
    if (arg == "--flat") {
      o->flat = true;
      continue;
    }
    if (i + 1 >= argc) {
      std::fprintf(stderr, "mkdemo: %s needs a value\n", arg.c_str());
      return 2;
    }
    const char* value = argv[++i];
    long n = 0;
    if (arg == "--home") {
      o->home = value;
    } else if (arg == "--remold") {
      o->remold = value;
    } else if (arg == "--release") {
      if (!ParseRelease(value, &o->version, &o->build)) {
        std::fprintf(stderr, "mkdemo: release \"%s\" is not of the form 2.04 or 3.09.4\n", value);
        return 2;
      }
    } else if (arg == "--records" || arg == "--records-per-file") {
      const long most = arg == "--records" ? 100000000 : 10000000;
      if (!ParseNumber(value, 0, most, &n)) {
        std::fprintf(stderr, "mkdemo: %s takes a whole number from 0 to %ld\n", arg.c_str(), most);
        return 2;
      }
      o->records = n;
      o->perFile = arg == "--records-per-file";
    } else if (arg == "--seed") {
      if (!ParseNumber(value, 0, 4294967295L, &n)) {
        std::fprintf(stderr, "mkdemo: --seed takes a whole number\n");
        return 2;
      }
      o->seed = static_cast<unsigned>(n);
    } else {
      std::fprintf(stderr, "mkdemo: unknown option %s\n", arg.c_str());
      Usage(stderr);
      return 2;
    }
  }
  if (o->home.empty()) {
    std::fprintf(stderr, "mkdemo: --home DIR is required\n");
    Usage(stderr);
    return 2;
  }
  return 0;
}

std::string FindRemold(const Options& o) {
  if (!o.remold.empty()) {
    return o.remold;
  }
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  for (const fs::path& candidate :
       {self.parent_path() / "remold",
        self.parent_path().parent_path().parent_path() / "app" / "remold"}) {
    if (fs::exists(candidate, ec)) {
      return candidate.string();
    }
  }
  return {};
}

bool DatabaseBesideProgram(const Options& o) {
  return o.version < 772 || (o.version == 772 && o.build < 5);
}

bool WriteSettings(const Options& o, const std::string& configHome,
                   const std::string& databaseDir) {
  registry::Store store(configHome + "/Corvane/Vendrix 32/registry.reg");
  if (!store.Load()) {
    std::fprintf(stderr, "mkdemo: %s\n", store.error().c_str());
    return false;
  }
  const std::string profile = o.flat ? "" : "Profiles\\ID0\\";
  bool ok = true;
  if (!o.flat) {
    ok = ok && store.WriteInt("Profiles", "Created", 1) && store.WriteInt("Profiles", "Current", 0);
    for (int n = 0; n <= 9; ++n) {
      ok = ok && store.WriteInt("Profiles\\ID" + std::to_string(n), "Enabled", n == 0 ? 1 : 0);
    }
  }
  ok = ok && store.WriteInt(profile + "Generic", "DBVersion", o.version) &&
       store.WriteInt(profile + "Generic", "Build", o.build) &&
       store.WriteString(profile + "Generic", "CompanyName", "Demo Foods") &&
       store.WriteString(profile + "Directories", "DatabaseDir", databaseDir) &&
       store.WriteInt(profile + "Communications", "TimedConnect", 1);
  if (!ok) {
    std::fprintf(stderr, "mkdemo: cannot write the settings: %s\n", store.error().c_str());
  }
  return ok;
}

// Runs the writer of every step the release selects, in the database directory.
int WriteDatabase(const Options& o, const std::string& databaseDir) {
  demo::Registry writers;
  demo::RegisterCatalogDemos(writers);
  demo::RegisterOrderDemos(writers);
  demo::RegisterCustomerDemos(writers);
  std::mt19937 rng(o.seed);
  const fs::path previous = fs::current_path();
  fs::current_path(databaseDir);
  int written = 0;
  int status = 0;
  const std::vector<const upgrade::Step*> steps = upgrade::SelectSteps(o.version, o.build);
  std::vector<std::string> files;
  for (const upgrade::Step* step : steps) {
    files.push_back(step->file);
  }
  const std::vector<int> counts = demo::SpreadRecords(files, o.records);
  for (size_t i = 0; i < steps.size(); ++i) {
    const upgrade::Step* step = steps[i];
    auto it = writers.find(step->id);
    if (it == writers.end()) {
      continue;
    }
    demo::Context ctx{o.perFile ? static_cast<int>(o.records) : counts[i], &rng, {}};
    status = it->second(ctx);
    if (status != 0) {
      std::fprintf(stderr, "mkdemo: step %s (%s): %s (status %d)\n", step->id, step->file,
                   ctx.error.c_str(), status);
      break;
    }
    ++written;
  }
  BTRCALL(btr::kStop, nullptr, nullptr, nullptr, nullptr, 0, 0);
  fs::current_path(previous);
  std::printf("mkdemo: %d legacy files of release %d.%02d build %d in %s\n", written,
              o.version / 256, o.version % 256, o.build, databaseDir.c_str());
  return status == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (const int usage = ParseArguments(argc, argv, &o); usage != 0) {
    return usage;
  }
  std::error_code ec;
  const fs::path home = fs::absolute(o.home, ec);
  const fs::path program = home / "program";
  const fs::path config = home / ".config";
  const fs::path documents = home / "Documents";
  const fs::path profileDir = documents / "Vendrix 32" / "ID0";
  const fs::path oldDir = home / "olddb";
  for (const fs::path& dir : {program, config, profileDir, oldDir}) {
    fs::create_directories(dir, ec);
    if (ec) {
      std::fprintf(stderr, "mkdemo: cannot create %s: %s\n", dir.c_str(), ec.message().c_str());
      return 1;
    }
  }
  const std::string remold = FindRemold(o);
  if (remold.empty()) {
    std::fprintf(stderr, "mkdemo: cannot find the remold program (give --remold PATH)\n");
    return 1;
  }
  fs::copy_file(remold, program / "remold", fs::copy_options::overwrite_existing, ec);
  if (ec) {
    std::fprintf(stderr, "mkdemo: cannot copy %s: %s\n", remold.c_str(), ec.message().c_str());
    return 1;
  }
  if (FILE* f = std::fopen((program / "VENDRIX.EXE").c_str(), "w")) {
    std::fputs("Vendrix 32 placeholder\n", f);
    std::fclose(f);
  }
  // Where the database lives before the upgrade: beside the program for old releases; for the
  // flat settings of later ones, an old directory that the dialog moves into the profile.
  const fs::path databaseDir = DatabaseBesideProgram(o) ? program : (o.flat ? oldDir : profileDir);
  for (const char* work : {"CONFS", "DBTEXT", "TEMP", "BACKUP"}) {
    fs::create_directories(databaseDir / work, ec);
  }
  const std::string settingDir =
      DatabaseBesideProgram(o) && !o.flat ? profileDir.string() : databaseDir.string();
  if (!WriteSettings(o, config.string(), settingDir)) {
    return 1;
  }
  return WriteDatabase(o, databaseDir.string());
}
