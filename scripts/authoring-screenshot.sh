#!/bin/sh
# Remakes docs/authoring-window.png: the authoring window's Wine test runs on a private Xvfb and
# saves the window (a program opened back, every field filled) as it shows it; ImageMagick
# turns that into the PNG. Needs the windows build (cmake --build --preset windows).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
work=$(mktemp -d /tmp/vistello-shot.XXXXXX)
screen=$("$root/scripts/xvfb.sh" 24) || { echo "Xvfb did not start" >&2; exit 1; }
set -- $screen
export DISPLAY=$1 WINEPREFIX="$work/wineprefix" WINEDEBUG=-all LC_ALL=ja_JP.UTF-8
xvfb_pid=$2
trap 'wineserver -k >/dev/null 2>&1; kill "$xvfb_pid" 2>/dev/null; rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
"$root/scripts/wine-prefix.sh" "$WINEPREFIX"
VISTELLO_AUTHORING_SCREENSHOT="$work/window.ppm" wine build/windows/bin/win_tests.exe \
  --gtest_filter=AuthoringWindow.MakesWhatMakeMakesAndOpensItBack >"$work/test.log" 2>&1 || { cat "$work/test.log"; exit 1; }
convert "$work/window.ppm" docs/authoring-window.png
echo "Screenshot: docs/authoring-window.png"
