#!/usr/bin/env bash
# Builds the libraries, the CLI and their tests with AddressSanitizer and UndefinedBehavior-
# Sanitizer into build-asan/ (without the window, to save time) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${ASAN_BUILD_DIR:-build-asan}
scripts/setup.sh build test
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DARRANGE5_SANITIZE=ON \
    -DARRANGE5_BUILD_APP=OFF -DARRANGE5_BUILD_BENCH=OFF >/dev/null
cmake --build "$BUILD"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$BUILD" --output-on-failure -j2
