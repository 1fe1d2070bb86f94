#!/usr/bin/env bash
# Runs every fuzzer of build/native for a few seconds each (default 20) on a corpus kept between
# runs in build/fuzz-corpus/<name>: what one run finds, the next starts from. A fresh clone starts
# from the seeds: the inputs kept for each fuzzer in fuzz/corpus/<name>, and the project's own files
# of its kind (the demo disc's and the test discs' catalogues, the test INI files, the demo skins),
# copied at each run so that the seeds follow the originals. Inputs may grow to the size of a real
# catalogue (64 KB). Prints each fuzzer's runs, the coverage it reached and its corpus size.
# Long runs: the same with a larger number of seconds.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-20}"
corpora="$root/build/fuzz-corpus"
status=0
ran=0
for fuzzer in "$root"/build/native/fuzz/*_fuzz; do
    [ -x "$fuzzer" ] || continue
    name="$(basename "$fuzzer")"
    ran=$((ran + 1))
    corpus="$corpora/$name"
    mkdir -p "$corpus"
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
        mkdir -p "$work/seeds"
        for original in "${originals[@]}"; do
            cp "$original" "$work/seeds/$(echo "$original" | sed "s|^$root/||; s|/|_|g")"
        done
        seeds+=("$work/seeds")
    fi
    before="$(find "$corpus" -type f | wc -l)"
    # The first folder is the kept corpus, where libFuzzer adds what reaches new code; crash
    # reproducers go to the work folder, not into the source tree.
    if (cd "$work" && "$fuzzer" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
            -print_final_stats=1 "$corpus" "${seeds[@]}" >"$work/log" 2>&1); then
        runs="$(awk '/stat::number_of_executed_units/ { print $2 }' "$work/log")"
        coverage="$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$work/log" | tail -1)"
        after="$(find "$corpus" -type f | wc -l)"
        echo "fuzz $name: $runs runs, $coverage, corpus $before -> $after inputs, no finding"
    else
        echo "fuzz $name: FAILED"; tail -40 "$work/log"
        find "$work" -maxdepth 1 -name 'crash-*' -o -maxdepth 1 -name 'timeout-*' -o -maxdepth 1 -name 'oom-*' |
            while read -r reproducer; do
                mkdir -p "$root/build/fuzz-findings"
                cp "$reproducer" "$root/build/fuzz-findings/$name-$(basename "$reproducer")"
                echo "  reproducer kept: build/fuzz-findings/$name-$(basename "$reproducer")"
            done
        status=1
    fi
    rm -rf "$work"
done
if [ $ran -eq 0 ]; then
    echo "fuzz: no fuzzer was built in build/native/fuzz"; status=1
fi
exit $status
