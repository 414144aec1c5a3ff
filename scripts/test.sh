#!/usr/bin/env bash
# Sets up the machine (Debian packages), builds everything from scratch and runs every
# test: the normal build, the sanitizer build of the core and its tests, and the
# formatting check.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
jobs=$(nproc)

scripts/setup.sh

export QT_QPA_PLATFORM=offscreen

echo "== build (RelWithDebInfo)"
cmake -S . -B build/main -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/main -j "$jobs"
echo "== tests"
ctest --test-dir build/main --output-on-failure -j "$jobs" --timeout 300

echo "== sanitizer build (AddressSanitizer + UndefinedBehaviorSanitizer)"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DH_TRELMO_SANITIZE=ON \
    -DH_TRELMO_GUI=OFF -DH_TRELMO_BENCH=OFF
cmake --build build/asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build/asan --output-on-failure -j "$jobs" --timeout 600

echo "== formatting"
scripts/check-format.sh

echo "all tests passed"
