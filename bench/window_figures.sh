#!/usr/bin/env bash
# window_figures.sh BUILD_DIR WORK_DIR
# Starts the window (arrange5-window-probe, offscreen) on the databases the benchmark left
# in WORK_DIR/<history>/template and prints the markdown rows of its figures: the time from
# process start until the window is idle with the history shown (median of a few starts)
# and the peak resident memory (/usr/bin/time -v, the largest of those starts).
set -euo pipefail
build=$1
work=$2
probe="$build/bin/arrange5-window-probe"
[ -x "$probe" ] || { echo "window_figures.sh: $probe is missing" >&2; exit 1; }
export QT_QPA_PLATFORM=offscreen

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

histories=(real 100k 1m)
titles=("real (7,641)" "100,000" "1,000,000")
starts=(5 3 2)
idle_limit_ms=(400 1000 "")
memory_limit_mb=("" 150 800)

cell() {  # value unit limit → "value unit ✓ (< limit unit)"
    local value=$1 unit=$2 limit=$3
    if [ -z "$value" ]; then echo "—"; return; fi
    if [ -z "$limit" ]; then echo "$value $unit"; return; fi
    if awk -v v="$value" -v l="$limit" 'BEGIN { exit !(v < l) }'; then
        echo "$value $unit ✓ (< $limit $unit)"
    else
        echo "$value $unit ✗ (< $limit $unit)"
    fi
}

idle_row="| window start to idle with the history shown |"
memory_row="| peak memory of the window |"
for i in "${!histories[@]}"; do
    h=${histories[$i]}
    idle=""
    peak=""
    if [ -f "$work/$h/template/Zembric.mdb" ]; then
        mkdir -p "$scratch/$h/data" "$scratch/$h/settings"
        cp "$work/$h/template/Zembric.mdb" "$scratch/$h/data/"
        times=()
        peak_kb=0
        for ((n = 0; n < ${starts[$i]}; n++)); do
            out=$(/usr/bin/time -v "$probe" --data-dir "$scratch/$h/data" \
                --settings-dir "$scratch/$h/settings" 2>&1) || {
                echo "window_figures.sh: the window failed on $h:" >&2
                echo "$out" >&2
                exit 1
            }
            times+=("$(awk '/^start-to-idle/ { print $2 }' <<<"$out")")
            kb=$(awk -F': ' '/Maximum resident set size/ { print $2 }' <<<"$out")
            [ "$kb" -gt "$peak_kb" ] && peak_kb=$kb
        done
        idle=$(printf '%s\n' "${times[@]}" | sort -g |
            awk '{ v[NR] = $1 } END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%.0f", m * 1000 }')
        peak=$(awk -v kb="$peak_kb" 'BEGIN { printf "%.0f", kb / 1024 }')
        rm -rf "$scratch/$h"
    fi
    idle_row+=" $(cell "$idle" ms "${idle_limit_ms[$i]}") |"
    memory_row+=" $(cell "$peak" MB "${memory_limit_mb[$i]}") |"
done

echo
echo "The window's figures: arrange5-window-probe builds the window as the program does, quits"
echo "when its event loop first waits for input with the history shown, and runs under"
echo "/usr/bin/time -v; start to idle is the median of several starts, memory the largest peak."
echo
echo "| window | ${titles[0]} | ${titles[1]} | ${titles[2]} |"
echo "|---|---|---|---|"
echo "$idle_row"
echo "$memory_row"
