// The message queue: one message per pump, repaint requests, handlers that run inside a pump.
#include <gtest/gtest.h>

#include "platform/framework/scripted_front_end.h"
#include "upgrade_dialog_double.h"

using namespace framework;

namespace {

using QueueTest = WithResources;

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

}  // namespace

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
  MSG msg;
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
  DispatchMessage(&msg);
  EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));

  // Setting the same text again is no change.
  w.SetDlgItemText(IDC_INFO_TEXT, "");
  EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));

  w.SetDlgItemText(IDC_INFO_TEXT, "Moving File A.DB to B.");
  w.PostMessage(WM_COMMAND, 5);
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_COMMAND));  // posted messages come first
  DispatchMessage(&msg);
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
  DispatchMessage(&msg);
  EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
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
