// The dialog manager: focus, keys, clicks, data exchange, command routing, the system menu.
#include <gtest/gtest.h>

#include "platform/framework/scripted_front_end.h"
#include "upgrade_dialog_double.h"

using namespace framework;

using DialogTest = WithResources;

TEST_F(DialogTest, FirstEnabledButtonInTemplateOrderTakesTheFocus) {
  // Start Upgrade when the backout is not offered.
  {
    ScriptedFrontEnd ui({{Now(), Key(VK_RETURN)}});
    UpgradeDialogDouble dlg(5);
    EXPECT_EQ(dlg.DoModal(), IDOK);  // Enter pressed Start Upgrade, the run completed
    EXPECT_EQ(dlg.runs_, 1);
    EXPECT_TRUE(ui.failures().empty());
  }
  // BackoutUpgrade when it is offered; Enter presses it.
  {
    ScriptedFrontEnd ui({{Now(), Key(VK_RETURN)},
                         {Now(), Key(VK_ESCAPE)},
                         {WhenMessageBox("leave"), Answer(IDYES)}});
    UpgradeDialogDouble dlg(5, /*backoutOffered=*/true);
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.backouts_, 1);
    EXPECT_EQ(dlg.runs_, 0);
    EXPECT_TRUE(ui.failures().empty()) << ui.failures()[0];
  }
}

TEST_F(DialogTest, DisabledFocusedButtonHandsTheFocusToTheDefaultButton) {
  // Backout has the focus; pressing it disables it (while Start Upgrade is still disabled) and
  // then enables Start Upgrade, the default button, which takes the focus: the next Enter
  // starts the run.
  ScriptedFrontEnd ui({{Now(), Key(VK_RETURN)}, {Now(), Key(VK_RETURN)}});
  UpgradeDialogDouble dlg(5, true);
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(dlg.backouts_, 1);
  EXPECT_EQ(dlg.runs_, 1);
}

TEST_F(DialogTest, TabAndArrowsSkipDisabledButtonsAndWrap) {
  // Focus on Start Upgrade (Backout disabled). Tab -> Cancel; Tab wraps past the disabled
  // Backout to Start; Left -> Cancel (backwards, wrapping); Enter presses Cancel.
  ScriptedFrontEnd ui({{Now(), Key(VK_TAB)},
                       {Now(), Key(VK_TAB)},
                       {Now(), Key(VK_LEFT)},
                       {Now(), Key(VK_RETURN)},
                       {WhenMessageBox("leave"), Answer(IDYES)}});
  UpgradeDialogDouble dlg(5);
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(dlg.runs_, 0);
  ASSERT_EQ(ui.MessageBoxes().size(), 1u);
  EXPECT_EQ(ui.MessageBoxes()[0].answer, IDYES);
}

TEST_F(DialogTest, EscapeIsCancelAndYesNoBoxesAnswerToLetters) {
  // Esc asks; N keeps the dialog; Esc asks again; Esc in a Yes/No box does nothing; Y leaves.
  ScriptedFrontEnd ui({{Now(), Key(VK_ESCAPE)},
                       {WhenMessageBox("leave"), Key('N')},
                       {Now(), Key(VK_ESCAPE)},
                       {WhenMessageBox("leave"), Key(VK_ESCAPE)},
                       {WhenMessageBox("leave"), Key('Y')}});
  UpgradeDialogDouble dlg(5);
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  const auto boxes = ui.MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].answer, IDNO);
  EXPECT_EQ(boxes[1].answer, IDYES);
  EXPECT_EQ(boxes[0].type, MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(boxes[0].text, LoadString(IDS_CONFIRM_LEAVE));
  EXPECT_TRUE(ui.failures().empty());
}

TEST_F(DialogTest, OkBoxesAnswerToEnterAndEscape) {
  ScriptedFrontEnd ui({{Now(), Key(VK_ESCAPE)}, {Now(), Key(VK_RETURN)}});
  EXPECT_EQ(AfxMessageBox("first"), IDOK);
  EXPECT_EQ(AfxMessageBox("second", MB_OK | MB_ICONSTOP), IDOK);
  ScriptedFrontEnd ui2({{Now(), Key(VK_ESCAPE)}});
  EXPECT_EQ(AfxMessageBox("third", MB_OKCANCEL), IDCANCEL);
  EXPECT_TRUE(ui.failures().empty());
}

TEST_F(DialogTest, ClicksReachOnlyEnabledButtonsOfTheActiveWindow) {
  // Start Upgrade is disabled while the backout is offered: a press of it is refused and
  // recorded as a failure, nothing runs.
  ScriptedFrontEnd ui(
      {{Now(), Press(IDOK)}, {Now(), Press(IDC_BACKOUTUPGRADE)}, {Now(), Press(IDOK)}});
  UpgradeDialogDouble dlg(5, true);
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(dlg.backouts_, 1);
  EXPECT_EQ(dlg.runs_, 1);
  ASSERT_EQ(ui.failures().size(), 1u);
  EXPECT_NE(ui.failures()[0].find("button 1 cannot be pressed"), std::string::npos);
}

TEST_F(DialogTest, DataExchangeMovesTextsBothWays) {
  ScriptedFrontEnd ui({{Now(), Press(IDOK)}});
  UpgradeDialogDouble dlg(1);
  dlg.intro_ = "There are 3 files";
  ASSERT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(ui.TextsOf(IDC_INTRO_TEXT), std::vector<std::string>{"There are 3 files"});
  // The first exchange (CDialog::OnInitDialog) set the still empty member.
  EXPECT_EQ(
      ui.TextsOf(IDC_STATUS_TEXT),
      (std::vector<std::string>{"", "Waiting for user input.", "Working on Record 1 database"}));
  // The default OnOK read the controls back into the members.
  EXPECT_EQ(dlg.status_, "Working on Record 1 database");
  // Bound controls are detached when the dialog window goes.
  EXPECT_EQ(dlg.overall_.m_hWnd, nullptr);
  EXPECT_EQ(dlg.m_hWnd, nullptr);
}

TEST_F(DialogTest, ProgressPositionsStayInTheirRange) {
  ScriptedFrontEnd ui({{Now(), Press(IDOK)}});
  UpgradeDialogDouble dlg(3);
  ASSERT_EQ(dlg.DoModal(), IDOK);
  // The overall bar runs from 1: the start position 0 is clamped to 1 by SetRange(1, 100).
  EXPECT_EQ(ui.PositionsOf(IDC_PROGRESS_TOTAL), (std::vector<int>{1, 33, 66, 100}));
  EXPECT_EQ(ui.PositionsOf(IDC_PROGRESS_FILES), (std::vector<int>{0, 1, 3, 5}));
}

TEST_F(DialogTest, SystemMenuCarriesTheAboutEntryAndOpensTheAboutBox) {
  ScriptedFrontEnd ui({{Now(), SystemMenu(IDM_ABOUTBOX)},
                       {WhenDialog(IDD_ABOUTBOX), Press(IDOK)},
                       {WhenDialog(IDD_REMOLD_DIALOG), Press(IDOK)}});
  UpgradeDialogDouble dlg(3);
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(dlg.abouts_, 1);
  EXPECT_EQ(ui.DialogsOpened(), (std::vector<int>{IDD_REMOLD_DIALOG, IDD_ABOUTBOX}));
  EXPECT_TRUE(ui.failures().empty());
}

TEST_F(DialogTest, SystemMenuCloseIsCancel) {
  ScriptedFrontEnd ui({{Now(), SystemMenu(SC_CLOSE)}, {WhenMessageBox("leave"), Answer(IDYES)}});
  UpgradeDialogDouble dlg(3);
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
}

TEST_F(DialogTest, MissingTemplateFailsTheDialog) {
  ScriptedFrontEnd ui;
  CDialog dlg(4242);
  EXPECT_EQ(dlg.DoModal(), -1);
}

TEST_F(DialogTest, DialogEndedDuringInitialisationIsNeverShown) {
  class EndsAtOnce : public CDialog {
   public:
    EndsAtOnce() : CDialog(IDD_REMOLD_DIALOG) {}
    bool OnInitDialog() override {
      CDialog::OnInitDialog();
      EndDialog(IDOK);
      return true;
    }
  };
  ScriptedFrontEnd ui;
  EndsAtOnce dlg;
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_TRUE(ui.DialogsOpened().empty());
  EXPECT_EQ(ui.DialogsClosed(), (std::vector<std::pair<int, int>>{{IDD_REMOLD_DIALOG, IDOK}}));
  EXPECT_TRUE(ui.failures().empty());
}

TEST_F(DialogTest, ModelessWindowIsCentredAndDestroyedOnRequest) {
  ScriptedFrontEnd ui;
  CDialog info;
  ASSERT_TRUE(info.Create(IDD_INFO_DIALOG, CWnd::GetDesktopWindow()));
  info.CenterWindow();
  EXPECT_EQ(info.m_hWnd->rect.x, (320 - 185) / 2);
  EXPECT_EQ(info.m_hWnd->rect.y, (192 - (41 + 16)) / 2);  // with caption and border
  info.SetDlgItemText(IDC_INFO_TEXT, "Move Files To New Location");
  EXPECT_EQ(ui.LastText(IDC_INFO_TEXT), "Move Files To New Location");
  EXPECT_TRUE(info.DestroyWindow());
  EXPECT_EQ(info.m_hWnd, nullptr);
  EXPECT_EQ(ui.DialogsOpened(), std::vector<int>{IDD_INFO_DIALOG});
  EXPECT_EQ(ui.DialogsClosed().size(), 1u);
}

TEST_F(DialogTest, FocusLostWhileTheDefaultIsDisabledGoesToTheNextButtonEnabled) {
  // After a cancelled run the dialog disables Start Upgrade (which has the focus) and then
  // offers BackoutUpgrade: Enter must press BackoutUpgrade, not Cancel Upgrade.
  class AfterCancel : public UpgradeDialogDouble {
   public:
    AfterCancel() : UpgradeDialogDouble(5) {}
    void OnOK() override {
      ++runs_;
      start_.EnableWindow(false);
      backout_.EnableWindow(true);
    }
  };
  // Enter runs, Enter backs out (which gives Start Upgrade back the focus), Enter runs again.
  ScriptedFrontEnd ui({{Now(), Key(VK_RETURN)},
                       {Now(), Key(VK_RETURN)},
                       {Now(), Key(VK_RETURN)},
                       {Now(), Key(VK_ESCAPE)},
                       {WhenMessageBox("leave"), Answer(IDYES)}});
  AfterCancel dlg;
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(dlg.runs_, 2);
  EXPECT_EQ(dlg.backouts_, 1);
  EXPECT_TRUE(ui.failures().empty());
}

TEST_F(DialogTest, AltSpaceOpensTheSystemMenuAndLettersPickItsEntries) {
  ScriptedFrontEnd ui({{Now(), Key(VK_SPACE, KF_ALT)},
                       {Now(), Key('A')},  // "&About Remold..."
                       {WhenDialog(IDD_ABOUTBOX), Key(VK_ESCAPE)},
                       {WhenDialog(IDD_REMOLD_DIALOG), Key(VK_F10)},
                       {Now(), Key(VK_ESCAPE)},  // closes the menu only
                       {WhenDialog(IDD_REMOLD_DIALOG), Key(VK_RETURN)}});
  UpgradeDialogDouble dlg(2);
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(dlg.abouts_, 1);
  EXPECT_EQ(dlg.runs_, 1);
  EXPECT_TRUE(ui.MessageBoxes().empty());
  EXPECT_TRUE(ui.failures().empty());
}

TEST_F(DialogTest, LongMessageBoxKeepsItsButtonsOnTheScreen) {
  std::string text;
  for (int i = 0; i < 40; ++i) {
    text += "Unable to upgrade the TERMS.DB database (status 2).\n";
  }
  class Watch : public ScriptedFrontEnd {
   public:
    using ScriptedFrontEnd::ScriptedFrontEnd;
    Rect box;
    void WindowOpened(const Window& w) override {
      box = w.rect;
      ScriptedFrontEnd::WindowOpened(w);
    }
  };
  Watch ui({{Now(), Answer(IDOK)}});
  EXPECT_EQ(AfxMessageBox(text), IDOK);
  EXPECT_LE(ui.box.y + ui.box.cy + 16, 192);  // caption and border rows included
  EXPECT_GE(ui.box.y, 0);
  ASSERT_EQ(ui.MessageBoxes().size(), 1u);
  EXPECT_EQ(ui.MessageBoxes()[0].text, text);  // the whole text is kept
}
