#!/usr/bin/env bash
# Runs the cross-built Windows tests under wine: one wine prefix inside the build folder,
# one persistent wineserver for the whole run (its output redirected, so that wine's
# background processes do not hold CTest's pipes open).
set -euo pipefail
build=$(cd "${1:?usage: windows-tests.sh BUILD_DIR}" && pwd)
export WINEPREFIX=$build/wine-prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=d;mshtml=d"
wineserver=/usr/lib/wine/wineserver
[[ -x $wineserver ]] || wineserver=$(command -v wineserver)

trap '"$wineserver" -k </dev/null >/dev/null 2>&1 || true' EXIT
# Creating the prefix takes a while the first time; do it once before the tests, then
# keep one wineserver for the whole run.
"$(dirname "$0")/wine-run.sh" cmd /c exit </dev/null >/dev/null 2>&1 || true
"$wineserver" -p </dev/null >/dev/null 2>&1 || true

ctest --test-dir "$build" --output-on-failure --timeout 600
