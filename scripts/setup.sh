#!/usr/bin/env bash
# Installs what building, running and testing Tavro Download needs on Debian.
# Idempotent: installs only what is missing, so it is cheap to run every time.
set -euo pipefail

packages=(
    cmake make g++ git googletest                       # native build and unit tests
    mingw-w64 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix   # 32-bit Windows cross build
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix         # its 64-bit twin
    wine wine32:i386 wine64 fonts-wine                   # running them (32- and 64-bit Wine)
    xvfb xauth x11-utils imagemagick                     # virtual display and screenshots
    clang libclang-rt-14-dev libbenchmark-dev            # fuzzers, sanitizers, benchmarks
    zip                                                  # release package
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "== Installing: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
fi
as_root apt-get update -qq
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
echo "== Installed."
