#!/bin/sh
# Makes the seed corpus of the fit fuzzer in fuzz/corpus/fit/. Each input is a 10-byte header
# (stored width and height, box width and height as 16-bit little-endian numbers, then quality
# and orientation bytes; the target takes them modulo its ranges) followed by pixel bytes that
# the target repeats over the picture.
# Usage: fuzz/corpus_fit.sh   (needs a POSIX shell; rerun to regenerate)
set -eu
export LC_ALL=C
out="$(cd "$(dirname "$0")" && pwd)/corpus/fit"
mkdir -p "$out"
rm -f "$out"/*.bin

u16() { printf "$(printf '\\%03o\\%03o' $(($1 & 255)) $(($1 >> 8 & 255)))"; }
byte() { printf "$(printf '\\%03o' "$1")"; }
# seed NAME W-1 H-1 BOXW BOXH QUALITY-1 ORIENTATION-1 PIXELS
seed() {
    { u16 "$2"; u16 "$3"; u16 "$4"; u16 "$5"; byte "$6"; byte "$7"; printf '%s' "$8"; } >"$out/$1.bin"
}
seed 1x1_no_box            0   0    0   0  89 0 "abc"
seed 17x9_upright          16  8    0   0  89 0 "0123456789abcdef"
seed 64x48_into_32x32      63  47   32  32 89 0 "grey gradient ...."
seed 100x30_turn6          99  29   0   0  49 5 "\377\000\177"
seed 33x31_mirror_into_8x8 32  30   8   8  0  1 "x"
seed 512x512_into_100x50   511 511  100 50 99 7 "dense\001\002\003\004\005"
seed 5x200_turn8_box_10    4   199  10  10 74 7 "stripes"
seed 300x2_every_quality   299 1    150 150 29 3 "q"
