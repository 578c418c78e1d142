#!/usr/bin/env bash
# Builds TavroDownload.exe and runs it under Wine beside the stand-in download
# library (a simulated CPM 1 on COM1), with a sample firmware file chosen.
# On a desktop (DISPLAY set) the program opens for you. Without one it runs on
# a virtual display: a driver downloads the sample as a user would, prints
# what the windows show, saves screenshots and says where; it never waits
# for anyone. Arguments replace the sample file as the program's command line.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh
. scripts/wine-env.sh
echo "== Windows build: $TAVRO_WINDOWS_ARCH ($TAVRO_WINDOWS_WHY)"
cmake --preset "$TAVRO_WINDOWS_PRESET" >/dev/null
cmake --build --preset "$TAVRO_WINDOWS_PRESET" --target TavroDownload TavroDownloadCom Vardel Ostrel demo_driver

bin=$TAVRO_WINDOWS_BIN
run_dir=build/$TAVRO_WINDOWS_PRESET/run
shots=build/screenshots
sample=samples/cpm4012_app_3.2.1.fdl
mkdir -p "$run_dir" "$shots"
# A folder of its own, like an unpacked copy of the program: the settings
# file is written beside the exe.
cp "$bin/TavroDownload.exe" "$bin/TavroDownload.com" "$bin/Vardel.dll" "$bin/Ostrel.dll" "$bin/TavroDownload.html" \
    "$sample" "$run_dir/"
# The simulator's line runs ten times faster than a real one, so the demo
# takes seconds, not a minute (see vardel/README.md).
printf '[Vardel]\r\nPortMask=0x0005\r\nSpeedFactor=10\r\n' >"$run_dir/Vardel.ini"
if [ $# -gt 0 ]; then
    arguments="$*"
else
    arguments="$(tavro_windows_path "$run_dir")\\$(basename "$sample")"
fi

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    tavro_wine_start
    echo "== Running $run_dir/TavroDownload.exe (close its window to end)"
    tavro_wine "$run_dir/TavroDownload.exe" "$arguments"
    exit 0
fi

echo "== No display: running the program on a virtual display"
tavro_start_xvfb
tavro_wine_start
trap tavro_wine_stop EXIT
tavro_desktop_colour
tavro_drive_with_snaps "$shots" "$bin/demo_driver.exe" "$(tavro_windows_path "$run_dir")\\" "$arguments"

# A production line calls the program from its scripts: a sequence of CPMs
# downloaded one after another without any window, each told on a line, the
# outcome in the exit code. The stand-in disturbs the line of CPM 7 in its
# first two runs: the program runs it again (/attempts:3), and the third
# attempt gets the firmware into it. /simulate: the stand-in is the simulator,
# which a script refuses unless asked for it. A script calls the console twin,
# TavroDownload.com, which its shell waits for.
echo "== A scripted sequence, as a production line runs it (the simulator disturbs CPM 7's line twice)"
printf '[Vardel]\r\nPortMask=0x0005\r\nSpeedFactor=200\r\n[CPM]\r\nCOM1=1-127\r\n[Fault]\r\nAddress=7\r\nPhase=3\r\nCondition=4\r\nFailures=99\r\nRuns=2\r\n' \
    >"$run_dir/Vardel.ini"
rm -f "$run_dir/record.csv"
script_args=(/download /quiet /simulate /port:1 /address:1,5,7-9 /attempts:3 /timeout:30 /keepgoing /log:record.csv "$(basename "$sample")")
echo "TavroDownload ${script_args[*]}"
exit_code=0
(cd "$run_dir" && tavro_wine TavroDownload.com "${script_args[@]}") | tr -d '\r' || exit_code=$?
echo "Exit code: $exit_code"
echo "== The download record ($run_dir/record.csv)"
sed '1s/^\xEF\xBB\xBF//' "$run_dir/record.csv" | tr -d '\r'
echo "== CPM 7 once more, as a plant's system reads it: JSON lines (docs/json-events.md)"
json_args=(/download /json /quiet /simulate /port:1 /address:7 /attempts:3 "$(basename "$sample")")
echo "TavroDownload ${json_args[*]}"
(cd "$run_dir" && tavro_wine TavroDownload.com "${json_args[@]}") | tr -d '\r' || true
