// Whole-program fixtures: a home of its own for the program, runs of remold on the scripted
// front end, and the demo database of a release.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/framework/scripted_front_end.h"
#include "platform/registry/registry.h"
#include "tests/support/releases.h"
#include "tests/support/scoped_env.h"
#include "upgrade_test_support.h"

namespace testing_support {

bool Contains(const std::string& text, const std::string& part);

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
void PressStart(framework::ScriptedFrontEnd& ui);
void PressBackout(framework::ScriptedFrontEnd& ui);
void LeaveWhenWaiting(framework::ScriptedFrontEnd& ui);
void LeaveAtOnce(framework::ScriptedFrontEnd& ui);
// The first step the script could not carry out, or "".
std::string FirstFailure(const framework::ScriptedFrontEnd& ui);

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
std::string ReleaseName(const ::testing::TestParamInfo<Release>& info);

// Writes into the current directory the demo files of the steps `stepIds`, `records` records
// each, from one generator seeded with `seed`; then closes every record file.
void MakeDemoFiles(const std::vector<std::string>& stepIds, int records, unsigned seed);
// The demo files of every step that release `version` build `build` selects.
void MakeDemoDatabase(int version, int build, int records, unsigned seed);

}  // namespace testing_support
