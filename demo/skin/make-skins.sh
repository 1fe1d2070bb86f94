#!/usr/bin/env bash
# Draws the demo disc's skin backgrounds (demo/disc/Lib/Skin/Back_800.bmp and Back_640.bmp) with
# ImageMagick. The pictures are committed; run this again only after changing the design here, and
# keep the panels in step with the Position values of Skin_800.INI and Skin_640.INI.
#   make-skins.sh [output folder]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="${1:-$here/../disc/Lib/Skin}"
font_bold=DejaVu-Sans-Bold
font=DejaVu-Sans

# skin WIDTH HEIGHT TITLE_HEIGHT LIST_X LIST_Y LIST_W LIST_H DESC_Y DESC_H FOOTER_Y TITLE_PT SUB_PT FILE
skin() {
    local w=$1 h=$2 band=$3 lx=$4 ly=$5 lw=$6 lh=$7 dy=$8 dh=$9 fy=${10} title_pt=${11} sub_pt=${12} file=${13}
    local pad=8
    local px0=$((lx - pad)) py0=$((ly - pad)) px1=$((lx + lw + pad - 1)) py1=$((ly + lh + pad - 1))
    local dy0=$((dy - 6)) dy1=$((dy + dh + 5))
    local tmp
    tmp="$(mktemp -d)"
    trap 'rm -rf "$tmp"' RETURN

    # Soft page, lighter at the top.
    convert -size "${w}x${h}" gradient:'#f4f7fb'-'#dbe4ef' "$tmp/page.png"
    # Title band, deep blue fading to a lighter blue across, with a warm accent line below it.
    convert -size "${band}x${w}" gradient:'#15325a'-'#2d6aa6' -rotate -90 "$tmp/band.png"
    # The shadow of the list panel: the panel's shape, blurred and a little lower.
    convert -size "${w}x${h}" xc:none -fill 'rgba(20,40,70,0.35)' \
        -draw "roundrectangle $((px0 + 1)),$((py0 + 3)) $((px1 + 1)),$((py1 + 3)) 8,8" -blur 0x4 "$tmp/shadow.png"
    # Footer band behind the buttons.
    convert -size "${w}x$((h - fy))" gradient:'#e8eef6'-'#cbd8e8' "$tmp/footer.png"

    convert "$tmp/page.png" \
        "$tmp/band.png" -geometry +0+0 -composite \
        -fill '#f0a23a' -draw "rectangle 0,${band} $((w - 1)),$((band + 2))" \
        "$tmp/footer.png" -geometry "+0+${fy}" -composite \
        -fill '#aebfd4' -draw "rectangle 0,${fy} $((w - 1)),${fy}" \
        -fill 'rgba(255,255,255,0.8)' -draw "rectangle 0,$((fy + 1)) $((w - 1)),$((fy + 1))" \
        "$tmp/shadow.png" -geometry +0+0 -composite \
        -fill white -stroke '#a9bbd1' -strokewidth 1 \
        -draw "roundrectangle ${px0},${py0} ${px1},${py1} 8,8" \
        -fill 'rgba(255,255,255,0.55)' -stroke '#c3d0e0' \
        -draw "roundrectangle ${px0},${dy0} ${px1},${dy1} 6,6" \
        -stroke none -fill '#2d6aa6' -draw "rectangle ${px0},$((dy0 + 6)) $((px0 + 2)),$((dy1 - 6))" \
        -font "$font_bold" -pointsize "$title_pt" -fill white \
        -annotate "+${lx}+$((band / 2 + title_pt / 3 - sub_pt / 2))" 'Drivers and Applications' \
        -font "$font" -pointsize "$sub_pt" -fill '#c8dcf2' \
        -annotate "+${lx}+$((band / 2 + title_pt / 3 + sub_pt + 2))" \
            'Choose what to install on this computer, then press Start.' \
        -type TrueColor "BMP3:$out/$file"
}

mkdir -p "$out"
#    width height band list: x   y  width height desc: y height footer title sub file
skin 800   600    56         20  70 760   330          420 36     492    20    10  Back_800.bmp
skin 640   480    42         16  58 608   250          320 30     376    16    9   Back_640.bmp
