// The splash is only recorded on the scripted front end, and the caller does not wait.
#include "platform/showpane/showpane.h"

#include <gtest/gtest.h>

#include "platform/framework/message.h"
#include "platform/framework/scripted_front_end.h"

TEST(ShowpaneTest, BannerIsShownWithoutWaiting) {
  framework::ScriptedFrontEnd ui;
  ShowSplash(GetDesktopWindow());
  EXPECT_EQ(ui.banners(), 1);
  EXPECT_NE(ui.events().back().text.find("Vendrix 32"), std::string::npos);
  EXPECT_TRUE(ui.failures().empty());
}
