#!/usr/bin/env bash
# Whole-process figures of `arrange5-cli trend --window all --rows`: on the bundled history and
# on 100,000 generated draws (fixed seed, 358 a year from 2004001), as Markdown rows.
#   bench/trend_figures.sh BUILD_DIR WORK_DIR
set -euo pipefail
BUILD_DIR=${1:-build}
WORK=${2:-$(mktemp -d)}
CLI="$BUILD_DIR/bin/arrange5-cli"
mkdir -p "$WORK/trend-real" "$WORK/trend-100k"
history=$(ls "$(dirname "$0")"/../data/history-*.txt | head -1)
awk 'BEGIN { srand(20261); for (i = 0; i < 100000; ++i) {
         printf "%d%03d %05d\r\n", 2004 + int(i / 358), i % 358 + 1, int(rand() * 100000) } }' \
    > "$WORK/trend-100k.txt"
"$CLI" --dir "$WORK/trend-real" import "$history" > /dev/null
"$CLI" --dir "$WORK/trend-100k" import "$WORK/trend-100k.txt" > /dev/null

printf '\n| trend --window all --rows | best of 3, s | peak memory, MB |\n|---|---|---|\n'
for name in real 100k; do
    best=""
    for _ in 1 2 3; do
        /usr/bin/time -f '%e %M' -o "$WORK/time.txt" "$CLI" --dir "$WORK/trend-$name" \
            trend --window all --rows > /dev/null
        read -r seconds kilobytes < "$WORK/time.txt"
        if [ -z "$best" ] || awk -v a="$seconds" -v b="$best" 'BEGIN { exit !(a < b) }'; then
            best=$seconds
            memory=$((kilobytes / 1024))
        fi
    done
    printf '| %s | %s | %s |\n' "$name" "$best" "$memory"
done

# The window: 走势图 pressed on the bundled history, every zone shown, until the chart is shown
# and the window idle (offscreen), best of 3. Needs the probe, built with the window.
PROBE="$BUILD_DIR/bin/arrange5-window-probe"
if [ -x "$PROBE" ]; then
    best=""
    for _ in 1 2 3; do
        settings=$(mktemp -d)
        seconds=$(QT_QPA_PLATFORM=offscreen "$PROBE" --data-dir "$WORK/trend-real" \
            --settings-dir "$settings" --trend | awk '/^trend-open/ { print $2 }')
        rm -rf "$settings"
        if [ -z "$best" ] || awk -v a="$seconds" -v b="$best" 'BEGIN { exit !(a < b) }'; then
            best=$seconds
        fi
    done
    printf '\n| 走势图 opened, whole bundled history, every zone (offscreen) | best of 3, s |\n|---|---|\n'
    printf '| real | %s |\n' "$best"
fi
