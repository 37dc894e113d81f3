#!/usr/bin/env bash
# Builds the benchmarks in Release (build-bench/) and runs every one of them.
set -euo pipefail
cd "$(dirname "$0")/.."
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DREMOLD_TESTS=OFF -DREMOLD_BENCH=ON \
  "${launcher[@]}" >/dev/null
targets=$(sed -n 's/^remold_bench(\([A-Za-z0-9_]*\).*/\1/p' bench/CMakeLists.txt)
for t in $targets; do
  cmake --build build-bench --target "$t" -j "$(nproc)"
done
for t in $targets; do
  echo "== $t =="
  "build-bench/bench/$t" "$@"
done
