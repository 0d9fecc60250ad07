#!/bin/sh
# Installs with apt-get whatever the builds, the tests and the demo need and is missing, and
# makes sure the Japanese UTF-8 locale exists (under it Wine's ANSI code page is 932). Packages
# are named without a version where Debian has such a name; the sanitizer runtime is the one
# of the installed clang. Fails, naming them, when packages are still missing afterwards.
set -e
packages="cmake make g++ clang googletest libgtest-dev perl
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  wine wine64 xvfb xauth x11-utils
  libjpeg-turbo-progs libjpeg-dev imagemagick netpbm locales fonts-wine fonts-ipafont-gothic"

sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
updated=0
apt_update() {
  [ "$updated" -eq 1 ] && return
  $sudo apt-get update -qq
  updated=1
}
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
missing_of() {
  missing=""
  for package in "$@"; do
    installed "$package" || missing="$missing $package"
  done
  echo "$missing"
}

missing=$(missing_of $packages)
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  apt_update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing >/dev/null
fi

# libFuzzer and the sanitizer runtimes belong to one clang version: the unversioned package
# where Debian has it (it follows the default clang), else the installed clang's own.
runtime=libclang-rt-dev
if ! installed "$runtime"; then
  apt_update
  if ! apt-cache show "$runtime" >/dev/null 2>&1; then
    major=$(clang --version | sed -nE 's/.*clang version ([0-9]+).*/\1/p' | head -n 1)
    runtime=libclang-rt-$major-dev
  fi
  if ! installed "$runtime"; then
    echo "Installing: $runtime"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$runtime" >/dev/null
  fi
fi

still=$(missing_of $packages $runtime)
if [ -n "$still" ]; then
  echo "setup: still missing after apt-get install:$still" >&2
  exit 1
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  $sudo sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
  locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$' || { echo "setup: the ja_JP.UTF-8 locale could not be made" >&2; exit 1; }
fi

# The programs the tests look for, which the packages above provide.
for program in cjpeg djpeg jpegtran convert ppmtobmp Xvfb xdpyinfo wine wineserver clang++ x86_64-w64-mingw32-g++-posix; do
  command -v "$program" >/dev/null 2>&1 || { echo "setup: $program is missing" >&2; exit 1; }
done
