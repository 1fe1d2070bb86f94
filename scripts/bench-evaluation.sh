#!/usr/bin/env bash
# The evaluation benchmark natively, without sanitizers: its timed ratio, then instruction counts of
# the evaluation and of the lean floor under callgrind (stable on a busy machine), whole and without
# the in-memory registry's own instructions. Every run checks both results; a wrong one fails.
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
# count STEP PATTERN...: instructions of the benchmark's step run alone (floor or evaluation),
# executed inside the functions matching the first pattern; every further pattern is a function
# whose calls are left out (callgrind flips collection on entering and leaving each, so the step
# runs alone: no other call may flip it).
count() {
    local step="$1" out toggles=()
    shift
    out="$(mktemp)"
    for pattern in "$@"; do toggles+=("--toggle-collect=$pattern"); done
    if ! valgrind --tool=callgrind "${toggles[@]}" --callgrind-out-file="$out" "$bench" --once "$step" >/dev/null 2>"$out.err"; then
        echo "evaluation benchmark: a measured step gave a wrong result under callgrind" >&2
        cat "$out.err" >&2
        rm -f "$out" "$out.err"
        return 1
    fi
    awk '/^summary:/ { print $2 }' "$out"
    rm -f "$out" "$out.err"
}
# The in-memory registry's own work: its opens, enumerations, value reads and key releases.
registry=('tavelin::MemoryRegistry::OpenKey*' '*MemoryKey::EnumSubkeyName*' '*MemoryKey::QueryStringValue*'
          '*MemoryKey::~MemoryKey*')
evaluation="$(count evaluation 'tavelin::RunEvaluationPasses*')"
floor="$(count floor '*EnumerateOnce*')"
evaluation_own="$(count evaluation 'tavelin::RunEvaluationPasses*' "${registry[@]}")"
floor_own="$(count floor '*EnumerateOnce*' "${registry[@]}")"
echo "instructions (callgrind): evaluation $evaluation, lean floor $floor;" \
     "without the in-memory registry: evaluation $evaluation_own, lean floor $floor_own"
verdict() {  # verdict WHAT NUMERATOR DENOMINATOR TARGET
    awk -v what="$1" -v a="$2" -v b="$3" -v t="$4" 'BEGIN {
        if (b <= 0) { printf "%s: no count (target: at most %.2f) MISSED\n", what, t; exit }
        r = a / b; printf "%s: %.2f (target: at most %.2f) %s\n", what, r, t, (r <= t ? "OK" : "MISSED") }'
}
verdict "instruction ratio evaluation / lean floor, whole" "$evaluation" "$floor" 1.5
verdict "instruction ratio evaluation / lean floor, program-only (registry left out)" "$evaluation_own" "$floor_own" 1.5
