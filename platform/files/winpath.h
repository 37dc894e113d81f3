// Windows-style file names on Linux. The system speaks names such as "SAVEDB\PCONT.DB" or
// "C:\VENDRIX"; this layer maps them onto the Linux file system:
//   - a backslash separates components, as does a slash;
//   - a drive prefix ("C:") stands for the root directory;
//   - each component is matched without regard to letter case, an exact match winning, so
//     "ItemUnit.DB" finds ITEMUNIT.DB;
//   - a component that does not exist resolves to itself inside its resolved parent (so new
//     files are created under the name the caller gave).
// Nothing here throws or prints.
#pragma once

#include <string>

namespace files {

// The Linux path that a Windows-style name denotes, relative names staying relative to the
// current directory.
std::string Resolve(const std::string& name);

// Joins a directory and a name with a backslash unless the directory already ends in one.
std::string Join(const std::string& dir, const std::string& name);

}  // namespace files
