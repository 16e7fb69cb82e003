#!/usr/bin/env bash
# Checks a built package as a new user would meet it: unpacks it into a scratch root with
# dpkg -x, validates the desktop entry and the AppStream metadata, and runs both programs from
# there in a fresh HOME, checking where each keeps its data.
#   scripts/check-package.sh [build/arrange5_<version>_amd64.deb]
# CHECK_FIRST_START=0 skips the check that a reading command of the CLI on a fresh HOME
# answers from the bundled history.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh package
DEB=${1:-$(ls "${BUILD_DIR:-build}"/arrange5_*_amd64.deb | tail -1)}
VERSION=$(dpkg-deb -f "$DEB" Version)
WORK=$(mktemp -d -t arrange5-package.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
ROOT=$WORK/root
dpkg -x "$DEB" "$ROOT"
BIN=$ROOT/usr/bin
fail() { echo "check-package: $*" >&2; exit 1; }

desktop-file-validate "$ROOT/usr/share/applications/arrange5.desktop"
appstreamcli validate --no-net --no-color "$ROOT"/usr/share/metainfo/*.metainfo.xml >/dev/null ||
    fail "appstreamcli validate fails on the metadata"
[ -f "$ROOT/usr/share/icons/hicolor/scalable/apps/arrange5.svg" ] || fail "the icon is missing"

# Each run gets a fresh HOME and none of the variables that choose another folder.
fresh() {
    local home=$WORK/home-$1
    shift
    mkdir -p "$home"
    env -u XDG_DATA_HOME -u ARRANGE5_DATA_DIR -u XDG_CONFIG_HOME HOME="$home" \
        QT_QPA_PLATFORM=offscreen "$@"
}

[ "$(fresh version "$BIN/arrange5-cli" --version)" = "arrange5-cli $VERSION" ] ||
    fail "arrange5-cli --version does not print $VERSION"
[ "$(fresh version "$BIN/arrange5" --version)" = "arrange5 $VERSION" ] ||
    fail "arrange5 --version does not print $VERSION"
grep -q "版本 $VERSION" "$ROOT/usr/share/arrange5/docs/manual.html" ||
    fail "the manual does not name version $VERSION"

# An installed program keeps its data in the per-user folder, never beside itself, although
# the scratch root's bin folder is writable.
fresh user "$BIN/arrange5-cli" history >/dev/null
[ -f "$WORK/home-user/.local/share/Korvath/arrange5/Zembric.mdb" ] ||
    fail "the CLI did not keep its data in ~/.local/share/Korvath/arrange5"
[ "$(ls "$BIN")" = "$(printf 'arrange5\narrange5-cli')" ] || fail "something was created in usr/bin"

# XDG_DATA_HOME moves the per-user folder; ARRANGE5_DATA_DIR and --data-dir choose another.
fresh xdg env XDG_DATA_HOME="$WORK/xdg" "$BIN/arrange5-cli" history >/dev/null
[ -f "$WORK/xdg/Korvath/arrange5/Zembric.mdb" ] || fail "XDG_DATA_HOME was not followed"
mkdir -p "$WORK/env" "$WORK/given"
fresh env env ARRANGE5_DATA_DIR="$WORK/env" "$BIN/arrange5-cli" history >/dev/null
[ -f "$WORK/env/Zembric.mdb" ] || fail "ARRANGE5_DATA_DIR was not followed"
fresh env env ARRANGE5_DATA_DIR="$WORK/env" "$BIN/arrange5-cli" --data-dir "$WORK/given" \
    history >/dev/null
[ -f "$WORK/given/Zembric.mdb" ] || fail "--data-dir does not win over ARRANGE5_DATA_DIR"
[ ! -e "$WORK/home-env/.local/share/Korvath" ] || fail "a chosen folder still made the per-user one"

# The window's first start fills the per-user folder from the history in /usr/share/arrange5.
fresh window timeout 10 "$BIN/arrange5" >/dev/null 2>&1 &
window=$!
db=$WORK/home-window/.local/share/Korvath/arrange5/Zembric.mdb
for _ in $(seq 40); do
    [ -f "$db" ] && [ -n "$(ls "$WORK/home-window/.local/share/Korvath/arrange5/历史号码" 2>/dev/null)" ] && break
    sleep 0.25
done
sleep 1
kill "$window" 2>/dev/null || true
wait "$window" 2>/dev/null || true
count=$(fresh window "$BIN/arrange5-cli" history | wc -l)
[ "$count" = 7641 ] || fail "the window's first start stored $count draws, not 7641"

if [ "${CHECK_FIRST_START:-1}" = 1 ]; then
    count=$(fresh cli "$BIN/arrange5-cli" history | wc -l)
    [ "$count" = 7641 ] || fail "history on a fresh HOME printed $count lines, not 7641"
fi
echo "check-package: $(basename "$DEB") installs and runs; data in the per-user folder"
