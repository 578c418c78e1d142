#!/usr/bin/env bash
# Builds and runs every test: the portable core natively, then the Windows
# build (the same unit tests, the dialogs and the program itself) under Wine
# on a virtual display. Both Windows builds are compiled; the one this machine
# can run is tested (see scripts/wine-env.sh). Ends with each test runner's
# summary line.
set -uo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh || exit 1
. scripts/wine-env.sh || exit 1

summaries=()
status=0

build() { # name, preset
    echo "== $1: build"
    if ! cmake --preset "$2" >/dev/null || ! cmake --build --preset "$2"; then
        summaries+=("$1: BUILD FAILED")
        status=1
        return 1
    fi
}

run_suite() { # name, configure/build/test preset
    local name=$1 preset=$2 log
    build "$name" "$preset" || return
    echo "== $name: test"
    log=$(mktemp)
    ctest --preset "$preset" 2>&1 | tee "$log"
    if [ "${PIPESTATUS[0]}" -ne 0 ]; then
        status=1
    fi
    local skipped
    skipped=$(grep -c '\*\*\*Skipped' "$log")
    summaries+=("$name: $(grep -E 'tests passed|No tests were found' "$log" | tail -n 1)$(
        [ "$skipped" -gt 0 ] && echo ", $skipped skipped")")
    rm -f "$log"
}

run_suite "native" native
run_suite "native (ASan+UBSan)" native-asan

# The build this machine does not run is still compiled, so neither breaks unseen.
other=windows64 other_arch=x86_64
[ "$TAVRO_WINDOWS_ARCH" = x86_64 ] && other=windows other_arch=i686
build "windows ($other_arch)" $other &&
    summaries+=("windows ($other_arch): built, not tested ($TAVRO_WINDOWS_ARCH tested: $TAVRO_WINDOWS_WHY)")

tavro_start_xvfb && tavro_wine_start || { echo "Wine could not be started"; exit 1; }
trap tavro_wine_stop EXIT
run_suite "windows ($TAVRO_WINDOWS_LABEL)" "$TAVRO_WINDOWS_PRESET"

echo
echo "== Summary"
printf '%s\n' "${summaries[@]}"
exit $status
