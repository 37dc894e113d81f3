// The real remold program in a pseudo-terminal: it shows the dialog, Enter presses Start Upgrade
// (the focused button), the run converts the files and the program ends stamped. (Its command
// line is tested in unattended_test.cpp.)
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "app_test_support.h"
#include "tests/support/pty_child.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

class TerminalProgram : public ProgramHome {
 protected:
  void SetUp() override {
    ProgramHome::SetUp();
    fs::copy_file(REMOLD_PATH, program + "/remold");
    Terms204(400);
    InDirectory(dataDir, [] { MakeFile("AR.DB", kAr0204Spec, {Record(64, {{0, Text("C1")}})}); });
  }
};

TEST_F(TerminalProgram, EnterStartsTheUpgradeAndTheProfileEndsCurrent) {
  const std::string remold = program + "/remold";
  rectest::PtyChild child([&] {
    execl(remold.c_str(), "remold", static_cast<char*>(nullptr));
    return 127;
  });
  EXPECT_TRUE(child.Shown("Start Upgrade")) << child.output();
  EXPECT_TRUE(child.Shown("401 total records")) << child.output();
  // The product banner shows for a second over the dialog; a key typed meanwhile still counts.
  EXPECT_TRUE(child.Shown("Sales Order Entry")) << child.output();
  child.Type("\r");
  const int status = child.Wait(60);
  ASSERT_TRUE(WIFEXITED(status)) << "remold did not end (" << status << ")";
  EXPECT_EQ(WEXITSTATUS(status), 0);

  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "DBVersion"), 1028);
  EXPECT_EQ(Int("Profiles\\ID0\\Generic", "Build"), 4);
  EXPECT_EQ(Int("Profiles\\ID0\\Upgrade", "UpgradeRunning"), 0);
  EXPECT_EQ(String("Profiles\\ID0\\Upgrade", "FileList"), "SAVEDB\\TERMS.DB|SAVEDB\\AR.DB|");
  // What the run converted in detail is tested on the scripted front end (remold_app_test.cpp).
  EXPECT_EQ(ReadAll(InData("TERMS.DB")).size(), 400u);
  EXPECT_EQ(StatBlock(InData("AR.DB")), kArSpec);
  EXPECT_TRUE(fs::exists(InData("SAVEDB/TERMS.DB")));
}

}  // namespace
