#!/usr/bin/env bash
# The long fault sweep: every system call of a whole run failed with each of ENOSPC, EIO and
# EACCES, once and from then on (the test command fails each call once). Takes several minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
REMOLD_SWEEP=1 build/tests/app/fault_matrix_tests --gtest_filter='Kinds/*'
