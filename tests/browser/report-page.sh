#!/usr/bin/env bash
# Opens a report page of setup.exe in a real browser (Debian's Chromium, headless) and checks it as
# a person would see it: the page loads without an error, and it shows one row per item of the
# JSON report of the same scan, with the item's title and reason. Saves a screenshot.
#   tests/browser/report-page.sh PAGE.html REPORT.json SCREENSHOT.png
# Exit 77 (a skip) only when Chromium cannot run on this machine at all.
set -euo pipefail
page="$1"; report="$2"; screenshot="$3"
browser="$(command -v chromium || true)"
if [ -z "$browser" ]; then
    echo "skipped: Chromium is not installed (Debian package chromium, see scripts/setup.sh)"
    exit 77
fi
profile="$(mktemp -d)"
trap 'rm -rf "$profile"' EXIT
flags=(--headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking
       --disable-component-update --disable-sync --user-data-dir="$profile" --enable-logging=stderr --v=0)
if ! "$browser" "${flags[@]}" --dump-dom about:blank >/dev/null 2>"$profile/version.log"; then
    echo "skipped: Chromium cannot run here:"
    tail -n 5 "$profile/version.log"
    exit 77
fi
for file in "$page" "$report"; do
    [ -s "$file" ] || { echo "FAILED: $file is missing or empty (the program test writes it)"; exit 1; }
done
url="file://$(cd "$(dirname "$page")" && pwd)/$(basename "$page")"
"$browser" "${flags[@]}" --dump-dom "$url" >"$profile/dom.html" 2>"$profile/dom.log"
mkdir -p "$(dirname "$screenshot")"
"$browser" "${flags[@]}" --hide-scrollbars --window-size=1400,1000 --screenshot="$screenshot" "$url" \
    >/dev/null 2>"$profile/screenshot.log"
[ -s "$screenshot" ] || { echo "FAILED: no screenshot"; cat "$profile/screenshot.log"; exit 1; }
python3 "$(dirname "$0")/report_page_check.py" "$profile/dom.html" "$report" "$profile/dom.log"
echo "report page: screenshot $screenshot"
