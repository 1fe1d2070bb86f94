# Sourced by the scripts that run Windows programs: a virtual display when there is none, the
# template prefixes a build's tests need, and a prefix of this run with its server kept up (a fresh
# session costs seconds per process otherwise).
#   wine_env_start NAME x86|x64   the prefix's name; the build whose programs will run
#   wine_env_stop                 stops what wine_env_start started (also on any exit: it sets
#                                 an EXIT trap before it starts anything)
# After wine_env_start, TAVELIN_WINE is the command that runs the build's programs: Debian's wine
# launcher for x86, Wine's 64-bit loader called directly for x64 (it also runs where the launcher,
# which always picks the 32-bit loader, cannot). The run's prefix is 64-bit either way.
here_wine_env="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root_wine_env="$(cd "$here_wine_env/.." && pwd)"

wine_env_start() {
    local name="${1:-tests}" arch="${2:-x86}"
    trap wine_env_stop EXIT
    export WINEDEBUG=-all
    export TAVELIN_WINE_DIR="${TAVELIN_WINE_DIR:-$root_wine_env/build/wine}"
    mkdir -p "$TAVELIN_WINE_DIR"

    if [ -z "${DISPLAY:-}" ] || [ -n "${TAVELIN_FORCE_XVFB:-}" ]; then
        if ! command -v Xvfb >/dev/null 2>&1; then
            echo "wine-env: no display and no Xvfb (package xvfb)" >&2
            return 1
        fi
        local display_file
        display_file="$(mktemp)"
        # Xvfb picks a free display number and writes it once it accepts connections.
        Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
        TAVELIN_XVFB_PID=$!
        for _ in $(seq 600); do [ -s "$display_file" ] && break; sleep 0.05; done
        local display_number
        display_number="$(head -n1 "$display_file" 2>/dev/null || true)"
        rm -f "$display_file"
        if [ -z "$display_number" ]; then
            echo "wine-env: Xvfb did not start" >&2
            return 1
        fi
        export DISPLAY=":$display_number"
    fi

    export TAVELIN_TEMPLATE_PREFIX64="$TAVELIN_WINE_DIR/template64"
    export TAVELIN_TEMPLATE_PREFIX32="$TAVELIN_WINE_DIR/template32"
    "$root_wine_env/tests/wine/make-template.sh" 64 "$TAVELIN_TEMPLATE_PREFIX64" || return 1
    if [ "$arch" = x86 ]; then
        # The 32-bit build's tests also run on 32-bit Windows.
        "$root_wine_env/tests/wine/make-template.sh" 32 "$TAVELIN_TEMPLATE_PREFIX32" || return 1
        export TAVELIN_WINE=wine
    else
        export TAVELIN_WINE="$root_wine_env/tests/wine/wine64.sh"
    fi

    export WINEARCH=win64
    export WINEPREFIX="$TAVELIN_WINE_DIR/$name-prefix"
    TAVELIN_WINE_ENV_PREFIX="$WINEPREFIX"
    rm -rf "$WINEPREFIX"
    cp -a "$TAVELIN_TEMPLATE_PREFIX64" "$WINEPREFIX" || return 1
    wineserver -p || return 1
    if ! "$root_wine_env/tests/wine/wine64.sh" wineboot >/dev/null 2>&1; then
        echo "wine-env: wineboot failed in $WINEPREFIX" >&2
        return 1
    fi
}

wine_env_stop() {
    if [ -n "${TAVELIN_WINE_ENV_PREFIX:-}" ]; then
        WINEPREFIX="$TAVELIN_WINE_ENV_PREFIX" wineserver -k >/dev/null 2>&1 || true
        WINEPREFIX="$TAVELIN_WINE_ENV_PREFIX" wineserver -w >/dev/null 2>&1 || true
        TAVELIN_WINE_ENV_PREFIX=""
    fi
    if [ -n "${TAVELIN_XVFB_PID:-}" ]; then
        kill "$TAVELIN_XVFB_PID" 2>/dev/null || true
        TAVELIN_XVFB_PID=""
    fi
}
