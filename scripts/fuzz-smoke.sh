#!/usr/bin/env bash
# Runs every fuzzer of build/native for a few seconds each (default 20), starting from its seed
# corpus in fuzz/corpus/<name> when there is one. Long runs: build/native/fuzz/<name> -max_total_time=N.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-20}"
status=0
ran=0
for fuzzer in "$root"/build/native/fuzz/*_fuzz; do
    [ -x "$fuzzer" ] || continue
    name="$(basename "$fuzzer")"
    ran=$((ran + 1))
    work="$(mktemp -d)"
    seeds=()
    if [ -d "$root/fuzz/corpus/$name" ]; then seeds=("$root/fuzz/corpus/$name"); fi
    if "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
            "$work" "${seeds[@]}" >"$work.log" 2>&1; then
        echo "fuzz $name: $(grep -E 'stat::number_of_executed_units' "$work.log" | awk '{print $2}') runs, no finding"
    else
        echo "fuzz $name: FAILED"; tail -40 "$work.log"; status=1
    fi
    rm -rf "$work" "$work.log"
done
if [ $ran -eq 0 ]; then
    echo "fuzz: no fuzzer was built in build/native/fuzz"; status=1
fi
exit $status
