#!/usr/bin/env bash
# Makes a template Wine prefix once: make-template.sh 32|64 DIR. Tests copy it (cp -a, never
# hard links: Wine rewrites system.reg in place). It carries a virtual desktop, so that windows get
# captions in screenshots and a closed window does not wait for a window manager.
set -euo pipefail
arch="$1"
dir="$(mkdir -p "$2" && cd "$2" && pwd)"
if [ -f "$dir/.tavelin-template" ]; then exit 0; fi
rm -rf "$dir"
mkdir -p "$dir"
export WINEPREFIX="$dir" WINEDEBUG=-all
if [ "$arch" = 32 ]; then export WINEARCH=win32; else export WINEARCH=win64; fi
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Tavelin /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Tavelin /d 1024x768 /f >/dev/null 2>&1
# The system folder's DRIVERS folder is missing for 32-bit programs in a 64-bit prefix.
if [ "$arch" = 64 ]; then mkdir -p "$dir/drive_c/windows/syswow64/drivers"; fi
wineserver -w
touch "$dir/.tavelin-template"
