// Fixtures of the upgrade and whole-program tests: see app_test_support.h.
#include "app_test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "app/remold_app.h"
#include "platform/btrieve/btrcall.h"
#include "resources/remold_resources.h"
#include "resources/resource.h"
#include "tests/platform/btrieve/fixture.h"
#include "tests/support/file_bytes.h"
#include "tools/mkdemo/demo.h"

namespace fs = std::filesystem;

namespace testing_support {

ScratchDir::~ScratchDir() {
  BTRCALL(btr::kReset, nullptr, nullptr, nullptr, nullptr, 0, 0);
}

// Each helper below works through a position block of its own, closed before it returns.
void MakeFile(const std::string& name, const Bytes& spec, const std::vector<Bytes>& records) {
  ASSERT_EQ(0, btrtest::Create(name, spec)) << name;
  btrtest::Handle file;
  ASSERT_EQ(0, file.Open(name)) << name;
  for (const Bytes& record : records) {
    ASSERT_EQ(0, file.Insert(record)) << name;
  }
  ASSERT_EQ(0, file.Close()) << name;
}

std::vector<Bytes> ReadAll(const std::string& name, int key) {
  std::vector<Bytes> out;
  btrtest::Handle file;
  if (file.Open(name) != 0) {
    ADD_FAILURE() << "cannot open " << name;
    return out;
  }
  int status = file.Get(btr::kGetFirst, key, 8192);
  for (; status == 0; status = file.Get(btr::kGetNext, key, 8192)) {
    out.push_back(file.record());
  }
  EXPECT_EQ(btr::kEndOfFile, status) << name;
  EXPECT_EQ(0, file.Close()) << name;
  return out;
}

Bytes StatBlock(const std::string& name) {
  btrtest::Handle file;
  EXPECT_EQ(0, file.Open(name)) << name;
  EXPECT_EQ(0, file.Get(btr::kStat, 0, 1024)) << name;
  Bytes block = file.record();
  block.resize(std::max<size_t>(block.size(), 10));
  std::memset(block.data() + 6, 0, 4);
  EXPECT_EQ(0, file.Close()) << name;
  return block;
}

Bytes Record(size_t length, const std::vector<std::pair<size_t, Bytes>>& pieces) {
  Bytes r(length, 0);
  for (const auto& [offset, bytes] : pieces) {
    std::copy(bytes.begin(), bytes.end(), r.begin() + static_cast<std::ptrdiff_t>(offset));
  }
  return r;
}

std::vector<Bytes> MakeTerms0204(int count) {
  std::vector<Bytes> records;
  for (int i = 0; i < count; ++i) {
    const std::string code = {static_cast<char>('A' + i % 26), static_cast<char>('a' + i / 26)};
    records.push_back(Terms0204(code, "Terms " + std::to_string(i)));
  }
  MakeFile("TERMS.DB", kTerms0204Spec, records);
  return ReadAll("TERMS.DB");
}

void ProgramHome::SetUp() {
  fs::create_directories(program);
  fs::create_directories(dataDir);
  std::ofstream(program + "/VENDRIX.EXE") << "placeholder";
  store = std::make_unique<registry::Store>("Corvane", "Vendrix 32");
  ASSERT_TRUE(store->Load()) << store->error();
}

void ProgramHome::Profile(int version, int build) {
  ASSERT_TRUE(store->WriteValues({
      registry::Setting::Int("Profiles", "Created", 1),
      registry::Setting::Int("Profiles", "Current", 0),
      registry::Setting::Int("Profiles\\ID0", "Enabled", 1),
      registry::Setting::Int("Profiles\\ID0\\Generic", "DBVersion", version),
      registry::Setting::Int("Profiles\\ID0\\Generic", "Build", build),
      registry::Setting::Text("Profiles\\ID0\\Directories", "DatabaseDir", dataDir),
  })) << store->error();
}

std::vector<Bytes> ProgramHome::Terms204(int count) {
  Profile(516, 0);
  std::vector<Bytes> records;
  InDirectory(dataDir, [&] { records = MakeTerms0204(count); });
  return records;
}

int ProgramHome::Int(const std::string& section, const std::string& name, int def) {
  registry::Store fresh("Corvane", "Vendrix 32");
  EXPECT_TRUE(fresh.Load()) << fresh.error();
  return fresh.GetInt(section, name, def);
}

std::string ProgramHome::String(const std::string& section, const std::string& name) {
  registry::Store fresh("Corvane", "Vendrix 32");
  EXPECT_TRUE(fresh.Load()) << fresh.error();
  return fresh.GetString(section, name, "<missing>");
}

void ProgramHome::InDirectory(const std::string& dir, const std::function<void()>& body) {
  const fs::path previous = fs::current_path();
  fs::current_path(dir);
  body();
  BTRCALL(btr::kStop, nullptr, nullptr, nullptr, nullptr, 0, 0);
  fs::current_path(previous);
}

int ProgramHome::RunApp(framework::ScriptedFrontEnd& ui) {
  CRemoldApp app(program);
  const int status = AfxWinMain(app, ui, RemoldResources());
  BTRCALL(btr::kReset, nullptr, nullptr, nullptr, nullptr, 0, 0);
  fs::current_path(scratch.path());
  return status;
}

int ProgramHome::RunApp(const std::function<void(framework::ScriptedFrontEnd&)>& script) {
  framework::ScriptedFrontEnd ui;
  script(ui);
  return RunApp(ui);
}

ChildResult InChild(const std::function<int(std::string* text)>& body) {
  ChildResult result;
  int pipeFds[2];
  if (pipe(pipeFds) != 0) {
    ADD_FAILURE() << "no pipe";
    return result;
  }
  fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    close(pipeFds[0]);
    std::string text;
    const int status = body(&text);
    for (size_t done = 0; done < text.size();) {
      const ssize_t n = write(pipeFds[1], text.data() + done, text.size() - done);
      if (n <= 0) {
        break;
      }
      done += static_cast<size_t>(n);
    }
    _exit(status);
  }
  close(pipeFds[1]);
  char buffer[4096];
  for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
    result.text.append(buffer, static_cast<size_t>(n));
  }
  close(pipeFds[0]);
  EXPECT_EQ(child, waitpid(child, &result.status, 0)) << "the child did not start";
  return result;
}

Outcome RunRemold(const std::string& remold, const std::string& args) {
  const rectest::ScratchPath printed;
  const std::string out = printed.path() + "/out", err = printed.path() + "/err";
  const int status =
      system(("'" + remold + "' " + args + " </dev/null >" + out + " 2>" + err).c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, rectest::ReadBytes(out),
          rectest::ReadBytes(err)};
}

void MakeDemoFiles(const std::vector<std::string>& stepIds, int records, unsigned seed) {
  demo::Registry writers;
  demo::RegisterCatalogDemos(writers);
  demo::RegisterOrderDemos(writers);
  demo::RegisterCustomerDemos(writers);
  std::mt19937 rng(seed);
  for (const std::string& id : stepIds) {
    ASSERT_EQ(writers.count(id), 1u) << "no demo writer for step " << id;
    demo::Context ctx{records, &rng, {}};
    ASSERT_EQ(0, writers[id](ctx)) << id << ": " << ctx.error;
  }
  BTRCALL(btr::kStop, nullptr, nullptr, nullptr, nullptr, 0, 0);
}

std::vector<std::string> StepIds(int version, int build) {
  std::vector<std::string> ids;
  for (const upgrade::Step* step : upgrade::SelectSteps(version, build)) {
    ids.push_back(step->id);
  }
  return ids;
}

void MakeDemoDatabase(int version, int build, int records, unsigned seed) {
  MakeDemoFiles(StepIds(version, build), records, seed);
}

}  // namespace testing_support
