#!/usr/bin/env bash
# Cross-builds the engine, the Windows platform layer, the engine tests and
# query-bench for 64-bit Windows (MinGW-w64) into build-win/ and runs the
# engine tests under Wine. Everything, the Wine prefix included, stays inside
# build-win/. Installs what is missing on Debian 12.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(cmake ninja-build googletest g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

build=build-win
# GoogleTest is built for the target from Debian's sources, inside the build.
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQL_BUILD_UI=OFF -DQL_GTEST_SOURCE_DIR=/usr/src/googletest >/dev/null
cmake --build "$build" -j2

# Debian keeps the loader off PATH.
wine=$(command -v wine64 || dpkg -L wine64 | grep '/bin/wine64$\|/wine/wine64$')
wineserver=$(dirname "$wine")/wineserver
export WINEPREFIX="$PWD/$build/wine"
export WINEDEBUG=-all
# No Mono or Gecko installer on first start, no menu entries on the desktop,
# no windows: the run is unattended and leaves nothing outside the prefix.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
# The tests see the folders of the build machine under Z:, the Windows
# temporary folder inside the prefix.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating the Wine prefix in $WINEPREFIX"
  "$wine" wineboot --init >"$build/wineboot.log" 2>&1
  "$wineserver" -w
fi

log="$build/engine_tests.log"
status=0
"$wine" "$build/tests/engine_tests.exe" >"$log" 2>&1 || status=$?
[ "$status" -ne 0 ] && cat "$log"
# Why a test was skipped: the line after gtest's "Skipped".
grep -A1 ': Skipped$' "$log" | grep -v -e ': Skipped$' -e '^--$' | sed 's/^/Wine: skipped: /' || true
grep -E '^\[==========\] .* ran\.|^\[  PASSED  \]|^\[  SKIPPED \] [0-9]+ test|FAILED TEST' "$log" | sed 's/^/Wine: /'

# The benchmark starts and reads the demo query as a Windows program.
bench_status=0
"$wine" "$build/bench/query-bench.exe" run --polygons data/rlp_polygons data/demo/demo-myfinds.zip \
  >"$build/query-bench.log" 2>&1 || bench_status=$?
"$wineserver" -w
if [ "$bench_status" -ne 0 ]; then
  cat "$build/query-bench.log"
  echo "Wine: query-bench failed ($bench_status)"
else
  echo "Wine: query-bench read the demo query: $(grep -m1 '^scan ' "$build/query-bench.log" | tr -s ' ')"
fi
[ "$status" -eq 0 ] && [ "$bench_status" -eq 0 ]
