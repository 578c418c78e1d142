# Sourced by the run and test scripts: a 32-bit Wine prefix of the project's
# own, a virtual display when asked for one, and a running wineserver so each
# Wine process starts in milliseconds. Call tavro_wine_stop when done.

export WINEARCH=win32
export WINEPREFIX="${TAVRO_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/tavro-download/wine32}"
export WINEDEBUG=-all
# No Mono or Gecko installer dialogs: the program needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="

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
        wineboot --init >/dev/null 2>&1 || true
        wineserver -w
        # Without a window manager Wine draws the window frames itself; a
        # crash ends the process instead of waiting in a dialog.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\winedbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
        wineserver -w
        # Debian's Wine does not find its own TrueType fonts (Marlett draws the
        # caption buttons, Tahoma the dialogs' text) unless they are here.
        cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    fi
    (wineserver -p >/dev/null 2>&1 &)
    # Start the prefix's background processes now, with their output going
    # nowhere: started by a test they would inherit its output pipe and keep
    # the test runner waiting for it to close.
    wine wineboot >/dev/null 2>&1 </dev/null || true
}

tavro_wine_stop() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "$tavro_xvfb_pid" ]; then
        kill "$tavro_xvfb_pid" >/dev/null 2>&1 || true
        tavro_xvfb_pid=""
    fi
}
