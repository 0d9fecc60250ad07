#!/bin/sh
# Makes the seed corpus of the JPEG fuzz targets (fuzz/corpus/jpeg) with the reference tools:
# ImageMagick for a deterministic source picture, cjpeg and jpegtran for the files. Covers
# quality bands, every sampling layout, greyscale, progressive files with successive
# approximation, restart intervals, one component per scan, sizes from 1x1 up, and a few
# refused or truncated files. Run from anywhere: sh fuzz/corpus_jpeg.sh
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out="$here/corpus/jpeg"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
rm -f "$out"/*.jpg

source_picture() {  # width height file
    convert -size "$1x$2" -seed 7 plasma:fractal -depth 8 "ppm:$3"
}

n=0
emit() {  # name options... (cjpeg options; the source is $src)
    name=$1; shift
    cjpeg "$@" -outfile "$out/$name.jpg" "$src"
    n=$((n + 1))
}

src="$work/p48x32.ppm"; source_picture 48 32 "$src"
for q in 10 50 90 100; do emit "q${q}_420" -quality $q -baseline -sample 2x2; done
emit q75_444 -quality 75 -sample 1x1
emit q75_422 -quality 75 -sample 2x1
emit q75_440 -quality 75 -sample 1x2
emit q75_grey -quality 75 -grayscale
emit q75_grey_22 -quality 75 -grayscale -sample 2x2
emit q75_prog_420 -quality 75 -progressive
emit q75_prog_444 -quality 75 -progressive -sample 1x1
emit q75_prog_440 -quality 75 -progressive -sample 1x2
emit q75_prog_grey -quality 75 -progressive -grayscale
emit q75_rst_row -quality 75 -restart 1
emit q75_rst_1mcu -quality 75 -restart 1B
emit q75_rst_3mcu -quality 75 -restart 3B -sample 1x1
emit q75_rst_5mcu_prog -quality 75 -restart 5B -progressive
emit q10_sof1 -quality 10
emit q75_arith -quality 75 -arithmetic
emit q75_opt -quality 75 -optimize

# Larger files: entropy-coded runs of several kilobytes, where the fast entropy path runs.
src="$work/p128x96.ppm"; source_picture 128 96 "$src"
emit big_q95_444 -quality 95 -sample 1x1
emit big_q95_420_rst -quality 95 -restart 4B
emit big_q95_prog -quality 95 -progressive

for size in 1x1 2x2 8x8 17x9 20x18 28x18 33x31; do
    src="$work/p$size.ppm"; source_picture ${size%x*} ${size#*x} "$src"
    emit "s${size}_420" -quality 80 -sample 2x2
    emit "s${size}_prog" -quality 80 -progressive
done

src="$work/p48x32.ppm"
printf '0;\n1;\n2;\n' > "$work/separate.txt"
cjpeg -quality 75 -outfile "$work/base.jpg" "$src"
jpegtran -scans "$work/separate.txt" -outfile "$out/separate_scans.jpg" "$work/base.jpg"
jpegtran -scans "$work/separate.txt" -restart 2B -outfile "$out/separate_scans_rst.jpg" "$work/base.jpg"
jpegtran -progressive -restart 1 -outfile "$out/prog_rst_tran.jpg" "$work/base.jpg"
# Successive approximation down to Al = 0 in several steps, with DC and AC refinements.
printf '0,1,2: 0-0, 0, 2;\n0: 1-5, 0, 2;\n1: 1-63, 0, 1;\n2: 1-63, 0, 1;\n0: 6-63, 0, 2;\n0: 1-63, 2, 1;\n0,1,2: 0-0, 2, 1;\n0,1,2: 0-0, 1, 0;\n1: 1-63, 1, 0;\n2: 1-63, 1, 0;\n0: 1-63, 1, 0;\n' > "$work/approx.txt"
jpegtran -scans "$work/approx.txt" -outfile "$out/successive_approx.jpg" "$work/base.jpg"
# Cut files: baseline in its entropy data, progressive in its third scan.
head -c 700 "$out/q75_rst_row.jpg" > "$out/cut_baseline.jpg"
head -c 600 "$out/q75_prog_420.jpg" > "$out/cut_progressive.jpg"
echo "made $(ls "$out" | wc -l) files in $out"
