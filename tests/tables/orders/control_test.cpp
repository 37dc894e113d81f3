// The control table: names stored and looked up filled with spaces, upper case both ways, the
// full-width text value, statuses.
#include "tables/orders/control.h"

#include <tuple>

#include "tests/tables/orders/test_util.h"

namespace {

using ordtest::Bytes;

// Writing fills the name with spaces and upper-cases the texts of the object; reading takes "y"
// as yes and upper-cases too.
TEST(ControlLayout, TheNameIsSpaceFilledAndTextsUpperCasedBothWays) {
  CControl control;
  control.ControlName = "call_remote.edit_quote";
  control.Kind = 'b';
  control.Enabled = true;
  control.IntValue = -5;
  control.TextValue = "some text";
  Bytes raw = ordtest::Formatted(kControlLayout, control);
  ASSERT_EQ(raw.size(), 304u);
  EXPECT_EQ(std::string(raw.begin(), raw.begin() + 32), "CALL_REMOTE.EDIT_QUOTE        BY");
  EXPECT_EQ(std::string(raw.begin() + 48, raw.begin() + 58), std::string("SOME TEXT\0", 10));
  std::fill(raw.begin(), raw.begin() + 58, 0);  // from the name to the start of the text
  ordtest::Put(raw, 0, "name");
  raw[31] = 'y';
  ordtest::Put(raw, 48, "lower");
  recfile::Parse(kControlLayout, raw.data(), raw.size(), control);
  EXPECT_EQ(std::tie(control.ControlName, control.Enabled, control.TextValue),
            std::make_tuple("NAME", true, "LOWER"));
}

class ControlFile : public rectest::InScratchDir {};

TEST_F(ControlFile, LookupIgnoresCaseAndTextRoundTripsAtFullWidth) {
  CControlDB table;
  ASSERT_EQ(table.CreateFile("CONTROL.DB"), 0);
  CControl control;
  control.ControlName = "CALL_REMOTE.EDIT_QUOTE";
  control.Enabled = true;
  control.RealValue = 2.75;
  control.TextValue = std::string(256, 'T');
  ASSERT_EQ(table.InsertRecord(control), 0);
  CControl found;
  ASSERT_EQ(table.GetControl(found, "call_remote.edit_quote"), 0);
  EXPECT_EQ(std::tie(found.ControlName, found.Enabled, found.RealValue, found.TextValue),
            std::make_tuple("CALL_REMOTE.EDIT_QUOTE", true, 2.75, std::string(256, 'T')));
  EXPECT_EQ(table.GetControl(found, "missing"), 4);
  found.IntValue = 9;
  ASSERT_EQ(table.UpdateRecord(found), 0);
  ASSERT_EQ(table.GetControl(found, "CALL_REMOTE.EDIT_QUOTE"), 0);
  EXPECT_EQ(found.IntValue, 9);
  EXPECT_EQ(table.DeleteRecord("Call_Remote.Edit_Quote"), 0);
  EXPECT_EQ(table.DeleteRecord("Call_Remote.Edit_Quote"), 0);  // gone: still success
  EXPECT_EQ(table.GetControl(found, "CALL_REMOTE.EDIT_QUOTE"), 4);
  Bytes raw(304, 0);  // a name stored NUL-filled is not found
  ordtest::Put(raw, 0, "SHORT");
  ASSERT_EQ(ordtest::InsertRaw(table, raw), 0);
  EXPECT_EQ(table.GetControl(found, "SHORT"), 4);
}

}  // namespace
