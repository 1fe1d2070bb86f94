#!/usr/bin/env bash
# Builds everything and runs every test: the portable core natively (ASan/UBSan); for each Windows
# build this host can run (x86, x64: found by trying, see scripts/host-archs.sh) the core, the
# platform adapters and the program itself under Wine and Xvfb; a short run of each fuzzer.
# Installs what it needs first. A build that cannot run here is reported as skipped, with the
# reason, and its images are still checked. Every step that fails is named at the end.
#   TAVELIN_ARCHS=x64 bash scripts/test.sh    only the 64-bit build's suite, on any host
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

failed=()
skipped=()
step_failed() { failed+=("$1"); echo "== FAILED: $1"; }

"$root/scripts/setup.sh" || { echo "== FAILED: installing the packages (scripts/setup.sh)"; exit 1; }
source "$root/scripts/host-archs.sh"
tavelin_host_archs || { echo "== FAILED: choosing the Windows builds to run"; exit 1; }
"$root/scripts/build.sh" all || { echo "== FAILED: the build (scripts/build.sh all)"; exit 1; }

echo "== native tests"
(cd build/native && ctest --output-on-failure -j 2) || step_failed "native tests (build/native)"

source "$root/scripts/wine-env.sh"
for arch in x86 x64; do
    if [ "$arch" = x86 ]; then build="build/win"; else build="build/win-x64"; fi
    reason_var="TAVELIN_SKIP_REASON_$arch"
    if ! grep -qw "$arch" <<<"$TAVELIN_RUN_ARCHS"; then
        echo "== SKIPPED: the $arch Windows tests under Wine: ${!reason_var}"
        skipped+=("$arch Windows tests (${!reason_var})")
        echo "== $arch images (checked without running them)"
        (cd "$build" && ctest --output-on-failure -L image) || step_failed "$arch images ($build)"
        continue
    fi
    echo "== $arch Windows tests under Wine ($build)"
    # A Japanese locale for the Japanese user-interface tests, generated privately.
    if [ ! -d "$build/locale/ja_JP.UTF-8" ]; then
        mkdir -p "$build/locale"
        localedef -i ja_JP -f UTF-8 "$build/locale/ja_JP.UTF-8" >/dev/null 2>&1 ||
            echo "could not generate the Japanese locale: the Japanese tests will fail" >&2
    fi
    if wine_env_start "tests-$arch" "$arch"; then
        (cd "$build" && ctest --output-on-failure -j 2) || step_failed "$arch Windows tests ($build)"
    else
        step_failed "$arch Wine set-up (scripts/wine-env.sh)"
    fi
    wine_env_stop
done
trap - EXIT

echo "== fuzz smoke"
"$root/scripts/fuzz-smoke.sh" "${TAVELIN_FUZZ_SECONDS:-20}" || step_failed "fuzz smoke"

for item in "${skipped[@]}"; do echo "skipped: $item"; done
if [ ${#failed[@]} -eq 0 ]; then
    echo "all tests passed"
    exit 0
fi
for item in "${failed[@]}"; do echo "failed: $item"; done
echo "some tests FAILED"
exit 1
