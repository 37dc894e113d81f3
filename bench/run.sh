#!/usr/bin/env bash
# Builds the benchmarks in Release (build-bench/) and runs every one of them.
set -euo pipefail
cd "$(dirname "$0")/.."
# g++ 12 at -O3 reports a false -Wrestrict inside std::string concatenation (GCC bug 105329).
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DREMOLD_TESTS=OFF -DREMOLD_BENCH=ON \
  -DCMAKE_CXX_FLAGS=-Wno-restrict >/dev/null
targets=$(sed -n 's/^remold_bench(\([A-Za-z0-9_]*\).*/\1/p' bench/CMakeLists.txt)
for t in $targets; do
  cmake --build build-bench --target "$t" -j "$(nproc)"
done
for t in $targets; do
  echo "== $t =="
  "build-bench/bench/$t" "$@"
done
