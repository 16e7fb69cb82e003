#!/usr/bin/env bash
# Takes the user manual's screenshots (docs/manual/*.png): starts the window under a virtual
# screen on a fresh data folder with fresh settings, drives it with xdotool as a user would
# and saves what the screen shows after each step.
#   scripts/manual-shots.sh            BUILD_DIR selects the build (default build/)
# The click positions follow the window's layout at 1280x800; after a change of the layout,
# look at the pictures before committing them.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
PROGRAM=$(realpath -m "$BUILD_DIR/bin/arrange5")
OUT=$(realpath -m docs/manual)
[ -x "$PROGRAM" ] || { echo "build the window first: $PROGRAM is missing" >&2; exit 1; }
scripts/setup.sh screenshot

source scripts/xvfb-session.sh
run_on_virtual_screen ARRANGE5_SHOTS_SCREEN "$@"

WORK=$(mktemp -d)
APP=""
cleanup() {
    [ -n "$APP" ] && kill "$APP" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT
mkdir -p "$WORK/data" "$OUT"
use_private_settings "$WORK"

# Waits until two captures half a second apart agree (a blinking text cursor aside), so a
# picture never catches a grid half filled.
settle() {
    import -window root "$WORK/a.miff"
    for _ in $(seq 40); do
        sleep 0.5
        import -window root "$WORK/b.miff"
        local diff
        diff=$(compare -metric AE "$WORK/a.miff" "$WORK/b.miff" null: 2>&1 || true)
        [ "${diff%% *}" -lt 200 ] 2>/dev/null && return
        mv "$WORK/b.miff" "$WORK/a.miff"
    done
}

click() {
    xdotool mousemove "$1" "$2"
    sleep 0.2
    xdotool click "${3:-1}"
    sleep 0.3
}

# shot NAME [WxH+X+Y]: the whole screen, or the given part of it.
shot() {
    settle
    local crop=()
    [ $# -gt 1 ] && crop=(-crop "$2" +repage)
    import -window root "$WORK/shot.png"
    convert "$WORK/shot.png" "${crop[@]}" -strip -define png:compression-level=9 "$OUT/$1.png"
    echo "saved docs/manual/$1.png"
}

# dialog_shot NAME ID PAD: the dialog with PAD pixels of the window around it, outlined,
# since without a window manager a dialog has no frame of its own.
dialog_shot() {
    local name=$1 id=$2 pad=$3 X Y WIDTH HEIGHT
    settle
    eval "$(xdotool getwindowgeometry --shell "$id" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    local x=$((X - pad)) y=$((Y - pad))
    ((x < 0)) && x=0
    ((y < 0)) && y=0
    import -window root "$WORK/shot.png"
    convert "$WORK/shot.png" -fill none -stroke '#555555' -strokewidth 2 \
        -draw "rectangle $((X - 1)),$((Y - 1)) $((X + WIDTH)),$((Y + HEIGHT))" \
        -crop "$((WIDTH + 2 * pad))x$((HEIGHT + 2 * pad))+$x+$y" +repage \
        -strip -define png:compression-level=9 "$OUT/$name.png"
    echo "saved docs/manual/$name.png"
}

TITLE="排列五 跟随形态分析"
"$PROGRAM" --data-dir "$WORK/data" &
APP=$!
window_named "$TITLE" >/dev/null
xdotool mousemove 1270 790
shot main

# The import's confirmation; Cancel leaves everything as it was.
click 1135 524
dialog=$(window_named "读入历史")
dialog_shot import-confirm "$dialog" 60
xdotool key Escape
window_gone "读入历史"

# The central search: tick 第1位 and 第3位 on 自动历史位, then 检索.
click 386 326
click 527 326
click 615 590
xdotool mousemove 1270 790
shot search

click 697 671
xdotool mousemove 1270 790
shot combo

# 验证指定期: verify issue 2026100 with the history before it only. The reference follows a
# changed issue when the tab is chosen again.
click 674 271
xdotool mousemove 455 373 click --repeat 3 --delay 80 1
xdotool type --delay 40 2026100
click 508 373
click 424 271
click 674 271
click 384 316
click 526 316
click 615 590
xdotool mousemove 1270 790
shot verify

click 33 11
shot menu-history 560x190+0+0
xdotool key Escape

click 84 11
xdotool mousemove 120 36
shot menu-settings 560x240+0+0
xdotool key Escape
xdotool key Escape

click 33 11
click 80 99
dialog=$(window_named "删除期数")
dialog_shot input-cut-to "$dialog" 50
xdotool key Escape
window_gone "删除期数"

# The online update asks before deleting early history (the bundled history is older than
# the six years to keep); Escape, like 取消, leaves everything and reads nothing.
click 1135 529
window_named "读入历史" >/dev/null
xdotool key Return
window_gone "读入历史"
dialog=$(window_named "删除早期历史")
dialog_shot update-purge "$dialog" 40
xdotool key Escape
window_gone "删除早期历史"
