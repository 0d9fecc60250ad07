#!/bin/sh
# Starts a private Xvfb on the first free display from :90 and prints "DISPLAY PID".
# Usage: xvfb.sh [DEPTH]   (24 by default; 8 gives a 256-colour screen)
depth=${1:-24}
for n in $(seq 90 120); do
  [ -e "/tmp/.X$n-lock" ] && continue
  Xvfb ":$n" -screen 0 "1024x768x$depth" -nolisten tcp >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 1 50); do
    if xdpyinfo -display ":$n" >/dev/null 2>&1; then echo ":$n $pid"; exit 0; fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$pid" 2>/dev/null
done
echo "no free X display for Xvfb" >&2
exit 1
