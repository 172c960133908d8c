#!/usr/bin/env bash
# Draws the application's images with ImageMagick: a clock-generator chip
# with a square wave on it (icon 128, bitmap 137) and a small square-wave
# strip for the main window's corner (bitmap 134). Run from res/; the
# results are committed.
set -euo pipefail
cd "$(dirname "$0")"

# chip SIZE BACKGROUND OUT: a dark package with pins on both sides and a
# yellow clock wave across it.
chip() {
  local s=$1 bg=$2 out=$3
  local pin=$((s / 8)) body0=$((s * 3 / 16)) body1=$((s * 13 / 16 - 1))
  local draw="fill #c0c0c0"
  for ((y = s / 4; y < s * 3 / 4 + 1; y += s / 8)); do
    draw+=" rectangle $((body0 - pin)),$y $((body0 - 1)),$((y + s / 16 - 1))"
    draw+=" rectangle $((body1 + 1)),$y $((body1 + pin)),$((y + s / 16 - 1))"
  done
  draw+=" fill #202840 rectangle $body0,$((s / 8)) $body1,$((s * 7 / 8 - 1))"
  local lo=$((s * 5 / 8)) hi=$((s * 3 / 8)) x0=$((body0 + 2)) x1=$((body1 - 2))
  local q=$(((x1 - x0) / 4))
  draw+=" stroke #ffd000 fill none polyline $x0,$lo $((x0 + q)),$lo $((x0 + q)),$hi $((x0 + 2 * q)),$hi"
  draw+=" $((x0 + 2 * q)),$lo $((x0 + 3 * q)),$lo $((x0 + 3 * q)),$hi $x1,$hi"
  draw+=" stroke none fill #e03020 circle $((body0 + s / 8)),$((s / 4 - 1)) $((body0 + s / 8 + 1)),$((s / 4 - 1))"
  convert -size "${s}x${s}" "xc:$bg" +antialias -draw "$draw" "$out"
}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
chip 32 none "$tmp/icon32.png"
chip 16 none "$tmp/icon16.png"
convert "$tmp/icon32.png" "$tmp/icon16.png" qz8fsb.ico

# The About box picture: 32 x 32, 256 colours, on the dialog's grey.
chip 32 '#c0c0c0' "$tmp/about.png"
convert "$tmp/about.png" "$tmp/about.ppm"
python3 bmp8.py "$tmp/about.ppm" about.bmp

# The corner strip, 64 x 14: a clock wave in a sunken frame.
convert -size 64x14 xc:'#c0c0c0' +antialias -draw "fill #808080 rectangle 0,0 63,0 rectangle 0,0 0,13 \
  fill #ffffff rectangle 1,13 63,13 rectangle 63,1 63,13 fill #202840 rectangle 1,1 62,12 \
  stroke #ffd000 fill none polyline 3,10 10,10 10,3 17,3 17,10 24,10 24,3 31,3 31,10 38,10 38,3 45,3 45,10 52,10 52,3 60,3 \
  stroke none fill #e03020 rectangle 57,9 60,10" -type Palette BMP3:logo.bmp
