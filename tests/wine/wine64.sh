#!/usr/bin/env bash
# Wine's 64-bit loader, called directly. Debian's `wine` launcher always picks the 32-bit loader
# when it is installed, and that loader cannot start on a host that does not execute 32-bit
# programs; the 64-bit loader runs 64-bit programs (and Wine's own 64-bit tools: wineboot, reg,
# winecfg, winepath) in a 64-bit prefix on every x86-64 host. WINELOADER tells Wine which loader
# starts the processes that these start.
#   wine64.sh program [arguments...]
loader="${TAVELIN_WINE64_LOADER:-/usr/lib/wine/wine64}"
if [ ! -x "$loader" ]; then
    echo "wine64.sh: Wine's 64-bit loader $loader is missing (Debian package wine64)" >&2
    exit 127
fi
export WINELOADER="$loader"
export WINEDEBUG="${WINEDEBUG:-fixme-all}"
exec "$loader" "$@"
