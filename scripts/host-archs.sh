# Sourced: which of the two Windows builds this host can run under Wine, found by trying.
#   tavelin_host_archs     sets TAVELIN_RUN_ARCHS (x86 and/or x64, in that order) and, for each
#                          build that cannot run here, TAVELIN_SKIP_REASON_x86 / _x64.
#
# x86 programs need Wine's 32-bit loader, an i386 Linux program: it does not start on a kernel
# without IA-32 emulation ("Exec format error"), and whether a kernel has it cannot be told from
# the architecture. x64 programs need Wine's 64-bit loader. Both are tried here, not guessed.
# TAVELIN_ARCHS (for example TAVELIN_ARCHS=x64) narrows the list, so that the 64-bit-only path can
# be tried on a host that could run both; asking for a build this host cannot run is an error.
TAVELIN_WINE32_LOADER="${TAVELIN_WINE32_LOADER:-/usr/lib/wine/wine}"
TAVELIN_WINE64_LOADER="${TAVELIN_WINE64_LOADER:-/usr/lib/wine/wine64}"

# Prints why the loader cannot run here, or nothing when it runs.
tavelin_loader_problem() {
    local loader="$1" output
    if [ ! -e "$loader" ]; then
        echo "Wine's loader $loader is not installed"
        return
    fi
    if output="$("$loader" --version 2>&1)"; then return; fi
    case "$output" in
        *"Exec format error"*)
            echo "this host does not execute 32-bit programs ($loader: Exec format error)" ;;
        *)
            echo "$loader --version failed: $(head -n1 <<<"$output")" ;;
    esac
}

tavelin_host_archs() {
    local problem32 problem64 wanted arch
    problem32="$(tavelin_loader_problem "$TAVELIN_WINE32_LOADER")"
    problem64="$(tavelin_loader_problem "$TAVELIN_WINE64_LOADER")"
    TAVELIN_SKIP_REASON_x86="$problem32"
    TAVELIN_SKIP_REASON_x64="$problem64"
    wanted="$(tr ',' ' ' <<<"${TAVELIN_ARCHS:-x86 x64}")"
    for arch in $wanted; do
        case "$arch" in
            x86|x64) ;;
            *) echo "TAVELIN_ARCHS: unknown build '$arch' (use x86, x64 or both)" >&2; return 1 ;;
        esac
    done
    TAVELIN_RUN_ARCHS=""
    for arch in x86 x64; do
        local reason_var="TAVELIN_SKIP_REASON_$arch"
        if ! grep -qw "$arch" <<<"$wanted"; then
            printf -v "$reason_var" '%s' "TAVELIN_ARCHS=${TAVELIN_ARCHS} leaves it out"
            continue
        fi
        if [ -n "${!reason_var}" ]; then
            if [ -n "${TAVELIN_ARCHS:-}" ]; then
                echo "TAVELIN_ARCHS asks for the $arch build, which cannot run here: ${!reason_var}" >&2
                return 1
            fi
            continue
        fi
        TAVELIN_RUN_ARCHS="${TAVELIN_RUN_ARCHS:+$TAVELIN_RUN_ARCHS }$arch"
    done
    export TAVELIN_RUN_ARCHS TAVELIN_SKIP_REASON_x86 TAVELIN_SKIP_REASON_x64
}
