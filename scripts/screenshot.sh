#!/usr/bin/env bash
# Starts the window under a virtual screen on a fresh data folder and saves what it shows:
#   scripts/screenshot.sh [main|search|trend] [OUT.png]
# BUILD_DIR selects the build (default build/).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
WHAT=${1:-main}
OUT=${2:-docs/screenshot-$WHAT.png}
PROGRAM="$BUILD_DIR/bin/arrange5"
[ -x "$PROGRAM" ] || { echo "build the window first: $PROGRAM is missing" >&2; exit 1; }
scripts/setup.sh screenshot

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/data" "$WORK/config"
ARGS=(--data-dir "$WORK/data")
[ "$WHAT" = search ] && ARGS+=(--demo-search)
[ "$WHAT" = trend ] && ARGS+=(--demo-trend)

cat > "$WORK/run.sh" <<INNER
#!/usr/bin/env bash
export XDG_CONFIG_HOME="$WORK/config"
"$(realpath "$PROGRAM")" ${ARGS[*]} &
pid=\$!
sleep \${SCREENSHOT_WAIT:-6}
import -window root "$(realpath -m "$OUT")"
kill \$pid
INNER
chmod +x "$WORK/run.sh"
xvfb-run -a -s "-screen 0 ${SCREEN:-1280x800}x24" "$WORK/run.sh"
echo "saved $OUT"
