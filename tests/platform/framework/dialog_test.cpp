// The dialog manager, the message queue and the scripted front end: focus, keys, clicks, data
// exchange, command routing, the system menu, one message per pump, repaint requests, and
// scripts that fail loudly instead of hanging.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/framework/afxwin.h"
#include "platform/framework/scripted_front_end.h"
#include "resources/remold_resources.h"

using namespace framework;

// Which buttons OnInitDialog leaves enabled besides Cancel Upgrade.
enum Offer { kStart, kBackout, kBoth };

// A dialog over template 102 that behaves as the upgrade dialog does towards the framework: data
// exchange of its bars, buttons and texts, a run in OnOK that pumps one message per record, and
// a cancel that asks first. The tests of the framework drive it through the scripted front end.
class UpgradeDialogDouble : public CDialog {
 public:
  explicit UpgradeDialogDouble(int records = 100, Offer offer = kStart)
      : CDialog(IDD_REMOLD_DIALOG), records_(records), offer_(offer) {}

  CProgressCtrl overall_, files_;
  CButton backout_, start_;
  CString intro_ = "intro", status_;
  bool running_ = false, cancel_ = false;
  int runs_ = 0, backouts_ = 0, abouts_ = 0, recordsDone_ = 0;

  bool OnInitDialog() override {
    CDialog::OnInitDialog();
    CMenu* menu = GetSystemMenu(false);
    if (menu != nullptr) {
      menu->AppendMenu(MF_SEPARATOR);
      menu->AppendMenu(MF_STRING, IDM_ABOUTBOX, LoadString(IDS_ABOUTBOX));
    }
    overall_.SetRange(1, 100);
    files_.SetRange(0, 5);
    start_.EnableWindow(offer_ != kBackout);
    backout_.EnableWindow(offer_ != kStart);
    status_ = LoadString(IDS_WAITING);
    UpdateData(false);
    return true;
  }

  void OnOK() override {
    if (running_) {
      return;
    }
    ++runs_;
    running_ = true;
    cancel_ = false;
    for (recordsDone_ = 1; recordsDone_ <= records_ && !cancel_; ++recordsDone_) {
      AfxFormatString1(status_, IDS_WORKING_ON, "Record " + std::to_string(recordsDone_));
      overall_.SetPos(recordsDone_ * 100 / records_);
      files_.SetPos(recordsDone_ * 5 / records_);
      UpdateData(false);
      if (recordsDone_ % 10 != 0) {
        PumpOneMessage();
      }
    }
    running_ = false;
    if (!cancel_) {
      CDialog::OnOK();
      return;
    }
    status_ = LoadString(IDS_WAITING);
    UpdateData(false);
  }

  void OnCancel() override {
    const bool yes = AfxMessageBox(running_ ? IDS_CONFIRM_CANCEL_RUN : IDS_CONFIRM_LEAVE,
                                   MB_YESNO | MB_ICONQUESTION) == IDYES;
    cancel_ = yes;
    if (!running_ && yes) {
      EndDialog(IDCANCEL);
    }
  }

  void OnBackoutUpgrade() {
    ++backouts_;
    backout_.EnableWindow(false);
    start_.EnableWindow(true);
  }

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PROGRESS_TOTAL, overall_);
    DDX_Control(pDX, IDC_PROGRESS_FILES, files_);
    DDX_Control(pDX, IDC_BACKOUTUPGRADE, backout_);
    DDX_Control(pDX, IDOK, start_);
    DDX_Text(pDX, IDC_INTRO_TEXT, intro_);
    DDX_Text(pDX, IDC_STATUS_TEXT, status_);
  }

  void OnSysCommand(UINT nID, LPARAM lParam) override {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
      ++abouts_;
      CDialog about(IDD_ABOUTBOX);
      about.DoModal();
      return;
    }
    CDialog::OnSysCommand(nID, lParam);
  }

  DECLARE_MESSAGE_MAP()

 private:
  int records_;
  Offer offer_;
};

BEGIN_MESSAGE_MAP(UpgradeDialogDouble, CDialog)
ON_WM_SYSCOMMAND()
ON_BN_CLICKED(IDC_BACKOUTUPGRADE, &UpgradeDialogDouble::OnBackoutUpgrade)
END_MESSAGE_MAP()

// A test whose dialogs and message boxes take their templates and texts from the program's
// resources.
class WithResources : public ::testing::Test {
 protected:
  void SetUp() override { framework::SetResources(&RemoldResources()); }
};

using QueueTest = WithResources;
using DialogTest = WithResources;

// How a run of the upgrade dialog double ended: its result, what ran, how many message boxes
// it asked, and the script failure expected (none when empty).
struct Outcome {
  int result, runs, backouts, abouts;
  size_t boxes;
  const char* failure = "";
};

void ExpectRun(const char* name, int records, Offer offer, const Outcome& expected,
               std::vector<ScriptStep> script) {
  SCOPED_TRACE(name);
  ScriptedFrontEnd ui(std::move(script));
  UpgradeDialogDouble dlg(records, offer);
  EXPECT_EQ(dlg.DoModal(), expected.result);
  EXPECT_EQ(dlg.runs_, expected.runs);
  EXPECT_EQ(dlg.backouts_, expected.backouts);
  EXPECT_EQ(dlg.abouts_, expected.abouts);
  const auto boxes = ui.MessageBoxes();
  EXPECT_EQ(boxes.size(), expected.boxes);
  if (expected.failure[0] == '\0') {
    EXPECT_TRUE(ui.failures().empty()) << ui.failures()[0];
    if (!boxes.empty()) {
      EXPECT_EQ(boxes.back().answer, IDYES);
      EXPECT_EQ(boxes.back().text, LoadString(IDS_CONFIRM_LEAVE));
    }
  } else {
    ASSERT_EQ(ui.failures().size(), 1u);
    EXPECT_NE(ui.failures()[0].find(expected.failure), std::string::npos) << ui.failures()[0];
  }
}

TEST_F(DialogTest, FocusKeysClicksMenusAndScriptFailures) {
  const Trigger leave = WhenMessageBox("leave");
  const Trigger main = WhenDialog(IDD_REMOLD_DIALOG);
  const Trigger about = WhenDialog(IDD_ABOUTBOX);
  // The first enabled button in template order takes the focus: Start Upgrade, or BackoutUpgrade
  // when offered; pressing that disables it and enables the default button, which takes the
  // focus: the next Enter starts the run.
  ExpectRun("enter starts", 5, kStart, {IDOK, 1, 0, 0, 0}, {{Now(), Key(VK_RETURN)}});
  ExpectRun("enter backs out, then starts", 5, kBackout, {IDOK, 1, 1, 0, 0},
            {{Now(), Key(VK_RETURN)}, {Now(), Key(VK_RETURN)}});
  // Tab -> Cancel; Tab wraps past the disabled Backout to Start, which Enter presses.
  ExpectRun("tab skips disabled buttons", 5, kStart, {IDOK, 1, 0, 0, 0},
            {{Now(), Key(VK_TAB)}, {Now(), Key(VK_TAB)}, {Now(), Key(VK_RETURN)}});
  // With all three enabled, Backout takes the focus and each key moves it one button: Tab, Right
  // and Down forward, Shift+Tab, Left and Up backward; a key, or a whole direction, that moves the
  // wrong way leaves the focus off Start.
  std::vector<ScriptStep> moves;
  for (const int key :
       {VK_TAB, VK_TAB, -VK_TAB, VK_DOWN, VK_UP, VK_RIGHT, VK_LEFT, VK_LEFT, VK_RIGHT, VK_RETURN}) {
    moves.push_back({Now(), Key(std::abs(key), key < 0 ? KF_SHIFT : 0)});
  }
  ExpectRun("tab and arrows move forward and backward", 5, kBoth, {IDOK, 1, 0, 0, 0}, moves);
  // Left wraps back from Start to Cancel.
  ExpectRun("tab and arrows skip disabled buttons and wrap", 5, kStart, {IDCANCEL, 0, 0, 0, 1},
            {{Now(), Key(VK_TAB)},
             {Now(), Key(VK_TAB)},
             {Now(), Key(VK_LEFT)},
             {Now(), Key(VK_RETURN)},
             {leave, Answer(IDYES)}});
  // Esc asks; N keeps the dialog; Esc asks again; Esc in a Yes/No box does nothing; Y leaves.
  ExpectRun("escape is cancel, yes/no boxes answer to letters", 5, kStart, {IDCANCEL, 0, 0, 0, 2},
            {{Now(), Key(VK_ESCAPE)},
             {leave, Key('N')},
             {Now(), Key(VK_ESCAPE)},
             {leave, Key(VK_ESCAPE)},
             {leave, Key('Y')}});
  // Start Upgrade is disabled while the backout is offered: its press is refused.
  ExpectRun("clicks reach only enabled buttons", 5, kBackout,
            {IDOK, 1, 1, 0, 0, "button 1 cannot be pressed"},
            {{Now(), Press(IDOK)}, {Now(), Press(IDC_BACKOUTUPGRADE)}, {Now(), Press(IDOK)}});
  ExpectRun("system menu opens the about box", 3, kStart, {IDOK, 1, 0, 1, 0},
            {{Now(), SystemMenu(IDM_ABOUTBOX)}, {about, Press(IDOK)}, {main, Press(IDOK)}});
  ExpectRun("system menu close is cancel", 3, kStart, {IDCANCEL, 0, 0, 0, 1},
            {{Now(), SystemMenu(SC_CLOSE)}, {leave, Answer(IDYES)}});
  // "A" picks "&About Remold..."; Esc after F10 closes the menu only.
  ExpectRun("alt+space opens the system menu", 2, kStart, {IDOK, 1, 0, 1, 0},
            {{Now(), Key(VK_SPACE, KF_ALT)},
             {Now(), Key('A')},
             {about, Key(VK_ESCAPE)},
             {main, Key(VK_F10)},
             {Now(), Key(VK_ESCAPE)},
             {main, Key(VK_RETURN)}});
  ExpectRun(
      "about box inside the run", 50, kStart, {IDOK, 1, 0, 1, 0},
      {{Now(), Press(IDOK)}, {AfterPumps(3), SystemMenu(IDM_ABOUTBOX)}, {about, Key(VK_RETURN)}});
  // A script that cannot go on ends the waiting windows: the box gets No, the dialog Cancel.
  ExpectRun("used-up script", 10, kStart,
            {IDCANCEL, 0, 0, 0, 1, "script used up while message box"}, {{Now(), Press(IDCANCEL)}});
  ExpectRun("step that cannot fire while waiting", 10, kStart,
            {IDCANCEL, 0, 0, 0, 0, "after 1000 pumps"}, {{AfterPumps(1000), Press(IDOK)}});
  ExpectRun("system menu command that is not there", 2, kStart,
            {IDOK, 1, 0, 0, 0, "no command 119"}, {{Now(), SystemMenu(0x77)}, {main, Press(IDOK)}});
}

TEST_F(DialogTest, MessageBoxesAnswerToEnterAndEscapeAndWithoutAFrontEndSayNo) {
  ScriptedFrontEnd ui({{Now(), Key(VK_ESCAPE)}, {Now(), Key(VK_RETURN)}});
  EXPECT_EQ(AfxMessageBox("first"), IDOK);
  EXPECT_EQ(AfxMessageBox("second", MB_OK | MB_ICONSTOP), IDOK);
  ScriptedFrontEnd ui2({{Now(), Key(VK_ESCAPE)}});
  EXPECT_EQ(AfxMessageBox("third", MB_OKCANCEL), IDCANCEL);
  EXPECT_TRUE(ui.failures().empty());
  // No front end at all: nothing can answer, and the box must not wait forever.
  FrontEnd* saved = CurrentFrontEnd();
  SetFrontEnd(nullptr);
  EXPECT_EQ(AfxMessageBox("Proceed?", MB_YESNO), IDNO);
  EXPECT_EQ(AfxMessageBox("Done."), IDOK);
  SetFrontEnd(saved);
}

TEST_F(DialogTest, DataExchangeProgressAndWhatTheFrontEndRecords) {
  ScriptedFrontEnd ui({{Now(), Press(IDOK)}});
  UpgradeDialogDouble dlg(3);
  dlg.intro_ = "There are 3 files";
  ASSERT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(ui.TextsOf(IDC_INTRO_TEXT), std::vector<std::string>{"There are 3 files"});
  // The first exchange (CDialog::OnInitDialog) set the still empty member.
  EXPECT_EQ(
      ui.TextsOf(IDC_STATUS_TEXT),
      (std::vector<std::string>{"", "Waiting for user input.", "Working on Record 1 database",
                                "Working on Record 2 database", "Working on Record 3 database"}));
  // The default OnOK read the controls back into the members.
  EXPECT_EQ(dlg.status_, "Working on Record 3 database");
  // The overall bar runs from 1: the start position 0 is clamped to 1 by SetRange(1, 100).
  EXPECT_EQ(ui.PositionsOf(IDC_PROGRESS_TOTAL), (std::vector<int>{1, 33, 66, 100}));
  EXPECT_EQ(ui.PositionsOf(IDC_PROGRESS_FILES), (std::vector<int>{0, 1, 3, 5}));
  // Bound controls are detached when the dialog window goes.
  EXPECT_EQ(dlg.overall_.m_hWnd, nullptr);
  EXPECT_EQ(dlg.m_hWnd, nullptr);
  EXPECT_EQ(ui.DialogsOpened(), std::vector<int>{IDD_REMOLD_DIALOG});
  EXPECT_EQ(ui.DialogsClosed(), (std::vector<std::pair<int, int>>{{IDD_REMOLD_DIALOG, IDOK}}));
}

// A missing template fails the dialog; one ended during its initialisation is never shown.
TEST_F(DialogTest, DialogThatCannotOrNeedNotShowIsNeverOpened) {
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
  EXPECT_EQ(CDialog(4242).DoModal(), -1);
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

// The message queue.

// Counts the commands it receives.
class Counter : public CDialog {
 public:
  Counter() : CDialog(IDD_INFO_DIALOG) {}
  std::vector<UINT> seen;

 protected:
  bool OnCommand(UINT id) override {
    seen.push_back(id);
    return true;
  }
};

TEST_F(QueueTest, PumpDispatchesAtMostOneMessage) {
  ScriptedFrontEnd ui;
  Counter w;
  ASSERT_TRUE(w.Create(IDD_INFO_DIALOG, nullptr));
  while (PumpOneMessage()) {  // the first paint
  }
  EXPECT_FALSE(PumpOneMessage());
  w.PostMessage(WM_COMMAND, 7);
  w.PostMessage(WM_COMMAND, 8);
  w.PostMessage(WM_COMMAND, 9);
  EXPECT_TRUE(PumpOneMessage());
  EXPECT_EQ(w.seen, std::vector<UINT>{7});
  EXPECT_TRUE(PumpOneMessage());
  EXPECT_EQ(w.seen, (std::vector<UINT>{7, 8}));
  EXPECT_TRUE(PumpOneMessage());
  EXPECT_FALSE(PumpOneMessage());
  EXPECT_EQ(w.seen, (std::vector<UINT>{7, 8, 9}));
  w.DestroyWindow();
}

TEST_F(QueueTest, RepaintIsRequestedOnlyAfterAChangeAndAfterOtherMessages) {
  ScriptedFrontEnd ui;
  Counter w;
  ASSERT_TRUE(w.Create(IDD_INFO_DIALOG, nullptr));
  // The next message taken and dispatched, 0 when there is none.
  auto next = []() -> UINT {
    MSG msg;
    if (!PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      return 0;
    }
    DispatchMessage(&msg);
    return msg.message;
  };
  EXPECT_EQ(next(), WM_PAINT);
  EXPECT_EQ(next(), 0u);
  w.SetDlgItemText(IDC_INFO_TEXT, "");  // the same text again is no change
  EXPECT_EQ(next(), 0u);
  w.SetDlgItemText(IDC_INFO_TEXT, "Moving File A.DB to B.");
  w.PostMessage(WM_COMMAND, 5);
  EXPECT_EQ(next(), WM_COMMAND);  // posted messages come first
  EXPECT_EQ(next(), WM_PAINT);
  EXPECT_EQ(next(), 0u);
  w.DestroyWindow();
}

TEST_F(QueueTest, MessagesForADestroyedWindowAreDropped) {
  ScriptedFrontEnd ui;
  auto w = std::make_unique<Counter>();
  ASSERT_TRUE(w->Create(IDD_INFO_DIALOG, nullptr));
  HWND hwnd = w->m_hWnd;
  w->PostMessage(WM_COMMAND, 1);
  w.reset();  // destroying the object destroys its window
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_FALSE(PumpOneMessage());
}

TEST_F(QueueTest, KeysTypedAheadGoToTheWindowActiveWhenTheyAreTaken) {
  // Esc and Y arrive together during the run: the Esc raises the question, the Y answers it.
  class TypeAhead : public UpgradeDialogDouble {
   public:
    TypeAhead() : UpgradeDialogDouble(50) {}
    void OnOK() override {
      PostKey(VK_ESCAPE);
      PostKey('Y');
      UpgradeDialogDouble::OnOK();
    }
  };
  ScriptedFrontEnd ui({{Now(), Press(IDOK)},
                       {WhenText(IDC_STATUS_TEXT, "Waiting"), Key(VK_ESCAPE)},
                       {WhenMessageBox("leave"), Key('Y')}});
  TypeAhead dlg;
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  ASSERT_EQ(ui.MessageBoxes().size(), 2u);
  EXPECT_EQ(ui.MessageBoxes()[0].text, LoadString(IDS_CONFIRM_CANCEL_RUN));
  EXPECT_EQ(ui.MessageBoxes()[0].answer, IDYES);
  EXPECT_LT(dlg.recordsDone_, 5);
  EXPECT_TRUE(ui.failures().empty());
}
