// The profile library against a settings store in a temporary XDG_CONFIG_HOME.
#include "platform/setbank/setbank.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "platform/framework/message.h"
#include "platform/framework/scripted_front_end.h"
#include "platform/registry/registry.h"
#include "tests/support/scoped_env.h"
#include "tests/support/scratch_dir.h"

using namespace framework;

namespace {

class SetbankTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store_ = std::make_unique<registry::Store>("Corvane", "Vendrix 32");
    ASSERT_TRUE(store_->Load());
  }

  void Profile(int n, int enabled, const std::string& company, const std::string& dir) {
    const std::string key = "Profiles\\ID" + std::to_string(n);
    ASSERT_TRUE(store_->WriteInt(key, "Enabled", enabled));
    ASSERT_TRUE(store_->WriteString(key + "\\Generic", "CompanyName", company));
    ASSERT_TRUE(store_->WriteString(key + "\\Directories", "DatabaseDir", dir));
  }

  rectest::ScratchPath scratch_;
  rectest::ScopedEnv config_{"XDG_CONFIG_HOME", scratch_.path()};
  std::unique_ptr<registry::Store> store_;
};

}  // namespace

TEST_F(SetbankTest, CurrentProfileMustBeInRangeAndEnabled) {
  EXPECT_EQ(ProfileLocation(), "");
  EXPECT_EQ(ProfileDatabaseLocation(), "");
  Profile(0, 1, "Alpha Foods", "C:\\VENDRIX\\ALPHA");
  Profile(3, 1, "Gamma & Sons", "/srv/gamma");
  Profile(5, 0, "Disabled", "C:\\OFF");

  EXPECT_EQ(ProfileLocation(), "");  // no "Current"
  const std::tuple<int, const char*, const char*> cases[] = {
      {3, "Profiles\\ID3\\", "/srv/gamma"},
      {5, "", ""},  // disabled
      {10, "", ""},
      {-1, "", ""},
      {0, "Profiles\\ID0\\", "C:\\VENDRIX\\ALPHA"},
  };
  for (const auto& [current, location, database] : cases) {
    ASSERT_TRUE(store_->WriteInt("Profiles", "Current", current));
    EXPECT_EQ(ProfileLocation(), location) << current;
    EXPECT_EQ(ProfileDatabaseLocation(), database) << current;
  }
}

TEST_F(SetbankTest, ChooserListsEnabledProfilesAndWritesTheChosenKey) {
  Profile(0, 0, "Off", "C:\\OFF");
  Profile(2, 1, "Beta Supply", "C:\\BETA");
  Profile(7, 1, "Gamma & Sons", "C:\\GAMMA");
  ScriptedFrontEnd ui({{Now(), ChooseProfile(7)}});
  char buffer[kProfileBufferSize];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(SelectProfile(0, buffer, GetDesktopWindow()), 7);
  EXPECT_STREQ(buffer, "Profiles\\ID7\\");
  EXPECT_TRUE(ui.failures().empty());
  int choosers = 0;
  for (const Event& e : ui.events()) {
    choosers += e.kind == Event::Kind::Opened && e.value == static_cast<int>(WindowRole::Chooser);
  }
  EXPECT_EQ(choosers, 1);
  ScriptedFrontEnd again({{Now(), ChooseProfile(0)}});
  EXPECT_EQ(SelectProfile(0, buffer, nullptr), -1);  // profile 0 is not offered
  EXPECT_EQ(again.failures().size(), 2u);            // the press, then the wait
}

TEST_F(SetbankTest, EscapeOrNoEnabledProfileGivesMinusOne) {
  char buffer[kProfileBufferSize] = "stale";
  {
    ScriptedFrontEnd ui;
    EXPECT_EQ(SelectProfile(0, buffer, nullptr), -1);  // nothing enabled: no chooser at all
    EXPECT_TRUE(ui.DialogsOpened().empty());
    EXPECT_TRUE(ui.events().empty());
    EXPECT_STREQ(buffer, "");
  }
  Profile(4, 1, "Delta", "C:\\DELTA");
  ScriptedFrontEnd ui({{Now(), Key(VK_ESCAPE)}});
  EXPECT_EQ(SelectProfile(0, buffer, nullptr), -1);
  EXPECT_STREQ(buffer, "");
  EXPECT_TRUE(ui.failures().empty());
  ScriptedFrontEnd enter({{Now(), Key(VK_RETURN)}});  // the first profile has the focus
  EXPECT_EQ(SelectProfile(0, buffer, nullptr), 4);
  EXPECT_STREQ(buffer, "Profiles\\ID4\\");
}
