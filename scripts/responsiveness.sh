#!/usr/bin/env bash
# Measures the window's responsiveness on the simulated demo card with the real clock:
# the time from start to the window shown (target < 0.5 s) and the longest gap between
# two rounds of event processing during a read (target < 30 ms). Offscreen, no display.
#   scripts/responsiveness.sh [BUILD_DIR] [--repeat=N]   (default build/dev, 3 reads)
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/dev
if [[ $# -gt 0 && "$1" != --* ]]; then
  build=$1
  shift
fi
if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S . -B "$build" -G Ninja
fi
cmake --build "$build" -j 2 --target h_trelmo_responsiveness
QT_QPA_PLATFORM=offscreen "$build/app/h_trelmo_responsiveness" "$@" 2> >(grep -v 'does not support raise\|XDG_RUNTIME_DIR' >&2)
