#!/bin/sh
# The test command: installs what is missing, builds the native, sanitized, Windows and fuzz
# builds, runs every test (the Windows tests under Wine on a private Xvfb with a throw-away
# WINEPREFIX, so the user's own Wine set-up is never touched), runs each fuzzer for a bounded
# time, and ends with one line "N passed, N failed, N skipped".
#
# Every GoogleTest case counts once, native or under Wine, and so does every other CTest test
# and every fuzzer run; a build step that fails counts as one failure. The set-up has just
# installed everything the tests look for, so a skipped test means a broken set-up: the
# command fails on it like on a failure.
# Environment: FUZZ_SECONDS (per fuzz target, default 60).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

work=$(mktemp -d /tmp/vistello-test.XXXXXX) || exit 1
xvfb_pid=""
xvfb8_pid=""
cleanup() {
  if [ -n "${WINEPREFIX:-}" ]; then
    wineserver -k >/dev/null 2>&1
    WINEPREFIX="$WINEPREFIX-8bit" wineserver -k >/dev/null 2>&1
  fi
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  [ -n "$xvfb8_pid" ] && kill "$xvfb8_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

"$root/scripts/setup.sh" || { echo "set-up failed" >&2; exit 1; }

# xvfb.sh prints "DISPLAY PID"; its status is checked before the words are used.
screen=$("$root/scripts/xvfb.sh" 24) || { echo "the 24-bit Xvfb did not start" >&2; exit 1; }
set -- $screen
export DISPLAY=$1
xvfb_pid=$2
screen=$("$root/scripts/xvfb.sh" 8) || { echo "the 8-bit Xvfb did not start" >&2; exit 1; }
set -- $screen
export VISTELLO_DISPLAY_8BIT=$1
xvfb8_pid=$2
export WINEPREFIX="$work/wineprefix" WINEDEBUG=-all

passed=0
failed=0
skipped=0
add() {  # passed failed skipped
  passed=$((passed + $1))
  failed=$((failed + $2))
  skipped=$((skipped + $3))
}
step() {  # runs a build step; a failed step counts as one failure
  echo "== $*"
  if ! "$@" >"$work/step.log" 2>&1; then
    tail -n 60 "$work/step.log"
    add 0 1 0
    return 1
  fi
}
# The CTest summary of a log: "total failed skipped", or nothing when the run ended without one.
ctest_counts() {
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -n 1)
  [ -n "$line" ] || return 1
  total=$(echo "$line" | sed -E 's/.* out of ([0-9]+).*/\1/')
  bad=$(echo "$line" | sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/')
  skips=$(grep -cE '^[[:space:]]*[0-9]+ - .* \(Skipped\)$' "$1")
  echo "$total $bad $skips"
}
# What failed, from a CTest log with its output on failure: the failed GoogleTest cases with the
# first lines of each failure, and CTest's timeouts and crashes, so a CI log says what broke.
print_failures() {
  grep -E -A 8 ': Failure$|^\[  FAILED  \]|\*\*\*(Timeout|Exception)' "$1" | head -n 120
}
# Sums the GoogleTest XML reports in a folder: "tests failed skipped".
gtest_counts() {
  cat "$1"/*.xml 2>/dev/null | awk '
    /<testsuite / {
      for (i = 1; i <= NF; ++i) {
        if ($i ~ /^tests="/) { gsub(/[^0-9]/, "", $i); t += $i }
        if ($i ~ /^failures="/) { gsub(/[^0-9]/, "", $i); f += $i }
        if ($i ~ /^errors="/) { gsub(/[^0-9]/, "", $i); f += $i }
        if ($i ~ /^skipped="/) { gsub(/[^0-9]/, "", $i); s += $i }
      }
    }
    END { print t + 0, f + 0, s + 0 }'
}
run_ctest() {  # preset: runs its tests and adds CTest's counts
  echo "== ctest --preset $1"
  ctest --preset "$1" >"$work/ctest-$1.log" 2>&1
  tail -n 15 "$work/ctest-$1.log"
  if ! counts=$(ctest_counts "$work/ctest-$1.log"); then
    tail -n 80 "$work/ctest-$1.log"
    add 0 1 0
    return
  fi
  set -- $counts
  [ "$2" -gt 0 ] && print_failures "$work/ctest-$1.log"
  add $(($1 - $2 - $3)) "$2" "$3"
}

# vistello-pack's command-line tests pack the real program, run vistello-pack.exe too and look
# into the release archive: the Windows build and its package come before the native tests.
step cmake --preset windows && step cmake --build --preset windows --target package
for preset in native asan; do
  step cmake --preset "$preset" && step cmake --build --preset "$preset" && run_ctest "$preset"
done

# Under Wine each CTest test runs a whole GoogleTest executable, which writes an XML report;
# the cases in the reports are what counts. A test that failed without reporting a failed case
# (a crash, a timeout) counts as one more failure.
if step cmake --preset windows && step cmake --build --preset windows; then
  reports=build/windows/test-reports
  rm -f "$reports"/*.xml
  echo "== ctest --preset windows"
  ctest --preset windows >"$work/ctest-windows.log" 2>&1
  tail -n 15 "$work/ctest-windows.log"
  grep -qE '[1-9][0-9]* tests? failed out of' "$work/ctest-windows.log" && print_failures "$work/ctest-windows.log"
  cases=$(gtest_counts "$reports")
  set -- $cases
  if [ "$1" -eq 0 ]; then
    echo "no GoogleTest report came back from Wine"
    add 0 1 0
  fi
  add $(($1 - $2 - $3)) "$2" "$3"
  case_failures=$2
  if counts=$(ctest_counts "$work/ctest-windows.log"); then
    set -- $counts
    ctest_failed=$2
  else
    tail -n 80 "$work/ctest-windows.log"
    ctest_failed=$((case_failures + 1))
  fi
  [ "$ctest_failed" -gt "$case_failures" ] && add 0 $((ctest_failed - case_failures)) 0
fi

fuzz_seconds=${FUZZ_SECONDS:-60}
if step cmake --preset fuzz && step cmake --build --preset fuzz; then
  "$root/scripts/fuzz.sh" --scratch "$fuzz_seconds" | tee "$work/fuzz.log"
  counts=$(sed -nE 's/^fuzz: ([0-9]+) passed, ([0-9]+) failed$/\1 \2/p' "$work/fuzz.log")
  set -- $counts
  if [ $# -eq 2 ]; then
    add "$1" "$2" 0
  else
    add 0 1 0
  fi
fi

echo
if [ "$skipped" -gt 0 ]; then
  echo "$skipped tests skipped although the set-up ran: what they need is missing, the set-up is broken"
fi
echo "$passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ] && [ "$skipped" -eq 0 ]
