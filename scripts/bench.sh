#!/usr/bin/env bash
# Every benchmark, each printing figures measured within one run and their ratio, after checking
# that what it measured gave the known result (a wrong one fails the script):
#   ini_read_bench     reading every key of a 300-item catalogue, and LoadCatalogue, against one
#                      parse of the file
#   evaluation_bench   the evaluation of 300 items / 1,000 hardware ids over 5,000 device keys
#                      against the lean floor (callgrind counts, whole and program-only)
#   launch_bench       the real program from start to filled list on a large disc and machine,
#                      against the device walk alone; the walk against one read of the Enum key
#                      (Windows build, under Wine)
# natively (without sanitizers) and, the same sources built for Windows, under Wine (the 32-bit
# build where this host runs it, else the 64-bit one). Every figure with a goal prints one line
# ending in "(target: at most X) OK" or "(target: at most X) MISSED".
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
source "$root/scripts/host-archs.sh"
tavelin_host_archs
case "$TAVELIN_RUN_ARCHS" in
    x86*) arch=x86; win_build="$root/build/win"; wine=wine ;;
    x64) arch=x64; win_build="$root/build/win-x64"; wine="$root/tests/wine/wine64.sh" ;;
    *) echo "bench: no Windows build runs on this host: ${TAVELIN_SKIP_REASON_x86}" >&2; exit 1 ;;
esac
"$root/scripts/build.sh" "$arch" >/dev/null
export TAVELIN_WIN_BUILD="$win_build" TAVELIN_WIN_LOADER="$wine"

build="$root/build/bench-native"
if [ ! -f "$build/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DTAVELIN_SANITIZE=OFF -DCMAKE_CXX_FLAGS=-gdwarf-4 >/dev/null
fi
ninja -C "$build" -j "${TAVELIN_JOBS:-2}" ini_read_bench evaluation_bench >/dev/null

echo "== configuration reader, native"
"$build/bench/ini_read_bench"
echo "== configuration reader, $arch Windows build under Wine"
WINEDEBUG=-all "$root/tests/wine/in-fresh-prefix.sh" --arch 64 -- "$wine" "$win_build/bench/ini_read_bench.exe"

echo "== evaluation (native, under Wine, instruction counts)"
"$root/scripts/bench-evaluation.sh" "$build"

echo "== launch to filled list, $arch Windows build under Wine (median of 5 starts each)"
TAVELIN_SETUP_EXE="$win_build/src/setup.exe" TAVELIN_DISC_DIR="$root/build/disc$([ "$arch" = x64 ] && echo -x64)" \
    "$root/tests/wine/in-fresh-prefix.sh" --arch 64 -- "$wine" "$win_build/bench/launch_bench.exe"
