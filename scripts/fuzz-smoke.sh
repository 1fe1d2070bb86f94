#!/usr/bin/env bash
# Runs every fuzzer of build/native for a few seconds each (default 20), starting from its seeds:
# the inputs kept for it in fuzz/corpus/<name>, and the project's own files of its kind (the demo
# disc's and the test discs' catalogues, the test INI files, the demo skins), copied at each run so
# that the seeds follow the originals. Long runs: the same with a larger number of seconds.
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
    originals=()
    case "$name" in
        catalogue_fuzz) originals=("$root"/demo/disc/Lib/TAVELIN.INI "$root"/tests/data/discs/*/Lib/TAVELIN.INI) ;;
        ini_fuzz) originals=("$root"/tests/data/ini/*.ini "$root"/demo/disc/Lib/TAVELIN.INI) ;;
        skin_layout_fuzz) originals=("$root"/demo/disc/Lib/Skin/*.INI) ;;
        profile_fuzz) originals=("$root"/tests/data/profiles/*/*) ;;
    esac
    if [ ${#originals[@]} -gt 0 ]; then
        mkdir -p "$work.seeds"
        for original in "${originals[@]}"; do
            cp "$original" "$work.seeds/$(echo "$original" | sed "s|^$root/||; s|/|_|g")"
        done
        seeds+=("$work.seeds")
    fi
    if "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
            "$work" "${seeds[@]}" >"$work.log" 2>&1; then
        echo "fuzz $name: $(grep -E 'stat::number_of_executed_units' "$work.log" | awk '{print $2}') runs, no finding"
    else
        echo "fuzz $name: FAILED"; tail -40 "$work.log"; status=1
    fi
    rm -rf "$work" "$work.log" "$work.seeds"
done
if [ $ran -eq 0 ]; then
    echo "fuzz: no fuzzer was built in build/native/fuzz"; status=1
fi
exit $status
