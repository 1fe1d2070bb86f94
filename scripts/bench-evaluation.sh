#!/usr/bin/env bash
# The evaluation benchmark natively, without sanitizers: its timed ratio, then instruction counts of
# the evaluation and of the single enumeration pass under callgrind (stable on a busy machine).
# When the Windows build has the benchmark (TAVELIN_WIN_BUILD, default build/win, run with
# TAVELIN_WIN_LOADER, default wine), it also runs there under Wine against the real registry, in a
# throw-away prefix because it writes its keys.
#   bench-evaluation.sh [build-dir]     (default build/bench-native)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/bench-native}"
jobs="${TAVELIN_JOBS:-2}"

if [ ! -f "$build/build.ninja" ]; then
    # DWARF 4: the valgrind of this Debian cannot read clang's default DWARF 5.
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DTAVELIN_SANITIZE=OFF -DCMAKE_CXX_FLAGS=-gdwarf-4 >/dev/null
fi
ninja -C "$build" -j "$jobs" evaluation_bench >/dev/null
bench="$build/bench/evaluation_bench"

"$bench"

win_bench="${TAVELIN_WIN_BUILD:-$root/build/win}/bench/evaluation_bench.exe"
if [ -f "$win_bench" ]; then
    "$root/tests/wine/in-fresh-prefix.sh" --arch 64 -- "${TAVELIN_WIN_LOADER:-wine}" "$win_bench"
fi

if ! command -v valgrind >/dev/null; then
    echo "valgrind not installed: no instruction counts" >&2
    exit 0
fi
count() {  # instructions executed inside the functions matching $1
    local out
    out="$(mktemp)"
    valgrind --tool=callgrind --toggle-collect="$1" --callgrind-out-file="$out" "$bench" --once >/dev/null 2>&1
    awk '/^summary:/ { print $2 }' "$out"
    rm -f "$out"
}
evaluation="$(count 'tavelin::RunEvaluationPasses*')"
floor="$(count '*EnumerateOnce*')"
echo "instructions (callgrind): evaluation $evaluation, enumerate once $floor"
awk -v e="$evaluation" -v f="$floor" 'BEGIN { if (f > 0) printf "instruction ratio evaluation / enumerate once: %.2f (goal: at most 1.5)\n", e / f }'
