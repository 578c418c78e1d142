#!/usr/bin/env bash
# Runs the libFuzzer targets: ./scripts/fuzz.sh [seconds per target] [target...]
# (default 600 s each, all targets, two at a time). Starts from the seed
# corpora in tests/fuzz/corpus; inputs that reach new code are kept in
# build/fuzz/corpus, crashes in build/fuzz/crashes. Fails when one crashed.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(settings address path_shortening header_reader)

./scripts/setup.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

run_target() {
    local name=$1 corpus=build/fuzz/corpus/$1 crashes=build/fuzz/crashes/$1
    mkdir -p "$corpus" "$crashes"
    cp -n tests/fuzz/corpus/"$name"/* "$corpus"/ 2>/dev/null || true
    if build/fuzz/bin/fuzz_"$name" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$crashes"/ "$corpus" >build/fuzz/"$name".log 2>&1; then
        echo "fuzz_$name: clean, $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' build/fuzz/"$name".log | grep -o '[0-9]*$') inputs in $seconds s"
    else
        echo "fuzz_$name: FOUND A CRASH, see build/fuzz/$name.log and $crashes"
        return 1
    fi
}

status=0
pids=()
for name in "${targets[@]}"; do
    run_target "$name" &
    pids+=($!)
    if [ ${#pids[@]} -ge 2 ]; then
        wait "${pids[0]}" || status=1
        pids=("${pids[@]:1}")
    fi
done
for pid in "${pids[@]}"; do wait "$pid" || status=1; done
exit $status
