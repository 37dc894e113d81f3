// Fixtures of the upgrade and whole-program tests: a scratch data directory, a profile kept in
// memory, a run host that records what the run reported, raw record-file helpers; a home of its
// own for the program, runs of remold on the scripted front end, and the demo database of a
// release.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/profile.h"
#include "app/save_area.h"
#include "app/upgrade_run.h"
#include "app/upgrade_steps.h"
#include "platform/framework/scripted_front_end.h"
#include "platform/registry/registry.h"
#include "resources/resource.h"
#include "tests/support/record_bytes.h"
#include "tests/support/releases.h"
#include "tests/support/scoped_env.h"
#include "tests/support/scratch_dir.h"

namespace testing_support {

// The scratch directory of the upgrade tests; closes every record file first, so that no
// open file outlives the directory it was in.
class ScratchDir : public rectest::ScratchDir {
 public:
  ~ScratchDir();
};

class MemoryProfile : public upgrade::Profile {
 public:
  int32_t GetInt(const CString& section, const CString& name, int32_t def) override {
    const auto it = values.find(section + "|" + name);
    return it == values.end() ? def : std::stoi(it->second);
  }
  CString GetString(const CString& section, const CString& name, const CString& def) override {
    const auto it = values.find(section + "|" + name);
    return it == values.end() ? def : it->second;
  }
  bool WriteInt(const CString& section, const CString& name, int32_t value) override {
    return WriteString(section, name, std::to_string(value));
  }
  bool WriteString(const CString& section, const CString& name, const CString& value) override {
    values[section + "|" + name] = value;
    return true;
  }
  bool WriteValues(const std::vector<registry::Setting>& settings) override {
    for (const registry::Setting& s : settings) {
      WriteString(s.section, s.name, s.is_int ? std::to_string(s.number) : s.text);
    }
    return true;
  }
  std::string FileList() { return GetString("Upgrade", "FileList", ""); }
  std::map<std::string, std::string> values;
};

class RecordingHost : public upgrade::RunHost {
 public:
  explicit RecordingHost(upgrade::Profile& profile) : profile_(profile) {}
  void BeginTable(const CString&) override {}
  void FileStarted() override { ++filesDone; }
  void RecordInserted() override { ++recordsDone; }
  void UpdateProgress() override {}
  bool CancelRequested() override { return false; }
  bool ReplaceWithConverted(CBtrieveDB& legacy, CBtrieveDB& current, CString* why) override {
    return upgrade::ReplaceWithConverted(legacy, current, profile_, why);
  }
  void RemoveWorkFile() override { upgrade::RemoveWorkFile(); }
  void RecordsSkipped(const CString&, int) override {}

  int filesDone = 0;
  int recordsDone = 0;

 private:
  upgrade::Profile& profile_;
};

using Bytes = std::vector<uint8_t>;

// Creates a record file from a specification block and inserts raw records (key 0).
void MakeFile(const std::string& name, const Bytes& spec, const std::vector<Bytes>& records);
// Every record of a file in the order of key `key`, as raw bytes.
std::vector<Bytes> ReadAll(const std::string& name, int key = 0);
// The file's specification block as Stat returns it, record count zeroed.
Bytes StatBlock(const std::string& name);
// A fixed-length file's specification block: one one-segment key per segment.
inline Bytes Spec(uint16_t recordLength, const std::vector<rectest::Seg>& segments) {
  return rectest::SpecBlock(recordLength, false, static_cast<uint16_t>(segments.size()), segments);
}
// A record of `length` bytes built from (offset, bytes) pieces over zeros.
Bytes Record(size_t length, const std::vector<std::pair<size_t, Bytes>>& pieces);
inline Bytes Text(const std::string& s) {
  return Bytes(s.begin(), s.end());
}
inline Bytes Int32(int32_t v) {
  Bytes b(4);
  rectest::PutI32(b, 0, v);
  return b;
}
inline Bytes Float32(float f) {
  Bytes b(4);
  rectest::PutF32(b, 0, f);
  return b;
}

// Terms and accounts receivable of release 2.04 and of the current layout.
inline const Bytes kTerms0204Spec = Spec(22, {{1, 2, 0, 0}});
inline const Bytes kTermsSpec = Spec(40, {{1, 2, 0, 0}});
inline const Bytes kAr0204Spec = Spec(64, {{1, 6, 1, 0}});
inline const Bytes kArSpec = Spec(68, {{1, 6, 1, 0}});
// A 2.04 terms record: code (2 bytes), description (20).
inline Bytes Terms0204(const std::string& code, const std::string& description) {
  return Record(22, {{0, Text(code)}, {2, Text(description)}});
}
// A run of the steps in a scratch directory, on a profile in memory.
class StepsTest : public ::testing::Test {
 protected:
  upgrade::RunSummary Run(int version, int build = 0) {
    return upgrade::RunSteps(host, version, build, &mask);
  }
  ScratchDir dir;
  MemoryProfile profile;
  RecordingHost host{profile};
  uint64_t mask = 0;
};

// Writes TERMS.DB of release 2.04 with `count` records ("Aa" "Terms 0", "Ba" "Terms 1", ...)
// into the current directory; returns them in key order.
std::vector<Bytes> MakeTerms0204(int count);

// ---- The whole program ----

inline bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// HOME and XDG_CONFIG_HOME point into a scratch directory (settings under HOME/.config, documents
// under HOME/Documents); a program directory holds the product's program file; the database
// directory of profile 0 exists. The scratch directory is the working directory.
class ProgramHome : public ::testing::Test {
 protected:
  void SetUp() override;

  // Profile 0, current and enabled, at `version` and `build`, its database in dataDir.
  void Profile(int version, int build);
  // A setting as a fresh reader of the settings file sees it.
  int Int(const std::string& section, const std::string& name, int def = -99);
  std::string String(const std::string& section, const std::string& name);
  std::string InData(const std::string& name) const { return dataDir + "/" + name; }
  // Profile 0 at release 2.04 with `count` terms in its data directory; returns them in key order.
  std::vector<Bytes> Terms204(int count);
  // Runs `body` with `dir` current, then closes every record file.
  void InDirectory(const std::string& dir, const std::function<void()>& body);

  // Runs remold on `ui`; returns its exit status. Every record file is closed afterwards and the
  // scratch directory is current again.
  int RunApp(framework::ScriptedFrontEnd& ui);
  int RunApp(const std::function<void(framework::ScriptedFrontEnd&)>& script);

  ScratchDir scratch;
  const std::string home = scratch.path();
  const std::string program = home + "/program";
  std::string dataDir = home + "/Documents/Vendrix 32/ID0";
  std::unique_ptr<registry::Store> store;

 private:
  rectest::ScopedEnv home_{"HOME", home};
  rectest::ScopedEnv config_{"XDG_CONFIG_HOME", home + "/.config"};
};

// Script steps: press Start Upgrade, or Back Out, once the upgrade dialog is up; leave the
// program once the dialog waits again, or at once.
inline void PressStart(framework::ScriptedFrontEnd& ui) {
  ui.Add(framework::WhenDialog(IDD_REMOLD_DIALOG), framework::Press(IDOK));
}
inline void PressBackout(framework::ScriptedFrontEnd& ui) {
  ui.Add(framework::WhenDialog(IDD_REMOLD_DIALOG), framework::Press(IDC_BACKOUTUPGRADE));
}
inline void LeaveWhenWaiting(framework::ScriptedFrontEnd& ui) {
  ui.Add(framework::WhenText(IDC_STATUS_TEXT, "Waiting"), framework::Press(IDCANCEL));
  ui.Add(framework::WhenMessageBox("leave the upgrade program"), framework::Answer(IDYES));
}
inline void LeaveAtOnce(framework::ScriptedFrontEnd& ui) {
  ui.Add(framework::WhenDialog(IDD_REMOLD_DIALOG), framework::Press(IDCANCEL));
  ui.Add(framework::WhenMessageBox("leave the upgrade program"), framework::Answer(IDYES));
}
// The first step the script could not carry out, or "".
inline std::string FirstFailure(const framework::ScriptedFrontEnd& ui) {
  return ui.failures().empty() ? "" : ui.failures()[0];
}

// How a child process ended (its wait status) and the text it sent back.
struct ChildResult {
  int status = 0;
  std::string text;
};
// Runs `body` in a child process, which exits with what `body` returns (or dies on the way);
// the text `body` leaves in its argument comes back through a pipe.
ChildResult InChild(const std::function<int(std::string* text)>& body);

// What a run of the real program printed, and its exit status (-1: it did not exit).
struct Outcome {
  int status = -1;
  std::string out, err;
};
// Runs the program file `remold` with `args` (shell words) and input from /dev/null.
Outcome RunRemold(const std::string& remold, const std::string& args);

using rectest::kEveryRelease;
using rectest::Release;
// "v516b0": the name of a test of one release.
inline std::string ReleaseName(const ::testing::TestParamInfo<Release>& info) {
  return "v" + std::to_string(info.param.version) + "b" + std::to_string(info.param.build);
}

// Writes into the current directory the demo files of the steps `stepIds`, `records` records
// each, from one generator seeded with `seed`; then closes every record file.
void MakeDemoFiles(const std::vector<std::string>& stepIds, int records, unsigned seed);
// The ids of the steps that release `version` build `build` selects, in the order they run.
std::vector<std::string> StepIds(int version, int build);
// The demo files of every step that release `version` build `build` selects.
void MakeDemoDatabase(int version, int build, int records, unsigned seed);

}  // namespace testing_support
