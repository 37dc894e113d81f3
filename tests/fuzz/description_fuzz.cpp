// recutil's description file reader over any text. A description that parses is formatted and
// parsed again: `describe` followed by `create` must give the same file specification.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/fuzz/fuzz_check.h"
#include "tools/recutil/description.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace recutil;
  const std::string text(reinterpret_cast<const char*>(data), size);
  Description description;
  DescriptionError error;
  if (!ParseDescription(text, &description, &error)) {
    error.ToString();
    return 0;
  }
  const std::string formatted = FormatDescription(description.spec, "FUZZ.DB");
  Description again;
  fuzz::Require(ParseDescription(formatted, &again, &error), "a formatted description parses");
  fuzz::Require(FormatDescription(again.spec, "FUZZ.DB") == formatted,
                "a formatted description reads back to the same file specification");
  return 0;
}
