#!/usr/bin/env bash
# Cross-builds the whole program for 64-bit Windows (MinGW-w64 and the Qt for
# MinGW from ../shared/qt6-mingw, unpacked into build-win/) and checks it
# under Wine:
#   1. the engine tests and the window tests (offscreen platform);
#   2. the program itself on a virtual display (Xvfb, windows platform): the
#      demo query opened from a path with umlauts, with the polygon folder
#      taken from the registry, screenshots of its windows and of the
#      system's open dialog in build-win/screenshots/, the version and the
#      real Windows version (Wine set to Windows 10) in the information
#      window, and a query path longer than 260 characters;
#   3. the portable ZIP: built, its licence notices present, unpacked into an
#      empty folder, started with nothing else on the path, photographed,
#      closed.
# Everything, the Wine prefix included, stays inside build-win/. Installs what
# is missing on Debian 12.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

PACKAGES=(cmake ninja-build googletest g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64 xz-utils
          qt6-base-dev qt6-base-dev-tools qt6-translations-l10n xvfb x11-utils imagemagick)
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
mkdir -p "$build"
qt_archive=${QL_QT_MINGW_ARCHIVE:-$root/../shared/qt6-mingw/qt6-mingw-6.4.2.tar.xz}
qt=$root/$build/qt6-mingw
if [ ! -f "$qt/lib/cmake/Qt6/Qt6Config.cmake" ]; then
  echo "Unpacking $qt_archive"
  tar -C "$build" -xJf "$qt_archive"
fi
# A build folder of the engine-only cross-build (before the windows were
# built for Windows) is configured anew.
if [ -f "$build/CMakeCache.txt" ] && ! grep -q 'mingw-w64-x86_64-qt.cmake' "$build/CMakeCache.txt"; then
  rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
fi
# GoogleTest is built for the target from Debian's sources, inside the build.
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64-qt.cmake \
  -DQL_QT_MINGW="$qt" -DCMAKE_PREFIX_PATH="$qt" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQL_GTEST_SOURCE_DIR=/usr/src/googletest >/dev/null
cmake --build "$build" -j2 --target quenlorn engine_tests ui_tests query-bench

# Debian keeps the loader off PATH.
wine=$(command -v wine64 || dpkg -L wine64 | grep '/bin/wine64$\|/wine/wine64$')
wineserver=$(dirname "$wine")/wineserver
export WINEPREFIX="$root/$build/wine"
export WINEDEBUG=-all
# No Mono or Gecko installer on first start, no menu entries on the desktop:
# the run is unattended and leaves nothing outside the prefix.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
# The tests see the folders of the build machine under Z:, the Windows
# temporary folder inside the prefix.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating the Wine prefix in $WINEPREFIX"
  "$wine" wineboot --init >"$build/wineboot.log" 2>&1
  "$wineserver" -w
fi
winpath() { printf 'Z:%s' "${1//\//\\}"; }
# The build tree's programs find Qt's DLLs (and through them its plugins and
# the fonts of the offscreen platform) and the MinGW runtime on WINEPATH.
dll_path="$(winpath "$qt/bin");$(winpath /usr/lib/gcc/x86_64-w64-mingw32/12-posix);$(winpath /usr/x86_64-w64-mingw32/lib)"

status=0
# Prints gtest's summary lines of a log, and why a test was skipped (the line
# after gtest's "Skipped").
summary() {
  local text
  text=$(tr -d '\r' <"$2")  # Windows programs end some lines with CR LF
  grep -A1 ': Skipped$' <<<"$text" | grep -v -e ': Skipped$' -e '^--$' | sed "s|^|Wine: $1 skipped: |" || true
  grep -E '^\[==========\] .* ran\.|^\[  PASSED  \]|^\[  SKIPPED \] [0-9]+ test|FAILED TEST|^\[  FAILED  \]' <<<"$text" |
    sed "s|^|Wine: $1: |" || true
}

# ---- 1. engine tests, window tests ------------------------------------------
log="$build/engine_tests.log"
engine_status=0
WINEPATH="$dll_path" "$wine" "$build/tests/engine_tests.exe" >"$log" 2>&1 || engine_status=$?
[ "$engine_status" -ne 0 ] && cat "$log"
summary engine "$log"
[ "$engine_status" -eq 0 ] || status=1

# The window tests in two processes side by side (gtest's shards); ui_main
# picks the offscreen platform itself, since Wine passes no QT_* variables.
ui_shards=2
pids=()
for ((i = 0; i < ui_shards; i++)); do
  WINEPATH="$dll_path" GTEST_TOTAL_SHARDS=$ui_shards GTEST_SHARD_INDEX=$i \
    "$wine" "$build/tests/ui_tests.exe" >"$build/ui_tests.$i.log" 2>&1 &
  pids+=($!)
done
for ((i = 0; i < ui_shards; i++)); do
  shard_status=0
  wait "${pids[$i]}" || shard_status=$?
  [ "$shard_status" -ne 0 ] && { cat "$build/ui_tests.$i.log"; status=1; }
  summary "window tests $((i + 1))/$ui_shards" "$build/ui_tests.$i.log"
done

# The benchmark starts and reads the demo query as a Windows program.
bench_status=0
WINEPATH="$dll_path" "$wine" "$build/bench/query-bench.exe" run --polygons data/rlp_polygons \
  data/demo/demo-myfinds.zip >"$build/query-bench.log" 2>&1 || bench_status=$?
if [ "$bench_status" -ne 0 ]; then
  cat "$build/query-bench.log"
  echo "Wine: query-bench failed ($bench_status)"
  status=1
else
  echo "Wine: query-bench read the demo query: $(grep -m1 '^scan ' "$build/query-bench.log" | tr -s ' ')"
fi
"$wineserver" -w

# ---- 2. the program on a virtual display --------------------------------------
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp >"$build/xvfb.log" 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.2; done

fail() { echo "Wine: FAILED: $*"; status=1; }
# Not blank: more than a handful of colours and some contrast.
check_picture() {
  if [ ! -s "$1" ]; then fail "no screenshot $1"; return; fi
  local colours deviation
  colours=$(convert "$1" -format '%k' info:)
  deviation=$(convert "$1" -colorspace Gray -format '%[fx:int(1000*standard_deviation)]' info:)
  if [ "$colours" -lt 16 ] || [ "$deviation" -lt 20 ]; then
    fail "$1 is blank ($colours colours, contrast $deviation)"
  else
    echo "Wine: screenshot $1: $(identify -format '%wx%h' "$1"), $colours colours"
  fi
}
# Runs the program's screenshot tour: quenlorn --screenshots FOLDER QUERY.
tour() {
  local folder=$1 query=$2 tour_status=0
  rm -f "$folder/tour.txt"
  WINEPATH="$dll_path" timeout 300 "$wine" "$build/bin/quenlorn.exe" --screenshots "$(winpath "$root/$folder")" \
    "$(winpath "$query")" >"$folder.log" 2>&1 || tour_status=$?
  "$wineserver" -w
  [ -f "$folder/tour.txt" ] && sed -i 's/\r$//' "$folder/tour.txt"  # written with CR LF
  [ "$tour_status" -eq 0 ] || fail "the tour in $folder ended with $tour_status"
  grep -q '^Done$' "$folder/tour.txt" 2>/dev/null || fail "the tour in $folder did not finish"
}
value() { sed -n "s/^$1=//p" "$2" | head -1; }

# The polygon folder from the registry: GSAK's key names its program and, under
# the program's path, its data folder, whose polygons the loader then reads.
gsak="$root/$build/gsak"
rm -rf "$gsak"
mkdir -p "$gsak/GSAK" "$gsak/Daten/locations/counties/deu"
touch "$gsak/GSAK/gsak.exe"
cp -r data/rlp_polygons "$gsak/Daten/locations/counties/deu/all_deu"
"$wine" reg add 'HKCU\Software\GSAK' /v ExePath /d "$(winpath "$gsak/GSAK/gsak.exe")" /f >/dev/null
"$wine" reg add 'HKCU\Software\GSAK' /v "$(winpath "$gsak/GSAK/gsak.exe")" /d "$(winpath "$gsak/Daten")" /f >/dev/null
"$wineserver" -w

# Windows 10, as most users have it: the program's manifest makes the system
# report its real version to the information window.
"$wine" winecfg -v win10
"$wineserver" -w
# A query saved without extension where the open dialog starts: the system's
# dialog lists it under "Alle Dateien".
no_extension="$root/$build/bin/Meine Funde ohne Endung"
cp data/demo/demo-myfinds.gpx "$no_extension"

# The demo query from a folder with umlauts.
umlaut="$root/$build/Abfragen für Jürgen Größe"
mkdir -p "$umlaut"
cp data/demo/demo-myfinds.zip "$umlaut/Meine Funde äöü.zip"
shots=$build/screenshots
tour "$shots" "$umlaut/Meine Funde äöü.zip"
rm -f "$no_extension"
for s in main_window tally_window info_window overview web_window open_dialog; do check_picture "$shots/$s.png"; done
report=$shots/tour.txt
[ "$(value OpenDialog "$report")" = native ] || fail "the open dialog is '$(value OpenDialog "$report")', not the system's"
case "$(value OS "$report")" in
  *"(10.0) (Build: "*) ;;
  *) fail "the information window reports '$(value OS "$report")', not Windows 10" ;;
esac
[ "$(value PolygonDir "$report")" = "$(winpath "$gsak/Daten/locations/counties/deu/all_deu/")" ] ||
  fail "polygon folder $(value PolygonDir "$report"), not the one the registry names"
[ "$(value Version "$report")" = "2.1.0.0" ] || fail "information window shows version '$(value Version "$report")'"
rows=$(value Rows "$report")
[ "${rows:-0}" -gt 36 ] || fail "the demo query gave ${rows:-no} rows"
if grep -q '^Error=' "$report"; then grep '^Error=' "$report" | sed 's/^/Wine: FAILED: /'; status=1; fi
echo "Wine: program: demo query from \"$(value Query "$report")\": $rows rows," \
  "$(value NotInPolygon "$report") not in a polygon; polygons from $(value PolygonDir "$report");" \
  "version $(value Version "$report"); system \"$(value OS "$report")\"; open dialog $(value OpenDialog "$report")"
"$wine" reg delete 'HKCU\Software\GSAK' /f >/dev/null
"$wineserver" -w

# A query path of more than 260 characters (MAX_PATH).
deep="$root/$build/long"
for i in 1 2 3 4 5; do deep="$deep/Geocaching Auswertungen des Jahres mit allen Funden $i"; done
mkdir -p "$deep"
cp data/demo/demo-myfinds.zip "$deep/Meine Funde.zip"
long_query=$(winpath "$deep/Meine Funde.zip")
tour "$build/long-path" "$deep/Meine Funde.zip"
rows=$(value Rows "$build/long-path/tour.txt")
if [ "${rows:-0}" -gt 36 ] && ! grep -q '^Error=' "$build/long-path/tour.txt"; then
  echo "Wine: program: query path of ${#long_query} characters: $rows rows"
else
  grep '^Error=' "$build/long-path/tour.txt" || true
  fail "the query path of ${#long_query} characters gave ${rows:-no} rows"
fi

# ---- 3. the portable ZIP ------------------------------------------------------
rm -rf "$build/package"
(cd "$build" && cpack -G ZIP >cpack.log 2>&1) || { cat "$build/cpack.log"; fail "cpack"; }
zip=$(ls "$root/$build"/package/*.zip)
echo "Wine: portable ZIP $zip: $(du -k "$zip" | cut -f1) KiB," \
  "$(cmake -E tar tf "$zip" | grep -vc '/$') files"
# The program's licence and read-me, and the licence of everything built into
# it or shipped beside it.
listing=$(cmake -E tar tf "$zip" | sed 's|^[^/]*/||')
for notice in LICENSE LIESMICH.txt licenses/expat/COPYING licenses/qt/LGPL-3.0-only.txt licenses/qt/qt-source.txt \
  licenses/qt/qt-third-party.txt licenses/mingw-w64/GCC-RUNTIME-LIBRARY-EXCEPTION.txt licenses/mingw-w64/GPL-3.txt \
  licenses/mingw-w64/gcc-runtime-copyright.txt licenses/mingw-w64/mingw-w64-runtime-copyright.txt; do
  grep -qx "$notice" <<<"$listing" || fail "the ZIP has no $notice"
done
echo "Wine: notices in the ZIP: $(grep -E '^(LICENSE|LIESMICH.txt|licenses/.*[^/])$' <<<"$listing" | tr '\n' ' ')"
unpacked="$root/$build/zip-check"
rm -rf "$unpacked"
mkdir -p "$unpacked"
(cd "$unpacked" && cmake -E tar xf "$zip")
exe=$(ls "$unpacked"/*/quenlorn.exe)
# Nothing but the unpacked folder: no WINEPATH, no Qt or MinGW folder.
zip_status=0
env -u WINEPATH "$wine" "$exe" >"$build/zip-check.log" 2>&1 &
program=$!
shown=0
for _ in $(seq 150); do
  if xwininfo -root -tree 2>/dev/null | grep -q '"Quenlorn'; then shown=1; break; fi
  sleep 0.2
done
if [ "$shown" -eq 1 ]; then
  sleep 3  # let it paint
  import -window root "$shots/zip_main_window.png"
  check_picture "$shots/zip_main_window.png"
else
  fail "the program from the ZIP showed no window"
fi
# Closed as the desktop closes it: WM_CLOSE to its windows.
"$wine" taskkill /im quenlorn.exe >/dev/null 2>&1 || true
for _ in $(seq 150); do kill -0 "$program" 2>/dev/null || break; sleep 0.2; done
if kill -0 "$program" 2>/dev/null; then
  fail "the program from the ZIP did not close"
  kill "$program" 2>/dev/null || true
else
  wait "$program" || zip_status=$?
  [ "$zip_status" -eq 0 ] && echo "Wine: the program from the ZIP started, showed its main window and closed (exit 0)" ||
    fail "the program from the ZIP ended with $zip_status"
fi
"$wineserver" -w

[ "$status" -eq 0 ]
