#!/bin/sh
# Makes the seed corpus of the package fuzzer in fuzz/corpus/package/: packages (without a
# program in front) written byte by byte here, independently of the package writer. They cover
# the item combinations a package can have plus the damaged forms the readers must refuse.
# Usage: fuzz/corpus_package.sh   (needs a POSIX shell, awk and cjpeg; rerun to regenerate)
set -eu
export LC_ALL=C
out="$(cd "$(dirname "$0")" && pwd)/corpus/package"
mkdir -p "$out"
rm -f "$out"/*.pkg
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# int32 little-endian, possibly negative.
i32() {
    v=$(( $1 & 0xFFFFFFFF ))
    printf "$(printf '\\%03o\\%03o\\%03o\\%03o' $((v & 255)) $((v >> 8 & 255)) $((v >> 16 & 255)) $((v >> 24 & 255)))"
}
# A text: its bytes, then a zero byte.
text() { printf '%s' "$1"; printf '\000'; }
# The three texts and the five settings before the link flag.
head8() { text "$1"; text "$2"; text "$3"; i32 "$4"; i32 "$5"; i32 "$6"; i32 "$7"; i32 "$8"; }

# A real 8x8 JPEG and a small BMP as pictures.
printf 'P6\n8 8\n255\n' > "$scratch/p.ppm"
awk 'BEGIN { for (i = 0; i < 192; ++i) printf "%c", (i * 37) % 200 + 30 }' >> "$scratch/p.ppm"
cjpeg -quality 75 "$scratch/p.ppm" > "$scratch/p.jpg"
printf 'BM' > "$scratch/p.bmp"; head -c 60 /dev/zero >> "$scratch/p.bmp"
jpg_len=$(wc -c < "$scratch/p.jpg")
bmp_len=$(wc -c < "$scratch/p.bmp")

{ head8 "" "" "" 0 1 3 0 0; i32 -1; i32 -1; i32 "$jpg_len"; cat "$scratch/p.jpg"; } > "$out/minimal_jpeg.pkg"
{ head8 "Title" "Work" "$(printf 'line one\r\nline two')" 5 1 3 -1 1; i32 1; i32 2; text "http://example.com/"; text "";
  i32 -1; i32 "$jpg_len"; cat "$scratch/p.jpg"; } > "$out/link_at_close.pkg"
{ head8 "T" "W" "C" 0 2 5 0 0; i32 1; i32 1; text '*\readme.txt'; text "/p"; i32 1; i32 "$bmp_len"; cat "$scratch/p.bmp";
  i32 2; text "readme.txt"; i32 5; printf 'hello'; text 'sub\empty.bin'; i32 0; } > "$out/link_and_files_bmp.pkg"
{ head8 "" "" "" 0 1 3 0 0; i32 -1; i32 1; i32 2; printf '\377\330'; i32 0; } > "$out/zero_files.pkg"
{ head8 "" "" "" 0 1 3 0 0; i32 2; i32 1; text "x"; text ""; i32 -1; i32 2; printf '\377\330'; } > "$out/link_flag_2.pkg"
{ head8 "" "" "" 0 1 3 0 0; i32 0; i32 -1; i32 2; printf '\377\330'; } > "$out/link_flag_0.pkg"
{ head8 "" "" "" 0 1 3 0 0; i32 -1; i32 1; i32 -4; printf '\377\330'; i32 1; } > "$out/negative_picture_length.pkg"
{ head8 "" "" "" 0 1 3 0 0; i32 -1; i32 1; i32 2; printf '\377\330'; i32 -1; } > "$out/negative_count.pkg"
{ head8 "" "" "" 0 1 3 0 0; i32 -1; i32 1; i32 2; printf '\377\330'; i32 1; text '..\x'; i32 1; printf 'x'; } > "$out/name_leaving_folder.pkg"
{ head8 "" "" "" 0 1 3 0 0; i32 -1; i32 -1; i32 2147483647; printf '\377\330'; } > "$out/huge_picture_length.pkg"
printf 'a text that never ends' > "$out/unended_text.pkg"
echo "wrote $(ls "$out" | wc -l) seeds to $out"
