#!/usr/bin/env bash
# Runs a command in a private mount namespace whose /sys/class/dmi/id names a system product, so
# that Wine's SMBIOS table (GetSystemFirmwareTable 'RSMB') carries it. Needs root. The whole Wine
# session must start inside, so give it a command that starts its own (in-fresh-prefix.sh does).
#   with-fake-smbios.sh PRODUCT_NAME -- command...
set -euo pipefail
if [ $# -lt 3 ] || [ "$2" != "--" ]; then
    echo "usage: $0 PRODUCT_NAME -- command..." >&2
    exit 2
fi
product="$1"
shift 2
# Without the right to make a private mount namespace (not root, or inside a chroot) the firmware
# table cannot be faked: say so and report the test as skipped (exit 77), not as failed.
if ! unshare -m --propagation private true 2>/dev/null; then
    echo "no private mount namespace here: the fake firmware table test is skipped" >&2
    exit 77
fi
exec unshare -m --propagation private env TAVELIN_FAKE_PRODUCT="$product" bash -c '
    set -e
    mount -t tmpfs none /sys/class
    mkdir -p /sys/class/dmi/id
    printf "%s\n" "$TAVELIN_FAKE_PRODUCT" >/sys/class/dmi/id/product_name
    printf "Quorvel\n" >/sys/class/dmi/id/sys_vendor
    printf "1.0\n" >/sys/class/dmi/id/product_version
    exec "$@"' with-fake-smbios "$@"
