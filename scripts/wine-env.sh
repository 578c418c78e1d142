# Sourced by the run and test scripts: the Windows build this machine can run,
# a Wine prefix of the project's own for it, a virtual display when asked for
# one, and a running wineserver so each Wine process starts in milliseconds.
# Call tavro_wine_stop when done.
#
# Some machines run no 32-bit Linux code, so 32-bit Wine cannot start there.
# Probed once: where 32-bit code runs, the i686 build (the release) runs under
# 32-bit Wine; elsewhere its x86_64 twin runs under Wine's 64-bit loader,
# started directly (the `wine` command always takes the 32-bit loader when
# wine32 is installed). TAVRO_WINDOWS_ARCH=i686|x86_64 forces the choice.

tavro_runs_32bit_code() {
    # Any i386 program tells; 32-bit Wine's own server is one that is there.
    [ -x /usr/lib/wine/wineserver32 ] && /usr/lib/wine/wineserver32 --version >/dev/null 2>&1
}

if [ -n "${TAVRO_WINDOWS_ARCH:-}" ]; then
    TAVRO_WINDOWS_WHY="chosen by TAVRO_WINDOWS_ARCH"
elif ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed"; then
    # The set-up could not install it (say, a mirror in the middle of a sync).
    TAVRO_WINDOWS_ARCH=x86_64 TAVRO_WINDOWS_WHY="32-bit Wine is not installed"
elif tavro_runs_32bit_code; then
    TAVRO_WINDOWS_ARCH=i686 TAVRO_WINDOWS_WHY="this machine runs 32-bit code"
else
    TAVRO_WINDOWS_ARCH=x86_64 TAVRO_WINDOWS_WHY="this machine runs no 32-bit code"
fi
case "$TAVRO_WINDOWS_ARCH" in
i686)
    TAVRO_WINDOWS_PRESET=windows
    TAVRO_WINDOWS_LABEL="Wine, 32-bit"
    export WINEARCH=win32
    unset WINELOADER
    tavro_wine_loader=wine
    ;;
x86_64)
    TAVRO_WINDOWS_PRESET=windows64
    TAVRO_WINDOWS_LABEL="Wine, 64-bit"
    export WINEARCH=win64
    export WINELOADER=/usr/lib/wine/wine64
    export WINESERVER=/usr/lib/wine/wineserver64
    tavro_wine_loader=$WINELOADER
    ;;
*)
    echo "TAVRO_WINDOWS_ARCH must be i686 or x86_64, not '$TAVRO_WINDOWS_ARCH'" >&2
    return 1 2>/dev/null || exit 1
    ;;
esac
export TAVRO_WINDOWS_ARCH TAVRO_WINDOWS_PRESET TAVRO_WINDOWS_LABEL TAVRO_WINDOWS_WHY
TAVRO_WINDOWS_BIN=build/$TAVRO_WINDOWS_PRESET/bin
export WINEPREFIX="${TAVRO_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/tavro-download/$WINEARCH}"
export WINEDEBUG=-all
# No Mono or Gecko installer dialogs: the program needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="

# Debian's Wine 8 starts its 64-bit processes without a preloader: the loader
# sits at 0x7d000000, and the kernel puts its heap anywhere in the gigabyte
# above it. About once in 5000 starts the heap covers 0x7ffe0000, where Wine
# must map the process's shared user data: the process then ends at once with
# exit code 1 and "failed to map the shared user data: c0000018", a message
# that WINEDEBUG=-all keeps back. Without address space randomisation the heap
# follows the loader, far below. Children inherit that from their parent.
tavro_no_aslr=(setarch "$(uname -m)" -R)

# Runs a Windows program (or Wine's own wineboot, winepath, reg) with the
# loader chosen above.
tavro_wine() {
    "${tavro_no_aslr[@]}" "$tavro_wine_loader" "$@"
}

# The path a Windows program sees for a Linux path: Wine maps / to drive Z:.
# Worked out here, so no Wine process starts before the prefix is set up.
tavro_windows_path() {
    local path
    path=$(realpath -m "$1")
    echo "Z:${path//\//\\}"
}

tavro_wineserver() {
    "${WINESERVER:-wineserver}" "$@"
}

tavro_xvfb_pid=""

# Starts Xvfb on a free display and exports DISPLAY.
tavro_start_xvfb() {
    local n
    for n in $(seq 91 140); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
            Xvfb ":$n" -screen 0 "${TAVRO_SCREEN:-1280x1024x24}" -nolisten tcp >/dev/null 2>&1 &
            tavro_xvfb_pid=$!
            export DISPLAY=":$n"
            local i
            for i in $(seq 1 50); do
                [ -e "/tmp/.X11-unix/X$n" ] && return 0
                sleep 0.1
            done
        fi
    done
    echo "Could not start Xvfb" >&2
    return 1
}

# Creates the prefix once, then keeps a wineserver running for it.
tavro_wine_start() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "== Creating the Wine prefix $WINEPREFIX (once)"
        tavro_wine wineboot --init >/dev/null 2>&1 || true
        tavro_wineserver -w
        # Without a window manager Wine draws the window frames itself; a
        # crash ends the process instead of waiting in a dialog.
        tavro_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
        tavro_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
        tavro_wine reg add 'HKCU\Software\Wine\winedbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
        tavro_wineserver -w
        # Debian's Wine does not find its own TrueType fonts (Marlett draws the
        # caption buttons, Tahoma the dialogs' text) unless they are here.
        cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    fi
    # A session left from another run belongs to another display: its desktop
    # would refuse the windows of this one. Start afresh on this display.
    tavro_wineserver -k >/dev/null 2>&1 || true
    tavro_wineserver -w
    (tavro_wineserver -p >/dev/null 2>&1 &)
    # Start the prefix's background processes now, with their output going
    # nowhere: started by a test they would inherit its output pipe and keep
    # the test runner waiting for it to close.
    tavro_wine wineboot >/dev/null 2>&1 </dev/null || true
}

tavro_wine_stop() {
    tavro_wineserver -k >/dev/null 2>&1 || true
    tavro_wineserver -w # gone before its display goes
    if [ -n "$tavro_xvfb_pid" ]; then
        kill "$tavro_xvfb_pid" >/dev/null 2>&1 || true
        tavro_xvfb_pid=""
    fi
}

# Runs a driver program under Wine and takes the screenshots it asks for: a
# line "SNAP name [x y width height]" is answered, once the picture is saved
# as <folder>/name.png (cut to the rectangle when one is given), with a line
# on the driver's stdin. Every other line of the driver is printed.
tavro_drive_with_snaps() { # folder, driver command...
    local folder=$1 line name rect shot driver_pid
    shift
    mkdir -p "$folder"
    coproc DRIVER { timeout 600 "$tavro_wine_loader" "$@" 2>&1; }
    driver_pid=$DRIVER_PID
    while IFS= read -r line <&"${DRIVER[0]}"; do
        line=${line%$'\r'}
        if [[ $line == SNAP\ * ]]; then
            read -r name rect <<<"${line#SNAP }"
            shot="$folder/$name.png"
            sleep 0.5
            import -window root "$shot"
            if [ -n "$rect" ]; then
                set -- $rect
                convert "$shot" -crop "${3}x${4}+${1}+${2}" +repage "$shot"
            fi
            echo "Screenshot: $shot"
            echo ok >&"${DRIVER[1]}"
        else
            echo "$line"
        fi
    done
    wait "$driver_pid"
}

# Paints the virtual display's background a desktop blue, so the black window
# frames stand out in the pictures.
tavro_desktop_colour() {
    local desktop
    desktop=$(mktemp --suffix=.png)
    convert -size 16x16 xc:'#3a6ea5' "$desktop"
    display -window root "$desktop" 2>/dev/null || true # sets the root and ends non-zero
    rm -f "$desktop"
}
