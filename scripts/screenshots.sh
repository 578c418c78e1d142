#!/usr/bin/env bash
# Takes the documentation's screenshots of every window at 96 and 192 DPI
# (or the DPI values given): ./scripts/screenshots.sh [dpi...]
# Each DPI runs in a Wine prefix of its own; the pictures go to
# docs/screenshots/<window>-<dpi>dpi.png.
set -euo pipefail
cd "$(dirname "$0")/.."

dpis=("$@")
[ ${#dpis[@]} -gt 0 ] || dpis=(96 192)
sample=$(ls samples/*.fdl 2>/dev/null | head -n 1 || true)

./scripts/setup.sh
. scripts/wine-env.sh
bin=$TAVRO_WINDOWS_BIN
cmake --preset "$TAVRO_WINDOWS_PRESET" >/dev/null
cmake --build --preset "$TAVRO_WINDOWS_PRESET" --target TavroDownload Vardel Ostrel demo_driver file_dialog_demo

base=${XDG_CACHE_HOME:-$HOME/.cache}/tavro-download
for dpi in "${dpis[@]}"; do
    export WINEPREFIX=$base/$WINEARCH-dpi$dpi
    # A screen that grows with the DPI, as a high-DPI monitor has more pixels.
    export TAVRO_SCREEN=$((1280 * dpi / 96))x$((1024 * dpi / 96))x24
    tavro_start_xvfb
    tavro_desktop_colour
    tavro_wine_start
    tavro_wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    tavro_wineserver -k # the new DPI takes effect with the next wineserver
    tavro_wine_start

    run_dir=build/$TAVRO_WINDOWS_PRESET/screenshots-run
    shots=build/screenshots/dpi$dpi
    rm -rf "$run_dir" && mkdir -p "$run_dir"
    cp "$bin"/{TavroDownload.exe,Vardel.dll,Ostrel.dll} "$run_dir"/
    printf '[Vardel]\r\nPortMask=0x0005\r\nSpeedFactor=10\r\n' >"$run_dir/Vardel.ini"
    argument=""
    if [ -n "$sample" ]; then
        cp "$sample" "$run_dir"/
        argument="$(tavro_windows_path "$run_dir")\\$(basename "$sample")"
    fi
    echo "== $dpi DPI"
    tavro_drive_with_snaps "$shots" "$bin/demo_driver.exe" "$(tavro_windows_path "$run_dir")\\" "$argument"
    tavro_drive_with_snaps "$shots" "$bin/file_dialog_demo.exe"
    for shot in "$shots"/*.png; do
        cp "$shot" "docs/screenshots/$(basename "$shot" .png)-${dpi}dpi.png"
    done
    tavro_wine_stop
done
ls docs/screenshots
