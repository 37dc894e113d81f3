// The string table and numbered inserts.
#include <gtest/gtest.h>

#include "platform/framework/afxwin.h"
#include "resources/remold_resources.h"

TEST(StringsTest, InsertsAreReplacedInOnePass) {
  EXPECT_EQ(AfxFormatStrings("Moving File %1 to %2.", {"A%2.DB", "C:\\X"}),
            "Moving File A%2.DB to C:\\X.");
  EXPECT_EQ(AfxFormatStrings("%2 before %1", {"one", "two"}), "two before one");
  EXPECT_EQ(AfxFormatStrings("100% of %1, %3 stays, %", {"x"}), "100% of x, %3 stays, %");
  EXPECT_EQ(AfxFormatStrings("%1%1", {"ab"}), "abab");
}

TEST(StringsTest, TableTextsAndFormats) {
  framework::SetResources(&RemoldResources());
  CString s;
  AfxFormatString2(s, IDS_UPGRADE_INTRO, "21", "12345");
  EXPECT_EQ(s,
            "Database files must be upgraded before the new version can be used.\nThere are 21 "
            "database files to update which contain 12345 total records.");
  AfxFormatString1(s, IDS_WORKING_ON, "Terms");
  EXPECT_EQ(s, "Working on Terms database");
  AfxFormatString2(s, IDS_UPGRADE_FAILED, "Terms", "2");
  EXPECT_EQ(s, "Unable to upgrade the Terms database (status 2).");
  EXPECT_EQ(LoadString(999), "");
  for (int id = IDS_ABOUTBOX; id <= IDS_UPGRADE_FAILED; ++id) {
    EXPECT_FALSE(LoadString(static_cast<UINT>(id)).empty()) << id;
  }
}

TEST(StringsTest, TextWrapsAtSpacesAndLineBreaks) {
  using framework::WrapText;
  EXPECT_EQ(WrapText("one two three", 7), (std::vector<std::string>{"one two", "three"}));
  EXPECT_EQ(WrapText("a\n\nb", 10), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(WrapText("abcdefghij", 4), (std::vector<std::string>{"abcd", "efgh", "ij"}));
  EXPECT_EQ(framework::StripMnemonic("&Yes && &No"), "Yes & No");
  EXPECT_EQ(framework::MnemonicOf("a&&b&c"), 'C');
}

TEST(ResourcesTest, TemplatesHoldTheirControlsInTabOrder) {
  const framework::ResourceTable& r = RemoldResources();
  const framework::DialogTemplate* main = r.FindDialog(IDD_REMOLD_DIALOG);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(main->caption, "Upgrading Databases");
  EXPECT_EQ(main->cx, 320);
  EXPECT_EQ(main->cy, 173);
  EXPECT_NE(main->style & WS_SYSMENU, 0u);
  std::vector<int> ids;
  for (const auto& c : main->controls) {
    ids.push_back(c.id);
  }
  EXPECT_EQ(ids, (std::vector<int>{IDC_INTRO_TEXT, IDC_STATUS_TEXT, IDC_PROGRESS_FILES, IDC_STATIC,
                                   IDC_PROGRESS_TOTAL, IDC_BACKOUTUPGRADE, IDOK, IDCANCEL}));
  EXPECT_EQ(main->controls[6].text, "Start Upgrade");
  EXPECT_EQ(main->controls[6].style & 0xF, BS_DEFPUSHBUTTON);
  EXPECT_EQ(main->controls[5].text, "BackoutUpgrade");
  EXPECT_EQ(main->controls[7].text, "Cancel Upgrade");
  EXPECT_EQ(main->controls[3].text, "Upgrade Progress");

  const framework::DialogTemplate* about = r.FindDialog(IDD_ABOUTBOX);
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(about->caption, "About Remold");
  EXPECT_EQ(about->cx, 235);
  EXPECT_EQ(about->cy, 55);
  EXPECT_EQ(about->controls[1].text, "Remold Version 1.0");
  EXPECT_EQ(about->controls[2].id, IDOK);
  EXPECT_NE(r.FindIcon(IDR_MAINFRAME), nullptr);

  const framework::DialogTemplate* info = r.FindDialog(IDD_INFO_DIALOG);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->caption, "");
  EXPECT_EQ(info->cx, 185);
  EXPECT_EQ(info->cy, 41);
  ASSERT_EQ(info->controls.size(), 1u);
  EXPECT_EQ(info->controls[0].id, IDC_INFO_TEXT);
  EXPECT_EQ(info->controls[0].cx, 166);
  EXPECT_EQ(info->controls[0].cy, 28);
  EXPECT_EQ(info->controls[0].style & 0xF, SS_CENTER);
}
