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

# A built-in port and two USB adapters as Windows' device list holds them
# (Wine's SetupAPI lists the keys under Enum), for the opened port list.
serial_devices_reg() { # add|delete
    local key enum='HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Enum'
    echo 'Windows Registry Editor Version 5.00'
    while IFS='|' read -r key port name maker; do
        if [ "$1" = delete ]; then
            printf '\n[-%s\\%s]\n' "$enum" "${key%\\*}"
        else
            printf '\n[%s\\%s]\n"ClassGUID"="{4D36E978-E325-11CE-BFC1-08002BE10318}"\n' "$enum" "$key"
            printf '"FriendlyName"="%s"\n"Mfg"="%s"\n' "$name" "$maker"
            printf '\n[%s\\%s\\Device Parameters]\n"PortName"="%s"\n' "$enum" "$key" "$port"
        fi
    done <<'DEVICES'
ACPI\PNP0501\1|COM1|Communications Port (COM1)|(Standard port types)
USB\VID_0403&PID_6001\A12345|COM3|USB Serial Port (COM3)|FTDI
USB\VID_067B&PID_2303\5&2A3C6F1&0&2|COM4|Prolific USB-to-Serial Comm Port (COM4)|Prolific
DEVICES
}
serial_devices() { # add|delete
    local file
    file=$(mktemp --suffix=.reg)
    serial_devices_reg "$1" >"$file"
    tavro_wine reg import "$(tavro_windows_path "$file")" >/dev/null 2>&1
    rm -f "$file"
}
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
    serial_devices add

    run_dir=build/$TAVRO_WINDOWS_PRESET/screenshots-run
    shots=build/screenshots/dpi$dpi
    rm -rf "$run_dir" && mkdir -p "$run_dir"
    cp "$bin"/{TavroDownload.exe,Vardel.dll,Ostrel.dll} "$run_dir"/
    printf '[Vardel]\r\nPortMask=0x000D\r\nSpeedFactor=10\r\n' >"$run_dir/Vardel.ini"
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
    serial_devices delete
    tavro_wine_stop
done
ls docs/screenshots
