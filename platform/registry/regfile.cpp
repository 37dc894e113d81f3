// Reading and writing registry export files: see regfile.h.
#include "platform/registry/regfile.h"

#include <algorithm>
#include <cstdio>

namespace registry::regfile {
namespace {

constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";

char Fold(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
    s.remove_prefix(1);
  }
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
    s.remove_suffix(1);
  }
  return s;
}

void AppendUtf8(uint32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// UTF-16LE bytes to UTF-8. On failure *bad_unit is the index of the offending code unit.
bool Utf16ToUtf8(std::string_view bytes, std::string* out, size_t* bad_unit) {
  const size_t units = bytes.size() / 2;
  auto unit = [&](size_t i) {
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes[2 * i])) |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[2 * i + 1])) << 8;
  };
  for (size_t i = 0; i < units; ++i) {
    uint32_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 &&
        unit(i + 1) <= 0xDFFF) {
      AppendUtf8(0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00), out);
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      *bad_unit = i;
      return false;
    } else {
      AppendUtf8(u, out);
    }
  }
  if (bytes.size() % 2 != 0) {
    *bad_unit = units;
    return false;
  }
  return true;
}

// The file's bytes as UTF-8 text. On failure *line is the line of the fault.
bool DecodeText(std::string_view bytes, std::string* text, int* line, std::string* reason) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    *text = bytes.substr(3);
    return true;
  }
  if (bytes.substr(0, 2) == "\xFE\xFF") {
    *line = 1;
    *reason = "UTF-16 big-endian files are not supported";
    return false;
  }
  if (bytes.substr(0, 2) != "\xFF\xFE") {
    *text = bytes;
    return true;
  }
  size_t bad = 0;
  if (!Utf16ToUtf8(bytes.substr(2), text, &bad)) {
    *line = 1 + static_cast<int>(std::count(text->begin(), text->end(), '\n'));
    *reason = "invalid UTF-16 text";
    return false;
  }
  return true;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    lines.push_back(line);
    if (end == std::string_view::npos) {
      break;
    }
    text.remove_prefix(end + 1);
  }
  return lines;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

// Parses 1 to `max_digits` hex digits filling all of `s`.
bool ParseHex(std::string_view s, size_t max_digits, uint32_t* value) {
  if (s.empty() || s.size() > max_digits) {
    return false;
  }
  *value = 0;
  for (char c : s) {
    int d = HexDigit(c);
    if (d < 0) {
      return false;
    }
    *value = *value << 4 | static_cast<uint32_t>(d);
  }
  return true;
}

// Reads the quoted string that starts at s[*pos] ('"'), undoing the \\ and \" escapes.
bool ReadQuoted(std::string_view s, size_t* pos, std::string* out, std::string* reason) {
  for (size_t i = *pos + 1; i < s.size(); ++i) {
    if (s[i] == '"') {
      *pos = i + 1;
      return true;
    }
    if (s[i] == '\\') {
      if (i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
        out->push_back(s[++i]);
        continue;
      }
      *reason = i + 1 < s.size() ? std::string("unknown escape \\") + s[i + 1]
                                 : "backslash at the end of a string";
      return false;
    }
    out->push_back(s[i]);
  }
  *reason = "unterminated string";
  return false;
}

// A string value is text up to its first NUL, as the settings are read on Windows; what follows
// a NUL (a terminator, or the rest of a damaged line) is not part of the value. Cutting it on
// every read keeps a value the same when the file is written back and read again.
void CutAtNul(std::string* text) {
  text->resize(std::min(text->find('\0'), text->size()));
}

bool ParseHexBytes(std::string_view list, std::string* out) {
  list = Trim(list);
  if (list.empty()) {
    return true;
  }
  while (true) {
    size_t comma = list.find(',');
    uint32_t byte = 0;
    if (!ParseHex(Trim(list.substr(0, comma)), 2, &byte)) {
      return false;
    }
    out->push_back(static_cast<char>(byte));
    if (comma == std::string_view::npos) {
      return true;
    }
    list.remove_prefix(comma + 1);
  }
}

class Parser {
 public:
  Parser(std::vector<std::string_view> lines, Key* root) : lines_(std::move(lines)), root_(root) {}

  bool Run() {
    std::string_view header = Trim(lines_.empty() ? std::string_view() : lines_[0]);
    if (header == kHeader4) {
      unicode_ = false;
    } else if (header == kHeader5) {
      unicode_ = true;
    } else {
      return Fail(0, "not a registry file (expected \"REGEDIT4\" or \"" + std::string(kHeader5) +
                         "\" as the first line)");
    }
    for (index_ = 1; index_ < lines_.size(); ++index_) {
      std::string_view line = Trim(lines_[index_]);
      if (line.empty() || line.front() == ';') {
        continue;
      }
      bool ok = line.front() == '['                            ? Section(line)
                : (line.front() == '"' || line.front() == '@') ? ValueLine(line)
                                                               : Fail(index_, "unexpected text");
      if (!ok) {
        return false;
      }
    }
    return true;
  }

  int line() const { return line_; }
  const std::string& reason() const { return reason_; }

 private:
  bool Fail(size_t index, std::string reason) {
    line_ = static_cast<int>(index) + 1;
    reason_ = std::move(reason);
    return false;
  }

  bool Section(std::string_view line) {
    size_t close = line.rfind(']');
    if (close != line.size() - 1) {
      return Fail(index_, "key line without closing \"]\"");
    }
    std::string_view path = line.substr(1, close - 1);
    bool remove = !path.empty() && path.front() == '-';
    if (remove) {
      path.remove_prefix(1);
    }
    std::vector<std::string_view> parts;
    while (true) {
      size_t sep = path.find('\\');
      parts.push_back(path.substr(0, sep));
      if (parts.back().empty()) {
        return Fail(index_, "empty key name");
      }
      if (sep == std::string_view::npos) {
        break;
      }
      path.remove_prefix(sep + 1);
    }
    current_ = nullptr;
    if (remove) {
      RemoveKey(parts);
      return true;
    }
    Key* key = root_;
    for (std::string_view part : parts) {
      key = &key->EnsureKey(part);
    }
    key->listed = true;
    current_ = key;
    return true;
  }

  void RemoveKey(const std::vector<std::string_view>& parts) {
    Key* parent = root_;
    for (size_t i = 0; i + 1 < parts.size() && parent != nullptr; ++i) {
      parent = parent->FindKey(parts[i]);
    }
    if (parent != nullptr) {
      std::erase_if(parent->keys, [&](const Key& k) { return SameName(k.name, parts.back()); });
    }
  }

  bool ValueLine(std::string_view line) {
    if (current_ == nullptr) {
      return Fail(index_, "value outside a key");
    }
    Value value;
    size_t pos = 1;  // after "@", the default value
    if (line.front() == '"') {
      pos = 0;
      if (!ReadQuoted(line, &pos, &value.name, &reason_)) {
        return Fail(index_, reason_);
      }
    }
    std::string_view rest = Trim(line.substr(pos));
    if (rest.empty() || rest.front() != '=') {
      return Fail(index_, "expected \"=\" after the value name");
    }
    rest = Trim(rest.substr(1));
    if (rest == "-") {
      std::erase_if(current_->values, [&](const Value& v) { return SameName(v.name, value.name); });
      return true;
    }
    if (!ValueData(rest, &value)) {
      return false;
    }
    current_->SetValue(value);
    return true;
  }

  bool ValueData(std::string_view rest, Value* value) {
    if (!rest.empty() && rest.front() == '"') {
      size_t pos = 0;
      if (!ReadQuoted(rest, &pos, &value->data, &reason_)) {
        return Fail(index_, reason_);
      }
      if (!Trim(rest.substr(pos)).empty()) {
        return Fail(index_, "text after the closing quote");
      }
      CutAtNul(&value->data);
      value->type = kString;
      return true;
    }
    if (rest.starts_with("dword:")) {
      value->type = kDword;
      if (!ParseHex(rest.substr(6), 8, &value->dword)) {
        return Fail(index_, "a dword needs 1 to 8 hex digits");
      }
      return true;
    }
    if (rest.starts_with("hex")) {
      return HexData(rest.substr(3), value);
    }
    return Fail(index_, "unknown value type");
  }

  // "hex:..." or "hex(N):...", continued over lines that end in a backslash.
  bool HexData(std::string_view rest, Value* value) {
    const size_t first = index_;
    value->type = kBinary;
    if (!rest.empty() && rest.front() == '(') {
      size_t close = rest.find(')');
      if (close == std::string_view::npos ||
          !ParseHex(rest.substr(1, close - 1), 8, &value->type)) {
        return Fail(index_, "bad value type number");
      }
      rest.remove_prefix(close + 1);
    }
    if (rest.empty() || rest.front() != ':') {
      return Fail(index_, "expected \":\" after hex");
    }
    std::string list(rest.substr(1));
    while (!list.empty() && Trim(list).ends_with('\\')) {
      list = std::string(Trim(list));
      list.pop_back();
      if (++index_ >= lines_.size()) {
        return Fail(index_ - 1, "continued value at the end of the file");
      }
      list += Trim(lines_[index_]);
    }
    std::string bytes;
    if (!ParseHexBytes(list, &bytes)) {
      return Fail(first, "bad hex byte list");
    }
    return Normalize(std::move(bytes), value, first);
  }

  // Text types are UTF-16LE in version 5 files; strings and dwords in hex form become ordinary
  // strings and dwords so that reads find them.
  bool Normalize(std::string bytes, Value* value, size_t first) {
    const bool text_type = value->type == 1 || value->type == 2 || value->type == 7;
    if (text_type && unicode_) {
      std::string text;
      size_t bad = 0;
      if (!Utf16ToUtf8(bytes, &text, &bad)) {
        return Fail(first, "invalid UTF-16 text in a hex value");
      }
      bytes = std::move(text);
    }
    if (value->type == kString) {
      CutAtNul(&bytes);
    } else if (value->type == kDword && bytes.size() == 4) {
      value->dword = 0;
      for (int i = 3; i >= 0; --i) {
        value->dword = value->dword << 8 | static_cast<unsigned char>(bytes[i]);
      }
      bytes.clear();
    } else {
      value->raw = true;
    }
    value->data = std::move(bytes);
    return true;
  }

  std::vector<std::string_view> lines_;
  Key* root_;
  Key* current_ = nullptr;
  bool unicode_ = false;
  size_t index_ = 0;
  int line_ = 0;
  std::string reason_;
};

std::string Quote(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '\\' || c == '"') {
      out.push_back('\\');
    }
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

std::string HexList(std::string_view bytes) {
  std::string out;
  char buf[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%s%02x", i == 0 ? "" : ",",
                  static_cast<unsigned>(static_cast<unsigned char>(bytes[i])));
    out += buf;
  }
  return out;
}

std::string ValueText(const Value& v) {
  std::string out = v.name.empty() ? "@=" : Quote(v.name) + "=";
  char buf[32];
  if (v.type == kDword && !v.raw) {
    std::snprintf(buf, sizeof buf, "dword:%08x", v.dword);
    return out + buf;
  }
  // A line break or NUL cannot stand inside a quoted string; such a text goes out as hex(1).
  const bool text = v.type == kString && !v.raw;
  if (text && v.data.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos) {
    return out + Quote(v.data);
  }
  std::string bytes = text ? v.data + '\0' : v.data;
  if (v.type == kBinary) {
    return out + "hex:" + HexList(bytes);
  }
  std::snprintf(buf, sizeof buf, "hex(%x):", v.type);
  return out + buf + HexList(bytes);
}

void SerializeKey(const Key& key, const std::string& path, std::string* out) {
  if (key.listed || !key.values.empty()) {
    *out += "\r\n[" + path + "]\r\n";
    for (const Value& v : key.values) {
      *out += ValueText(v) + "\r\n";
    }
  }
  for (const Key& sub : key.keys) {
    SerializeKey(sub, path + "\\" + sub.name, out);
  }
}

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Fold(x) == Fold(y); });
}

const Key* Key::FindKey(std::string_view key_name) const {
  auto it = std::find_if(keys.begin(), keys.end(),
                         [&](const Key& k) { return SameName(k.name, key_name); });
  return it == keys.end() ? nullptr : &*it;
}

Key* Key::FindKey(std::string_view key_name) {
  return const_cast<Key*>(static_cast<const Key*>(this)->FindKey(key_name));
}

Key& Key::EnsureKey(std::string_view key_name) {
  if (Key* k = FindKey(key_name)) {
    return *k;
  }
  keys.push_back(Key{std::string(key_name), false, {}, {}});
  return keys.back();
}

const Value* Key::FindValue(std::string_view value_name) const {
  auto it = std::find_if(values.begin(), values.end(),
                         [&](const Value& v) { return SameName(v.name, value_name); });
  return it == values.end() ? nullptr : &*it;
}

void Key::SetValue(const Value& value) {
  auto it = std::find_if(values.begin(), values.end(),
                         [&](const Value& v) { return SameName(v.name, value.name); });
  if (it == values.end()) {
    values.push_back(value);
    return;
  }
  std::string name = std::move(it->name);
  *it = value;
  it->name = std::move(name);
}

bool Parse(std::string_view bytes, Key* root, int* line, std::string* reason) {
  std::string text;
  if (!DecodeText(bytes, &text, line, reason)) {
    return false;
  }
  if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
    return true;  // an empty file is an empty store
  }
  Parser parser(SplitLines(text), root);
  if (!parser.Run()) {
    *line = parser.line();
    *reason = parser.reason();
    return false;
  }
  return true;
}

std::string Serialize(const Key& root) {
  std::string out(kHeader4);
  out += "\r\n";
  for (const Key& hive : root.keys) {
    SerializeKey(hive, hive.name, &out);
  }
  out += "\r\n";
  return out;
}

}  // namespace registry::regfile
