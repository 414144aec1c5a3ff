#!/usr/bin/env bash
# Renders the program on the simulated demo card into docs/screenshots/*.png (offscreen, no
# display needed): the main window waiting and with the card listed, the progress window
# during a read, the save dialog, a comparison of two files read from the card, the about
# box.
#   scripts/screenshots.sh [BUILD_DIR]   (default build/dev)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/dev}
if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S . -B "$build" -G Ninja
fi
cmake --build "$build" -j 2 --target h_trelmo_screenshots
QT_QPA_PLATFORM=offscreen "$build/app/h_trelmo_screenshots" docs/screenshots
ls -1 docs/screenshots/*.png
