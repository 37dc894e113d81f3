// Opening a record file made of any bytes through the record manager, as the upgrade run opens
// a table: the input becomes FUZZ.DB in a scratch directory, then Open, Stat, every key path
// read forward, the records stepped through in physical order, Close; and the file check of
// `recutil check`. Whatever the file holds, the record manager answers statuses.
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

constexpr char kName[] = "FUZZ.DB";
// Enough for the longest record the record manager stores, and for any Stat answer.
constexpr uint32_t kBufferSize = btr::kMaxRecordLength + 1;
// Records read per key path and in physical order: enough to walk every page of a small file.
constexpr int kMaxReads = 64;

// Makes a scratch directory the working directory, once, so that every run finds only its
// own file; the directory is removed when the fuzzer ends.
class Scratch {
 public:
  Scratch() {
    const char* tmp = getenv("TMPDIR");
    dir_ = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/record_file_fuzz.XXXXXX";
    fuzz::Require(mkdtemp(dir_.data()) != nullptr, "scratch directory");
    fuzz::Require(chdir(dir_.c_str()) == 0, "chdir to the scratch directory");
  }
  ~Scratch() {
    Clean();
    if (chdir("/") == 0) {
      rmdir(dir_.c_str());
    }
  }
  // Removes the file and whatever SQLite left beside it.
  static void Clean() {
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
      unlink((std::string(kName) + suffix).c_str());
    }
  }

 private:
  std::string dir_;
};

void WriteFile(const uint8_t* data, size_t size) {
  FILE* f = std::fopen(kName, "wb");
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
  Scratch::Clean();
  WriteFile(data, size);

  Handle h{{}, {}, buffer};
  std::memcpy(h.key, kName, sizeof kName);
  if (h.Call(btr::kOpen, btr::kNormal) == btr::kOk) {
    const int keys = KeyCount(h);
    for (int k = 0; k < keys && k < 24; ++k) {
      ReadThrough(h, btr::kGetFirst, btr::kGetNext, static_cast<int8_t>(k));
      ReadThrough(h, btr::kGetLast, btr::kGetPrevious, static_cast<int8_t>(k));
    }
    ReadThrough(h, btr::kStepFirst, btr::kStepNext, 0);
    fuzz::Require(h.Call(btr::kClose, 0) == btr::kOk, "a file that was only read closes");
  }
  btr::CheckRecordFile(kName, nullptr);
  return 0;
}
