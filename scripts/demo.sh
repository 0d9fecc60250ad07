#!/bin/sh
# The demo command: installs what is missing, builds everything, packs the sample picture into
# a picture program with vistello-pack and runs it under Wine. On the current X display when
# there is one (close the window to end); otherwise on a private Xvfb, where it saves a
# screenshot of the window and prints the PNG's path.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh"
for preset in native windows; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" >/dev/null
done

demo="$root/build/demo"
mkdir -p "$demo"
program="$demo/sample.exe"
build/native/bin/vistello-pack make --stub build/windows/bin/vistello.exe samples/sample.jpg -o "$program" \
  --title "Vistello サンプル" --work-title "サンプル画像" \
  --comment "Vistello のサンプルです。
右クリックでメニューが開きます。"
echo "Picture program: $program"

export WINEPREFIX="$demo/wineprefix" WINEDEBUG=-all LC_ALL=ja_JP.UTF-8
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  exec wine "$program"
fi

screen=$("$root/scripts/xvfb.sh" 24) || { echo "Xvfb did not start" >&2; exit 1; }
set -- $screen
export DISPLAY=$1
xvfb_pid=$2
trap 'wineserver -k >/dev/null 2>&1; kill "$xvfb_pid" 2>/dev/null' EXIT
trap 'exit 130' INT TERM
"$root/scripts/wine-prefix.sh" "$WINEPREFIX"
wine "$program" &
# The window is up once something other than the black root shows on the screen.
shot="$demo/screenshot.png"
for _ in $(seq 1 100); do
  sleep 0.2
  import -window root "$demo/screen.png" 2>/dev/null || continue
  size=$(convert "$demo/screen.png" -trim -format '%wx%h' info: 2>/dev/null || echo 1x1)
  [ "$size" != "1x1" ] && [ "$size" != "1024x768" ] && break
done
sleep 1  # let the first paint finish
import -window root "$demo/screen.png"
convert "$demo/screen.png" -trim +repage "$shot"
rm -f "$demo/screen.png"
echo "Screenshot: $shot"
