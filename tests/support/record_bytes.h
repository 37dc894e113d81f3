// Helpers shared by the table tests: raw records written by hand, a scratch directory to create
// record files in, the specification block a table hands to Create, and a file's raw records.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <type_traits>
#include <vector>

#include "recfile/btrieve_db.h"
#include "tests/support/scratch_dir.h"

namespace rectest {

using Bytes = std::vector<uint8_t>;

inline void Put(Bytes& rec, size_t offset, const std::string& text) {
  std::memcpy(rec.data() + offset, text.data(), text.size());
}

inline void PutI32(Bytes& rec, size_t offset, int32_t v) {
  const uint32_t u = static_cast<uint32_t>(v);
  for (int i = 0; i < 4; ++i) {
    rec[offset + i] = static_cast<uint8_t>(u >> (8 * i));
  }
}

inline void PutF32(Bytes& rec, size_t offset, float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  PutI32(rec, offset, static_cast<int32_t>(u));
}

inline void PutF64(Bytes& rec, size_t offset, double d) {
  uint64_t u;
  std::memcpy(&u, &d, 8);
  PutI32(rec, offset, static_cast<int32_t>(static_cast<uint32_t>(u)));
  PutI32(rec, offset + 4, static_cast<int32_t>(static_cast<uint32_t>(u >> 32)));
}

// A record whose every byte holds a value of its own (offset-derived, never NUL): a field that
// reads the wrong bytes or writes past its width shows.
inline Bytes Distinct(size_t length) {
  Bytes rec(length);
  for (size_t i = 0; i < length; ++i) {
    rec[i] = static_cast<uint8_t>(0x21 + i % 90);
  }
  return rec;
}

// Inserts a raw record through any table object open on its file.
inline int InsertRaw(CBtrieveDB& table, Bytes rec, int8_t keyNum = 0) {
  uint8_t key[255] = {};
  uint16_t length = static_cast<uint16_t>(rec.size());
  return table.Insert(rec.data(), &length, key, keyNum);
}

// Every record of an open table in the order of key `keyNum`, raw.
inline std::vector<Bytes> ReadAllRaw(CBtrieveDB& table, int8_t keyNum = 0) {
  std::vector<Bytes> records;
  uint8_t key[255] = {};
  Bytes buffer(4096);
  uint16_t length = static_cast<uint16_t>(buffer.size());
  int status = table.GetFirst(buffer.data(), &length, key, keyNum);
  while (status == 0) {
    records.emplace_back(buffer.begin(), buffer.begin() + length);
    length = static_cast<uint16_t>(buffer.size());
    status = table.GetNext(buffer.data(), &length, key, keyNum);
  }
  EXPECT_EQ(status, 9);
  return records;
}

// ReadFirst/ReadNext on `keyNum`, or without a key for the tables that read on one key only.
template <class DB, class R>
int ReadStep(DB& table, R& record, int keyNum, bool first) {
  if constexpr (requires { table.ReadFirst(record, keyNum); }) {
    return first ? table.ReadFirst(record, keyNum) : table.ReadNext(record, keyNum);
  } else {
    return first ? table.ReadFirst(record) : table.ReadNext(record);
  }
}

// Creates the legacy file under `name` (the table's own name when null) and inserts `raw` on key
// `keyNum`.
template <class DB>
void WriteRaw(const std::vector<Bytes>& raw, int8_t keyNum = 0, const char* name = nullptr) {
  DB table;
  ASSERT_EQ(table.CreateFile(name != nullptr ? name : table.GetFileName().c_str()), 0);
  for (const Bytes& r : raw) {
    ASSERT_EQ(InsertRaw(table, r, keyNum), 0);
  }
}

template <class Legacy>
struct StepRun {
  std::vector<int> statuses;     // of the reads that gave a record
  std::vector<Legacy> read;      // the legacy records in reading order (not orders: see below)
  std::vector<Bytes> converted;  // the new file's raw records in the order of the output key
};

// A step that rebuilds a file in its own layout copies each record; the others convert it.
template <class Legacy, class Current>
void CarryOver(const Legacy& r, Current& c) {
  if constexpr (!std::is_same_v<Legacy, Current>) {
    ConvertRecord(r, c);
  } else if constexpr (requires { c.Copy(r); }) {
    c.Copy(r);
  } else {
    c = r;
  }
}

// The upgrade run's loop over the legacy file `name` (the one the table opens by default when
// null): reads on `readKey` while the status is one of `accept`, which must end in 9, and converts
// each record into one object kept for the whole file (seeded by `seed`, so that a value left from
// before shows), inserted into "TMP.DB", whose numbers avoid those of the legacy file.
template <class LegacyDB, class Legacy, class CurrentDB, class Current>
StepRun<Legacy> RunStep(int readKey, int8_t outKey = 0, const std::vector<int>& accept = {0},
                        const char* name = nullptr, void (*seed)(Current&) = nullptr) {
  LegacyDB old;
  CurrentDB fresh;
  EXPECT_EQ(old.Open(name), 0);
  EXPECT_EQ(fresh.CreateFile("TMP.DB"), 0);
  if constexpr (requires { fresh.AvoidNumbersIn(old.CurrentFileName()); }) {
    EXPECT_EQ(fresh.AvoidNumbersIn(old.CurrentFileName()), 0);
  }
  StepRun<Legacy> run;
  Legacy r;
  Current c;
  if (seed != nullptr) {
    seed(c);
  }
  int status = ReadStep(old, r, readKey, true);
  while (std::find(accept.begin(), accept.end(), status) != accept.end()) {
    run.statuses.push_back(status);
    if constexpr (!requires { r.Lines; }) {  // an order owns its lines: it cannot be copied
      run.read.push_back(r);
    }
    CarryOver(r, c);
    EXPECT_EQ(fresh.InsertRecord(c), 0) << "record " << run.statuses.size();
    status = ReadStep(old, r, readKey, false);
  }
  EXPECT_EQ(status, 9);
  run.converted = ReadAllRaw(fresh, outKey);
  return run;
}

// Captures the specification block a table's CreateFile hands to Create, without creating.
template <class Table>
class SpecCapture : public Table {
 public:
  int Create(void* spec, uint16_t* specLen, const char*, int8_t mode) override {
    block.assign(static_cast<uint8_t*>(spec), static_cast<uint8_t*>(spec) + *specLen);
    createMode = mode;
    return 99;
  }
  Bytes block;
  int createMode = -1;
};

// One key segment of a specification block: position, length, flags exactly as given (0x10
// included) and extended type.
struct Seg {
  uint16_t position, length, flags;
  uint8_t type = 0;
};

// The specification block written by hand, the one builder of every suite: header (record
// length, page size 1024, `keys`, the variable-length flag), then one 16-byte entry per segment.
inline Bytes SpecBlock(uint16_t recordLength, bool variable, uint16_t keys,
                       const std::vector<Seg>& segs) {
  Bytes b(16 + 16 * segs.size(), 0);
  auto put16 = [&](size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
  };
  put16(0, recordLength);
  put16(2, 1024);
  put16(4, keys);
  put16(10, variable ? 1 : 0);
  for (size_t i = 0; i < segs.size(); ++i) {
    put16(16 + 16 * i, segs[i].position);
    put16(18 + 16 * i, segs[i].length);
    put16(20 + 16 * i, segs[i].flags);
    b[26 + 16 * i] = segs[i].type;
  }
  return b;
}

// A fixed-length file's block.
inline Bytes ExpectedBlock(uint16_t recordLength, uint16_t keys, const std::vector<Seg>& segs) {
  return SpecBlock(recordLength, false, keys, segs);
}

template <class Table>
Bytes CapturedBlock() {
  SpecCapture<Table> table;
  EXPECT_EQ(table.CreateFile("X.DB"), 99);
  EXPECT_EQ(table.createMode, 0);
  return table.block;
}

// The byte offsets of a layout that no field covers.
template <class Layout>
std::vector<size_t> Uncovered(const Layout& layout) {
  std::vector<bool> covered(layout.length, false);
  for (const auto& f : layout.fields) {
    for (size_t i = f.offset; i < static_cast<size_t>(f.offset + f.width); ++i) {
      covered[i] = true;
    }
  }
  std::vector<size_t> gaps;
  for (size_t i = 0; i < covered.size(); ++i) {
    if (!covered[i]) {
      gaps.push_back(i);
    }
  }
  return gaps;
}

}  // namespace rectest
