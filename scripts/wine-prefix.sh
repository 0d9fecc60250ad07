#!/bin/sh
# Makes sure the Wine prefix named by $1 exists and is set up for our tests:
#  - created once (wineboot), guarded by a lock because CTest may start several runs at a time;
#  - X11 driver "Managed"=N: without a window manager Wine otherwise waits about two seconds
#    whenever a window hides or a process ends.
set -e
prefix=$1
mkdir -p "$prefix"
export WINEPREFIX="$prefix" WINEDEBUG=-all
exec 9>"$prefix.lock"
flock 9
if [ ! -f "$prefix/.vistello-ready" ]; then
  wineboot -i >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  wineserver -w
  touch "$prefix/.vistello-ready"
fi
