#!/usr/bin/env bash
# Points an image's load-configuration directory (data directory 10) at the structure
# src/platform/load_config.c defines. GNU ld leaves that directory empty whatever the image holds,
# and without it Windows never sees the structure's dependent-load flags. The structure's address
# comes from the linker's map, since the image itself is stripped.
#   set-load-config.sh IMAGE MAP
set -euo pipefail
image="$1"
map="$2"
symbol=tavelin_load_config

fail() { echo "set-load-config.sh: $image: $*" >&2; exit 1; }

# Little-endian unsigned integer of $2 bytes at offset $1.
read_le() {
    local bytes value=0 shift=0 byte
    bytes="$(od -An -v -tu1 -j "$1" -N "$2" "$image")"
    for byte in $bytes; do
        value=$((value + (byte << shift)))
        shift=$((shift + 8))
    done
    echo "$value"
}

write_le32() {
    local offset="$1" value="$2" escaped="" i
    for i in 0 1 2 3; do
        escaped+="$(printf '\\%03o' $(((value >> (8 * i)) & 255)))"
    done
    printf "$escaped" | dd of="$image" bs=1 seek="$offset" conv=notrunc status=none
}

[ -f "$image" ] || fail "missing"
address="$(awk -v s="$symbol" '$2 == s && $1 ~ /^0x/ { print $1 }' "$map")"
[ -n "$address" ] || fail "$symbol is not in the linker map $map"
[ "$(wc -l <<<"$address")" -eq 1 ] || fail "$symbol is in $map more than once"

pe="$(read_le 60 4)"
[ "$(read_le "$pe" 4)" -eq $((0x4550)) ] || fail "not a PE image"
optional=$((pe + 24))
case "$(read_le "$optional" 2)" in
    $((0x10b)))  # PE32: the structure's first 64 bytes, the size Windows XP requires
        base="$(read_le $((optional + 28)) 4)"; directories=$((optional + 96)); size=64 ;;
    $((0x20b)))  # PE32+
        base="$(read_le $((optional + 24)) 8)"; directories=$((optional + 112)); size=112 ;;
    *) fail "unknown optional header" ;;
esac
# NumberOfRvaAndSizes, the field just before the directories.
[ "$(read_le $((directories - 4)) 4)" -gt 10 ] || fail "no room for a load-configuration directory"
rva=$((address - base))
[ "$rva" -gt 0 ] && [ "$rva" -lt $((1 << 31)) ] || fail "$symbol at $address lies outside the image at $base"
entry=$((directories + 10 * 8))
write_le32 "$entry" "$rva"
write_le32 $((entry + 4)) "$size"
