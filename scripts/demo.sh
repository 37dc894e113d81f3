#!/usr/bin/env bash
# The run command: installs what is missing, builds, makes a demo home under build/demo with a
# legacy database (release 2.04 unless RELEASE is set) and starts remold on it in this terminal.
# The demo has its own HOME and settings; the user's own settings are never touched.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target remold mkdemo recutil
demo="$PWD/build/demo"
rm -rf "$demo"
build/bin/mkdemo --home "$demo" --release "${RELEASE:-2.04}" --records "${RECORDS:-2000}"
status=0
env HOME="$demo" XDG_CONFIG_HOME="$demo/.config" "$demo/program/remold" || status=$?
echo "remold ended with status $status; the demo is in $demo"
exit "$status"
