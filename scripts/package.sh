#!/usr/bin/env bash
# Builds the Debian package arrange5_<version>_amd64.deb in build/ (or $BUILD_DIR): the window
# and the command line in /usr/bin, the bundled history and the documents in /usr/share/arrange5,
# the desktop entry, the icon and the AppStream metadata. A build folder that exists keeps its
# options (./test.sh's build is reused as it is); a new one is configured without tests.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
scripts/setup.sh build package
options=()
[ -f "$BUILD_DIR/CMakeCache.txt" ] || options=(-DARRANGE5_BUILD_TESTS=OFF -DARRANGE5_BUILD_BENCH=OFF)
BUILD_DIR=$BUILD_DIR scripts/build.sh ${options[@]+"${options[@]}"}
(cd "$BUILD_DIR" && cpack -G DEB >/dev/null)
ls "$BUILD_DIR"/arrange5_*_amd64.deb
