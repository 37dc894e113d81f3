// The statuses every table answers whatever its layout: 3 before its file is open, 9 on an empty
// file, 6 for a key number the file lacks and, for a fixed-length layout, 22 for a record of
// another length, which leaves the record object as it was.
#pragma once

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <typeinfo>

#include "recfile/field_codec.h"
#include "tests/support/record_bytes.h"
#include "tests/support/scratch_path.h"

namespace rectest {

// A record file created from a specification block given byte for byte.
class RawFile : public CBtrieveDB {
 public:
  explicit RawFile(Bytes block) : block_(std::move(block)) {}
  int CreateFile(const char* fileName) override {  // and opens it, as every table does
    uint16_t length = static_cast<uint16_t>(block_.size());
    const int status = Create(block_.data(), &length, fileName, 0);
    return status != 0 ? status : Open(fileName);
  }
  int ImportLine(const CString&, int32_t) override { return 0; }

 private:
  Bytes block_;
};

// The record object `layout` formats to.
template <class R>
Bytes Formatted(const recfile::Layout<R>& layout, R& record) {
  Bytes out(layout.MaxLength());
  out.resize(recfile::Format(layout, record, out.data()));
  return out;
}

// The reads of an open file: 9 on an empty one, 6 for a key number one past the file's keys or
// below 0 (for a reader that takes a key number), and 22 for a record four bytes short of a fixed
// length. That record is in a file made from DB's own specification block with the shorter length:
// the record manager hands it over, so only the table's length rule can refuse it.
template <class DB, class R>
void ExpectReadStatuses(const recfile::Layout<R>& layout, R& r) {
  Bytes block = CapturedBlock<DB>();
  {
    DB empty;
    ASSERT_EQ(empty.CreateFile("EMPTY.DB"), 0);
    EXPECT_EQ(ReadStep(empty, r, 0, true), 9);
    if constexpr (requires { empty.ReadFirst(r, 0); }) {
      EXPECT_EQ(empty.ReadFirst(r, block[4] | block[5] << 8), 6);
      EXPECT_EQ(empty.ReadFirst(r, -1), 6);
    }
    EXPECT_EQ(empty.Close(), 0);
  }
  if (layout.NoteField() != nullptr) {
    return;
  }
  const uint16_t shorter = static_cast<uint16_t>(layout.length - 4);
  block[0] = static_cast<uint8_t>(shorter);
  block[1] = static_cast<uint8_t>(shorter >> 8);
  RawFile raw(block);
  const std::string name = DB().GetFileName();
  ASSERT_EQ(raw.CreateFile(name.c_str()), 0);
  ASSERT_EQ(InsertRaw(raw, Distinct(shorter)), 0);
  ASSERT_EQ(raw.Close(), 0);
  DB reader;
  ASSERT_EQ(reader.Open(), 0);
  Bytes full = Distinct(layout.length);
  recfile::Parse(layout, full.data(), full.size(), r);
  const Bytes before = Formatted(layout, r);
  EXPECT_EQ(ReadStep(reader, r, 0, true), 22);
  EXPECT_EQ(Formatted(layout, r), before);
}

// Every status above for the table DB of `layout`, in a scratch directory of its own; an insert
// before the file is open answers 3, and so does a read. A fault names the table class.
template <class DB, class R>
void ExpectReaderStatuses(const recfile::Layout<R>& layout) {
  SCOPED_TRACE(typeid(DB).name());
  ScratchDir dir;
  R r;
  DB closed;
  EXPECT_EQ(closed.InsertRecord(r), 3);
  if constexpr (
      requires { closed.ReadFirst(r); } || requires { closed.ReadFirst(r, 0); }) {
    EXPECT_EQ(ReadStep(closed, r, 0, true), 3);
    ExpectReadStatuses<DB>(layout, r);
  }
}

// Every layout given is declared soundly (fields inside the record, none overlapping, member
// types that fit their encodings); a fault names the layout by its place in the list.
template <class... R>
void ExpectSoundLayouts(const recfile::Layout<R>&... layouts) {
  const std::string problems[] = {recfile::CheckLayout(layouts)...};
  for (size_t i = 0; i < std::size(problems); ++i) {
    EXPECT_EQ(problems[i], "") << "layout " << i;
  }
}

}  // namespace rectest
