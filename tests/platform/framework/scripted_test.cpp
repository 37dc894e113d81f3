// The scripted front end: triggers, records, and failing loudly instead of hanging.
#include <gtest/gtest.h>

#include "platform/framework/scripted_front_end.h"
#include "upgrade_dialog_double.h"

using namespace framework;

using ScriptTest = WithResources;

TEST_F(ScriptTest, UsedUpScriptEndsTheWaitingDialogsAndSaysSo) {
  // The script presses Cancel but never answers the question: the box gets No, the dialog is
  // ended with Cancel without asking again, and both facts are recorded.
  ScriptedFrontEnd ui({{Now(), Press(IDCANCEL)}});
  UpgradeDialogDouble dlg(10);
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  ASSERT_EQ(ui.failures().size(), 1u);
  EXPECT_NE(ui.failures()[0].find("script used up while message box"), std::string::npos);
  ASSERT_EQ(ui.MessageBoxes().size(), 1u);
  EXPECT_EQ(ui.MessageBoxes()[0].answer, IDNO);
}

TEST_F(ScriptTest, StepThatCannotFireWhileWaitingIsAFailure) {
  ScriptedFrontEnd ui({{AfterPumps(1000), Press(IDOK)}});
  UpgradeDialogDouble dlg(10);
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  ASSERT_EQ(ui.failures().size(), 1u);
  EXPECT_NE(ui.failures()[0].find("after 1000 pumps"), std::string::npos);
  EXPECT_EQ(dlg.runs_, 0);
}

TEST_F(ScriptTest, MessageBoxWithoutAFrontEndAnswersNo) {
  // No front end at all: nothing can answer, and the box must not wait forever.
  FrontEnd* saved = CurrentFrontEnd();
  SetFrontEnd(nullptr);
  EXPECT_EQ(AfxMessageBox("Proceed?", MB_YESNO), IDNO);
  EXPECT_EQ(AfxMessageBox("Done."), IDOK);
  SetFrontEnd(saved);
}

TEST_F(ScriptTest, RecordsOpenedDialogsTextsAndBanners) {
  ScriptedFrontEnd ui({{Now(), Press(IDOK)}});
  UpgradeDialogDouble dlg(2);
  EXPECT_EQ(dlg.DoModal(), IDOK);
  ui.ShowBanner({"Vendrix 32"});
  EXPECT_EQ(ui.banners(), 1);
  EXPECT_EQ(ui.DialogsOpened(), std::vector<int>{IDD_REMOLD_DIALOG});
  EXPECT_EQ(ui.DialogsClosed(), (std::vector<std::pair<int, int>>{{IDD_REMOLD_DIALOG, IDOK}}));
  EXPECT_EQ(ui.LastText(IDC_STATUS_TEXT), "Working on Record 2 database");
  // Start Upgrade was enabled and Backout disabled in OnInitDialog.
  bool sawBackoutDisabled = false;
  for (const Event& e : ui.events()) {
    if (e.kind == Event::Kind::Enabled && e.control == IDC_BACKOUTUPGRADE && e.value == 0) {
      sawBackoutDisabled = true;
    }
  }
  EXPECT_TRUE(sawBackoutDisabled);
}

TEST_F(ScriptTest, ChoosingASystemMenuCommandThatIsNotThereFails) {
  ScriptedFrontEnd ui({{Now(), SystemMenu(0x77)}, {WhenDialog(IDD_REMOLD_DIALOG), Press(IDOK)}});
  UpgradeDialogDouble dlg(2);
  EXPECT_EQ(dlg.DoModal(), IDOK);
  ASSERT_EQ(ui.failures().size(), 1u);
  EXPECT_NE(ui.failures()[0].find("no command 119"), std::string::npos);
}
