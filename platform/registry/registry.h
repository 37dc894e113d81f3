// The per-user settings store: the registry key HKEY_CURRENT_USER\Software\<maker>\<product>,
// kept in ${XDG_CONFIG_HOME:-$HOME/.config}/<maker>/<product>/registry.reg as a registry export
// file (REGEDIT4 written; REGEDIT4 and "Windows Registry Editor Version 5.00", UTF-8 or UTF-16LE,
// read). Sections nest by backslash below the application key ("Profiles\ID0\Generic"); key and
// value names compare without regard to case and keep the case they were created with; integers
// are dword values, texts string values.
//
// Every write is atomic and durable: lock the file, re-read it, apply the change, write a
// temporary file, fsync, rename over the original, fsync the directory. A file that cannot be
// parsed is never overwritten: the store reports the file, line and reason through error(), and
// every later write fails. Nothing here throws or prints.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace registry {

class Store {
 public:
  // Binds to the file of the given maker and product; reads nothing yet.
  Store(const std::string& maker, const std::string& product);
  // Binds to an explicit file (tests, tools).
  explicit Store(const std::string& path);

  // The file backing the store.
  const std::string& path() const { return path_; }

  // Loads the file (a missing file is an empty store). False when it cannot be parsed or read;
  // error() then says "FILE:LINE: reason".
  bool Load();
  const std::string& error() const { return error_; }

  // Reads of section\name; the default when the value is missing or of the other type. A read
  // sees the state of the file as last loaded or written by this store.
  int32_t GetInt(const std::string& section, const std::string& name, int32_t def) const;
  std::string GetString(const std::string& section, const std::string& name,
                        const std::string& def) const;
  bool HasValue(const std::string& section, const std::string& name) const;
  bool HasSection(const std::string& section) const;

  // Writes create missing keys. False when the write could not be made durable (error() says
  // why); the stored file is then unchanged.
  bool WriteInt(const std::string& section, const std::string& name, int32_t value);
  bool WriteString(const std::string& section, const std::string& name, const std::string& value);

  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

 private:
  struct Impl;
  std::string path_;
  std::string error_;
  Impl* impl_;
};

// The path of the store of maker/product: ${XDG_CONFIG_HOME:-$HOME/.config}/maker/product/registry.reg
std::string StorePath(const std::string& maker, const std::string& product);

}  // namespace registry
