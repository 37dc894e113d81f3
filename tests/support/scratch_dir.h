// The scratch directory as a test fixture (see scratch_path.h).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tests/support/scratch_path.h"

namespace rectest {

// A test fixture whose every test runs in a scratch directory of its own.
class InScratchDir : public ::testing::Test {
 protected:
  const std::string& scratch_path() const { return scratch_.path(); }

 private:
  ScratchDir scratch_;
};

}  // namespace rectest
