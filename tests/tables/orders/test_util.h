// Helpers of the order table tests: the shared record helpers, the upgrade's loop over one legacy
// file, and a time zone set for the length of a test.
#pragma once

#include <algorithm>
#include <ctime>
#include <string>

#include "recfile/field_codec.h"
#include "tests/support/reader_statuses.h"
#include "tests/support/record_bytes.h"
#include "tests/support/scoped_env.h"

namespace ordtest {

using namespace rectest;

// The upgrade's loop over the legacy file `name` (the one the table opens by default when null),
// as the run drives it: ReadFirst and ReadNext on `readKey` while the status is one of `accept`,
// each record converted into one object kept for the whole file (seeded by `seed`, so that a value
// left from before shows) and inserted with InsertRecord; the numbers inserts give avoid those of
// the legacy file. Returns the new file's raw records on key 0.
template <class LegacyDB, class Legacy, class CurrentDB, class Current>
std::vector<Bytes> Upgrade(void (*seed)(Current&) = nullptr, int readKey = 0,
                           const std::vector<int>& accept = {0}, const char* name = nullptr) {
  LegacyDB old;
  CurrentDB fresh;
  EXPECT_EQ(old.Open(name), 0);
  EXPECT_EQ(fresh.CreateFile("TMP.DB"), 0);
  if constexpr (requires { fresh.AvoidNumbersIn(old.CurrentFileName()); }) {
    EXPECT_EQ(fresh.AvoidNumbersIn(old.CurrentFileName()), 0);
  }
  Legacy r;
  Current c;
  if (seed != nullptr) {
    seed(c);
  }
  int status = ReadStep(old, r, readKey, true);
  for (size_t n = 0; std::find(accept.begin(), accept.end(), status) != accept.end(); ++n) {
    CarryOver(r, c);
    EXPECT_EQ(fresh.InsertRecord(c), 0) << "record " << n;
    status = ReadStep(old, r, readKey, false);
  }
  EXPECT_EQ(status, 9);
  return ReadAllRaw(fresh);
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
