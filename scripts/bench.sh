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

# Start-up: CreateProcess to the first visible window, the program (in a
# folder of its own with the simulator and valid settings) against a bare
# window, nine starts each in turn, the files stripped as in the release.
# TAVRO_BENCH_PROGRAM names another TavroDownload.exe to time in the same
# folder (an older build, say).
cmake --build --preset "$TAVRO_WINDOWS_PRESET" --target startup_bench bare_window TavroDownload Vardel Ostrel
start_dir=build/$TAVRO_WINDOWS_PRESET/startup
mkdir -p "$start_dir"
cp "${TAVRO_BENCH_PROGRAM:-$TAVRO_WINDOWS_BIN/TavroDownload.exe}" "$start_dir/TavroDownload.exe"
cp "$TAVRO_WINDOWS_BIN/Vardel.dll" "$TAVRO_WINDOWS_BIN/Ostrel.dll" "$start_dir/"
# Stripped, as the release package ships them; one file a call, as strip
# (binutils 2.40) lays out every file after the first on 512 bytes again.
for file in TavroDownload.exe Vardel.dll Ostrel.dll; do
    "$TAVRO_WINDOWS_ARCH-w64-mingw32-strip" "$start_dir/$file"
done
printf '[Vardel]\r\nPortMask=0x0005\r\n' >"$start_dir/Vardel.ini"
printf '[DOWNLOAD]\r\nCPMADR=1\r\nPRIMARYINITSTRING=0xFD Adr 0x08 0x00 0x01 0xFF LRC\r\nREDUNDANTINITSTRING=0xFD Adr 0x09 0x00 0x01 0xFF LRC\r\nPORT=COM1\r\nBAUDRATE=9600\r\nPARITY=ODD\r\nDATABITS=8\r\nSTOPBITS=1\r\nRETRY=4\r\nFILENAME=\r\nTARGET=PRIMARY\r\n' \
    >"$start_dir/tavrodownload.ini"
echo "== Start-up to the first window ($TAVRO_WINDOWS_ARCH build under Wine)"
tavro_wine "$TAVRO_WINDOWS_BIN/startup_bench.exe" "$(tavro_windows_path "$start_dir/TavroDownload.exe")" \
    "$(tavro_windows_path "$TAVRO_WINDOWS_BIN/bare_window.exe")" | tr -d '\r'
