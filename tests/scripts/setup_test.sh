#!/usr/bin/env bash
# The set-up on a machine whose mirror is in the middle of a sync: apt-get
# update fails with 100 and wine32:i386 cannot be installed. The set-up must
# install the rest and end well, and the scripts must then take the 64-bit
# build. Where the i386 index lags, it installs the newest Wine both
# architectures offer. Without a cross compiler it must stop and name it.
# apt-get, apt-cache, dpkg, dpkg-query and sudo are stand-ins first on PATH;
# nothing is installed.
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

mkdir -p "$work/shims"
cat >"$work/shims/apt-get" <<'SHIM'
#!/usr/bin/env bash
case " $* " in
*" update "*)
    echo "E: Failed to fetch .../binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?" >&2
    exit 100 ;;
*" wine32:i386 "* | *" wine32:i386=8.0~repack-5 "*)
    echo "E: Unable to correct problems, you have held broken packages." >&2
    exit 100 ;;
esac
for package in "$@"; do # the packages: all but the options
    [[ $package == -* || $package == install ]] || echo "${package%%=*}" >>"$SHIM_STATE/installed"
done
SHIM
# The versions offered: SHIM_STATE/offered holds "package version" lines.
cat >"$work/shims/apt-cache" <<'SHIM'
#!/usr/bin/env bash
awk -v p="$2" '$1 == p { print p " | " $2 " | http://deb.example/debian bookworm/main" }' \
    "$SHIM_STATE/offered" 2>/dev/null
SHIM
cat >"$work/shims/dpkg-query" <<'SHIM'
#!/usr/bin/env bash
grep -qxF "${@: -1}" "$SHIM_STATE/installed" 2>/dev/null && printf 'install ok installed'
SHIM
printf '#!/usr/bin/env bash\n[ "$1" = --print-foreign-architectures ] && echo i386\nexit 0\n' >"$work/shims/dpkg"
printf '#!/usr/bin/env bash\nexec "$@"\n' >"$work/shims/sudo"
chmod +x "$work/shims/"*

run_setup() { # PATH for it
    SHIM_STATE=$work/state XDG_CACHE_HOME=$work/cache TAVRO_APT_PAUSE=0 PATH=$1 \
        bash "$top/scripts/setup.sh" >"$work/out" 2>&1
}

# 1. A mirror in mid-sync: everything but 32-bit Wine, then the 64-bit twin.
mkdir -p "$work/state" "$work/cache"
run_setup "$work/shims:$PATH"
status=$?
[ $status -eq 0 ] || fail "set-up ended with $status: $(cat "$work/out")"
grep -qxF g++-mingw-w64-x86-64-posix "$work/state/installed" || fail "the rest was not installed"
grep -qxF wine32:i386 "$work/state/installed" && fail "wine32:i386 counted as installed"
grep -q "32-bit Wine (wine32:i386) is not installed: the product, the 32-bit program, will not be run" \
    "$work/out" || fail "no word on 32-bit Wine"
# Not chosen by hand: the test suite itself runs with the choice exported.
choice=$(PATH="$work/shims:$PATH" SHIM_STATE=$work/state env -u TAVRO_WINDOWS_ARCH bash -c \
    '. "$1"/scripts/wine-env.sh && echo "$TAVRO_WINDOWS_PRESET|$TAVRO_WINDOWS_WHY"' _ "$top")
[ "$choice" = "windows64|32-bit Wine is not installed" ] || fail "the scripts chose $choice"

# 2. Run again within the hour: the mirror is not asked again for it.
run_setup "$work/shims:$PATH"
grep -q "could not, less than an hour ago): wine32:i386" "$work/out" || fail "asked again: $(cat "$work/out")"

# 3. The i386 index lags the amd64 one: the newest Wine that both offer.
rm -f "$work/cache/tavro-download/setup-unavailable" "$work/state/installed"
printf 'wine64 8.0~repack-5\nwine64 8.0~repack-4\nwine32:i386 8.0~repack-4\n' >"$work/state/offered"
run_setup "$work/shims:$PATH"
grep -qxF wine32:i386 "$work/state/installed" || fail "no 32-bit Wine: $(cat "$work/out")"
grep -q "Installing 32-bit Wine 8.0~repack-4" "$work/out" || fail "no word on the version taken"
rm -f "$work/state/offered"

# 4. No cross compiler to be had: a clear stop.
mkdir -p "$work/bin"
for tool in bash env id grep find sleep mkdir cat dirname cmake g++ clang++ Xvfb import \
    x86_64-w64-mingw32-g++-posix; do
    ln -sf "$(command -v "$tool")" "$work/bin/$tool"
done
rm -f "$work/cache/tavro-download/setup-unavailable" "$work/state/installed"
run_setup "$work/shims:$work/bin"
status=$?
[ $status -eq 1 ] || fail "without a compiler the set-up ended with $status"
grep -q "Set-up failed: .*i686-w64-mingw32-g++-posix" "$work/out" || fail "no clear message: $(cat "$work/out")"

# 5. Both ways of starting Wine turn address randomisation off (0x40000).
printf '#!/bin/sh\ncat /proc/self/personality\n' >"$work/loader" && chmod +x "$work/loader"
for p in "$(bash "$top/scripts/wine-test.sh" "$work/loader" x)" \
    "$(. "$top/scripts/wine-env.sh" && tavro_wine_loader=$work/loader tavro_wine)"; do
    [ $((0x$p & 0x40000)) -ne 0 ] || fail "Wine starts with personality $p"
done

[ $failures -eq 0 ] && echo "set-up test passed"
exit $((failures > 0))
