#!/bin/sh
# Makes the demo's sample pictures, committed next to this script:
#   sample.jpg  480 x 360 photo-like test pattern, baseline JPEG, 4:2:0, quality 90
#               (ImageMagick draws it into a PPM, cjpeg compresses it)
#   sample.bmp  160 x 120, 24-bit uncompressed BMP of the same pattern
# The plasma is seeded, so a rerun with the same ImageMagick gives the same pictures.
# Usage: samples/make_sample.sh   (needs ImageMagick's convert and cjpeg)
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# A sky-to-field backdrop with seeded plasma texture for photo-like noise and detail, then a
# sun, hills, a house and sharp-edged colour bars that show ringing and chroma bleeding.
convert -seed 42 -size 480x360 gradient:'#4a7fc9'-'#e9d8a6' \
    \( -size 480x360 plasma:'#6a8f3a'-'#2f5f2a' -blur 0x1 \) \
    \( -size 480x360 xc:black -fill white -draw 'rectangle 0,210 479,359' -blur 0x6 \) \
    -composite \
    -fill '#ffd84a' -stroke '#f0a020' -strokewidth 3 -draw 'circle 390,80 390,120' \
    -stroke none -fill '#3d6b2f' -draw 'ellipse 120,260 200,70 180,360' \
    -fill '#567d33' -draw 'ellipse 380,280 190,60 180,360' \
    -fill '#b8433a' -draw 'polygon 200,190 260,140 320,190' \
    -fill '#efe6d2' -draw 'rectangle 210,190 310,260' \
    -fill '#5a3b22' -draw 'rectangle 250,215 272,260' \
    -fill '#8fc3e8' -draw 'rectangle 222,202 244,224' -draw 'rectangle 280,202 302,224' \
    -fill red -draw 'rectangle 10,10 40,40' -fill lime -draw 'rectangle 44,10 74,40' \
    -fill blue -draw 'rectangle 78,10 108,40' -fill white -draw 'rectangle 112,10 142,40' \
    -stroke black -strokewidth 1 -draw 'line 10,50 142,50' -draw 'line 10,52 142,52' \
    -depth 8 "$scratch/sample.ppm"
cjpeg -quality 90 -sample 2x2,1x1,1x1 -optimize "$scratch/sample.ppm" > "$here/sample.jpg"
convert "$scratch/sample.ppm" -resize 160x120 -type TrueColor BMP3:"$here/sample.bmp"
ls -l "$here/sample.jpg" "$here/sample.bmp"
