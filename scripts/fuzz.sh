#!/usr/bin/env bash
# Builds the libFuzzer targets (clang-14, ASan + UBSan) into build-fuzz/ and runs each for
# SECONDS (default 600). Seeds come from tests/fuzz/corpus/<target>; what the fuzzer adds goes
# to build-fuzz/corpus/<target>, crashes to build-fuzz/artifacts/. Exit status 1 on a finding.
#   FUZZ_PARALLEL=2  run two targets at a time      FUZZ_TARGETS="a b"  run only these
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-600}
BUILD=${FUZZ_BUILD_DIR:-build-fuzz}
PARALLEL=${FUZZ_PARALLEL:-1}
ROOT=$(pwd)
scripts/setup.sh build fuzz

CC=clang-14 CXX=clang++-14 cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DARRANGE5_FUZZ=ON -DARRANGE5_BUILD_APP=OFF -DARRANGE5_BUILD_TESTS=OFF \
    -DARRANGE5_BUILD_BENCH=OFF >/dev/null
TARGETS=${FUZZ_TARGETS:-fuzz_history_line fuzz_history_text fuzz_results_page fuzz_cli_args}
present=()
for t in $TARGETS; do
    if grep -q "^build $BUILD/bin/$t:\|^build bin/$t:" "$BUILD/build.ninja"; then present+=("$t"); fi
done
[ ${#present[@]} -gt 0 ] || { echo "no fuzz target to run"; exit 1; }
cmake --build "$BUILD" --target "${present[@]}"

mkdir -p "$BUILD/artifacts" "$BUILD/logs"
run_one() {
    local target=$1 name=${1#fuzz_}
    mkdir -p "$BUILD/corpus/$name"
    # The CLI target changes its working folder; every path it is given is absolute.
    nice -n 19 "$ROOT/$BUILD/bin/$target" -max_total_time="$SECONDS_EACH" -timeout=25 \
        -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$ROOT/$BUILD/artifacts/$name-" \
        "$ROOT/$BUILD/corpus/$name" "$ROOT/tests/fuzz/corpus/$name" \
        >"$BUILD/logs/$name.log" 2>&1
}

status=0
pids=()
names=()
for t in "${present[@]}"; do
    run_one "$t" &
    pids+=($!)
    names+=("$t")
    if [ ${#pids[@]} -ge "$PARALLEL" ]; then
        wait "${pids[0]}" || true
        pids=("${pids[@]:1}")
    fi
done
for p in "${pids[@]}"; do wait "$p" || true; done

for t in "${present[@]}"; do
    log="$BUILD/logs/${t#fuzz_}.log"
    runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | awk '{print $2}' | tail -1)
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | awk '{print $2}')
    if grep -q -E '^==[0-9]+==ERROR|runtime error|invariant failed|deadly signal|Test unit written' "$log"; then
        echo "$t: FINDING after ${runs:-?} runs, see $log"
        status=1
    else
        echo "$t: ${runs:-?} runs in ${SECONDS_EACH}s, coverage ${cov:-?}, no finding"
    fi
done
exit $status
