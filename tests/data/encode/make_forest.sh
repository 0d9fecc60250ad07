#!/bin/sh
# Makes forest.jpg, the photograph the encoder tests and bench_fit scale up to camera size:
# a 1050 x 700 crop at full resolution of the "Path" wallpaper by Risto Saukonpää (LGPL-3),
# from Debian's plasma-workspace-wallpapers package, downloaded, not installed.
# Needs apt-get, dpkg, ImageMagick and cjpeg.
set -e
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
apt-get download plasma-workspace-wallpapers >/dev/null
dpkg -x plasma-workspace-wallpapers_*.deb unpacked
convert unpacked/usr/share/wallpapers/Path/contents/images/2560x1600.jpg -crop 1050x700+700+450 +repage ppm:crop.ppm
cjpeg -quality 92 -outfile "$here/forest.jpg" crop.ppm
