// Unformatted files: the bytes save writes and the forms load accepts.
#include "tools/recutil/unformatted.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace recutil {
namespace {

std::vector<std::string> ReadAll(const std::string& bytes, std::string* error = nullptr,
                                 long* failed_record = nullptr) {
  std::istringstream in(bytes);
  UnformattedReader reader(in);
  std::vector<std::string> records;
  std::string record;
  while (true) {
    UnformattedReader::Result result = reader.Next(&record);
    if (result == UnformattedReader::kEnd)
      break;
    if (result == UnformattedReader::kError) {
      if (error != nullptr)
        *error = reader.error();
      if (failed_record != nullptr)
        *failed_record = reader.record_number();
      break;
    }
    records.push_back(record);
  }
  return records;
}

TEST(Unformatted, WritesLengthCommaBytesCrLfAndClosingByte) {
  std::ostringstream out;
  const std::string binary(
      "A\0\r\n\x1A"
      "z",
      6);
  WriteUnformattedRecord(out, "abc", 3);
  WriteUnformattedRecord(out, binary.data(), binary.size());
  WriteUnformattedRecord(out, "", 0);
  WriteUnformattedEnd(out);
  EXPECT_EQ(out.str(), std::string("3,abc\r\n6,A\0\r\n\x1Az\r\n0,\r\n\x1A", 22));
}

TEST(Unformatted, ReadsBackRecordsHoldingAnyBytes) {
  std::vector<std::string> records = {std::string("\x1A\r\n,9", 5), std::string(300, '\0'),
                                      std::string(kMaxRecordLength, 'x'), ""};
  std::ostringstream out;
  for (const std::string& r : records)
    WriteUnformattedRecord(out, r.data(), r.size());
  WriteUnformattedEnd(out);
  std::string error;
  EXPECT_EQ(ReadAll(out.str(), &error), records);
  EXPECT_EQ(error, "");
}

TEST(Unformatted, AcceptsMissingClosingByteAndBareLineFeed) {
  EXPECT_EQ(ReadAll("2,ab\r\n1,c\n"), (std::vector<std::string>{"ab", "c"}));
  EXPECT_EQ(ReadAll(""), std::vector<std::string>{});
  // Nothing after the closing byte is read.
  EXPECT_EQ(ReadAll("2,ab\r\n\x1A"
                    "garbage"),
            std::vector<std::string>{"ab"});
}

TEST(Unformatted, ReportsMalformedRecordsByNumber) {
  struct Case {
    std::string bytes;
    long record;
    std::string error;
  };
  const Case cases[] = {
      {"2,ab\r\nx,ab\r\n", 2, "the record does not start with its length and a comma"},
      {"2ab\r\n", 1, "the record does not start with its length and a comma"},
      {",\r\n", 1, "the record does not start with its length and a comma"},
      {"2,ab\r\n5,abc", 2, "the file ends inside the record (3 of 5 bytes)"},
      {"2,abc\r\n", 1, "the record is not followed by CR LF"},
      {"2,ab\r", 1, "the record is not followed by CR LF"},
      {"65536,", 1, "the record length 65536 exceeds 65535"},
      {"99999999999,", 1, "the record length has too many digits"},
  };
  for (const Case& c : cases) {
    std::string error;
    long record = 0;
    ReadAll(c.bytes, &error, &record);
    EXPECT_EQ(error, c.error) << c.bytes;
    EXPECT_EQ(record, c.record) << c.bytes;
  }
}

}  // namespace
}  // namespace recutil
