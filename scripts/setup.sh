#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build, test and run Remold. Quick when all is there.
# clang-14 and libclang-rt-14-dev (libFuzzer and the sanitizer runtimes) build the fuzz targets.
set -euo pipefail
packages=(g++ cmake make pkg-config libsqlite3-dev sqlite3 libncurses-dev googletest libgtest-dev
  libgmock-dev libbenchmark-dev tmux clang-format clang-14 libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  echo "setup: installing ${missing[*]}"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
fi
