// The one scratch directory of the test suites and benchmarks: a fresh directory under /tmp,
// removed with everything in it afterwards, even where a test took its permissions away.
// ScratchDir is also the working directory while it lives (record files and settings are
// addressed relative to it); ScratchPath leaves the working directory alone, for suites that
// name their files by full path.
#pragma once

#include <stdlib.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <string>
#include <system_error>

namespace rectest {

class ScratchPath {
 public:
  ScratchPath() {
    char pattern[] = "/tmp/remold-test-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
      throw std::system_error(errno, std::generic_category(), "no scratch directory under /tmp");
    }
    path_ = pattern;
  }
  ~ScratchPath() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchPath(const ScratchPath&) = delete;
  ScratchPath& operator=(const ScratchPath&) = delete;

  const std::string& path() const { return path_; }

  // Every name in the directory, hidden ones included.
  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

 private:
  std::string path_;
};

class ScratchDir : public ScratchPath {
 public:
  ScratchDir() : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(path());
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
  }

 private:
  std::filesystem::path previous_;
};

}  // namespace rectest
