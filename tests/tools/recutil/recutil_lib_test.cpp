// recutil's parts without the record manager: its arguments, description files, the file
// specification block as Create takes it and Stat returns it, and unformatted files.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "tools/recutil/command_line.h"
#include "tools/recutil/description.h"
#include "tools/recutil/file_definition.h"
#include "tools/recutil/unformatted.h"

namespace recutil {
namespace {

// recutil's arguments: commands, file counts and options.

CommandLine ParseArgs(const std::vector<std::string>& args) {
  CommandLine line;
  std::string error;
  EXPECT_TRUE(ParseCommandLine(args, &line, &error)) << error;
  return line;
}

std::string ArgsError(const std::vector<std::string>& args) {
  CommandLine line;
  std::string error;
  EXPECT_FALSE(ParseCommandLine(args, &line, &error));
  return error;
}

TEST(CommandLineParse, TakesFilesAndOptionsInAnyOrderAndHelpAnywhere) {
  CommandLine save = ParseArgs({"save", "--key", "1", "ITEM.DB", "-"});
  EXPECT_EQ(save.command, Command::kSave);
  EXPECT_EQ(save.files, (std::vector<std::string>{"ITEM.DB", "-"}));
  EXPECT_EQ(save.key, 1);
  EXPECT_EQ(ParseArgs({"save", "ITEM.DB", "out", "--key=12"}).key, 12);
  EXPECT_TRUE(ParseArgs({"create", "A.DB", "a.desc", "--replace"}).replace);
  // After "--" a name that looks like an option is a file.
  EXPECT_EQ(ParseArgs({"stat", "--", "--odd"}).files, std::vector<std::string>{"--odd"});
  EXPECT_EQ(ParseArgs({"--help"}).command, Command::kHelp);
  EXPECT_EQ(ParseArgs({"save", "-h"}).command, Command::kHelp);
  EXPECT_EQ(ParseArgs({"load", "X.DB", "--help", "extra", "args"}).command, Command::kHelp);
}

TEST(CommandLineParse, RefusesMisuse) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, "no command given"},
      {{"dump", "X.DB"}, "unknown command dump"},
      {{"stat"}, "stat takes 1 file, not 0"},
      {{"load", "X.DB", "a", "b"}, "load takes 2 files, not 3"},
      {{"create", "X.DB", "d", "--key", "1"}, "unknown option --key for this command"},
      {{"save", "X.DB", "out", "--replace"}, "unknown option --replace for this command"},
      {{"save", "X.DB", "out", "--key"}, "--key needs a key number"},
      {{"save", "X.DB", "out", "--key", "128"}, "--key 128: not a key number from 0 to 127"},
      {{"save", "X.DB", "out", "--key=-1"}, "--key -1: not a key number from 0 to 127"}};
  for (const auto& [args, error] : cases) {
    EXPECT_EQ(ArgsError(args), error);
  }
}

// Description files: the elements, their order, and the faults a person makes when writing one.

// The item file: variable length, four keys in six segments.
const char kItemDescription[] =
    "/* ITEM.DB, current layout\n   four keys */\n"
    "record=387 variable=y key=4 page=1024\n"
    "position=1 length=12 duplicates=n modifiable=n type=string segment=n\n"
    "position=16 length=5 duplicates=y modifiable=y type=string segment=y\n"
    "position=1 length=12 duplicates=y modifiable=y type=string segment=n\n"
    "position=21 length=10 duplicates=y modifiable=y type=string segment=n\n"
    "position=13 length=8 duplicates=y modifiable=y type=string segment=y\n"
    "position=1 length=12 duplicates=y modifiable=y type=string segment=n\n";

Description Parse(const std::string& text) {
  Description description;
  DescriptionError error;
  EXPECT_TRUE(ParseDescription(text, &description, &error)) << error.ToString();
  return description;
}

std::string ParseError(const std::string& text) {
  Description description;
  DescriptionError error;
  EXPECT_FALSE(ParseDescription(text, &description, &error)) << text;
  return error.ToString();
}

TEST(DescriptionParse, ReadsKeysAndSegments) {
  Description d = Parse(kItemDescription);
  const FileSpec& spec = d.spec;
  EXPECT_EQ(std::make_tuple(spec.record_length, spec.variable, spec.page_size, d.replace),
            std::make_tuple(387, true, 1024, false));
  std::vector<size_t> segments;
  for (const auto& key : spec.keys)
    segments.push_back(key.segments.size());
  EXPECT_EQ(segments, (std::vector<size_t>{1, 2, 1, 2}));
  const Segment& s = spec.keys[1].segments[0];
  EXPECT_EQ(std::make_tuple(s.position, s.length, s.duplicates, s.modifiable),
            std::make_tuple(16, 5, true, true));
  EXPECT_FALSE(spec.keys[0].segments[0].duplicates);
}

TEST(DescriptionParse, AcceptsOptionalElementsAnyBlanksAndLetterCase) {
  Description d = Parse(
      "RECORD=40\tvariable=N\r\nkey=1 page=1024 allocation=12 Replace=Y "
      "position=30 length=4 duplicates=y modifiable=n TYPE=Date descending=n segment=n");
  EXPECT_EQ(d.spec.allocation, 12);
  EXPECT_TRUE(d.replace);
  EXPECT_EQ(d.spec.keys[0].segments[0].type, KeyType::kDate);
  EXPECT_EQ(Parse("record=8 variable=n key=0 page=1024").spec.keys.size(), 0u);
}

TEST(DescriptionParse, WrittenDescriptionReadsBackAsTheSameSpecification) {
  FileSpec spec = Parse(kItemDescription).spec;
  spec.allocation = 3;
  spec.keys[2].segments[0].type = KeyType::kInteger;
  spec.keys[2].segments[0].length = 4;
  spec.keys[0].segments[0].type = KeyType::kDate;
  // A name that contains the comment's end must not end the comment.
  std::string text = FormatDescription(spec, "odd*/name.db");
  FileSpec again = Parse(text).spec;
  EXPECT_EQ(EncodeSpecBlock(again), EncodeSpecBlock(spec)) << text;
}

TEST(DescriptionParse, NamesTheFaultyElementOrWhereItEnds) {
  const std::string head = "record=40 variable=n key=1 page=1024 ";
  const std::string seg = "position=1 length=4 duplicates=n modifiable=n type=integer ";
  EXPECT_EQ(ParseError("record=40 variable=n key=1 page=1k"),
            "element 4 \"page=1k\": page is not a number from 0 to 65535");
  EXPECT_EQ(ParseError("record=65536"),
            "element 1 \"record=65536\": record is not a number from 0 to 65535");
  EXPECT_EQ(ParseError("record=-1"),
            "element 1 \"record=-1\": record is not a number from 0 to 65535");
  EXPECT_EQ(ParseError("variable=n record=40"),
            "element 1 \"variable=n\": record= is expected here");
  EXPECT_EQ(ParseError("record=40 variable=maybe"),
            "element 2 \"variable=maybe\": variable is not y or n");
  EXPECT_EQ(ParseError(head + seg + "segment=n extra=1"),
            "element 11 \"extra=1\": the description goes on after its last key");
  EXPECT_EQ(ParseError(head + "position=1 length=4 duplicates=n modifiable=n type=float"),
            "element 9 \"type=float\": type is not string, integer or date");
  EXPECT_EQ(ParseError(head + seg + "extended=y segment=n"),
            "element 10 \"extended=y\": extended applies to string segments only");
  EXPECT_EQ(ParseError("record=40 variable=n key=1 page=1024 flags=3"),
            "element 5 \"flags=3\": flags must leave variable length to variable=");
  EXPECT_EQ(ParseError(head + "position=1 length=4 duplicates=n modifiable=n segment=n"),
            "element 9 \"segment=n\": type= is expected here");
  EXPECT_EQ(ParseError("record=40 variable=n key=1 page=1024 position 1"),
            "element 5 \"position\": not of the form name=value");
  EXPECT_EQ(ParseError("record=40 variable=n key=1 page=1024 =1"),
            "element 5 \"=1\": not of the form name=value");
  // segment=y promises another segment of the same key.
  EXPECT_EQ(ParseError("record=40 variable=n key=1 page=1024 "
                       "position=1 length=4 duplicates=n modifiable=n type=string segment=y"),
            "element 11: the description ends where position= is expected");
  EXPECT_EQ(ParseError(""), "element 1: the description ends where record= is expected");
  // A comment only opens the file.
  EXPECT_EQ(ParseError("/* never closed record=40"), "the opening comment has no closing */");
  EXPECT_EQ(ParseError("/* a */ /* b */ record=40"),
            "element 1 \"/*\": not of the form name=value");
  EXPECT_EQ(ParseError("record=40 /* late */"), "element 2 \"/*\": not of the form name=value");
}

// The file specification block as Create takes it and Stat returns it.

Segment Seg(uint16_t position, uint16_t length, KeyType type, bool dup, bool mod) {
  Segment s;
  s.position = position;
  s.length = length;
  s.type = type;
  s.duplicates = dup;
  s.modifiable = mod;
  return s;
}

// Order line layout: key 0 order and line number (integers, modifiable), key 1 order and a
// 15-byte text with duplicates.
FileSpec OrderLineSpec() {
  FileSpec spec;
  spec.record_length = 176;
  spec.page_size = 1024;
  spec.keys = {
      {{Seg(1, 4, KeyType::kInteger, false, true), Seg(5, 4, KeyType::kInteger, false, true)}},
      {{Seg(1, 4, KeyType::kInteger, true, false), Seg(9, 15, KeyType::kString, true, false)}},
  };
  return spec;
}

TEST(FileSpecBlock, EncodesHeaderAndSegmentsByteForByteAndDecodesThemBack) {
  FileSpec spec = OrderLineSpec();
  spec.variable = true;
  spec.allocation = 7;
  spec.keys.push_back({{Seg(30, 4, KeyType::kDate, true, true)}});
  // Header: record length, page size, keys (not segments), count, variable, preallocation. Then
  // per segment: position, length, flags (0x10 on all but a key's last, 0x100 for an extended
  // type), type at byte 10 (a date is extended type 3).
  const std::vector<uint8_t> expected = {176, 0, 0,  4, 3,    0, 0, 0, 0, 0, 1, 0, 0, 0, 7, 0,  //
                                         1,   0, 4,  0, 0x12, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0,  //
                                         5,   0, 4,  0, 0x02, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0,  //
                                         1,   0, 4,  0, 0x11, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0,  //
                                         9,   0, 15, 0, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  //
                                         30,  0, 4,  0, 0x03, 1, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0};
  EXPECT_EQ(EncodeSpecBlock(spec), expected);
  // Decoded, with the record count that Stat adds, it encodes to the same bytes again.
  std::vector<uint8_t> stat = expected;
  stat[6] = 0x39;  // record count 0x00012339
  stat[7] = 0x23;
  stat[8] = 0x01;
  FileSpec decoded;
  std::string error;
  ASSERT_TRUE(DecodeSpecBlock(stat.data(), stat.size(), &decoded, &error)) << error;
  EXPECT_EQ(decoded.record_count, 0x12339u);
  EXPECT_EQ(EncodeSpecBlock(decoded), expected);
}

TEST(FileSpecBlock, DecodeRefusesWhatItCannotExpress) {
  FileSpec spec = OrderLineSpec();
  std::vector<uint8_t> good = EncodeSpecBlock(spec);
  FileSpec decoded;
  std::string error;

  // The last segment of key 1 is cut off.
  EXPECT_FALSE(DecodeSpecBlock(good.data(), good.size() - 16, &decoded, &error));
  EXPECT_NE(error.find("key 1"), std::string::npos) << error;
  EXPECT_FALSE(DecodeSpecBlock(good.data(), 10, &decoded, &error));

  std::vector<uint8_t> binary = good;
  binary[16 + 4] |= 0x04;
  EXPECT_FALSE(DecodeSpecBlock(binary.data(), binary.size(), &decoded, &error));
  EXPECT_NE(error.find("segment 1"), std::string::npos) << error;

  std::vector<uint8_t> money = good;
  money[32 + 10] = 5;  // extended type the tool does not know
  EXPECT_FALSE(DecodeSpecBlock(money.data(), money.size(), &decoded, &error));
  EXPECT_NE(error.find("segment 2"), std::string::npos) << error;
}

// Unformatted files: the bytes save writes and the forms load accepts.

// Every record up to the end or the first error, which fills *error and *failed_record.
std::vector<std::string> ReadAll(const std::string& bytes, std::string* error = nullptr,
                                 long* failed_record = nullptr) {
  std::istringstream in(bytes);
  UnformattedReader reader(in);
  std::vector<std::string> records;
  std::string record;
  UnformattedReader::Result result;
  while ((result = reader.Next(&record)) == UnformattedReader::kRecord)
    records.push_back(record);
  if (result == UnformattedReader::kError && error != nullptr) {
    *error = reader.error();
    *failed_record = reader.record_number();
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

TEST(Unformatted, AcceptsEmptyRecordsMissingClosingByteAndBareLineFeed) {
  EXPECT_EQ(ReadAll("2,ab\r\n0,\r\n1,c\n"), (std::vector<std::string>{"ab", "", "c"}));
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
