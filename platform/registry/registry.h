// The per-user settings store: the registry key HKEY_CURRENT_USER\Software\<maker>\<product>,
// kept in ${XDG_CONFIG_HOME:-$HOME/.config}/<maker>/<product>/registry.reg as a registry export
// file (REGEDIT4 written; REGEDIT4 and "Windows Registry Editor Version 5.00", UTF-8 with or
// without BOM or UTF-16LE with BOM, CRLF or LF, read). Sections nest by backslash below the
// application key ("Profiles\ID0\Generic"); key and value names compare without regard to case
// (letters A to Z) and keep the case they were created with; integers are dword values, texts
// string values. Keys and values outside the application key, and values of other types, are
// kept as they were read.
//
// Every write is atomic and durable: lock the file (flock on "registry.reg.lock" beside it),
// re-read it, apply the change, write "registry.reg.tmp", fsync, rename over the original, fsync
// the directory. A file that cannot be parsed is never overwritten: the store reports the file,
// line and reason through error(), and writes fail until a Load() succeeds. Nothing here throws
// or prints.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace registry {

// One value of a batch write.
struct Setting {
  std::string section, name;
  bool is_int = false;
  int32_t number = 0;
  std::string text;
  static Setting Int(const std::string& section, const std::string& name, int32_t value) {
    return {section, name, true, value, {}};
  }
  static Setting Text(const std::string& section, const std::string& name,
                      const std::string& value) {
    return {section, name, false, 0, value};
  }
};

class Store {
 public:
  // Binds to the file of the given maker and product (StorePath); reads nothing yet.
  Store(const std::string& maker, const std::string& product);
  // Binds to an explicit file (tests, tools). The application key is
  // HKEY_CURRENT_USER\Software\<maker>\<product> with maker and product the names of the two
  // directories above the file, as StorePath lays them out.
  explicit Store(const std::string& path);
  // Binds to an explicit file holding the key of the given maker and product.
  Store(const std::string& path, const std::string& maker, const std::string& product);

  // The file backing the store.
  const std::string& path() const { return path_; }

  // Loads the file (a missing file is an empty store). False when it cannot be read or parsed;
  // error() then says "FILE:LINE: reason" (or "FILE: reason" when it could not be read).
  bool Load();
  // The reason of the last failure of Load() or of a write; empty after a success.
  const std::string& error() const { return error_; }

  // Reads of section\name; the default when the value is missing or of the other type. A read
  // sees the state of the file as last loaded or written by this store.
  int32_t GetInt(const std::string& section, const std::string& name, int32_t def) const;
  std::string GetString(const std::string& section, const std::string& name,
                        const std::string& def) const;
  bool HasValue(const std::string& section, const std::string& name) const;
  bool HasSection(const std::string& section) const;

  // Writes create missing keys. False when the write could not be made durable or the file on
  // disk cannot be parsed (error() says why); the stored file is then unchanged.
  bool WriteInt(const std::string& section, const std::string& name, int32_t value);
  bool WriteString(const std::string& section, const std::string& name, const std::string& value);
  // Writes several values in one replacement of the file: after a crash or a failure either all
  // of them or none are stored.
  bool WriteValues(const std::vector<Setting>& settings);

  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

 private:
  struct Impl;

  std::string path_;
  std::string error_;
  std::unique_ptr<Impl> impl_;
};

// The path of the store of maker/product: ${XDG_CONFIG_HOME:-$HOME/.config}/maker/product/
// registry.reg (XDG_CONFIG_HOME counts only when it is an absolute path; without HOME, the home
// directory of the user's password entry).
std::string StorePath(const std::string& maker, const std::string& product);

}  // namespace registry
