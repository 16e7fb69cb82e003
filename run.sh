#!/usr/bin/env bash
# Set up, build and start the window: only what the window and the command line need.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh build
scripts/build.sh -DARRANGE5_BUILD_TESTS=OFF -DARRANGE5_BUILD_BENCH=OFF
exec "${BUILD_DIR:-build}/bin/arrange5" "$@"
