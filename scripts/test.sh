#!/usr/bin/env bash
# Installs what is missing, builds quorvel three times and runs every test in each build: first
# with AddressSanitizer and UndefinedBehaviorSanitizer (clang), then the release build (gcc), then
# the Windows build (mingw-w64), which also packs the zip, and whose tests run under Wine (on Xvfb
# when there is no display) and whose CTest summary ends the output. The script stops at the first step that fails. Windows
# are tested headless (QT_QPA_PLATFORM=offscreen).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

echo "== Tests under AddressSanitizer + UndefinedBehaviorSanitizer"
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
  -DQUORVEL_SANITIZE=ON -DQUORVEL_FUZZ=ON -DQUORVEL_WERROR=ON >/dev/null
cmake --build build/sanitize
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/sanitize --output-on-failure

echo "== Tests of the release build"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVEL_WERROR=ON >/dev/null
cmake --build build/release
ctest --test-dir build/release --output-on-failure

echo "== Tests of the Windows build under Wine"
cmake -S . -B build/windows -G Ninja --toolchain cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DQUORVEL_WERROR=ON >/dev/null
cmake --build build/windows
cmake --build build/windows --target package >/dev/null # quorvel-1.00-windows-x64.zip
ctest --test-dir build/windows --output-on-failure
