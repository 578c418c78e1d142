#!/usr/bin/env bash
# Builds and runs every test: the portable core natively, then the Windows
# build (the same unit tests, the dialogs and the program itself) under Wine
# on a virtual display. Ends with each test runner's summary line.
set -uo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh || exit 1
. scripts/wine-env.sh

summaries=()
status=0

run_suite() { # name, configure/build/test preset
    local name=$1 preset=$2 log
    log=$(mktemp)
    echo "== $name: build"
    if ! cmake --preset "$preset" >/dev/null || ! cmake --build --preset "$preset"; then
        summaries+=("$name: BUILD FAILED")
        status=1
        return
    fi
    echo "== $name: test"
    ctest --preset "$preset" 2>&1 | tee "$log"
    if [ "${PIPESTATUS[0]}" -ne 0 ]; then
        status=1
    fi
    summaries+=("$name: $(grep -E 'tests passed|No tests were found' "$log" | tail -n 1)")
    rm -f "$log"
}

run_suite "native" native
run_suite "native (ASan+UBSan)" native-asan

tavro_start_xvfb && tavro_wine_start || { echo "Wine could not be started"; exit 1; }
trap tavro_wine_stop EXIT
run_suite "windows (Wine)" windows

echo
echo "== Summary"
printf '%s\n' "${summaries[@]}"
exit $status
