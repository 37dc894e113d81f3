// Description files: the text form of a file specification that `recutil describe` writes and
// `recutil create` reads, in the record manager's maintenance-utility conventions.
//
//   /* optional comment, only at the very start */
//   record=387 variable=y key=2 page=1024 [flags=N] [allocation=N] [replace=y|n]
//   position=1 length=12 duplicates=n modifiable=n type=string [extended=y] [descending=n]
//     segment=n
//   position=16 length=5 duplicates=y modifiable=y type=string segment=y
//   position=1 length=12 duplicates=y modifiable=y type=string segment=n
//
// Elements are name=value, separated by blanks or line breaks, in exactly this order; one
// segment group per key segment, segment=y announcing another segment of the same key. Names
// and values ignore letter case. Types are string, integer and date. flags= gives the file flags
// besides variable length (a number), extended=y marks a string segment that carries the
// extended-type flag; describe writes both only where the file has them, so that describe and
// create give back every flag of the original.
#pragma once

#include <string>

#include "tools/recutil/file_definition.h"

namespace recutil {

struct Description {
  FileSpec spec;
  bool replace = false;  // replace=y: create may replace an existing file
};

// Where a description went wrong: the 1-based element number (0 when the fault lies before the
// first element, as with an unterminated comment), the element's text as written (empty when the
// description ended early), and the reason.
struct DescriptionError {
  int element = 0;
  std::string text;
  std::string reason;

  std::string ToString() const;  // element 7 "page=x": page is not a number from 0 to 65535
};

bool ParseDescription(const std::string& text, Description* description, DescriptionError* error);

// The description of `spec`, opening with a comment that names `file_name`. ParseDescription of
// the result yields `spec` again (the record count aside, which no description carries).
std::string FormatDescription(const FileSpec& spec, const std::string& file_name);

}  // namespace recutil
