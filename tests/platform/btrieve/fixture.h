// Shared helpers of the record manager tests: the scratch directory to work in, file
// specifications, records, thin wrappers around BTRCALL and writers killed with SIGKILL.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/btrieve/btrcall.h"
#include "platform/btrieve/check.h"
#include "platform/sysio/sysio.h"
#include "tests/support/record_bytes.h"
#include "tests/support/scratch_path.h"

namespace btrtest {

using Bytes = std::vector<uint8_t>;

using rectest::ScratchDir;

using rectest::Seg;

inline void Put16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void Put32(uint8_t* p, uint32_t v) {
  std::memcpy(p, &v, 4);
}
inline uint32_t Get32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

inline Bytes SpecBlock(uint16_t record_length, uint16_t keys, const std::vector<Seg>& segs,
                       uint16_t file_flags = 0, uint16_t page = 1024) {
  Bytes b = rectest::SpecBlock(record_length, false, keys, segs);
  Put16(&b[2], page);
  Put16(&b[10], file_flags);
  return b;
}

// The standard test layout, 32 bytes:
//   0  int32 id          key 0, unique
//   4  char[10] name     key 1, duplicates, modifiable
//   14 date              key 2 (with group), duplicates, modifiable
//   18 int16 group       key 2 second segment
//   20 char[12] rest     not a key
constexpr uint16_t kRecLen = 32;
inline Bytes StandardSpec(uint16_t file_flags = 0) {
  using namespace btr;
  return SpecBlock(kRecLen, 3,
                   {{1, 4, kExtendedType, kInteger},
                    {5, 10, kExtendedType | kDuplicates | kModifiable, kString},
                    {15, 4, kExtendedType | kDuplicates | kModifiable | kSegmented, kDate},
                    {19, 2, kExtendedType | kDuplicates | kModifiable, kInteger}},
                   file_flags);
}

inline Bytes Record(int32_t id, const std::string& name = "", int day = 1, int month = 1,
                    int year = 2000, int16_t group = 0, const std::string& rest = "") {
  Bytes r(kRecLen, 0);
  std::memcpy(&r[0], &id, 4);
  std::memcpy(&r[4], name.data(), std::min<size_t>(name.size(), 10));
  r[14] = static_cast<uint8_t>(day);
  r[15] = static_cast<uint8_t>(month);
  Put16(&r[16], static_cast<uint16_t>(year));
  std::memcpy(&r[18], &group, 2);
  std::memcpy(&r[20], rest.data(), std::min<size_t>(rest.size(), 12));
  return r;
}

// One position block and the buffers of the calls made through it.
struct Handle {
  uint8_t pos[128] = {};
  uint8_t key[255] = {};
  Bytes data = Bytes(256, 0);
  uint32_t length = 0;

  int Call(int op, int key_number = 0, uint8_t key_length = 255) {
    return BTRCALL(static_cast<uint16_t>(op), pos, data.data(), &length, key, key_length,
                   static_cast<int8_t>(key_number));
  }
  int Open(const std::string& name, int mode = 0) {
    SetKey(name);
    length = 0;
    return Call(btr::kOpen, mode);
  }
  int Close() { return Call(btr::kClose); }
  // Insert, Update or Create with `bytes` as the data buffer.
  int Write(int op, const Bytes& bytes, int key_number = 0) {
    data = bytes;
    length = static_cast<uint32_t>(bytes.size());
    return Call(op, key_number);
  }
  int Insert(const Bytes& record, int key_number = 0) {
    return Write(btr::kInsert, record, key_number);
  }
  int Update(const Bytes& record, int key_number = 0) {
    return Write(btr::kUpdate, record, key_number);
  }
  // A Get with a data buffer of `capacity` bytes; the record read is record().
  int Get(int op, int key_number = 0, uint32_t capacity = 256) {
    data.assign(capacity + 16, 0xEE);  // room to see that nothing spills
    length = capacity;
    return Call(op, key_number);
  }
  Bytes record() const { return Bytes(data.begin(), data.begin() + length); }
  // The record count that Stat answers.
  uint32_t count() {
    EXPECT_EQ(Get(btr::kStat, 0, 336), btr::kOk);
    return Get32(&data[6]);
  }
  int32_t id() const { return static_cast<int32_t>(Get32(data.data())); }
  void SetKey(const std::string& text) {
    std::memset(key, 0, sizeof key);
    std::memcpy(key, text.data(), std::min<size_t>(text.size(), sizeof key - 1));
  }
  void SetKeyInt(int32_t v) {
    std::memset(key, 0, sizeof key);
    std::memcpy(key, &v, 4);
  }
};

inline int Create(const std::string& name, const Bytes& spec, int mode = 0) {
  Handle h;
  h.SetKey(name);
  return h.Write(btr::kCreate, spec, mode);
}

// An operation on no file: transactions, Reset, Stop.
inline int Simple(int op) {
  Handle h;
  return h.Call(op);
}

// Every id on `key`, forward with Get First and Get Next, or backward with Get Last and Get
// Previous (reversed, so that both must equal), with a data buffer of `capacity` bytes.
inline std::vector<int32_t> Walk(Handle& h, int key, bool backward = false,
                                 uint32_t capacity = 256) {
  std::vector<int32_t> ids;
  int s = h.Get(backward ? btr::kGetLast : btr::kGetFirst, key, capacity);
  for (; s == btr::kOk; s = h.Get(backward ? btr::kGetPrevious : btr::kGetNext, key, capacity)) {
    ids.push_back(h.id());
  }
  EXPECT_EQ(s, btr::kEndOfFile);
  if (backward) {
    std::reverse(ids.begin(), ids.end());
  }
  return ids;
}

// The check's one-line summary of a sound file.
inline std::string Summary(const std::string& name) {
  std::string report;
  EXPECT_EQ(btr::CheckRecordFile(name, &report), btr::kOk) << report;
  return report;
}

inline std::vector<int32_t> Range(int32_t from, int32_t to) {
  std::vector<int32_t> ids;
  for (int32_t id = from; id < to; ++id) {
    ids.push_back(id);
  }
  return ids;
}

// The ids of `parts`, one after the other.
inline std::vector<int32_t> Cat(std::initializer_list<std::vector<int32_t>> parts) {
  std::vector<int32_t> all;
  for (const std::vector<int32_t>& part : parts) {
    all.insert(all.end(), part.begin(), part.end());
  }
  return all;
}

// Every id of the file `name` on key 0, read through a position block of its own.
inline std::vector<int32_t> Ids(const std::string& name) {
  Handle h;
  EXPECT_EQ(h.Open(name), btr::kOk);
  std::vector<int32_t> ids = Walk(h, 0);
  EXPECT_EQ(h.Close(), btr::kOk);
  return ids;
}

// A file of the standard layout holding the records 0 .. count-1, committed and closed.
inline void MakeFile(const std::string& name, int32_t count) {
  ASSERT_EQ(Create(name, StandardSpec()), btr::kOk);
  Handle h;
  ASSERT_EQ(h.Open(name), btr::kOk);
  for (int32_t id = 0; id < count; ++id) {
    ASSERT_EQ(h.Insert(Record(id, "name" + std::to_string(id % 4))), btr::kOk);
  }
  ASSERT_EQ(h.Close(), btr::kOk);
}

// A message from a writer process to the test, through a pipe; a writer that cannot send it
// stops.
inline void Tell(int fd, int32_t message) {
  if (write(fd, &message, sizeof message) != sizeof message) {
    _exit(3);
  }
}

// Runs `writer` in a child process that must die of SIGKILL. With `until`, the test reads the
// child's messages from the pipe given to both and sends the kill when `until` returns; without,
// the child arms a kill point itself. A writer that fails exits with a code of its own instead.
inline void RunKilledWriter(const std::function<void(int fd)>& writer,
                            const std::function<void(int fd)>& until = {}) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(fds[0]);
    writer(fds[1]);
    _exit(4);  // the writer passed its kill point, or returned, without dying
  }
  close(fds[1]);
  if (until) {
    until(fds[0]);
    kill(child, SIGKILL);
  }
  close(fds[0]);
  int wstatus = 0;
  ASSERT_EQ(waitpid(child, &wstatus, 0), child);
  ASSERT_TRUE(WIFSIGNALED(wstatus)) << "the writer exited with " << WEXITSTATUS(wstatus);
  ASSERT_EQ(WTERMSIG(wstatus), SIGKILL);
}

// Every test starts in a scratch directory with no file open, no transaction active and no fault
// or kill point armed.
class BtrieveTest : public testing::Test {
 protected:
  void TearDown() override {
    sysio::DisarmFault();
    sysio::DisarmKill();
    Simple(btr::kReset);
  }
  ScratchDir dir_;
};

}  // namespace btrtest
