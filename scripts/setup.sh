#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing h_trelmo need.
# Idempotent: packages already present are skipped, and apt is not touched at all
# when nothing is missing.
#   scripts/setup.sh           build, GUI and test packages
#   scripts/setup.sh --windows also the mingw-w64 cross compiler and wine
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config git
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang-format
  qt6-base-dev qt6-translations-l10n libgl-dev
  xvfb xauth fonts-dejavu-core
)
if [[ "${1:-}" == "--windows" ]]; then
  packages+=(g++-mingw-w64-x86-64-posix wine wine64)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]} == 0)); then
  echo "setup: all packages present"
  exit 0
fi

echo "setup: installing ${missing[*]}"
SUDO=""
if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
