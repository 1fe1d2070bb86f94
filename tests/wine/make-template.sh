#!/usr/bin/env bash
# Makes a template Wine prefix once: make-template.sh 32|64 DIR. Tests copy it (cp -a, never
# hard links: Wine rewrites system.reg in place). It carries a virtual desktop, so that windows get
# captions in screenshots and a closed window does not wait for a window manager.
# A 64-bit prefix is made with Wine's 64-bit loader, which runs on every x86-64 host; a 32-bit
# prefix needs the 32-bit loader. A failure says which step failed and shows Wine's own words.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
arch="$1"
dir="$(mkdir -p "$2" && cd "$2" && pwd)"
if [ -f "$dir/.tavelin-template" ]; then exit 0; fi
rm -rf "$dir"
mkdir -p "$dir"
export WINEPREFIX="$dir" WINEDEBUG=-all
if [ "$arch" = 32 ]; then
    export WINEARCH=win32
    wine=(wine)
else
    export WINEARCH=win64
    wine=("$here/wine64.sh")
fi
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
step() {  # step DESCRIPTION command...: runs quietly, and on failure says what failed and why
    local what="$1"
    shift
    if ! "$@" >"$log" 2>&1; then
        echo "make-template: $what failed for the $arch-bit prefix $dir:" >&2
        tail -n 20 "$log" >&2
        rm -rf "$dir"
        exit 1
    fi
}
step "wineboot -i" "${wine[@]}" wineboot -i
step "the virtual desktop setting" "${wine[@]}" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Tavelin /f
step "the virtual desktop size" "${wine[@]}" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Tavelin /d 1024x768 /f
# Wine draws the caption buttons with its Marlett font, which Debian's Wine ships in its data folder
# but does not load from there: without a copy in the prefix's Fonts folder (which Wine reads at
# every start) the buttons show as the letters "0 1 r" in every screenshot.
wine_marlett=/usr/share/wine/fonts/marlett.ttf
if [ -f "$wine_marlett" ]; then
    cp "$wine_marlett" "$dir/drive_c/windows/Fonts/marlett.ttf"
else
    echo "make-template: $wine_marlett is missing: caption buttons will draw as letters" >&2
fi
# The system folder's DRIVERS folder is missing for 32-bit programs in a 64-bit prefix (and the
# 64-bit program puts the driver copy where a 32-bit one does).
if [ "$arch" = 64 ]; then mkdir -p "$dir/drive_c/windows/syswow64/drivers"; fi
wineserver -w
touch "$dir/.tavelin-template"
