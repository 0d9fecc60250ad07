#!/bin/sh
# The test command: installs what is missing, builds the native, Windows and fuzz builds, runs
# every test (the Windows tests under Wine on a private Xvfb with a throw-away WINEPREFIX, so the
# user's own Wine set-up is never touched), runs each fuzzer for a bounded time, and ends with
# one line "N passed, N failed".
# Environment: FUZZ_SECONDS (per fuzz target, default 60).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh" || exit 1

work=$(mktemp -d /tmp/vistello-test.XXXXXX)
set -- $("$root/scripts/xvfb.sh" 24) || exit 1
export DISPLAY=$1
xvfb_pid=$2
set -- $("$root/scripts/xvfb.sh" 8) || exit 1
export VISTELLO_DISPLAY_8BIT=$1
xvfb8_pid=$2
export WINEPREFIX="$work/wineprefix" WINEDEBUG=-all
cleanup() {
  wineserver -k >/dev/null 2>&1
  WINEPREFIX="$WINEPREFIX-8bit" wineserver -k >/dev/null 2>&1
  kill "$xvfb_pid" "$xvfb8_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

passed=0
failed=0
count_ctest() {  # adds the counts of a ctest log to the totals
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -n 1)
  if [ -z "$line" ]; then failed=$((failed + 1)); return; fi
  total=$(echo "$line" | sed -E 's/.* out of ([0-9]+).*/\1/')
  bad=$(echo "$line" | sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/')
  passed=$((passed + total - bad))
  failed=$((failed + bad))
}
step() {  # runs a build step; a failed step counts as one failure
  echo "== $*"
  if ! "$@" >"$work/step.log" 2>&1; then
    tail -n 60 "$work/step.log"
    failed=$((failed + 1))
    return 1
  fi
}

# vistello-pack's command-line tests pack the real program: build it before the native tests.
step cmake --preset windows && step cmake --build --preset windows --target vistello
for preset in native windows; do
  if step cmake --preset "$preset" && step cmake --build --preset "$preset"; then
    echo "== ctest --preset $preset"
    ctest --preset "$preset" >"$work/ctest-$preset.log" 2>&1
    tail -n 15 "$work/ctest-$preset.log"
    grep -q 'tests passed' "$work/ctest-$preset.log" || tail -n 80 "$work/ctest-$preset.log"
    count_ctest "$work/ctest-$preset.log"
  fi
done

fuzz_seconds=${FUZZ_SECONDS:-60}
if step cmake --preset fuzz && step cmake --build --preset fuzz; then
  for fuzzer in build/fuzz/bin/fuzz_*; do
    case "$fuzzer" in *_replay) continue ;; esac
    name=$(basename "$fuzzer" | sed 's/^fuzz_//')
    corpus="$work/corpus-$name"
    mkdir -p "$corpus" build/fuzz/artifacts
    echo "== $fuzzer for ${fuzz_seconds}s"
    # A target without seeds of its own (jpeg_entropy_diff) takes those of its parser (jpeg).
    seeds=$name
    [ -d "fuzz/corpus/$seeds" ] || seeds=${name%%_*}
    options=""
    [ -f "fuzz/$seeds.dict" ] && options="-dict=fuzz/$seeds.dict"
    [ -d "fuzz/corpus/$seeds" ] && options="$options fuzz/corpus/$seeds"
    if "$fuzzer" -max_total_time="$fuzz_seconds" -max_len=1048576 -timeout=10 -rss_limit_mb=2048 \
         -artifact_prefix=build/fuzz/artifacts/ "$corpus" $options >"$work/fuzz-$name.log" 2>&1; then
      passed=$((passed + 1))
      grep -E '^(Done|#[0-9]+ +DONE)' "$work/fuzz-$name.log" | tail -n 1
    else
      tail -n 40 "$work/fuzz-$name.log"
      failed=$((failed + 1))
    fi
  done
fi

echo
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
