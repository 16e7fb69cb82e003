#!/usr/bin/env bash
# Records the demonstration animation docs/demo.gif: a scripted session in the real window
# under a virtual screen, driven with xdotool. The window starts on a short history (the
# first draws of 2004); the session imports the whole bundled history through 读取历史号文本,
# sets the end of the search range, runs a search on 第1位 and 第3位 and then a combination
# search. The screen is captured a few times a second; the pointer, which a capture of the
# screen leaves out, is drawn into each frame, with a ring after each click.
#   scripts/demo-gif.sh                BUILD_DIR selects the build (default build/)
# The click positions follow the window's layout at 1280x800.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
PROGRAM=$(realpath -m "$BUILD_DIR/bin/arrange5")
CLI=$(realpath -m "$BUILD_DIR/bin/arrange5-cli")
HISTORY=$(realpath data/history-2004009-2026174.txt)
OUT=$(realpath -m docs/demo.gif)
WIDTH=${DEMO_WIDTH:-960}
for f in "$PROGRAM" "$CLI"; do
    [ -x "$f" ] || { echo "build first: $f is missing" >&2; exit 1; }
done
scripts/setup.sh screenshot

source scripts/xvfb-session.sh
run_on_virtual_screen ARRANGE5_DEMO_SCREEN "$@"

WORK=$(mktemp -d -t arrange5-demo.XXXXXX)
APP=""
RECORDER=""
cleanup() {
    [ -n "$RECORDER" ] && kill "$RECORDER" 2>/dev/null || true
    [ -n "$APP" ] && kill "$APP" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT
mkdir -p "$WORK/data/历史号码" "$WORK/frames"
use_private_settings "$WORK"

# A short history to start from, and the whole one waiting in the import folder.
head -n 120 "$HISTORY" > "$WORK/short.txt"
"$CLI" --dir "$WORK/data" import "$WORK/short.txt" >/dev/null
cp "$HISTORY" "$WORK/data/历史号码/"

now() { date +%s.%N; }

# Captures the screen until $WORK/recording disappears; each frame's time and pointer
# position go into frames.txt.
record() {
    local i=0 X Y
    while [ -e "$WORK/recording" ]; do
        local name
        name=$(printf '%05d' "$i")
        eval "$(xdotool getmouselocation --shell | grep -E '^(X|Y)=')"
        local t
        t=$(now)
        import -window root "$WORK/frames/$name.miff"
        echo "$name $t $X $Y" >> "$WORK/frames.txt"
        i=$((i + 1))
        sleep 0.12
    done
}

# Moves the pointer to X Y in a few steps, so the animation shows where it goes.
glide() {
    local X Y
    eval "$(xdotool getmouselocation --shell | grep -E '^(X|Y)=')"
    local steps=6
    for s in $(seq 1 $steps); do
        xdotool mousemove $((X + ($1 - X) * s / steps)) $((Y + ($2 - Y) * s / steps))
        sleep 0.06
    done
    sleep 0.3
}

click() {
    glide "$1" "$2"
    echo "$(now) $1 $2" >> "$WORK/clicks.txt"
    xdotool click --repeat "${3:-1}" --delay 80 1
    sleep 0.6
}

TITLE="排列五 跟随形态分析"
"$PROGRAM" --data-dir "$WORK/data" &
APP=$!
window_named "$TITLE" >/dev/null
xdotool mousemove 700 420
sleep 2
touch "$WORK/recording" "$WORK/clicks.txt"
record &
RECORDER=$!
sleep 2

# 读取历史号文本: confirm, pick the file, and the grid fills with the whole history.
click 1135 524
dialog=$(window_named "读入历史")
sleep 1.5
eval "$(xdotool getwindowgeometry --shell "$dialog" | grep -E '^(X|Y)=')"
click $((X + 362)) $((Y + 88))
dialog=$(window_named "打开")
sleep 1.5
eval "$(xdotool getwindowgeometry --shell "$dialog" | grep -E '^(X|Y)=')"
click $((X + 219)) $((Y + 70))
sleep 0.8
click $((X + 579)) $((Y + 358))
window_gone "打开"
sleep 3

# 检索 on 第1位 and 第3位.
click 386 326
click 527 326
click 615 590
glide 1000 300
sleep 4

# 组合检索 with 2 combined positions.
click 697 671
glide 1000 620
sleep 4

rm -f "$WORK/recording"
wait "$RECORDER"
RECORDER=""

# Assemble: scale, draw the pointer (and a ring for half a second after a click), drop
# frames that repeat the one before and give their time to it.
scale=$(awk -v w="$WIDTH" 'BEGIN { printf "%.5f", w / 1280 }')
args=()
prev_sig=""
prev_file=""
prev_t=""
delays=()
files=()
while read -r name t x y; do
    px=$(awk -v v="$x" -v s="$scale" 'BEGIN { printf "%d", v * s }')
    py=$(awk -v v="$y" -v s="$scale" 'BEGIN { printf "%d", v * s }')
    ring=$(awk -v t="$t" 'BEGIN { r = "" } { if (t - $1 >= 0 && t - $1 < 0.6) r = "yes" } END { print r }' "$WORK/clicks.txt")
    draw=(-fill white -stroke black -strokewidth 1
          -draw "polygon $px,$py $((px)),$((py + 17)) $((px + 4)),$((py + 13)) $((px + 7)),$((py + 19)) $((px + 10)),$((py + 18)) $((px + 7)),$((py + 12)) $((px + 12)),$((py + 12))")
    [ -n "$ring" ] && draw=(-fill none -stroke '#d32f2f' -strokewidth 3 -draw "circle $px,$py $((px + 13)),$py" "${draw[@]}")
    convert "$WORK/frames/$name.miff" -resize "${WIDTH}x" "${draw[@]}" "$WORK/frames/$name.png"
    sig=$(identify -format '%#' "$WORK/frames/$name.png")
    if [ "$sig" = "$prev_sig" ]; then
        rm "$WORK/frames/$name.png"
        continue
    fi
    if [ -n "$prev_file" ]; then
        delays+=("$(awk -v a="$prev_t" -v b="$t" 'BEGIN { d = int((b - a) * 100 + 0.5); print (d < 2 ? 2 : d) }')")
        files+=("$prev_file")
    fi
    prev_sig=$sig
    prev_file="$WORK/frames/$name.png"
    prev_t=$t
done < "$WORK/frames.txt"
delays+=(300)
files+=("$prev_file")

for i in "${!files[@]}"; do
    args+=(-delay "${delays[$i]}" "${files[$i]}")
done
convert "${args[@]}" -loop 0 +dither -colors 64 -layers Optimize "$OUT"
echo "saved docs/demo.gif: ${#files[@]} frames, $(du -k "$OUT" | cut -f1) KB"
