// Unformatted files, the record manager's plain interchange form for records that `recutil save`
// writes and `recutil load` reads. Each record is its length in decimal ASCII, a comma, the
// record's bytes and CR LF; one byte 0x1A closes the file. Records are bytes: no character set,
// no escaping.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <ostream>
#include <string>

#include "platform/btrieve/btrcall.h"

namespace recutil {

// The longest record recutil moves, the longest the record manager stores.
constexpr size_t kMaxRecordLength = btr::kMaxRecordLength;
constexpr char kEndOfFile = 0x1A;

void WriteUnformattedRecord(std::ostream& out, const void* data, size_t length);
void WriteUnformattedEnd(std::ostream& out);

// Reads records one after another. Accepts a file without the closing 0x1A, and a bare LF in
// place of CR LF; stops at 0x1A and reads nothing after it.
class UnformattedReader {
 public:
  enum Result { kRecord, kEnd, kError };

  explicit UnformattedReader(std::istream& in) : in_(in) {}

  // kRecord with the record's bytes in *record; kEnd after the last record; kError with the
  // reason in error().
  Result Next(std::string* record);

  // 1-based number of the record that Next last returned or failed on.
  long record_number() const { return record_number_; }
  const std::string& error() const { return error_; }

 private:
  Result Fail(const std::string& reason);
  bool ReadLength(size_t* length);
  bool ReadLineEnd();

  std::istream& in_;
  long record_number_ = 0;
  std::string error_;
};

}  // namespace recutil
