// Parsing and writing of description files.
#include "tools/recutil/description.h"

#include <cctype>
#include <vector>

#include "platform/btrieve/btrcall.h"

namespace recutil {
namespace {

struct Element {
  std::string name;  // lower case
  std::string value;
  std::string text;  // as written
};

bool IsBlank(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// Splits the text into elements after skipping an opening comment block.
bool Tokenize(const std::string& text, std::vector<Element>* elements, DescriptionError* error) {
  size_t at = 0;
  while (at < text.size() && IsBlank(text[at]))
    ++at;
  if (text.compare(at, 2, "/*") == 0) {
    size_t end = text.find("*/", at + 2);
    if (end == std::string::npos) {
      *error = {0, "", "the opening comment has no closing */"};
      return false;
    }
    at = end + 2;
  }
  while (true) {
    while (at < text.size() && IsBlank(text[at]))
      ++at;
    if (at >= text.size())
      return true;
    size_t end = at;
    while (end < text.size() && !IsBlank(text[end]))
      ++end;
    std::string word = text.substr(at, end - at);
    size_t equals = word.find('=');
    if (equals == std::string::npos || equals == 0) {
      *error = {static_cast<int>(elements->size()) + 1, word, "not of the form name=value"};
      return false;
    }
    elements->push_back({Lower(word.substr(0, equals)), word.substr(equals + 1), word});
    at = end;
  }
}

// Walks the elements in their prescribed order.
class Reader {
 public:
  Reader(const std::vector<Element>& elements, DescriptionError* error)
      : elements_(elements), error_(error) {}

  bool AtEnd() const { return next_ == elements_.size(); }
  bool NextIs(const char* name) const { return !AtEnd() && elements_[next_].name == name; }

  // Takes the next element, which must be `name`; its value lands in *value.
  bool Take(const char* name, std::string* value) {
    if (AtEnd()) {
      *error_ = {static_cast<int>(next_) + 1, "",
                 std::string("the description ends where ") + name + "= is expected"};
      return false;
    }
    if (!NextIs(name))
      return Fail(std::string(name) + "= is expected here");
    *value = elements_[next_].value;
    ++next_;
    return true;
  }

  bool TakeNumber(const char* name, uint16_t* number) {
    std::string value;
    if (!Take(name, &value))
      return false;
    bool digits = !value.empty() && value.size() <= 5;
    unsigned long parsed = 0;
    for (char c : value) {
      digits = digits && c >= '0' && c <= '9';
      if (digits)
        parsed = parsed * 10 + static_cast<unsigned long>(c - '0');
    }
    if (!digits || parsed > 65535) {
      return FailPrevious(std::string(name) + " is not a number from 0 to 65535");
    }
    *number = static_cast<uint16_t>(parsed);
    return true;
  }

  bool TakeYesNo(const char* name, bool* yes) {
    std::string value;
    if (!Take(name, &value))
      return false;
    value = Lower(value);
    if (value != "y" && value != "n")
      return FailPrevious(std::string(name) + " is not y or n");
    *yes = value == "y";
    return true;
  }

  bool TakeType(KeyType* type) {
    std::string value;
    if (!Take("type", &value))
      return false;
    value = Lower(value);
    if (value == "string") {
      *type = KeyType::kString;
    } else if (value == "integer") {
      *type = KeyType::kInteger;
    } else if (value == "date") {
      *type = KeyType::kDate;
    } else {
      return FailPrevious("type is not string, integer or date");
    }
    return true;
  }

  bool Fail(const std::string& reason) {
    *error_ = {static_cast<int>(next_) + 1, elements_[next_].text, reason};
    return false;
  }

  // Blames the element just taken.
  bool FailPrevious(const std::string& reason) {
    --next_;
    return Fail(reason);
  }

 private:
  const std::vector<Element>& elements_;
  size_t next_ = 0;
  DescriptionError* error_;
};

bool ReadHeader(Reader& reader, Description* description, uint16_t* key_count) {
  FileSpec& spec = description->spec;
  if (!reader.TakeNumber("record", &spec.record_length) ||
      !reader.TakeYesNo("variable", &spec.variable) || !reader.TakeNumber("key", key_count) ||
      !reader.TakeNumber("page", &spec.page_size)) {
    return false;
  }
  if (reader.NextIs("flags") && !reader.TakeNumber("flags", &spec.other_flags)) {
    return false;
  }
  if (spec.other_flags & btr::kVariableLength) {
    return reader.FailPrevious("flags must leave variable length to variable=");
  }
  if (reader.NextIs("allocation") && !reader.TakeNumber("allocation", &spec.allocation)) {
    return false;
  }
  return !reader.NextIs("replace") || reader.TakeYesNo("replace", &description->replace);
}

bool ReadSegment(Reader& reader, Segment* segment, bool* more) {
  if (!reader.TakeNumber("position", &segment->position) ||
      !reader.TakeNumber("length", &segment->length) ||
      !reader.TakeYesNo("duplicates", &segment->duplicates) ||
      !reader.TakeYesNo("modifiable", &segment->modifiable) || !reader.TakeType(&segment->type)) {
    return false;
  }
  if (reader.NextIs("extended")) {
    if (!reader.TakeYesNo("extended", &segment->extended))
      return false;
    if (segment->extended && segment->type != KeyType::kString)
      return reader.FailPrevious("extended applies to string segments only");
  }
  if (reader.NextIs("descending")) {
    if (!reader.TakeYesNo("descending", &segment->descending))
      return false;
    // The record manager keeps every key in ascending order only.
    if (segment->descending)
      return reader.FailPrevious("descending keys are not supported");
  }
  return reader.TakeYesNo("segment", more);
}

}  // namespace

std::string DescriptionError::ToString() const {
  std::string out;
  if (element > 0) {
    out = "element " + std::to_string(element);
    if (!text.empty())
      out += " \"" + text + "\"";
    out += ": ";
  }
  return out + reason;
}

bool ParseDescription(const std::string& text, Description* description, DescriptionError* error) {
  std::vector<Element> elements;
  if (!Tokenize(text, &elements, error))
    return false;
  Reader reader(elements, error);
  Description result;
  uint16_t key_count = 0;
  if (!ReadHeader(reader, &result, &key_count))
    return false;
  for (int k = 0; k < key_count; ++k) {
    Key key;
    bool more = true;
    while (more) {
      Segment segment;
      if (!ReadSegment(reader, &segment, &more))
        return false;
      key.segments.push_back(segment);
    }
    result.spec.keys.push_back(std::move(key));
  }
  if (!reader.AtEnd())
    return reader.Fail("the description goes on after its last key");
  *description = std::move(result);
  return true;
}

namespace {

const char* YesNo(bool yes) {
  return yes ? "y" : "n";
}

// A file name inside the comment must not close it early.
std::string CommentSafe(std::string text) {
  for (size_t at = text.find("*/"); at != std::string::npos; at = text.find("*/", at)) {
    text.replace(at, 2, "* /");
  }
  return text;
}

}  // namespace

std::string FormatDescription(const FileSpec& spec, const std::string& file_name) {
  std::string out = "/* " + CommentSafe(file_name) + " */\n";
  out += "record=" + std::to_string(spec.record_length) + " variable=" + YesNo(spec.variable) +
         " key=" + std::to_string(spec.keys.size()) + " page=" + std::to_string(spec.page_size);
  if (spec.other_flags != 0)
    out += " flags=" + std::to_string(spec.other_flags);
  if (spec.allocation != 0)
    out += " allocation=" + std::to_string(spec.allocation);
  out += "\n";
  for (size_t k = 0; k < spec.keys.size(); ++k) {
    const std::vector<Segment>& segments = spec.keys[k].segments;
    for (size_t s = 0; s < segments.size(); ++s) {
      const Segment& seg = segments[s];
      out += "position=" + std::to_string(seg.position) + " length=" + std::to_string(seg.length) +
             " duplicates=" + YesNo(seg.duplicates) + " modifiable=" + YesNo(seg.modifiable) +
             " type=" + KeyTypeName(seg.type);
      if (seg.extended)
        out += " extended=y";
      if (seg.descending)
        out += " descending=y";
      out += std::string(" segment=") + YesNo(s + 1 < segments.size()) + "\n";
    }
  }
  return out;
}

}  // namespace recutil
