#!/usr/bin/env bash
# Configures and builds in Release into build/ (or $BUILD_DIR); arguments go to cmake's
# configure step, e.g. scripts/build.sh -DARRANGE5_BUILD_TESTS=OFF
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-Release} ${CMAKE_EXTRA_ARGS:-} "$@"
cmake --build "$BUILD_DIR"
