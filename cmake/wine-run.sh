#!/bin/sh
# CTest's emulator for the Windows build: runs one Windows executable under Wine.
# The test command (scripts/test.sh) provides DISPLAY and a throw-away WINEPREFIX; run on its
# own, this falls back to a prefix inside the build folder and a private Xvfb.
set -e
here=$(cd "$(dirname "$0")" && pwd)
: "${WINEPREFIX:=$here/../build/windows/wineprefix}"
export WINEPREFIX WINEDEBUG=-all LC_ALL=ja_JP.UTF-8
"$here/../scripts/wine-prefix.sh" "$WINEPREFIX"
if [ -z "$DISPLAY" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" wine "$@"
fi
exec wine "$@"
