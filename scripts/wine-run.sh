#!/usr/bin/env bash
# Runs a Windows executable under wine, quietly and without installer dialogs. The wine
# prefix lives in the build folder (WINEPREFIX from the caller, else build/wine-prefix).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/wine-prefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=d;mshtml=d"
exec /usr/lib/wine/wine64 "$@"
