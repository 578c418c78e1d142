#!/usr/bin/env bash
# Prints the benchmark figures: the portable core natively (Google Benchmark,
# median of 5 repetitions) and the program's responsiveness under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native --target core_bench
. scripts/wine-env.sh
cmake --preset "$TAVRO_WINDOWS_PRESET" >/dev/null
cmake --build --preset "$TAVRO_WINDOWS_PRESET" --target gui_bench

echo "== Portable core (native, $(nproc) cores: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs))"
build/native/bin/core_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    2>/dev/null | grep -E '_median|^Benchmark|^---'

echo "== The program under Wine ($TAVRO_WINDOWS_ARCH build)"
tavro_start_xvfb
tavro_wine_start
trap tavro_wine_stop EXIT
tavro_wine "$TAVRO_WINDOWS_BIN/gui_bench.exe"
