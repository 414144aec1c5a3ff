#!/usr/bin/env bash
# Sets up the machine (Debian packages), builds everything from scratch and runs every
# test: the normal build, the sanitizer build of the core and its tests, and the
# formatting check, and the Windows build of the core, the CLI and their tests under wine.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
jobs=$(nproc)

scripts/setup.sh --windows

export QT_QPA_PLATFORM=offscreen
# Always from scratch: what passes here is what a clean clone builds.
rm -rf build/main build/asan build/win

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

echo "== Windows build (mingw-w64), tests under wine"
windows_start=$SECONDS
cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release
cmake --build build/win -j "$jobs"
scripts/windows-tests.sh build/win
echo "Windows step: $((SECONDS - windows_start)) s"

echo "== formatting"
scripts/check-format.sh

echo "all tests passed"
