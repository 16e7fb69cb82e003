#!/usr/bin/env bash
# backtest_figures.sh BUILD_DIR
# Times the walk-forward verification as whole arrange5-cli processes and prints markdown
# rows: the bundled history with every issue as a target (single search, combination
# k = 3), 100,000 generated draws with the last 1,000 targets, and the ratio against running
# the SQL search (search --verify T --only-before) once per target, timed on a sample.
set -euo pipefail
build=$1
cli="$build/bin/arrange5-cli"
[ -x "$cli" ] || { echo "backtest_figures.sh: $cli is missing" >&2; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

seconds() {  # command... → wall seconds of one run, output discarded
    local t0 t1
    t0=$(date +%s.%N)
    "$@" > /dev/null
    t1=$(date +%s.%N)
    awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }'
}

median() {  # runs command... → median wall seconds of `runs` runs
    local runs=$1; shift
    local times=()
    for _ in $(seq "$runs"); do times+=("$(seconds "$@")"); done
    printf '%s\n' "${times[@]}" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

verdict() {  # value limit → "value s ✓ (≤ limit s)"
    if awk -v v="$1" -v l="$2" 'BEGIN { exit !(v <= l) }'; then
        echo "$1 s ✓ (≤ $2 s)"
    else
        echo "$1 s ✗ (≤ $2 s)"
    fi
}

real="$scratch/real"
mkdir "$real"
"$cli" --data-dir "$real" history > /dev/null 2>&1  # first start fills the bundled history

# 100,000 draws, 358 a year from 2004001, digits from a fixed seed.
big="$scratch/100k"
mkdir "$big"
python3 - "$scratch/100k.txt" <<'PY'
import random, sys
random.seed(20261208)
with open(sys.argv[1], "w") as f:
    for i in range(100000):
        issue = (2004 + i // 358) * 1000 + i % 358 + 1
        f.write("%d %05d\r\n" % (issue, random.randrange(100000)))
PY
"$cli" --data-dir "$big" import "$scratch/100k.txt" > /dev/null
last1000=$("$cli" --data-dir "$big" history | tail -n 1000 | head -n 1 | cut -c1-7)

single=$(median 5 "$cli" --data-dir "$real" backtest search --positions 1,3)
combo=$(median 5 "$cli" --data-dir "$real" backtest combo --k 3)
large=$(median 3 "$cli" --data-dir "$big" backtest search --positions 1,3 --targets "$last1000:")

# The SQL search once per target, on 20 targets spread over the bundled history.
targets=$("$cli" --data-dir "$real" history | awk 'NR > 2 && NR % 380 == 0 { print substr($0, 1, 7) }')
count=0
total=0
for t in $targets; do
    s=$(seconds "$cli" --data-dir "$real" search --positions 1,3 --verify "$t" --only-before)
    total=$(awk -v a="$total" -v b="$s" 'BEGIN { print a + b }')
    count=$((count + 1))
done
issues=$("$cli" --data-dir "$real" history | wc -l)
per_target=$(awk -v t="$total" -v n="$count" 'BEGIN { printf "%.3f", t / n }')
sql_all=$(awk -v p="$per_target" -v n="$issues" 'BEGIN { printf "%.0f", p * n }')
ratio=$(awk -v a="$sql_all" -v b="$single" 'BEGIN { printf "%.0f", a / b }')

echo "| walk-forward verification, whole process | figure |"
echo "|---|---|"
echo "| bundled history, every issue a target, single search (positions 1,3), median of 5 | $(verdict "$single" 1.5) |"
echo "| bundled history, every issue a target, combination k = 3, median of 5 | $(verdict "$combo" 5) |"
echo "| 100,000 draws, last 1,000 targets, single search, median of 3 | $(verdict "$large" 5) |"
echo "| SQL search per target (search --verify T --only-before), mean of $count | $per_target s |"
echo "| the same for all $issues targets, estimated | $sql_all s |"
echo "| ratio: SQL per target ÷ walk-forward (single) | ${ratio}× $(awk -v r="$ratio" 'BEGIN { print (r >= 100 ? "✓" : "✗") }') (≥ 100×) |"
