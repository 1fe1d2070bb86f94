#!/usr/bin/env bash
# The restart helper runs at the next logon with the rights of whoever logs on: its manifest must
# say so (asInvoker), or Windows guesses from the file's name whether to ask for elevation.
#   check-helper-manifest.sh IMAGE
set -euo pipefail
image="$1"
[ -f "$image" ] || { echo "$image: missing"; exit 1; }
text="$(strings -n 8 "$image")"
grep -q 'requestedExecutionLevel level="asInvoker"' <<<"$text" || { echo "$image: no manifest asking for asInvoker"; exit 1; }
if grep -q 'requireAdministrator\|highestAvailable' <<<"$text"; then echo "$image: asks for elevation"; exit 1; fi
echo "$image: manifest asks for asInvoker"
