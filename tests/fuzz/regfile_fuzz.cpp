// The settings file reader over any bytes: REGEDIT4 and version 5.00 text, UTF-8 or UTF-16LE.
// A file that parses must also survive being written back: the store rewrites the whole file on
// every change, and a file it wrote that it cannot read again would stop the program at the next
// start.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/registry/regfile.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace registry::regfile;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Key root;
  int line = 0;
  std::string reason;
  if (!Parse(bytes, &root, &line, &reason)) {
    fuzz::Require(line >= 0 && !reason.empty(), "a parse failure names a line and a reason");
    return 0;
  }
  const std::string written = Serialize(root);
  Key again;
  fuzz::Require(Parse(written, &again, &line, &reason), "a written file parses again");
  fuzz::Require(Serialize(again) == written, "a written file reads back to the same tree");
  return 0;
}
