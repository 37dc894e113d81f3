// Every record layout's reader over any bytes of any length. The first input byte picks the
// layout, the rest is the record as the record manager would hand it over. Each record is parsed
// and formatted back, which must be stable (a record read and written, then read and written
// again, gives the same bytes); a legacy record is also converted into the current layout and
// formatted, as the upgrade run does. See layout_readers.h.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/layout_readers.h"

namespace {

const std::vector<fuzz::LayoutReader>& AllReaders() {
  static const std::vector<fuzz::LayoutReader> readers = [] {
    std::vector<fuzz::LayoutReader> all;
    for (auto family : {fuzz::CatalogReaders(), fuzz::OrderReaders(), fuzz::CustomerReaders()}) {
      all.insert(all.end(), family.begin(), family.end());
    }
    fuzz::Require(all.size() == fuzz::kLayoutCount, "every layout the tables declare is read");
    return all;
  }();
  return readers;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<fuzz::LayoutReader>& readers = AllReaders();
  if (size == 0) {
    return 0;
  }
  readers[data[0] % readers.size()](data + 1, size - 1);
  return 0;
}
