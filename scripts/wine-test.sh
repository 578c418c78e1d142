#!/usr/bin/env bash
# CTest's way into Wine: runs one test program (or its test listing) with the
# loader given first, without address space randomisation, under which Wine
# now and then fails to start a process (see tavro_no_aslr in wine-env.sh). A
# process that Wine ends before it has written a single line never reached the
# test: it is run once more, with Wine's own messages kept so the log says why,
# and named in $TAVRO_RERUN_LOG for the summary. A test that failed after
# writing anything is never run again.
#   wine-test.sh <wine loader> <program.exe> [arguments...]
loader=$1
shift
[ "$(basename "$loader")" = wine64 ] && export WINELOADER=$loader
no_aslr=(setarch "$(uname -m)" -R)

output=$(mktemp)
trap 'rm -f "$output"' EXIT
started=$(date +%s%N)
"${no_aslr[@]}" "$loader" "$@" 2>&1 | tee "$output"
status=${PIPESTATUS[0]}
took=$((($(date +%s%N) - started) / 1000000))
if [ "$status" -eq 0 ] || [ -s "$output" ]; then
    exit "$status"
fi
echo "== Wine ended the process with exit code $status after $took ms, before it wrote anything; once more, with Wine's messages:"
[ -n "${TAVRO_RERUN_LOG:-}" ] && echo "$(basename "$1") $2: exit code $status after $took ms" >>"$TAVRO_RERUN_LOG"
WINEDEBUG=err+all,fixme-all "${no_aslr[@]}" "$loader" "$@" 2>&1
