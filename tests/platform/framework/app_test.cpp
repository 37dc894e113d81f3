// The application object (its settings store, an unreadable store, the entry) and the texts:
// numbered inserts, wrapping, mnemonics.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/framework/afxwin.h"
#include "platform/framework/scripted_front_end.h"
#include "resources/remold_resources.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scoped_env.h"
#include "tests/support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

class AppTest : public ::testing::Test {
 protected:
  rectest::ScratchPath scratch_;
  const fs::path dir_ = scratch_.path();
  rectest::ScopedEnv config_{"XDG_CONFIG_HOME", dir_.string()};
};

class SettingsApp : public CWinApp {
 public:
  int shown = 0;
  bool InitInstance() override {
    SetRegistryKey("Corvane");
    SetProfileName("Vendrix 32");
    if (!GetProfileError().empty()) {
      AfxMessageBox(GetProfileError(), MB_OK | MB_ICONSTOP);
      m_nExitCode = 2;
      return false;
    }
    WriteProfileInt("Profiles\\ID0\\Generic", "DBVersion", 516);
    WriteProfileString("Profiles\\ID0\\Directories", "DatabaseDir", "C:\\VENDRIX");
    m_nExitCode = GetProfileInt("profiles\\id0\\generic", "dbversion", -1) == 516 ? 0 : 9;
    return false;
  }
};

}  // namespace

TEST_F(AppTest, ProfileValuesGoToTheProductStore) {
  framework::ScriptedFrontEnd ui;
  SettingsApp app;
  EXPECT_EQ(AfxWinMain(app, ui, RemoldResources()), 0);
  EXPECT_EQ(app.m_pszAppName, "Remold");
  EXPECT_TRUE(fs::exists(dir_ / "Corvane" / "Vendrix 32" / "registry.reg"));
  EXPECT_EQ(app.GetProfileString("Profiles\\ID0\\Directories", "DatabaseDir", ""), "C:\\VENDRIX");
  EXPECT_EQ(app.GetProfileInt("Profiles", "Created", 7), 7);
  EXPECT_TRUE(ui.MessageBoxes().empty());
}

TEST_F(AppTest, UnreadableStoreIsReportedAndNeverWritten) {
  fs::create_directories(dir_ / "Corvane" / "Vendrix 32");
  const fs::path file = dir_ / "Corvane" / "Vendrix 32" / "registry.reg";
  const std::string garbage = "this is not a registry file\n[broken\n";
  rectest::WriteBytes(file, garbage);
  framework::ScriptedFrontEnd ui({{framework::Now(), framework::Answer(IDOK)}});
  SettingsApp app;
  EXPECT_EQ(AfxWinMain(app, ui, RemoldResources()), 2);
  ASSERT_EQ(ui.MessageBoxes().size(), 1u);
  EXPECT_NE(ui.MessageBoxes()[0].text.find("registry.reg"), std::string::npos);
  EXPECT_FALSE(app.WriteProfileInt("Profiles", "Created", 1));
  EXPECT_EQ(rectest::ReadBytes(file), garbage);
}

TEST(StringsTest, InsertsAreReplacedInOnePass) {
  EXPECT_EQ(AfxFormatStrings("Moving File %1 to %2.", {"A%2.DB", "C:\\X"}),
            "Moving File A%2.DB to C:\\X.");
  EXPECT_EQ(AfxFormatStrings("%2 before %1", {"one", "two"}), "two before one");
  EXPECT_EQ(AfxFormatStrings("100% of %1, %3 stays, %", {"x"}), "100% of x, %3 stays, %");
  EXPECT_EQ(AfxFormatStrings("%1%1", {"ab"}), "abab");
  framework::SetResources(&RemoldResources());
  EXPECT_EQ(LoadString(999), "");  // not in the string table
}

TEST(StringsTest, TextWrapsAtSpacesAndLineBreaks) {
  using framework::WrapText;
  EXPECT_EQ(WrapText("one two three", 7), (std::vector<std::string>{"one two", "three"}));
  EXPECT_EQ(WrapText("a\n\nb", 10), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(WrapText("abcdefghij", 4), (std::vector<std::string>{"abcd", "efgh", "ij"}));
  EXPECT_EQ(framework::StripMnemonic("&Yes && &No"), "Yes & No");
  EXPECT_EQ(framework::MnemonicOf("a&&b&c"), 'C');
}
