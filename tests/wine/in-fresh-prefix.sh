#!/usr/bin/env bash
# Runs one command in a throw-away copy of a template Wine prefix, and removes the copy afterwards.
#   in-fresh-prefix.sh [--arch 32|64] [--version winxp|winxp64|win2003|vista|win7|...]
#                      [--desktop WIDTHxHEIGHT] [--drive LETTER=FOLDER] -- command...
# --arch is the prefix's: 32-bit or 64-bit Windows (64 by default). --desktop sets the size of the
# prefix's virtual desktop, which is the screen the program sees (1024x768 by default). --drive
# gives the prefix one more drive letter whose root is FOLDER under drive C: (made when missing):
# Wine's drive letters are the symbolic links in the prefix's dosdevices folder.
# Each run gets a display of its own when Xvfb is present: tests run side by side, and a test that
# reads the screen must not see another test's window on top of its own.
# The templates come from the test runner (TAVELIN_TEMPLATE_PREFIX64 / TAVELIN_TEMPLATE_PREFIX32);
# when missing they are made here once (tests/wine/make-template.sh).
# Exits 77 (a skip) when the prefix needs Wine's 32-bit loader and this host cannot run it.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
arch=64
version=""
desktop=""
drive=""
while [ $# -gt 0 ]; do
    case "$1" in
        --arch) arch="$2"; shift 2 ;;
        --version) version="$2"; shift 2 ;;
        --desktop) desktop="$2"; shift 2 ;;
        --drive) drive="$2"; shift 2 ;;
        --) shift; break ;;
        *) break ;;
    esac
done

# Wine's own tools for the prefix: the 64-bit loader for a 64-bit prefix (it runs on every host),
# the 32-bit one for a 32-bit prefix.
if [ "$arch" = 32 ]; then
    source "$here/../../scripts/host-archs.sh"
    problem="$(tavelin_loader_problem "$TAVELIN_WINE32_LOADER")"
    if [ -n "$problem" ]; then
        echo "in-fresh-prefix: skipped, a 32-bit prefix needs Wine's 32-bit loader: $problem" >&2
        exit 77
    fi
    wine_tool=(wine)
else
    wine_tool=("$here/wine64.sh")
fi

template_var="TAVELIN_TEMPLATE_PREFIX${arch}"
template="${!template_var:-}"
if [ -z "$template" ] || [ ! -d "$template" ]; then
    template="${TMPDIR:-/tmp}/tavelin-template-${arch}"
    "$here/make-template.sh" "$arch" "$template" >&2
fi

prefix="$(mktemp -d "${TMPDIR:-/tmp}/tavelin-prefix.XXXXXX")"
xvfb_pid=""
cleanup() {
    WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX="$prefix" wineserver -w >/dev/null 2>&1 || true
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
    rm -rf "$prefix" "$prefix.display"
}
trap cleanup EXIT

if command -v Xvfb >/dev/null 2>&1 && [ -z "${TAVELIN_SHARED_DISPLAY:-}" ]; then
    # Xvfb picks a free display number itself and writes it to the given descriptor once it
    # accepts connections.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$prefix.display" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 600); do [ -s "$prefix.display" ] && break; sleep 0.05; done
    display_number="$(head -n1 "$prefix.display" 2>/dev/null || true)"
    if [ -z "$display_number" ]; then
        echo "in-fresh-prefix: Xvfb did not start" >&2
        exit 1
    fi
    export DISPLAY=":$display_number"
fi
cp -a "$template/." "$prefix/"
if [ -n "$drive" ]; then
    letter="$(printf '%s' "${drive%%=*}" | tr 'A-Z' 'a-z')"
    mkdir -p "$prefix/drive_c/${drive#*=}"
    ln -sfn "../drive_c/${drive#*=}" "$prefix/dosdevices/$letter:"
fi
export WINEPREFIX="$prefix" WINEDEBUG="${WINEDEBUG:--all}"
if [ "$arch" = 32 ]; then export WINEARCH=win32; else export WINEARCH=win64; fi
# The server stays up between the run's programs (a new session costs seconds), but not for ever:
# when a timeout kills this script, no trap runs, and the server of a prefix nobody uses any more
# then ends by itself a minute after its last program.
server_linger=60
wineserver -p"$server_linger"
if [ -n "$desktop" ]; then
    if ! "${wine_tool[@]}" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Tavelin /d "$desktop" /f >/dev/null 2>&1; then
        echo "in-fresh-prefix: could not set the desktop size $desktop" >&2
        exit 1
    fi
    # The desktop took its size when this session started: a new session takes the new one.
    wineserver -k; wineserver -w; wineserver -p"$server_linger"
fi
if [ -n "$version" ]; then
    if ! "${wine_tool[@]}" winecfg /v "$version" >/dev/null 2>&1; then
        echo "in-fresh-prefix: could not switch the prefix to Windows version $version" >&2
        exit 1
    fi
fi
"$@"
