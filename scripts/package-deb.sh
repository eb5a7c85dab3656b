#!/usr/bin/env bash
# Builds the Debian package build/package/quenlorn_<version>_<arch>.deb with
# CPack and checks it: desktop-file-validate, appstreamcli validate --no-net
# and lintian, each without an error.
#   bash scripts/package-deb.sh            build and check
#   bash scripts/package-deb.sh --install  then also install it with apt-get,
#       start /usr/bin/quenlorn --version and the installed program on a
#       virtual display with the demo query from /usr/share/quenlorn/demo,
#       remove it with apt-get and check that nothing of it is left (CI; needs
#       root or sudo)
# Installs what is missing on Debian 12.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/install-deps.sh

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
# The checks and dpkg-shlibdeps: only this script needs them.
PACKAGES=(desktop-file-utils appstream lintian dpkg-dev file)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The build folder of scripts/test.sh: in CI the program is already built there.
build=build
flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ -n "${CI:-}" ] && [ "${CI}" != "false" ]; then flags+=(-DQL_WERROR=ON); else flags+=(-DQL_WERROR=OFF); fi
cmake -S . -B "$build" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$build" --target quenlorn debian_changelog
rm -rf "$build/package"
(cd "$build" && cpack -G DEB >cpack-deb.log 2>&1) || { cat "$build/cpack-deb.log"; exit 1; }
deb=$(ls "$root/$build"/package/quenlorn_*.deb)
echo "Package: $deb ($(du -k "$deb" | cut -f1) KiB)"
dpkg-deb -f "$deb" Package Version Architecture Depends Recommends

status=0
desktop-file-validate packaging/linux/de.zellgrenz.quenlorn.desktop || status=1
echo "desktop-file-validate: $([ $status -eq 0 ] && echo "no error" || echo FAILED)"
appstreamcli validate --no-net packaging/linux/de.zellgrenz.quenlorn.metainfo.xml || status=1
# Errors fail; warnings and notes are printed for the reader.
lintian --fail-on error --tag-display-limit 0 "$deb" || status=1
echo "lintian: $([ $status -eq 0 ] && echo "no error" || echo FAILED)"
[ "$status" -eq 0 ] || exit 1
[ "${1:-}" = "--install" ] || exit 0

# ---- installed, started, removed ----------------------------------------------
fail() { echo "Package: FAILED: $*"; status=1; }
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get install -y -q "$deb" >"$build/deb-install.log" 2>&1 || { cat "$build/deb-install.log"; exit 1; }
echo "Package: installed: $(dpkg-query -W -f='${Package} ${Version} ${Status}' quenlorn)"

version=$(/usr/bin/quenlorn --version) || fail "/usr/bin/quenlorn --version ended with $?"
echo "Package: /usr/bin/quenlorn --version: $version"
[[ "$version" == "Quenlorn Polygonberechnung "[0-9]* ]] || fail "--version printed '$version'"

# The installed program on a virtual display walks through its windows with the
# demo query and ends by itself (its tour); the wait ends with the program.
tour=$(mktemp -d)
chmod 755 "$tour"
tour_status=0
QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu" timeout 300 xvfb-run -a -s "-screen 0 1600x1000x24 -nolisten tcp" \
  /usr/bin/quenlorn --screenshots "$tour" /usr/share/quenlorn/demo/demo-myfinds.zip >"$build/deb-tour.log" 2>&1 ||
  tour_status=$?
value() { sed -n "s/^$1=//p" "$tour/tour.txt" | head -1; }
[ "$tour_status" -eq 0 ] || { cat "$build/deb-tour.log"; fail "the installed program ended with $tour_status"; }
grep -q '^Done$' "$tour/tour.txt" 2>/dev/null || fail "the installed program's tour did not finish"
grep '^Error=' "$tour/tour.txt" 2>/dev/null | sed 's/^/Package: FAILED: /' && status=1
[ "$(value PolygonDir)" = /usr/share/quenlorn/rlp_polygons/ ] || fail "polygons from '$(value PolygonDir)'"
rows=$(value Rows)
[ "${rows:-0}" -gt 36 ] || fail "the demo query gave ${rows:-no} rows"
echo "Package: the installed program opened $(value Query): $rows rows, $(value NotInPolygon) not in a polygon," \
  "polygons from $(value PolygonDir), version $(value Version); $(grep -c '^Shot=' "$tour/tour.txt") windows photographed"
rm -rf "$tour"

# Everything the package put there goes with it; the program wrote nothing
# into its own folders.
mapfile -t files < <(dpkg -L quenlorn | grep -v '^/\.$')
$SUDO apt-get remove -y -q quenlorn >"$build/deb-remove.log" 2>&1 || { cat "$build/deb-remove.log"; exit 1; }
echo "Package: removed: $(dpkg-query -W -f='${Status}' quenlorn 2>/dev/null || echo 'not installed')"
left=()
for f in "${files[@]}" /usr/share/quenlorn /usr/share/doc/quenlorn; do
  # Shared folders (/usr/bin, /usr/share/icons/...) stay; the package's own go.
  if [ -e "$f" ] && ! { [ -d "$f" ] && [ "$f" != /usr/share/quenlorn ] && [ "$f" != /usr/share/doc/quenlorn ]; }; then
    left+=("$f")
  fi
done
if [ ${#left[@]} -gt 0 ]; then fail "left behind: ${left[*]}"; else
  echo "Package: nothing of it is left (/usr/bin/quenlorn, /usr/share/quenlorn, /usr/share/doc/quenlorn gone)"
fi
[ "$status" -eq 0 ]
