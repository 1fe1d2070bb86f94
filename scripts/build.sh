#!/usr/bin/env bash
# Configures and builds both configurations: build/win (setup.exe, stand-ins, disc in build/disc,
# Windows tests) and build/native (portable core tests with ASan/UBSan, fuzzers, benchmarks).
#   build.sh [win|native|all]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
what="${1:-all}"
jobs="${TAVELIN_JOBS:-$(nproc)}"

if [ "$what" = win ] || [ "$what" = all ]; then
    if [ ! -f "$root/build/win/build.ninja" ]; then
        cmake -S "$root" -B "$root/build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
    fi
    ninja -C "$root/build/win" -j "$jobs"
fi
if [ "$what" = native ] || [ "$what" = all ]; then
    if [ ! -f "$root/build/native/build.ninja" ]; then
        CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    fi
    ninja -C "$root/build/native" -j "$jobs"
fi
