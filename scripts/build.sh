#!/usr/bin/env bash
# Builds the normal tree in build/ and, with --sanitize, the sanitizer tree in build-asan/.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
if [ "${1:-}" = "--sanitize" ]; then
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DREMOLD_SANITIZE=ON -DREMOLD_BENCH=OFF >/dev/null
  cmake --build build-asan -j "$jobs"
fi
