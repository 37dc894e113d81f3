// Helpers of the order table tests: the shared record helpers, the upgrade's loop over one legacy
// file, and a time zone set for the length of a test.
#pragma once

#include <ctime>
#include <string>

#include "recfile/field_codec.h"
#include "tests/support/reader_statuses.h"
#include "tests/support/record_bytes.h"
#include "tests/support/scoped_env.h"

namespace ordtest {

using namespace rectest;

// The upgrade's loop over the legacy file the table opens by default, as the run drives it:
// ReadFirst and ReadNext, each record converted into one object kept for the whole file (seeded
// by `seed`, so that a value left from before shows) and inserted with InsertRecord; the numbers
// inserts give avoid those of the legacy file. Returns the new file's raw records on key 0.
template <class LegacyDB, class Legacy, class CurrentDB, class Current>
std::vector<Bytes> Upgrade(void (*seed)(Current&) = nullptr) {
  LegacyDB old;
  CurrentDB fresh;
  EXPECT_EQ(old.Open(), 0);
  EXPECT_EQ(fresh.CreateFile("TMP.DB"), 0);
  if constexpr (requires { fresh.AvoidNumbersIn(old.CurrentFileName()); }) {
    EXPECT_EQ(fresh.AvoidNumbersIn(old.CurrentFileName()), 0);
  }
  Legacy r;
  Current c;
  if (seed != nullptr) {
    seed(c);
  }
  int status = old.ReadFirst(r);
  for (size_t n = 0; status == 0; ++n, status = old.ReadNext(r)) {
    ConvertRecord(r, c);
    EXPECT_EQ(fresh.InsertRecord(c), 0) << "record " << n;
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
