#!/usr/bin/env bash
# Installs the Debian packages of the named groups (default: build), only those missing;
# nothing happens on a machine that has them all.
#   scripts/setup.sh build test        what ./test.sh needs
# Groups:
#   build       compile and run the window and the command line
#   test        the test suites (GoogleTest, the local HTTP server, unzip for the workbooks)
#   bench       the benchmarks
#   fuzz        clang-14 and libFuzzer's runtime (scripts/fuzz.sh)
#   screenshot  a virtual screen, ImageMagick and xdotool (the screenshot and demo scripts)
#   package     the Debian package and its checks (scripts/package.sh, scripts/check-package.sh)
set -euo pipefail

packages_of() {
    case "$1" in
        build)
            # Qt Charts' CMake package needs Qt6OpenGL's, which Debian ships in libqt6opengl6-dev.
            echo g++ cmake ninja-build pkg-config \
                qt6-base-dev qt6-qpa-plugins qt6-charts-dev libqt6opengl6-dev qt6-translations-l10n fonts-noto-cjk \
                libsqlite3-dev libsqlitecpp-dev libcurl4-openssl-dev libssl-dev libgumbo-dev \
                libxlsxwriter-dev libcli11-dev nlohmann-json3-dev libboost-math-dev ;;
        test) echo libgtest-dev libgmock-dev libcpp-httplib-dev unzip xvfb xauth ;;
        bench) echo libbenchmark-dev ;;
        fuzz) echo clang-14 libclang-rt-14-dev ;;
        screenshot) echo xvfb xauth imagemagick xdotool fonts-noto-cjk ;;
        package) echo dpkg-dev file desktop-file-utils appstream ;;
        *) echo "scripts/setup.sh: unknown group \"$1\"" >&2; return 1 ;;
    esac
}

[ $# -gt 0 ] || set -- build
wanted=()
for group in "$@"; do
    list=$(packages_of "$group")
    # shellcheck disable=SC2206
    wanted+=($list)
done

missing=()
for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    SUDO=sudo
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
