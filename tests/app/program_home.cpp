// Whole-program fixtures: see program_home.h.
#include "program_home.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "app/remold_app.h"
#include "app/upgrade_steps.h"
#include "platform/btrieve/btrcall.h"
#include "resources/remold_resources.h"
#include "resources/resource.h"
#include "tests/support/file_bytes.h"
#include "tools/mkdemo/demo.h"

namespace fs = std::filesystem;

namespace testing_support {

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
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

void PressStart(framework::ScriptedFrontEnd& ui) {
  ui.Add(framework::WhenDialog(IDD_REMOLD_DIALOG), framework::Press(IDOK));
}

void PressBackout(framework::ScriptedFrontEnd& ui) {
  ui.Add(framework::WhenDialog(IDD_REMOLD_DIALOG), framework::Press(IDC_BACKOUTUPGRADE));
}

void LeaveWhenWaiting(framework::ScriptedFrontEnd& ui) {
  ui.Add(framework::WhenText(IDC_STATUS_TEXT, "Waiting"), framework::Press(IDCANCEL));
  ui.Add(framework::WhenMessageBox("leave the upgrade program"), framework::Answer(IDYES));
}

void LeaveAtOnce(framework::ScriptedFrontEnd& ui) {
  ui.Add(framework::WhenDialog(IDD_REMOLD_DIALOG), framework::Press(IDCANCEL));
  ui.Add(framework::WhenMessageBox("leave the upgrade program"), framework::Answer(IDYES));
}

std::string FirstFailure(const framework::ScriptedFrontEnd& ui) {
  return ui.failures().empty() ? "" : ui.failures()[0];
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

std::string ReleaseName(const ::testing::TestParamInfo<Release>& info) {
  return "v" + std::to_string(info.param.version) + "b" + std::to_string(info.param.build);
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

void MakeDemoDatabase(int version, int build, int records, unsigned seed) {
  std::vector<std::string> ids;
  for (const upgrade::Step* step : upgrade::SelectSteps(version, build)) {
    ids.push_back(step->id);
  }
  MakeDemoFiles(ids, records, seed);
}

}  // namespace testing_support
