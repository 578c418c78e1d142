#!/usr/bin/env bash
# Installs what building, running and testing Tavro Download needs on Debian.
# Idempotent: installs only what is missing, so it is cheap to run every time.
#
# A mirror is not always whole: an index may be in the middle of a sync, and
# then some packages (typically the i386 ones that 32-bit Wine needs) cannot
# be installed today. That does not stop the set-up: everything that can be
# installed is, the scripts fall back to the 64-bit build under 64-bit Wine,
# and only a missing tool that nothing can replace (a compiler, CMake, Wine's
# 64-bit loader, Xvfb) ends the set-up, with a message naming it.
set -uo pipefail

packages=(
    cmake make g++ git googletest                       # native build and unit tests
    nlohmann-json3-dev                                  # the JSON parser the unit tests read /json lines with
    mingw-w64 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix   # 32-bit Windows cross build
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix         # its 64-bit twin
    wine wine64 fonts-wine wine32:i386                   # running them (64- and 32-bit Wine)
    xvfb xauth x11-utils imagemagick                     # virtual display and screenshots
    clang libclang-rt-14-dev libbenchmark-dev            # fuzzers, sanitizers, benchmarks, second compiler
    zip                                                  # release package
)
# Without these nothing can be built or tested; everything else only takes a
# part of the suite away (32-bit Wine: the 64-bit twin is tested instead).
required_commands=(
    cmake g++ i686-w64-mingw32-g++-posix x86_64-w64-mingw32-g++-posix
    /usr/lib/wine/wine64 /usr/lib/wine/wineserver64 Xvfb import clang++
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing_packages() {
    local package
    for package in "${packages[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            echo "$package"
        fi
    done
}

apt_install() {
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@" \
        >/dev/null
}

# apt-get update ends with 100 when one index of many failed (a mirror sync);
# the others are still taken. Tried a few times; what it got is used anyway.
update_indexes() {
    local attempt
    for attempt in 1 2 3; do
        as_root apt-get update -qq && return 0
        echo "== apt-get update failed (attempt $attempt of 3)" >&2
        [ "$attempt" -lt 3 ] && sleep "${TAVRO_APT_PAUSE:-5}"
    done
    echo "== Going on with the package indexes apt-get could read" >&2
}

# What could not be installed is remembered for an hour: a mirror in the
# middle of a sync is not asked again at every test run.
unavailable_file=${XDG_CACHE_HOME:-$HOME/.cache}/tavro-download/setup-unavailable

recently_unavailable() { # packages...
    [ -n "$(find "$unavailable_file" -mmin -60 2>/dev/null)" ] || return 1
    local package
    for package in "$@"; do
        grep -qxF "$package" "$unavailable_file" || return 1
    done
}

install_missing() {
    mapfile -t missing < <(missing_packages)
    [ ${#missing[@]} -eq 0 ] && return 0
    if recently_unavailable "${missing[@]}"; then
        echo "== Not installed (apt-get could not, less than an hour ago): ${missing[*]}"
        return 0
    fi
    echo "== Installing: ${missing[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        as_root dpkg --add-architecture i386
    fi
    update_indexes
    apt_install "${missing[@]}" && return 0
    # One package apt cannot get today must not keep the others out.
    echo "== Some packages cannot be installed now; installing one by one"
    local package
    mkdir -p "$(dirname "$unavailable_file")"
    : >"$unavailable_file"
    for package in "${missing[@]}"; do
        if ! apt_install "$package"; then
            echo "== Not installed: $package" >&2
            echo "$package" >>"$unavailable_file"
        fi
    done
}

wine32_installed() {
    dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed"
}

# The versions of a package that the indexes offer, newest first.
offered_versions() {
    apt-cache madison "$1" 2>/dev/null | awk -F'|' '{gsub(/ /, "", $2); print $2}'
}

# 32-bit Wine must be of the very version of the 64-bit one. After an update
# of Wine the i386 index of a mirror can lag the amd64 one for hours: the new
# wine32:i386 cannot be had yet while the old one still can. Then the newest
# version that both architectures offer is installed for all of Wine at once
# (a step back for the 64-bit part, if it already has the new one), so that
# the product, the 32-bit program, is still run.
install_matching_wine32() {
    local version wine64_versions
    wine64_versions=$(offered_versions wine64)
    for version in $(offered_versions wine32:i386); do
        grep -qxF "$version" <<<"$wine64_versions" || continue
        echo "== Installing 32-bit Wine $version, the newest version both architectures offer"
        apt_install --allow-downgrades "wine=$version" "wine64=$version" "libwine:amd64=$version" \
            "libwine:i386=$version" "fonts-wine=$version" "wine32:i386=$version" && return 0
    done
    return 1
}

install_missing
if ! wine32_installed && install_matching_wine32; then
    # Taken off the list of what could not be had.
    sed -i '/^wine32:i386$/d' "$unavailable_file" 2>/dev/null
fi

lacking=()
for command in "${required_commands[@]}"; do
    command -v "$command" >/dev/null 2>&1 || lacking+=("$command")
done
if [ ${#lacking[@]} -gt 0 ]; then
    echo "== Set-up failed: these are needed and could not be installed: ${lacking[*]}" >&2
    exit 1
fi
if ! wine32_installed; then
    echo "== 32-bit Wine (wine32:i386) is not installed: the product, the 32-bit program, will not be run; its 64-bit twin will be tested"
fi
exit 0
