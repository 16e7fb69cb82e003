#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the screenshots need.
# Only what is missing is installed; nothing happens on a machine that has it all.
set -euo pipefail

PACKAGES=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-qpa-plugins qt6-charts-dev
    libsqlite3-dev libsqlitecpp-dev
    libcurl4-openssl-dev libgumbo-dev libxlsxwriter-dev
    libcli11-dev nlohmann-json3-dev
    libgtest-dev libgmock-dev libcpp-httplib-dev libbenchmark-dev
    clang-14 libclang-rt-14-dev
    qt6-translations-l10n
    xvfb xauth imagemagick fonts-noto-cjk unzip xdotool
)

missing=()
for p in "${PACKAGES[@]}"; do
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
