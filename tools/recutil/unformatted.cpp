// Reading and writing unformatted files.
#include "tools/recutil/unformatted.h"

namespace recutil {
namespace {

// Enough digits for kMaxRecordLength and a little more, so that an absurd length is reported
// as too long instead of overflowing.
constexpr int kMaxLengthDigits = 7;

}  // namespace

void WriteUnformattedRecord(std::ostream& out, const void* data, size_t length) {
  out << length << ',';
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(length));
  out << "\r\n";
}

void WriteUnformattedEnd(std::ostream& out) {
  out.put(kEndOfFile);
}

UnformattedReader::Result UnformattedReader::Next(std::string* record) {
  int first = in_.peek();
  if (first == std::char_traits<char>::eof() || first == kEndOfFile)
    return kEnd;
  ++record_number_;
  size_t length = 0;
  if (!ReadLength(&length))
    return kError;
  record->resize(length);
  in_.read(record->data(), static_cast<std::streamsize>(length));
  if (static_cast<size_t>(in_.gcount()) != length) {
    return Fail("the file ends inside the record (" + std::to_string(in_.gcount()) + " of " +
                std::to_string(length) + " bytes)");
  }
  if (!ReadLineEnd())
    return kError;
  return kRecord;
}

UnformattedReader::Result UnformattedReader::Fail(const std::string& reason) {
  error_ = reason;
  return kError;
}

bool UnformattedReader::ReadLength(size_t* length) {
  size_t value = 0;
  int digits = 0;
  int c = in_.get();
  while (c >= '0' && c <= '9' && digits < kMaxLengthDigits) {
    value = value * 10 + static_cast<size_t>(c - '0');
    ++digits;
    c = in_.get();
  }
  if (digits == 0 || c != ',') {
    Fail(c >= '0' && c <= '9' ? "the record length has too many digits"
                              : "the record does not start with its length and a comma");
    return false;
  }
  if (value > kMaxRecordLength) {
    Fail("the record length " + std::to_string(value) + " exceeds " +
         std::to_string(kMaxRecordLength));
    return false;
  }
  *length = value;
  return true;
}

bool UnformattedReader::ReadLineEnd() {
  int c = in_.get();
  if (c == '\r')
    c = in_.get();
  if (c != '\n') {
    Fail("the record is not followed by CR LF");
    return false;
  }
  return true;
}

}  // namespace recutil
