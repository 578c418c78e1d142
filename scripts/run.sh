#!/usr/bin/env bash
# Builds TavroDownload.exe and runs it under Wine beside the stand-in download
# library. On a desktop (DISPLAY set) the program opens for you. Without one
# it runs on a virtual display, a driver uses it as a user would, screenshots
# are saved and the script says where; it never waits for anyone.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target TavroDownload Vardel Ostrel demo_driver

. scripts/wine-env.sh
bin=build/windows/bin
run_dir=build/windows/run
shots=build/screenshots
mkdir -p "$run_dir" "$shots"
# A folder of its own, like an unpacked copy of the program: the settings
# file is written beside the exe.
cp "$bin/TavroDownload.exe" "$bin/Vardel.dll" "$bin/Ostrel.dll" "$bin/TavroDownload.html" "$run_dir/"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    tavro_wine_start
    echo "== Running $run_dir/TavroDownload.exe (close its window to end)"
    wine "$run_dir/TavroDownload.exe" "$@"
    exit 0
fi

echo "== No display: running the program on a virtual display"
tavro_start_xvfb
tavro_wine_start
trap tavro_wine_stop EXIT

coproc DRIVER { timeout 300 wine "$bin/demo_driver.exe" "$(winepath -w "$run_dir")\\" "$*" 2>&1; }
driver_pid=$DRIVER_PID
while IFS= read -r line <&"${DRIVER[0]}"; do
    line=${line%$'\r'}
    if [[ $line == SNAP\ * ]]; then
        shot="$shots/${line#SNAP }.png"
        sleep 0.5
        import -window root "$shot"
        echo "Screenshot: $shot"
        echo ok >&"${DRIVER[1]}"
    else
        echo "$line"
    fi
done
wait "$driver_pid"
