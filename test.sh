#!/usr/bin/env bash
# Set up, build and run every test through ctest.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh build test
scripts/build.sh -DARRANGE5_BUILD_TESTS=ON -DARRANGE5_BUILD_BENCH=OFF
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure -j2
