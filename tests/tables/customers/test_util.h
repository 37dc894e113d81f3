// Helpers of the customer and pricing table tests: the shared record helpers, under the name the
// tests use.
#pragma once

#include "tests/support/reader_statuses.h"
#include "tests/support/record_bytes.h"

namespace custtest {
using namespace rectest;
}  // namespace custtest
