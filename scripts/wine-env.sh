# Sourced by the scripts that run Windows programs: a virtual display when there is none, the
# template prefixes, and a prefix of this run with its server kept up (a fresh session costs
# seconds per process otherwise).
#   wine_env_start [prefix-name]   wine_env_stop
here_wine_env="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root_wine_env="$(cd "$here_wine_env/.." && pwd)"

wine_env_start() {
    local name="${1:-tests}"
    export WINEDEBUG=-all
    export TAVELIN_WINE_DIR="${TAVELIN_WINE_DIR:-$root_wine_env/build/wine}"
    mkdir -p "$TAVELIN_WINE_DIR"

    if [ -z "${DISPLAY:-}" ] || [ -n "${TAVELIN_FORCE_XVFB:-}" ]; then
        local display_number=$((90 + RANDOM % 400))
        while [ -e "/tmp/.X${display_number}-lock" ]; do display_number=$((display_number + 1)); done
        Xvfb ":$display_number" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        TAVELIN_XVFB_PID=$!
        export DISPLAY=":$display_number"
        for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display_number}" ] && break; sleep 0.1; done
    fi

    export TAVELIN_TEMPLATE_PREFIX64="$TAVELIN_WINE_DIR/template64"
    export TAVELIN_TEMPLATE_PREFIX32="$TAVELIN_WINE_DIR/template32"
    "$root_wine_env/tests/wine/make-template.sh" 64 "$TAVELIN_TEMPLATE_PREFIX64"
    "$root_wine_env/tests/wine/make-template.sh" 32 "$TAVELIN_TEMPLATE_PREFIX32"

    export WINEARCH=win64
    export WINEPREFIX="$TAVELIN_WINE_DIR/$name-prefix"
    rm -rf "$WINEPREFIX"
    cp -a "$TAVELIN_TEMPLATE_PREFIX64" "$WINEPREFIX"
    wineserver -p
    wine wineboot >/dev/null 2>&1 || true
}

wine_env_stop() {
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    if [ -n "${TAVELIN_XVFB_PID:-}" ]; then kill "$TAVELIN_XVFB_PID" 2>/dev/null || true; fi
}
