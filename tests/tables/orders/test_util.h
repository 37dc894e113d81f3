// Helpers of the order table tests: the shared record helpers, a record formatted through a
// layout, and a time zone set for the length of a test.
#pragma once

#include <cstdlib>
#include <ctime>
#include <string>

#include "recfile/field_codec.h"
#include "tests/support/record_bytes.h"

namespace ordtest {

using namespace rectest;

// Formats a record through a layout into exactly `layout.length` bytes.
template <class Layout, class Record>
Bytes Formatted(const Layout& layout, Record& record) {
  Bytes out(layout.MaxLength());
  const size_t n = recfile::Format(layout, record, out.data());
  out.resize(n);
  return out;
}

// Sets TZ for the length of a test and puts the old value back.
class LocalZone {
 public:
  explicit LocalZone(const char* zone) {
    const char* old = std::getenv("TZ");
    had_ = old != nullptr;
    old_ = had_ ? old : "";
    setenv("TZ", zone, 1);
    tzset();
  }
  ~LocalZone() {
    if (had_) {
      setenv("TZ", old_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  bool had_;
  std::string old_;
};

}  // namespace ordtest
