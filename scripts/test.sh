#!/usr/bin/env bash
# Builds everything and runs every test: the portable core natively (ASan/UBSan), the core and the
# platform adapters under Wine, the program itself on test discs under Wine and Xvfb, and a short
# run of each fuzzer. Installs what it needs first.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

"$root/scripts/setup.sh"
"$root/scripts/build.sh" all

status=0
echo "== native tests"
(cd build/native && ctest --output-on-failure -j 2) || status=1

echo "== Windows tests under Wine"
# A Japanese locale for the Japanese user-interface tests, generated privately.
if [ ! -d build/win/locale/ja_JP.UTF-8 ]; then
    mkdir -p build/win/locale
    localedef -i ja_JP -f UTF-8 build/win/locale/ja_JP.UTF-8 >/dev/null 2>&1 || true
fi
source "$root/scripts/wine-env.sh"
wine_env_start tests
trap wine_env_stop EXIT
(cd build/win && ctest --output-on-failure -j 2) || status=1
wine_env_stop
trap - EXIT

echo "== fuzz smoke"
"$root/scripts/fuzz-smoke.sh" "${TAVELIN_FUZZ_SECONDS:-20}" || status=1

if [ $status -eq 0 ]; then echo "all tests passed"; else echo "some tests FAILED"; fi
exit $status
