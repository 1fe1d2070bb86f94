#!/usr/bin/env bash
# Every benchmark, each printing figures measured within one run and their ratio:
#   ini_read_bench     reading every key of a 300-item catalogue against one parse of the file
#   evaluation_bench   the evaluation of 300 items / 1,000 hardware ids over 5,000 device keys
#                      against one pass that enumerates the same keys (plus callgrind counts)
# natively (without sanitizers) and, the same sources built for Windows, under Wine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" win >/dev/null

build="$root/build/bench-native"
if [ ! -f "$build/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DTAVELIN_SANITIZE=OFF -DCMAKE_CXX_FLAGS=-gdwarf-4 >/dev/null
fi
ninja -C "$build" -j "${TAVELIN_JOBS:-2}" ini_read_bench evaluation_bench >/dev/null

echo "== configuration reader, native"
"$build/bench/ini_read_bench"
echo "== configuration reader, Windows build under Wine"
WINEDEBUG=-all "$root/tests/wine/in-fresh-prefix.sh" --arch 64 -- wine "$root/build/win/bench/ini_read_bench.exe"

echo "== evaluation (native, under Wine, instruction counts)"
"$root/scripts/bench-evaluation.sh" "$build"
