#!/usr/bin/env bash
# Installs everything the build and the tests need, from Debian packages.
# Idempotent: when every package is present it only checks and returns.
# Wine's 32-bit packages are installed on every host (they install everywhere); whether this host
# can run them is found out later, by trying (scripts/host-archs.sh).
set -euo pipefail

packages=(
    cmake ninja-build g++ clang libclang-rt-14-dev llvm
    googletest
    mingw-w64 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    wine wine32:i386 wine64
    xvfb xauth x11-utils imagemagick
    locales valgrind
    nlohmann-json3-dev
    chromium
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "setup: installing ${missing[*]}" >&2
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi
if ! $SUDO apt-get update -qq; then
    echo "setup: apt-get update failed" >&2
    exit 1
fi
if ! DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null; then
    echo "setup: installing ${missing[*]} failed" >&2
    exit 1
fi
# wine's recommended fonts and helpers come from its own dependencies; nothing else to do.
