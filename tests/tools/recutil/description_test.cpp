// Description files: the elements, their order, and the faults a person makes when writing one.
#include "tools/recutil/description.h"

#include <gtest/gtest.h>

#include <string>

namespace recutil {
namespace {

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
  EXPECT_EQ(spec.record_length, 387);
  EXPECT_TRUE(spec.variable);
  EXPECT_EQ(spec.page_size, 1024);
  EXPECT_FALSE(d.replace);
  ASSERT_EQ(spec.keys.size(), 4u);
  EXPECT_EQ(spec.keys[0].segments.size(), 1u);
  ASSERT_EQ(spec.keys[1].segments.size(), 2u);
  EXPECT_EQ(spec.keys[1].segments[0].position, 16);
  EXPECT_EQ(spec.keys[1].segments[0].length, 5);
  EXPECT_TRUE(spec.keys[1].segments[0].duplicates);
  EXPECT_TRUE(spec.keys[1].segments[0].modifiable);
  EXPECT_FALSE(spec.keys[0].segments[0].duplicates);
  EXPECT_EQ(spec.keys[3].segments.size(), 2u);
  EXPECT_EQ(spec.SegmentCount(), 6);
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

TEST(DescriptionParse, FileFlagsAndExtendedStringsReadBackAsWritten) {
  FileSpec spec = Parse(kItemDescription).spec;
  spec.other_flags = 0x204;
  spec.allocation = 9;
  spec.keys[1].segments[0].extended = true;
  std::string text = FormatDescription(spec, "ITEM.DB");
  EXPECT_NE(text.find(" page=1024 flags=516 allocation=9\n"), std::string::npos) << text;
  EXPECT_NE(text.find("type=string extended=y segment=y\n"), std::string::npos) << text;
  EXPECT_EQ(EncodeSpecBlock(Parse(text).spec), EncodeSpecBlock(spec)) << text;
  // Without them, a description reads as before.
  FileSpec plain = Parse(kItemDescription).spec;
  EXPECT_EQ(plain.other_flags, 0);
  EXPECT_FALSE(plain.keys[1].segments[0].extended);
}

TEST(DescriptionParse, NamesTheFaultyElement) {
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
  EXPECT_EQ(ParseError(head + seg + "descending=y segment=n"),
            "element 10 \"descending=y\": descending keys are not supported");
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
}

TEST(DescriptionParse, ReportsADescriptionThatEndsTooEarly) {
  // segment=y promises another segment of the same key.
  EXPECT_EQ(ParseError("record=40 variable=n key=1 page=1024 "
                       "position=1 length=4 duplicates=n modifiable=n type=string segment=y"),
            "element 11: the description ends where position= is expected");
  EXPECT_EQ(ParseError(""), "element 1: the description ends where record= is expected");
}

TEST(DescriptionParse, CommentOnlyOpensTheFile) {
  EXPECT_EQ(ParseError("/* never closed record=40"), "the opening comment has no closing */");
  EXPECT_EQ(ParseError("/* a */ /* b */ record=40"),
            "element 1 \"/*\": not of the form name=value");
  EXPECT_EQ(ParseError("record=40 /* late */"), "element 2 \"/*\": not of the form name=value");
}

}  // namespace
}  // namespace recutil
