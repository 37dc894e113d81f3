// The modem profile table: the scrambled SecretText (a known stored form, round trips, the cut
// at 50 bytes), the layouts, and steps 13a and 13b with their renumbering through real files.
#include "tables/orders/modem_profile.h"

#include <random>

#include "recfile/table_ops.h"
#include "tests/tables/orders/test_util.h"

namespace {

using ordtest::Bytes;
using ordtest::Put;
using ordtest::PutI32;

TEST(ModemSecret, KnownStoredFormAndRoundTrips) {
  // "H": (0x48 ^ 0x5A) + 0x5A = 0x6C -> 'A' + 27, 'A' + 0 + 10; "i": (0x69 ^ 0x17) + 0x6C = 0xEA
  // -> 'A' + 58, 'A' + 32 + 7.
  EXPECT_EQ(ScrambleSecret("Hi"), "\\K{h");
  EXPECT_EQ(UnscrambleSecret("\\K{h"), "Hi");
  // Every text of 0 to 25 characters round trips through letters 'A' to 'A' + 63.
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> byte(1, 255);
  for (size_t length = 0; length <= 25; ++length) {
    for (int trial = 0; trial < 20; ++trial) {
      std::string text;
      for (size_t i = 0; i < length; ++i) {
        text.push_back(static_cast<char>(byte(rng)));
      }
      const std::string stored = ScrambleSecret(text);
      ASSERT_EQ(stored.size(), 2 * length);
      for (char c : stored) {
        ASSERT_GE(static_cast<uint8_t>(c), 'A');
        ASSERT_LE(static_cast<uint8_t>(c), 'A' + 63);
      }
      ASSERT_EQ(UnscrambleSecret(stored), text);
    }
  }
}

// A secret too long is cut at 50 stored bytes; only a Flag1 of 1 is written as yes.
TEST(ModemLayout, ATooLongSecretIsCutAndOnlyAFlagOf1IsYes) {
  CModemProfile profile;
  profile.SecretText = std::string(26, 'x');
  profile.Flag1 = 2;
  const Bytes raw = ordtest::Formatted(kModemProfileLayout, profile);
  EXPECT_EQ(std::string(raw.begin() + 224, raw.begin() + 226), "NY");
  EXPECT_EQ(std::string(raw.begin() + 66, raw.begin() + 116),
            ScrambleSecret(profile.SecretText).substr(0, 50));
  CModemProfile back;
  recfile::Parse(kModemProfileLayout, raw.data(), raw.size(), back);
  EXPECT_EQ(back.SecretText, std::string(25, 'x'));
}

// ---- Through real files ----

class ModemFile : public rectest::InScratchDir {};

std::string Code(int n) {
  char code[16];
  std::snprintf(code, sizeof code, "%.6d", n);
  return code;
}

// The texts every profile below holds, at their offsets.
void PutTexts(Bytes& r, const std::string& code) {
  Put(r, 0, code);
  Put(r, 6, "Dial-up profile, thirty-five chars!");  // 35
  Put(r, 41, "text twenty-five");
  Put(r, 116, "AT&F");
  Put(r, 166, std::string(50, 'b'));  // full width, no terminator
}

Bytes Raw0300(const std::string& code, const std::string& secret, char flag1) {
  Bytes r(228, 0);
  PutTexts(r, code);
  Put(r, 66, ScrambleSecret(secret));
  PutI32(r, 216, 2400);
  PutI32(r, 220, 50000);
  r[224] = static_cast<uint8_t>(flag1);
  r[225] = 0xEE;  // padding in 0300
  return r;
}

Bytes Raw0208(const std::string& code, char flag2) {
  Bytes r(236, 0);
  PutTexts(r, code);
  Put(r, 66, "plain secret");
  PutI32(r, 216, 1);
  PutI32(r, 220, 9600);
  PutI32(r, 224, 3);
  PutI32(r, 228, 4);
  r[232] = 'Y';
  r[233] = static_cast<uint8_t>(flag2);
  r[234] = r[235] = 0xEE;
  return r;
}

Bytes ExpectedProfile(int n, const std::string& text25, const std::string& secret, int32_t value1,
                      char flag1) {
  Bytes r(228, 0);
  PutTexts(r, Code(n));
  std::memset(&r[41], 0, 25);
  Put(r, 41, text25);
  Put(r, 66, ScrambleSecret(secret));
  PutI32(r, 216, value1);
  PutI32(r, 220, 21);
  r[224] = static_cast<uint8_t>(flag1);
  r[225] = 'Y';
  return r;
}

template <class Legacy, class Old>
std::vector<Bytes> Convert(const std::vector<Bytes>& raws) {
  ordtest::WriteRaw<Legacy>(raws);
  return ordtest::RunStep<Legacy, Old, CModemProfileDB, CModemProfile>(0).converted;
}

// Step 13b renumbers in key order and keeps the secret; 13a drops Text25 and the secret.
TEST_F(ModemFile, Steps13aAnd13bRenumberInKeyOrder) {
  EXPECT_EQ(
      (Convert<CModemProfile0300DB, CModemProfile0300>(
          {Raw0300("zz", "", 'Y'), Raw0300("ab", "s3cret pass", 'N'), Raw0300("m1", "x", 'y')})),
      (std::vector<Bytes>{ExpectedProfile(1, "text twenty-five", "s3cret pass", 2400, 'N'),
                          ExpectedProfile(2, "text twenty-five", "x", 2400, 'N'),  // "y" is not "Y"
                          ExpectedProfile(3, "text twenty-five", "", 2400, 'Y')}));
  EXPECT_EQ(
      (Convert<CModemProfile0208DB, CModemProfile0208>({Raw0208("b", 'Y'), Raw0208("a", 'N')})),
      (std::vector<Bytes>{ExpectedProfile(1, "", "", 9600, 'N'),
                          ExpectedProfile(2, "", "", 9600, 'Y')}));
}

// A profile stored with the code as given, through any table object open on the file.
void AddAsIs(CBtrieveDB& table, const std::string& code) {
  CModemProfile profile;
  profile.ProfileCode = code;
  ASSERT_EQ(ordtest::InsertRaw(table, ordtest::Formatted(kModemProfileLayout, profile)), 0);
}

void RemoveCode(CBtrieveDB& table, const std::string& code) {
  uint8_t key[6];
  recfile::WriteText(key, sizeof key, code);
  ASSERT_EQ(recfile::DeleteByKey(table, key, 0), 0);
}

// The codes `count` inserts take.
std::vector<std::string> Inserts(CModemProfileDB& table, int count) {
  std::vector<std::string> codes;
  for (int i = 0; i < count; ++i) {
    CModemProfile profile;
    EXPECT_EQ(table.InsertRecord(profile), 0);
    codes.push_back(profile.ProfileCode);
  }
  return codes;
}

using Codes = std::vector<std::string>;

// What an insert remembers of the codes it saw taken holds only until the next insert of the
// same object on the same open file; any change in between is seen.
TEST_F(ModemFile, CodesStayTheLowestFreeAfterOtherChanges) {
  CModemProfileDB table;
  ASSERT_EQ(table.CreateFile("MODEM.DB"), 0);
  AddAsIs(table, "000002");
  AddAsIs(table, "000005");
  EXPECT_EQ(Inserts(table, 4), (Codes{"000001", "000003", "000004", "000006"}));

  // The same object frees a low code and adds another record: as many records as before.
  RemoveCode(table, "000003");
  AddAsIs(table, "ZZZZZZ");
  EXPECT_EQ(Inserts(table, 2), (Codes{"000003", "000007"}));

  // Another object frees a low code.
  {
    CModemProfileDB other;
    ASSERT_EQ(other.Open(), 0);
    RemoveCode(other, "000004");
  }
  EXPECT_EQ(Inserts(table, 2), (Codes{"000004", "000008"}));

  // While the file is closed, another object frees a low code and adds another record.
  ASSERT_EQ(table.Close(), 0);
  {
    CModemProfileDB other;
    ASSERT_EQ(other.Open(), 0);
    RemoveCode(other, "000001");
    AddAsIs(other, "YYYYYY");
  }
  ASSERT_EQ(table.Open(), 0);
  EXPECT_EQ(Inserts(table, 2), (Codes{"000001", "000009"}));

  // Another object adds the code that comes next.
  {
    CModemProfileDB other;
    ASSERT_EQ(other.Open(), 0);
    AddAsIs(other, "000010");
  }
  EXPECT_EQ(Inserts(table, 1), Codes{"000011"});
}

}  // namespace
