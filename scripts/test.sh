#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
# With --sanitize the build uses AddressSanitizer and UndefinedBehaviorSanitizer.
# Without it, the window tests also run once more in a build without Qt WebEngine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

build=build
flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${1:-}" = "--sanitize" ]; then
  build=build-asan
  flags=(-DCMAKE_BUILD_TYPE=Debug -DQL_SANITIZE=ON)
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi

# CI builds with warnings as errors; by hand a warning does not stop the run.
if [ -n "${CI:-}" ] && [ "${CI}" != "false" ]; then
  flags+=(-DQL_WERROR=ON)
else
  flags+=(-DQL_WERROR=OFF)
fi

cmake -S . -B "$build" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$build"
if [ "$build" = build-asan ]; then
  # The engine is checked for leaks too. In the window tests, Chromium inside
  # Qt WebEngine frees some objects through a base type of another size and
  # keeps allocations to the end of the process; neither is ours, and every use
  # of freed or out-of-bounds memory is still caught there.
  ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" ctest --test-dir "$build" --output-on-failure -j2 -R '^engine\.'
  ASAN_OPTIONS="detect_leaks=0:new_delete_type_mismatch=0:abort_on_error=1" \
    ctest --test-dir "$build" --output-on-failure -j2 -R '^ui\.'
else
  ctest --test-dir "$build" --output-on-failure -j2
  # The web window without Qt WebEngine (the view Windows builds with MinGW
  # get): a second build of the window tests only; the engine comes from the
  # compiler cache.
  cmake -S . -B build-nowebengine -G Ninja "${flags[@]}" -DQL_WEBENGINE=OFF >/dev/null
  cmake --build build-nowebengine --target ui_tests
  ctest --test-dir build-nowebengine --output-on-failure -j2 -R '^ui\.'
fi
