// Helpers of the order table tests: the shared record helpers, the upgrade's loop's output, and a
// time zone set for the length of a test.
#pragma once

#include <ctime>
#include <string>

#include "recfile/field_codec.h"
#include "tests/support/reader_statuses.h"
#include "tests/support/record_bytes.h"
#include "tests/support/scoped_env.h"

namespace ordtest {

using namespace rectest;

// RunStep's converted records, on key 0.
template <class LegacyDB, class Legacy, class CurrentDB, class Current>
std::vector<Bytes> Upgrade(void (*seed)(Current&) = nullptr, int readKey = 0,
                           const std::vector<int>& accept = {0}, const char* name = nullptr) {
  return RunStep<LegacyDB, Legacy, CurrentDB, Current>(readKey, 0, accept, name, seed).converted;
}

// Sets TZ for the length of a test and puts the old value back, each time read again.
class LocalZone {
 public:
  explicit LocalZone(const char* zone) : env_("TZ", zone) { tzset(); }

 private:
  struct ReadZone {
    ~ReadZone() { tzset(); }
  } readAfterRestore_;  // destroyed after env_
  rectest::ScopedEnv env_;
};

}  // namespace ordtest
