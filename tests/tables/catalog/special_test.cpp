// Special table: the layout and its flag rules, the date rule of the readers (passed specials
// are dropped and the reading goes on), the keys, and the rebuild of step 4 byte for byte.
#include "tables/catalog/special.h"

#include <gtest/gtest.h>

#include <ctime>

#include "tests/tables/catalog/catalog_test_util.h"

namespace {

using namespace cattest;

Bytes Raw(const std::string& t0, const std::string& t6, const std::string& t18, int32_t date,
          uint8_t f28, uint8_t f29, uint8_t f48, float amount) {
  Bytes b(52, 0xEE);  // padding: never read
  Put(b, 0, t0, 6);
  Put(b, 6, t6, 12);
  Put(b, 18, t18, 3);
  PutI32(b, 24, date);
  b[28] = f28;
  b[29] = f29;
  PutF32(b, 32, amount);
  PutF32(b, 36, -amount);
  PutF32(b, 40, amount * 2);
  PutF32(b, 44, 0.5f);
  b[48] = f48;
  return b;
}

// The record as the current writer stores it: upper-case texts, Y/N flags, zero padding.
Bytes Rewritten(Bytes b) {
  for (int at = 0; at < 21; ++at) {
    b[at] = UpperByte(b[at]);
  }
  for (int at : {28, 29, 48}) {
    b[at] = b[at] == 'Y' ? 'Y' : 'N';
  }
  for (int at : {21, 22, 23, 30, 31, 49, 50, 51}) {
    b[at] = 0;
  }
  return b;
}

int32_t Now() {
  return static_cast<int32_t>(std::time(nullptr));
}

// Flag28 is yes when non-zero, Flag29 and Flag48 only when positive.
TEST(SpecialLayout, FlagsAreWrittenByTheirOwnRules) {
  struct Case {
    int value;
    const char* written;  // bytes 28, 29, 48
  };
  for (const Case& c : {Case{-1, "YNN"}, Case{0, "NNN"}, Case{1, "YYY"}, Case{2, "YYY"}}) {
    CSpecial r;
    r.Flag28 = r.Flag29 = r.Flag48 = c.value;
    const Bytes out = Formatted(kSpecialLayout, r);
    EXPECT_EQ(Str(out, 28, 2) + Str(out, 48, 1), c.written) << c.value;
  }
}

TEST(SpecialDate, PassedMeansEarlierThanNow) {
  EXPECT_TRUE(SpecialHasPassed(999, 1000));
  EXPECT_FALSE(SpecialHasPassed(1000, 1000));
  EXPECT_FALSE(SpecialHasPassed(1001, 1000));
  EXPECT_TRUE(SpecialHasPassed(-1, 1000));
  EXPECT_TRUE(SpecialHasPassed(-86400, 0));
}

class SpecialFile : public InScratchDir {};

TEST_F(SpecialFile, OnlyPassedSpecialsReadAsAnEmptyFile) {
  CSpecialDB db;
  ASSERT_EQ(db.CreateFile("SPECIAL.DB"), 0);
  ASSERT_EQ(InsertRaw(db, Raw("x", "y", "z", Now() - 10, 'Y', 'Y', 'Y', 1)), 0);
  CSpecial r;
  EXPECT_EQ(db.ReadFirst(r), 9);
  EXPECT_EQ(db.ReadFirst(r, 1), 9);
}

// Raw records written by hand, rebuilt through ReadFirst and ReadNext into TMP.DB: the passed
// specials are dropped and the reading goes on, so both current ones arrive, in the writer's
// form (upper-case texts, Y/N flags, zero padding). Keep-all returns every record after the
// first, with its texts as stored (lower case here).
TEST_F(SpecialFile, RebuildKeepsEveryCurrentSpecialUnlessKeepingAll) {
  const int32_t now = Now();  // in key 0 order: A passed, B current, C dated -1, D current, ...
  const std::vector<Bytes> raw = {
      Raw("a", "item a", "ea", now - 100, 'Y', 'N', 'Y', 1.0f),
      Raw("b", "item b", "cs", now + 86400, 'N', 'Y', 'y', 2.0f),
      Raw("c", "item c", "ea", -1, 'Y', 'Y', 'Y', 3.0f),
      Raw("d", "full width12", "lb", now + 3600, ' ', 0, 'N', 4.0f),
      Raw("e", "item e", "ea", now - 1, 'Y', 'N', 'N', 5.0f),    // passed
      Raw("f", "item f", "ea", 631152000, 'Y', 'N', 'N', 6.0f),  // 1990
  };
  WriteRaw<CSpecialDB>(raw);
  ExpectRecords(RunStep<CSpecialDB, CSpecial, CSpecialDB, CSpecial>(0).converted,
                {Rewritten(raw[1]), Rewritten(raw[3])});
  CSpecialDB db;
  ASSERT_EQ(db.Open(), 0);
  CSpecial r;
  ASSERT_EQ(db.ReadFirst(r), 0);
  std::string seen = r.Text0;
  while (db.ReadNext(r, 0, true) == 0) {
    seen += r.Text0;
  }
  EXPECT_EQ(seen, "bcdef");  // the 1990 special and the one dated -1 included
}

TEST_F(SpecialFile, KeyZeroIsUnique) {
  CSpecialDB db;
  ASSERT_EQ(db.CreateFile("SPECIAL.DB"), 0);
  CSpecial r;
  r.Text0 = "c1";
  r.Text6 = "item";
  r.Text18 = "ea";
  ASSERT_EQ(db.InsertRecord(r), 0);
  CSpecial same = r;
  same.Text0 = "C1";
  EXPECT_EQ(db.InsertRecord(same), 5);
  same.Amount32 = 9.0f;
  EXPECT_EQ(db.UpdateRecord(same), 0);
  EXPECT_EQ(db.DeleteRecord(std::string("c1\0\0\0\0item\0\0\0\0\0\0\0\0ea", 21)), 0);
  EXPECT_TRUE(ReadAllRaw(db).empty());
}

}  // namespace
