#!/usr/bin/env bash
# Installs what the project needs to build, run and test on Debian 12.
# Used by the README's first command and by CI, so both install the same set.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-translations-l10n
  libgl1-mesa-dev
  zlib1g-dev libexpat1-dev libgtest-dev googletest
  libgeos-dev
  clang libclang-rt-14-dev clang-format
  fonts-dejavu-core fonts-liberation2
  xvfb xauth xdg-utils
  zip unzip python3
)

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

