#!/bin/sh
# CTest's emulator for the Windows build: runs one Windows executable under Wine.
# The test command (scripts/test.sh) provides DISPLAY (24-bit), VISTELLO_DISPLAY_8BIT (a
# 256-colour screen) and a throw-away WINEPREFIX; run on its own, this falls back to a prefix
# inside the build folder and a private Xvfb. Tests that set VISTELLO_SCREEN_DEPTH=8 run on
# the 256-colour screen with a prefix of their own.
set -e
here=$(cd "$(dirname "$0")" && pwd)
: "${WINEPREFIX:=$here/../build/windows/wineprefix}"
depth=${VISTELLO_SCREEN_DEPTH:-24}
if [ "$depth" = 8 ]; then
  WINEPREFIX="$WINEPREFIX-8bit"
  DISPLAY=${VISTELLO_DISPLAY_8BIT:-}
fi
export WINEPREFIX DISPLAY WINEDEBUG=-all LC_ALL=ja_JP.UTF-8
"$here/../scripts/wine-prefix.sh" "$WINEPREFIX"
if [ -z "$DISPLAY" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x$depth" wine "$@"
fi
exec wine "$@"
