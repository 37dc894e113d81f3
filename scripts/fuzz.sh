#!/usr/bin/env bash
# Builds the fuzz tree (build-fuzz/, clang with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs every fuzz target for FUZZ_SECONDS (20) from its seed
# corpus in tests/fuzz/corpus/<target>/. Inputs the fuzzer finds and crash artifacts go to a
# scratch directory, never into the tree; a failing target's artifacts are kept and named.
# Ends with "fuzz: N passed, M failed" and fails when any target found something.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${FUZZ_SECONDS:-20}
cxx=${FUZZ_CXX:-clang++-14}
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

# target and the longest input it is given: a record file of a few pages, the longest record
# with a note, and text files of a few kilobytes.
targets=(
  "regfile_fuzz 8192"
  "description_fuzz 4096"
  "unformatted_fuzz 8192"
  "record_file_fuzz 32768"
  "layouts_fuzz 8300"
)

names=()
for entry in "${targets[@]}"; do
  names+=("${entry%% *}")
done
if ! cmake -S . -B build-fuzz -DREMOLD_FUZZ=ON -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_COMPILER="$cxx" \
  "${launcher[@]}" >/dev/null || ! cmake --build build-fuzz -j "$(nproc)" --target "${names[@]}"; then
  echo "fuzz: 0 passed, ${#names[@]} failed (the fuzz tree did not build)"
  exit 1
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/remold-fuzz.XXXXXX")
passed=0
failed=0
failures=()
for entry in "${targets[@]}"; do
  name=${entry%% *}
  max_len=${entry##* }
  work="$scratch/$name"
  mkdir -p "$work/corpus" "$work/artifacts"
  echo "== fuzz $name (${seconds}s) =="
  # One worker in a child process, whose log the parent prints at the end. The first
  # directory takes the inputs the fuzzer adds; the seed corpus is only read.
  (cd "$work" && TMPDIR="$work" \
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:symbolize=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$root/build-fuzz/tests/fuzz/$name" -max_total_time="$seconds" -max_len="$max_len" \
    -rss_limit_mb=2048 -timeout=10 -jobs=1 -workers=1 \
    -artifact_prefix="$work/artifacts/" "$work/corpus" "$root/tests/fuzz/corpus/$name" \
    >"$work/log" 2>&1)
  status=$?
  grep -E "^Done [0-9]+ runs" "$work/log" | tail -n 1
  if [ "$status" -eq 0 ] && [ -z "$(ls -A "$work/artifacts")" ]; then
    passed=$((passed + 1))
    rm -rf "$work"
  else
    failed=$((failed + 1))
    failures+=("$name")
    echo "fuzz $name FAILED (status $status); log and inputs in $work"
    grep -E "ERROR|SUMMARY|fuzz check failed|runtime error|Test unit written" "$work/log" | head -n 20
  fi
done
[ "$failed" -eq 0 ] && rm -rf "$scratch"
echo "fuzz: $passed passed, $failed failed${failures[*]:+ (${failures[*]})}"
[ "$failed" -eq 0 ]
