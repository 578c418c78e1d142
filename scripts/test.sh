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
    export TAVRO_RERUN_LOG=$log.reruns # filled by scripts/wine-test.sh
    : >"$TAVRO_RERUN_LOG"
    ctest --preset "$preset" 2>&1 | tee "$log"
    if [ "${PIPESTATUS[0]}" -ne 0 ]; then
        status=1
    fi
    local skipped reruns
    skipped=$(grep -c '\*\*\*Skipped' "$log")
    reruns=$(wc -l <"$TAVRO_RERUN_LOG")
    summaries+=("$name: $(grep -E 'tests passed|No tests were found' "$log" | tail -n 1)$(
        [ "$skipped" -gt 0 ] && echo ", $skipped skipped")$(
        [ "$reruns" -eq 1 ] && echo ", 1 rerun after Wine failed to start it")$(
        [ "$reruns" -gt 1 ] && echo ", $reruns reruns after Wine failed to start them")")
    if [ "$reruns" -gt 0 ]; then
        echo "== $name: run again after Wine ended them without a line:"
        cat "$TAVRO_RERUN_LOG"
    fi
    rm -f "$log" "$TAVRO_RERUN_LOG"
}

# The imports of every image of both builds, read from the files: no Wine
# needed, so the 32-bit product is looked at even where it cannot be run.
import_check() { # name, build folder
    echo "== $1: imports"
    local line
    line=$(python3 scripts/check_imports.py "$2/bin" | tee /dev/stderr | tail -n 1)
    [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
    summaries+=("$1: $line")
}

# Every product source through a second compiler, clang, for the 32-bit target.
clang_check() {
    echo "== clang: compile every product source"
    local line
    line=$(python3 scripts/clang_check.py build/windows . | tee /dev/stderr | tail -n 1)
    [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
    summaries+=("$line")
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
for arch in i686 x86_64; do
    folder=build/windows
    [ $arch = x86_64 ] && folder=build/windows64
    [ -d $folder/bin ] && import_check "windows ($arch)" $folder
done
# The 32-bit build's compile commands, whichever build was tested.
[ -f build/windows/compile_commands.json ] && clang_check

echo
echo "== Summary"
if [ "$TAVRO_WINDOWS_ARCH" != i686 ]; then
    echo "THE PRODUCT WAS NOT RUN: the 32-bit TavroDownload.exe was built and its imports read," \
        "but no test ran it ($TAVRO_WINDOWS_WHY); only its 64-bit twin was run."
fi
printf '%s\n' "${summaries[@]}"
exit $status
