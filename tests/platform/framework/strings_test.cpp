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

TEST(StringsTest, EveryTableStringIsThereAndOthersAreEmpty) {
  framework::SetResources(&RemoldResources());
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
