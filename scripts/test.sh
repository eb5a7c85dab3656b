#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
# With --sanitize the build uses AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

build=build
flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${1:-}" = "--sanitize" ]; then
  build=build-asan
  flags=(-DCMAKE_BUILD_TYPE=Debug -DQL_SANITIZE=ON)
  # Qt WebEngine's own allocations are not ours to judge; our code is still
  # checked for every use of freed or out-of-bounds memory.
  export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi

cmake -S . -B "$build" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$build"
# The window tests need a display: offscreen for the widgets, Xvfb if asked.
ctest --test-dir "$build" --output-on-failure
