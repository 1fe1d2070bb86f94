#!/usr/bin/env bash
# Configures and builds:
#   x86     build/win      the 32-bit Windows build (what ships): setup.exe, stand-ins, the disc in
#                          build/disc, the Windows tests
#   x64     build/win-x64  the 64-bit Windows build from the same sources, its disc in build/disc-x64
#   native  build/native   the portable core's tests with ASan/UBSan, the fuzzers, the benchmarks
#   win     both Windows builds;  all (the default) every one of them
#   build.sh [x86|x64|win|native|all]...
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="${TAVELIN_JOBS:-$(nproc)}"

build_windows() {  # build_windows FOLDER TOOLCHAIN
    local folder="$root/build/$1"
    if [ ! -f "$folder/build.ninja" ]; then
        cmake -S "$root" -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$2" >/dev/null
    fi
    ninja -C "$folder" -j "$jobs"
}
build_native() {
    if [ ! -f "$root/build/native/build.ninja" ]; then
        CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    fi
    ninja -C "$root/build/native" -j "$jobs"
}

[ $# -gt 0 ] || set -- all
for what in "$@"; do
    case "$what" in
        x86) build_windows win mingw-i686.cmake ;;
        x64) build_windows win-x64 mingw-x86_64.cmake ;;
        win) build_windows win mingw-i686.cmake; build_windows win-x64 mingw-x86_64.cmake ;;
        native) build_native ;;
        all) build_windows win mingw-i686.cmake; build_windows win-x64 mingw-x86_64.cmake; build_native ;;
        *) echo "build.sh: unknown configuration '$what' (x86, x64, win, native or all)" >&2; exit 2 ;;
    esac
done
