#!/usr/bin/env bash
# Takes the screenshot of the firmware file dialog with its header preview for
# the documentation: runs the dialog on a virtual display, selects a firmware
# file and saves the picture as docs/screenshots/file-dialog.png.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset windows >/dev/null
cmake --build --preset windows --target file_dialog_demo Vardel Ostrel

. scripts/wine-env.sh
tavro_start_xvfb
# A desktop colour instead of the virtual display's black, which would merge
# with the black of the windows' frames in the picture.
desktop=$(mktemp --suffix=.png)
convert -size 16x16 xc:'#3a6ea5' "$desktop"
display -window root "$desktop" 2>/dev/null || true # sets the root and ends non-zero
rm -f "$desktop"
tavro_wine_start
trap tavro_wine_stop EXIT

shot=$(mktemp --suffix=.png)
coproc DRIVER { timeout 120 wine build/windows/bin/file_dialog_demo.exe 2>&1; }
driver_pid=$DRIVER_PID
while IFS= read -r line <&"${DRIVER[0]}"; do
    line=${line%$'\r'}
    if [[ $line == SNAP\ * ]]; then
        sleep 0.5
        import -window root "$shot"
        echo ok >&"${DRIVER[1]}"
    else
        echo "$line"
    fi
done
wait "$driver_pid"
# The preview sits at the screen's top-left corner, the dialog beside it: the
# picture ends where the dialog does.
convert "$shot" -trim +repage docs/screenshots/file-dialog.png
rm -f "$shot"
echo "Screenshot: docs/screenshots/file-dialog.png"
