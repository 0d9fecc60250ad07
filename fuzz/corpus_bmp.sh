#!/bin/sh
# Makes the seed corpus of the BMP fuzzer in fuzz/corpus/bmp/: every BMP depth and compression
# the reader handles, made with ImageMagick and netpbm where they write the form and byte by
# byte here where they do not (16 bits, RLE4, the delta escape, refused headers), in sizes
# from 1x1 to 8x8, plus two small JPEG files for the other side of the dispatch.
# Usage: fuzz/corpus_bmp.sh   (needs a POSIX shell, awk, ImageMagick, netpbm and cjpeg)
set -eu
export LC_ALL=C
out="$(cd "$(dirname "$0")" && pwd)/corpus/bmp"
mkdir -p "$out"
rm -f "$out"/*.bmp "$out"/*.jpg
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

u16() { printf "$(printf '\\%03o\\%03o' $(($1 & 255)) $(($1 >> 8 & 255)))"; }
u32() {
    v=$(( $1 & 0xFFFFFFFF ))
    printf "$(printf '\\%03o\\%03o\\%03o\\%03o' $((v & 255)) $((v >> 8 & 255)) $((v >> 16 & 255)) $((v >> 24 & 255)))"
}
# Bytes given as decimal numbers.
bytes() { for b in "$@"; do printf "$(printf '\\%03o' "$b")"; done; }
# File and info header: width height bitcount compression clrused offbits filesize.
headers() {
    printf 'BM'; u32 "$7"; u32 0; u32 "$6"
    u32 40; u32 "$1"; u32 "$2"; u16 1; u16 "$3"; u32 "$4"; u32 0; u32 2835; u32 2835; u32 "$5"; u32 0
}
# A colour table of n entries.
table() { i=0; while [ "$i" -lt "$1" ]; do bytes $((i * 16 % 256)) $((255 - i * 9 % 256)) $((i * 41 % 256)) 0; i=$((i + 1)); done; }

# Source pictures: a colour ramp per size.
for size in 1x1 3x2 5x3 8x8; do
    w=${size%x*}; h=${size#*x}
    { printf 'P6\n%s %s\n255\n' "$w" "$h"
      awk -v w="$w" -v h="$h" 'BEGIN { for (y = 0; y < h; ++y) for (x = 0; x < w; ++x)
          printf "%c%c%c", (x * 53 + 20) % 256, (y * 71 + 40) % 256, (x * 29 + y * 97) % 256 }'
    } > "$scratch/$size.ppm"
    src="$scratch/$size.ppm"
    convert "$src" BMP3:"$out/im24_$size.bmp"
    convert "$src" -define bmp3:alpha=true -alpha set BMP3:"$out/im32_$size.bmp"
    convert "$src" -colors 6 -type palette -compress RLE BMP3:"$out/imrle8_$size.bmp"
    convert "$src" -colors 6 -type palette -compress None -depth 4 BMP3:"$out/im4_$size.bmp"
    convert "$src" -monochrome BMP3:"$out/im1_$size.bmp"
    convert "$src" -colors 6 "$scratch/q.ppm"
    convert "$src" -monochrome "$scratch/m.ppm"
    ppmtobmp -bpp 24 "$src" > "$out/nb24_$size.bmp" 2>/dev/null
    ppmtobmp -bpp 8 "$scratch/q.ppm" > "$out/nb8_$size.bmp" 2>/dev/null
    ppmtobmp -bpp 4 "$scratch/q.ppm" > "$out/nb4_$size.bmp" 2>/dev/null
    ppmtobmp -bpp 1 "$scratch/m.ppm" > "$out/nb1_$size.bmp" 2>/dev/null
    ppmtobmp -os2 -bpp 4 "$scratch/q.ppm" > "$out/os2_4_$size.bmp" 2>/dev/null
    ppmtobmp -os2 -bpp 24 "$src" > "$out/os2_24_$size.bmp" 2>/dev/null
done

# 16 bits per pixel, 2x2: plain and with 5-6-5 bit-field masks (read as plain).
{ headers 2 2 16 0 0 54 70; bytes 0 124 224 3 0 0 0 0 31 0 255 127 0 0 0 0; } > "$out/rgb555_2x2.bmp"
{ headers 2 2 16 3 0 66 82; u32 63488; u32 2016; u32 31; bytes 0 248 224 7 0 0 0 0 31 0 255 255 0 0 0 0; } \
    > "$out/bitfields565_2x2.bmp"
# RLE8 with the delta escape, 8x6.
{ headers 8 6 8 1 4 70 100; table 4
  bytes 8 1 0 0  2 2 0 2 3 2 3 3 0 0  0 3 1 2 3 0 0 0  0 2 2 0 2 1 0 1; } > "$out/rle8_delta_8x6.bmp"
# RLE4 without and with the delta escape, 9x3 and 9x5.
{ headers 9 3 4 2 16 118 136; table 16
  bytes 9 18 0 0  0 5 52 86 112 0 4 136 0 0  3 154 0 1; } > "$out/rle4_9x3.bmp"
{ headers 9 5 4 2 16 118 142; table 16
  bytes 3 18 0 2 3 1 2 52 0 0  0 3 86 112 0 0  0 2 1 1 1 187 0 1; } > "$out/rle4_delta_9x5.bmp"
# Tiny core-header file, 1x1 at 1 bit per pixel (shorter than an info header).
{ printf 'BM'; u32 36; u32 0; u32 32; u32 12; u16 1; u16 1; u16 1; u16 1; bytes 0 0 0 255 255 255 128 0 0 0; } \
    > "$out/core1_1x1.bmp"
# Refused or failing forms: top-down, compression 4, 257 colours.
{ headers 2 -2 24 0 0 54 70; bytes 1 2 3 4 5 6 0 0 7 8 9 10 11 12 0 0; } > "$out/topdown_2x2.bmp"
{ headers 2 2 8 4 2 62 70; table 2; bytes 0 1 0 0 1 0 0 0; } > "$out/compression4_2x2.bmp"
{ headers 1 1 8 0 257 1082 1086; table 257; bytes 0 0 0 0; } > "$out/clrused257_1x1.bmp"

# The other side of the dispatch.
cjpeg -quality 75 "$scratch/8x8.ppm" > "$out/baseline_8x8.jpg"
cjpeg -progressive "$scratch/8x8.ppm" > "$out/progressive_8x8.jpg"
echo "wrote $(ls "$out" | wc -l) files to $out"
