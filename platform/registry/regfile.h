// The registry export file format: a tree of keys read from and written to the text of a .reg
// file. Reading accepts REGEDIT4 and "Windows Registry Editor Version 5.00" files in UTF-8 (with
// or without BOM) or UTF-16LE (with BOM), CRLF or LF; writing produces REGEDIT4 in UTF-8 with
// CRLF, as the registry editor exports it. Internal to the settings store.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace registry::regfile {

// Value types of the registry; anything else is kept as raw bytes with its type number.
constexpr uint32_t kString = 1;  // REG_SZ
constexpr uint32_t kBinary = 3;  // REG_BINARY
constexpr uint32_t kDword = 4;   // REG_DWORD

struct Value {
  std::string name;  // empty for the default value ("@")
  uint32_t type = kString;
  std::string data;  // kString: UTF-8 text; raw values: their bytes
  uint32_t dword = 0;
  // Kept as read and written back as hex; reads do not see it (binary, expandable and multiple
  // strings, a hex(4) that is not four bytes long, ...).
  bool raw = false;
};

// A key with its values and subkeys, both in the order in which they were first seen. `listed`
// keys are written as sections even without values, so that an empty key survives a rewrite;
// keys that only lead to deeper ones (HKEY_CURRENT_USER, Software) are not.
struct Key {
  std::string name;
  bool listed = false;
  std::vector<Value> values;
  std::vector<Key> keys;

  const Key* FindKey(std::string_view key_name) const;
  Key* FindKey(std::string_view key_name);
  // The subkey of that name, created (unlisted) when missing.
  Key& EnsureKey(std::string_view key_name);
  const Value* FindValue(std::string_view value_name) const;
  // Sets a value; an existing one of the same name (any case) keeps its name.
  void SetValue(const Value& value);
};

// ASCII case folding, as key and value names compare.
bool SameName(std::string_view a, std::string_view b);

// Parses the bytes of a file into `root` (an unnamed key whose subkeys are the hives). False on
// a malformed file, with *line (1-based) and *reason set.
bool Parse(std::string_view bytes, Key* root, int* line, std::string* reason);

// The REGEDIT4 text of the tree below `root`.
std::string Serialize(const Key& root);

}  // namespace registry::regfile
