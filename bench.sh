#!/usr/bin/env bash
# Set up, build in Release and run the benchmarks; writes the performance table.
#   ./bench.sh                  the whole suite (a few minutes), table in build/performance.md
#   ./bench.sh --update-docs    the same, and the table replaces the one in docs/performance.md
# Further arguments go to arrange5-bench, e.g. --benchmark_filter=/real
set -euo pipefail
cd "$(dirname "$0")"

update_docs=0
args=()
for a in "$@"; do
    if [ "$a" = "--update-docs" ]; then update_docs=1; else args+=("$a"); fi
done

scripts/setup.sh build bench
BUILD_TYPE=Release scripts/build.sh -DARRANGE5_BUILD_BENCH=ON
BUILD_DIR=${BUILD_DIR:-build}
table="$BUILD_DIR/performance.md"
# The generated histories and their databases; the window's figures start on them too.
work="$BUILD_DIR/bench-work"
rm -rf "$work"
trap 'rm -rf "$work"' EXIT

"$BUILD_DIR/bin/arrange5-bench" --table="$table" --work="$work" ${args[@]+"${args[@]}"}
if [ -x "$BUILD_DIR/bin/arrange5-window-probe" ]; then
    bench/window_figures.sh "$BUILD_DIR" "$work" >> "$table"
else
    printf '\nThe window is not built, so its figures are missing.\n' >> "$table"
fi
bench/trend_figures.sh "$BUILD_DIR" "$work" >> "$table"

echo
cat "$table"
if [ "$update_docs" = 1 ]; then
    # The table sits between two marker lines; everything around it is written by hand.
    awk -v table="$table" '
        /^<!-- bench table begin -->$/ { print; while ((getline line < table) > 0) print line; skip = 1; next }
        /^<!-- bench table end -->$/ { skip = 0 }
        !skip { print }
    ' docs/performance.md > docs/performance.md.new
    mv docs/performance.md.new docs/performance.md
    echo "docs/performance.md updated"
fi
