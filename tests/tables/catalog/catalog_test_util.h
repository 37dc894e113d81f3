// Helpers of the catalogue table tests: a scratch directory per test, raw record access to any
// record file, and byte-level record builders.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <type_traits>
#include <vector>

#include "recfile/btrieve_db.h"
#include "recfile/field_codec.h"
#include "recfile/file_definition.h"
#include "recfile/table_ops.h"
#include "tests/support/record_bytes.h"

namespace cattest {

using Bytes = std::vector<uint8_t>;
using rectest::PutF32;
using rectest::PutF64;
using rectest::PutI32;

// Any record file, read and written as raw bytes; creates files from a given specification.
class RawTable : public CBtrieveDB {
 public:
  explicit RawTable(recfile::FileSpec spec = {}) : spec_(std::move(spec)) {}
  ~RawTable() { Close(); }
  int CreateFile(const char* fileName) override {
    return recfile::CreateTableFile(*this, spec_, fileName);
  }
  int ImportLine(const CString&, int32_t) override { return 0; }

  // Every record in the order of `keyNum`, as stored; a status other than 9 at the end fails the
  // test.
  std::vector<Bytes> ReadAll(int8_t keyNum = 0) {
    std::vector<Bytes> records;
    uint8_t key[255] = {};
    int status = Get(&CBtrieveDB::GetFirst, key, keyNum, records);
    while (status == 0) {
      status = Get(&CBtrieveDB::GetNext, key, keyNum, records);
    }
    EXPECT_EQ(status, 9) << "reading stopped early on key " << int{keyNum};
    return records;
  }

 private:
  int Get(int (CBtrieveDB::*op)(void*, uint16_t*, void*, int8_t), uint8_t* key, int8_t keyNum,
          std::vector<Bytes>& records) {
    std::vector<uint8_t> buffer(8192);
    uint16_t length = static_cast<uint16_t>(buffer.size());
    const int status = (this->*op)(buffer.data(), &length, key, keyNum);
    if (status == 0) {
      records.emplace_back(buffer.begin(), buffer.begin() + length);
    }
    return status;
  }
  recfile::FileSpec spec_;
};

// Inserts raw records into `table`, which is open on its file (created by its CreateFile).
inline int InsertRaw(CBtrieveDB& table, const Bytes& record) {
  Bytes copy = record;
  uint8_t key[255] = {};
  uint16_t length = static_cast<uint16_t>(copy.size());
  return table.Insert(copy.data(), &length, key, 0);
}

// Every record of the file `name`, as stored, in the order of key `keyNum`.
inline std::vector<Bytes> ReadFile(const char* name, int8_t keyNum = 0) {
  RawTable raw;
  if (raw.Open(name) != 0) {
    return {};
  }
  return raw.ReadAll(keyNum);
}

inline void Put(Bytes& b, size_t at, const std::string& s, size_t width) {
  for (size_t i = 0; i < width; ++i) {
    b[at + i] = i < s.size() ? static_cast<uint8_t>(s[i]) : 0;
  }
}
inline void PutRaw(Bytes& b, size_t at, const Bytes& v) {
  std::memcpy(&b[at], v.data(), v.size());
}
inline std::string Upper(std::string s) {
  recfile::UpperInPlace(s);
  return s;
}
inline std::string Str(const Bytes& b, size_t at, size_t n) {
  return std::string(reinterpret_cast<const char*>(&b[at]), n);
}

using SegmentRow = rectest::Seg;
using rectest::SpecBlock;

// Hand-built sample records: each field of a layout table has a kind, which decides what the
// current layout holds for a stored legacy value.
enum class Kind { Upper, Text, Flag, Code, Bits, List };
struct Sample {
  Bytes legacy;   // the stored legacy record
  Bytes current;  // the current record the conversion must write
};
inline const uint8_t kFlagBytes[] = {'Y', 'y', 'N', ' ', 0};  // only Y is a yes

// The `width` bytes the current layout holds for `stored`: upper-case texts and codes
// upper-cased, flags Y or N, the rest as stored.
inline Bytes Converted(Kind kind, const Bytes& stored, size_t width) {
  Bytes v(width, 0);
  for (size_t k = 0; k < stored.size(); ++k) {
    uint8_t b = stored[k];
    if (kind == Kind::Upper || kind == Kind::Code) {
      b = static_cast<uint8_t>(recfile::UpperChar(static_cast<char>(b)));
    } else if (kind == Kind::Flag) {
      b = b == 'Y' ? 'Y' : 'N';
    }
    v[k] = b;
  }
  return v;
}

// A readable difference of two records: the first differing offset.
inline std::string FirstDifference(const Bytes& got, const Bytes& want) {
  if (got.size() != want.size()) {
    return "length " + std::to_string(got.size()) + " instead of " + std::to_string(want.size());
  }
  for (size_t i = 0; i < got.size(); ++i) {
    if (got[i] != want[i]) {
      return "offset " + std::to_string(i) + ": " + std::to_string(got[i]) + " instead of " +
             std::to_string(want[i]);
    }
  }
  return "";
}

// Creates `name` through `DB` and stores the raw records in it.
template <class DB>
void WriteRaw(const char* name, const std::vector<Bytes>& records) {
  DB db;
  ASSERT_EQ(db.CreateFile(name), 0);
  for (const Bytes& r : records) {
    ASSERT_EQ(InsertRaw(db, r), 0);
  }
}

// One conversion step: reads `name` (the legacy class's own file name when null) with ReadFirst
// and ReadNext, copies or converts every record and inserts it into a new "TMP.DB" through
// `CurrentDB`. Returns the number inserted; the reading must end with 9.
template <class LegacyDB, class CurrentDB, class Old, class New>
int Upgrade(const char* name = nullptr) {
  LegacyDB legacy;
  CurrentDB current;
  EXPECT_EQ(legacy.Open(name), 0);
  EXPECT_EQ(current.CreateFile("TMP.DB"), 0);
  Old r;
  New R;
  int count = 0;
  int status = legacy.ReadFirst(r);
  for (; status == 0; status = legacy.ReadNext(r), ++count) {
    if constexpr (!std::is_same_v<Old, New>) {
      ConvertRecord(r, R);
    } else if constexpr (requires { R.Copy(r); }) {
      R.Copy(r);
    } else {
      R = r;
    }
    const int inserted = current.InsertRecord(R);
    EXPECT_EQ(inserted, 0) << "record " << count;
    if (inserted != 0) {
      return count;
    }
  }
  EXPECT_EQ(status, 9);
  current.Close();
  return count;
}

// The records of `name` in the order of key `keyNum`, compared byte for byte with `want`.
inline void ExpectFile(const char* name, int8_t keyNum, const std::vector<Bytes>& want) {
  const std::vector<Bytes> got = ReadFile(name, keyNum);
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(FirstDifference(got[i], want[i]), "") << "record " << i;
  }
}

}  // namespace cattest
