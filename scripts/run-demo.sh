#!/usr/bin/env bash
# Runs the program on the bundled demo disc under Wine: in a window when there is a display;
# otherwise on a virtual display, saving a screenshot to build/artifacts/demo.png.
# The 32-bit disc (build/disc, what ships) where this host runs 32-bit programs, else the 64-bit
# disc (build/disc-x64); it says which. TAVELIN_ARCHS=x64 asks for the 64-bit disc on any host.
# Extra arguments go to the program (for example ShowOS ShowModel). With /quiet the program shows no
# window: it runs to its end and the script says its exit code, for example
#   bash scripts/run-demo.sh /scan /quiet /report build/artifacts/demo-report.html
# (a relative report path is taken from the folder the script was started in).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh" || { echo "run-demo: installing the packages failed" >&2; exit 1; }
source "$root/scripts/host-archs.sh"
tavelin_host_archs || exit 1

case "$TAVELIN_RUN_ARCHS" in
    x86*) arch=x86; disc="$root/build/disc"; echo "Running the 32-bit demo disc (build/disc)." ;;
    x64)  arch=x64; disc="$root/build/disc-x64"
          echo "Running the 64-bit demo disc (build/disc-x64): the 32-bit one cannot run here (${TAVELIN_SKIP_REASON_x86})." ;;
    *)    echo "run-demo: no Windows build can run on this host: x86: ${TAVELIN_SKIP_REASON_x86}; x64: ${TAVELIN_SKIP_REASON_x64}" >&2
          exit 1 ;;
esac
build_log="$(mktemp)"
if [ -f "$root/build/$([ "$arch" = x86 ] && echo win || echo win-x64)/build.ninja" ]; then
    echo "Building what changed since the last build (seconds)..."
else
    echo "Building the $arch program, its tests and the demo disc: the first build takes about 5 minutes on 2 cores (log: $build_log)..."
fi
if ! "$root/scripts/build.sh" "$arch" >"$build_log" 2>&1; then
    tail -n 40 "$build_log" >&2
    echo "run-demo: the $arch build failed" >&2
    exit 1
fi
rm -f "$build_log"

had_display="${DISPLAY:-}"
source "$root/scripts/wine-env.sh"
wine_env_start demo "$arch" || { echo "run-demo: could not set up Wine" >&2; exit 1; }
wine64="$root/tests/wine/wine64.sh"

# The demo machine: the two devices the demo disc has drivers for, present but without a driver yet
# (a bus and a device class of our own: Wine rebuilds its own buses at every start). The device
# tree is shared by both registry views, so Wine's 64-bit tools write it for either disc.
add_demo_device() {
    local key="HKLM\\SYSTEM\\CurrentControlSet\\Enum\\$1\\0"
    "$wine64" reg add "$key" /v ClassGUID /d '{8E3F2A61-7C4B-4D5E-A1F9-2B6C0D7E5A30}' /f >/dev/null 2>&1 &&
        "$wine64" reg add "$key" /v HardwareID /t REG_MULTI_SZ /d "$1" /f >/dev/null 2>&1 ||
        { echo "run-demo: could not add the demo device $1" >&2; exit 1; }
}
add_demo_device 'TAVPCI\VEN_8086&DEV_27A0'
add_demo_device 'HDAUDIO\FUNC_01&VEN_10EC&DEV_0862'

disc_setup="$("$wine64" winepath -w "$disc/setup.exe" 2>/dev/null)"
quiet=no
for argument in "$@"; do
    case "${argument,,}" in /quiet|-quiet) quiet=yes ;; esac
done
if [ "$quiet" = yes ]; then
    status=0
    "$TAVELIN_WINE" "$disc_setup" "$@" || status=$?
    # Linux keeps only the low 8 bits of a Windows exit code (0x20000001, a scan with something to
    # install, arrives as 1); the log and the report hold it whole.
    echo "The program ran without a window and ended; exit status $status (the exit code's low 8 bits; the log has it whole)."
    exit 0
fi
if [ -n "$had_display" ]; then
    echo "Running the demo disc on $DISPLAY; close the window to end."
    "$TAVELIN_WINE" "$disc_setup" "$@"
else
    mkdir -p "$root/build/artifacts"
    "$TAVELIN_WINE" "$disc_setup" "$@" &
    program=$!
    sleep "${TAVELIN_DEMO_SECONDS:-10}"
    if ! kill -0 "$program" 2>/dev/null; then
        status=0
        wait "$program" || status=$?
        echo "run-demo: the program ended within ${TAVELIN_DEMO_SECONDS:-10} s (exit status $status) instead of showing its window" >&2
        exit 1
    fi
    import -window root "$root/build/artifacts/demo.png"
    echo "No display: ran the demo disc on a virtual display; screenshot saved to $root/build/artifacts/demo.png"
    kill "$program" 2>/dev/null || true
fi
