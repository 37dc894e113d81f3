// Every variable-length layout converts each record on its own: the record object of a step is
// reused, and a record that ends where its note begins (or earlier) must come out as it would
// into a fresh object, not with the note or trailing fields of the longer record read before.
#include <algorithm>
#include <functional>

#include "tables/catalog/item.h"
#include "tables/catalog/menu_hdr.h"
#include "tests/tables/catalog/catalog_test_util.h"

namespace {

using cattest::Bytes;

// A long record: every fixed byte distinct and non-NUL, then a note of 20 characters and the
// terminator with three bytes behind it. `first` leads the record and the 14-byte text at 9, so
// that two records differ in every key.
Bytes LongRecord(size_t noteOffset, uint8_t first) {
  Bytes r = rectest::Distinct(noteOffset);
  r[0] = r[9] = first;
  const std::string note = "a note of twenty ch.";
  r.insert(r.end(), note.begin(), note.end());
  r.insert(r.end(), 4, 0);
  return r;
}

// The first `length` bytes of a distinct record; from the note's offset on (where the length
// goes so far) the bytes are NUL, so the record holds no note.
Bytes ShortRecord(size_t noteOffset, size_t length, uint8_t first) {
  Bytes r = rectest::Distinct(std::max(length, size_t{10}));
  r.resize(length);
  for (size_t i = noteOffset; i < length; ++i) {
    r[i] = 0;
  }
  r[0] = first;
  if (length > 9) {
    r[9] = first;
  }
  return r;
}

// The bytes a record object formats to: every stored field of the object, the note included.
template <class R>
Bytes Formatted(const recfile::Layout<R>& layout, R& record) {
  Bytes out(layout.MaxLength());
  out.resize(recfile::Format(layout, record, out.data()));
  return out;
}

// Parses `longer`, then `shorter` into the same object, and compares the object with one that
// saw only `shorter`.
template <class R>
void ExpectParsedOnItsOwn(const recfile::Layout<R>& layout, const Bytes& longer,
                          const Bytes& shorter) {
  R reused;
  recfile::Parse(layout, longer.data(), longer.size(), reused);
  ASSERT_FALSE(reused.Note.empty());
  recfile::Parse(layout, shorter.data(), shorter.size(), reused);
  R fresh;
  recfile::Parse(layout, shorter.data(), shorter.size(), fresh);
  EXPECT_EQ(reused.Note, "");
  EXPECT_EQ(cattest::FirstDifference(Formatted(layout, reused), Formatted(layout, fresh)), "")
      << "record of " << shorter.size() << " bytes";
}

// The codec alone: a record cut at the note's offset, and one cut half-way through the fixed
// part, each after a long record.
template <class R>
std::function<void()> ParsesOnItsOwn(const recfile::Layout<R>& layout) {
  return [&layout] {
    const size_t note = layout.NoteField()->offset;
    const Bytes longer = LongRecord(note, 'A');
    ExpectParsedOnItsOwn(layout, longer, ShortRecord(note, note, 'B'));
    ExpectParsedOnItsOwn(layout, longer, ShortRecord(note, note / 2, 'B'));
  };
}

// Through a file as the upgrade reads it: a long record, then the shortest record the file
// holds (its fixed part, the note empty), read into one object with ReadFirst and ReadNext.
template <class DB, class R>
std::function<void()> ReadsOnItsOwn(const recfile::Layout<R>& layout) {
  return [&layout] {
    const size_t note = layout.NoteField()->offset;
    const Bytes shorter = ShortRecord(note, layout.length, 'B');
    {
      DB db;
      ASSERT_EQ(db.CreateFile("SHORT.DB"), 0);
      ASSERT_EQ(cattest::InsertRaw(db, LongRecord(note, 'A')), 0);
      ASSERT_EQ(cattest::InsertRaw(db, shorter), 0);
    }
    DB db;
    ASSERT_EQ(db.Open("SHORT.DB"), 0);
    R reused;
    ASSERT_EQ(db.ReadFirst(reused), 0);
    ASSERT_FALSE(reused.Note.empty());
    ASSERT_EQ(db.ReadNext(reused), 0);
    R fresh;
    recfile::Parse(layout, shorter.data(), shorter.size(), fresh);
    EXPECT_EQ(reused.Note, "");
    EXPECT_EQ(cattest::FirstDifference(Formatted(layout, reused), Formatted(layout, fresh)), "");
  };
}

// The current item layout is read by item number.
std::function<void()> CurrentItemFoundOnItsOwn() {
  return [] {
    const size_t note = kItemLayout.NoteField()->offset;
    const Bytes longer = LongRecord(note, 'A');
    const Bytes shorter = ShortRecord(note, kItemLayout.length, 'B');
    CItemDB db;
    ASSERT_EQ(db.CreateFile("SHORT.DB"), 0);
    ASSERT_EQ(cattest::InsertRaw(db, longer), 0);
    ASSERT_EQ(cattest::InsertRaw(db, shorter), 0);
    CItem reused;
    ASSERT_EQ(db.FindRecord(reused, cattest::Str(longer, 0, 12)), 0);
    ASSERT_FALSE(reused.Note.empty());
    ASSERT_EQ(db.FindRecord(reused, cattest::Str(shorter, 0, 12)), 0);
    CItem fresh;
    recfile::Parse(kItemLayout, shorter.data(), shorter.size(), fresh);
    EXPECT_EQ(reused.Note, "");
    EXPECT_EQ(
        cattest::FirstDifference(Formatted(kItemLayout, reused), Formatted(kItemLayout, fresh)),
        "");
  };
}

class ShortRecords : public rectest::InScratchDir {};

TEST_F(ShortRecords, EveryVariableLengthLayoutConvertsEachRecordOnItsOwn) {
  const struct {
    const char* layout;
    std::function<void()> check;
  } cases[] = {
      {"item current, parsed", ParsesOnItsOwn(kItemLayout)},
      {"item 0400, parsed", ParsesOnItsOwn(kItem0400Layout)},
      {"item 03094, parsed", ParsesOnItsOwn(kItem03094Layout)},
      {"item 0308, parsed", ParsesOnItsOwn(kItem0308Layout)},
      {"menu header current, parsed", ParsesOnItsOwn(kMenuHdrLayout)},
      {"menu header 0403, parsed", ParsesOnItsOwn(kMenuHdr0403Layout)},
      {"item current, found", CurrentItemFoundOnItsOwn()},
      {"item 0400, read", ReadsOnItsOwn<CItem0400DB>(kItem0400Layout)},
      {"item 03094, read", ReadsOnItsOwn<CItem03094DB>(kItem03094Layout)},
      {"item 0308, read", ReadsOnItsOwn<CItem0308DB>(kItem0308Layout)},
      {"menu header 0403, read", ReadsOnItsOwn<CMenuHdr0403DB>(kMenuHdr0403Layout)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.layout);
    c.check();
  }
}

}  // namespace
