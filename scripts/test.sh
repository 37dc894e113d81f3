#!/usr/bin/env bash
# The test command: installs what is missing, builds both trees, runs every test in each, then
# builds the fuzz tree and runs every fuzz target for a short while.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh --sanitize
jobs=$(nproc)
echo "== tests (release build) =="
ctest --test-dir build --output-on-failure -j "$jobs"
echo "== tests (AddressSanitizer and UndefinedBehaviorSanitizer) =="
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"
echo "== fuzzing (libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer) =="
scripts/fuzz.sh
