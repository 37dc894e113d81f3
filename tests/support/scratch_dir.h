// The one scratch directory of the test suites: a fresh directory under /tmp that is the working
// directory while the object lives (record files and settings are addressed relative to it), and
// is removed with everything in it afterwards, even where a test took its permissions away.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <set>
#include <string>
#include <system_error>

namespace rectest {

class ScratchDir {
 public:
  ScratchDir() {
    char pattern[] = "/tmp/remold-test-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
      ADD_FAILURE() << "cannot create a scratch directory under /tmp";
      return;
    }
    path_ = pattern;
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(path_);
  }
  ~ScratchDir() {
    if (path_.empty())
      return;
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

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
  std::filesystem::path previous_;
};

// A test fixture whose every test runs in a scratch directory of its own.
class InScratchDir : public ::testing::Test {
 protected:
  const std::string& scratch_path() const { return scratch_.path(); }

 private:
  ScratchDir scratch_;
};

}  // namespace rectest
