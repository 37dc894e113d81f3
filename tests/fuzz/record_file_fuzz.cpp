// Opening a record file made of any bytes through the record manager, as the upgrade run opens
// a table: the input becomes FUZZ.DB in a scratch directory (named by its full path, so that the
// fuzzer's own relative paths keep working), then Open, Stat, every key path read forward and
// backward, the records stepped through in physical order, Close; and the file check of
// `recutil check`. Whatever the file holds, the record manager answers with statuses.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/btrieve/btrcall.h"
#include "platform/btrieve/check.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

// Enough for the longest record the record manager stores, and for any Stat answer.
constexpr uint32_t kBufferSize = btr::kMaxRecordLength + 1;
// Records read per key path and in physical order: enough to walk every page of a small file.
constexpr int kMaxReads = 64;

// A scratch directory of its own, made once, so that every run finds only its own file; the
// directory is removed when the fuzzer ends.
class Scratch {
 public:
  Scratch() {
    const char* tmp = getenv("TMPDIR");
    dir_ = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/record_file_fuzz.XXXXXX";
    fuzz::Require(mkdtemp(dir_.data()) != nullptr, "scratch directory");
    name_ = dir_ + "/FUZZ.DB";
    fuzz::Require(name_.size() < 255, "the file name fits a key buffer");
  }
  ~Scratch() {
    Clean();
    rmdir(dir_.c_str());
  }
  const std::string& name() const { return name_; }
  // Removes the file and whatever SQLite left beside it.
  void Clean() const {
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
      unlink((name_ + suffix).c_str());
    }
  }

 private:
  std::string dir_;
  std::string name_;
};

void WriteFile(const std::string& name, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(name.c_str(), "wb");
  fuzz::Require(f != nullptr, "create the input file");
  fuzz::Require(std::fwrite(data, 1, size, f) == size, "write the input file");
  fuzz::Require(std::fclose(f) == 0, "close the input file");
}

struct Handle {
  uint8_t pos[btr::kPositionBlockSize] = {};
  uint8_t key[256] = {};
  uint8_t* buffer;

  int Call(uint16_t op, int8_t key_num, uint32_t capacity = kBufferSize) {
    uint32_t length = capacity;
    const int status = BTRCALL(op, pos, buffer, &length, key, 255, key_num);
    fuzz::Require(length <= capacity, "the length read fits the buffer");
    return status;
  }
};

// Number of keys that Stat reports, or 0.
int KeyCount(Handle& h) {
  if (h.Call(btr::kStat, 0) != btr::kOk) {
    return 0;
  }
  return h.buffer[4] | h.buffer[5] << 8;
}

void ReadThrough(Handle& h, uint16_t first, uint16_t next, int8_t key_num) {
  int status = h.Call(first, key_num);
  for (int i = 0; i < kMaxReads && (status == btr::kOk || status == btr::kDataBufferLength); ++i) {
    status = h.Call(next, key_num);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Scratch scratch;
  static uint8_t* buffer = new uint8_t[kBufferSize];
  scratch.Clean();
  WriteFile(scratch.name(), data, size);

  Handle h{{}, {}, buffer};
  std::memcpy(h.key, scratch.name().c_str(), scratch.name().size() + 1);
  if (h.Call(btr::kOpen, btr::kNormal) == btr::kOk) {
    const int keys = KeyCount(h);
    for (int k = 0; k < keys && k < 24; ++k) {
      ReadThrough(h, btr::kGetFirst, btr::kGetNext, static_cast<int8_t>(k));
      ReadThrough(h, btr::kGetLast, btr::kGetPrevious, static_cast<int8_t>(k));
    }
    ReadThrough(h, btr::kStepFirst, btr::kStepNext, 0);
    fuzz::Require(h.Call(btr::kClose, 0) == btr::kOk, "a file that was only read closes");
  }
  btr::CheckRecordFile(scratch.name(), nullptr);
  return 0;
}
