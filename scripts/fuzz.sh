#!/bin/sh
# Runs every libFuzzer target of the fuzz build for SECONDS each, over its corpus in
# fuzz/corpus/<name> (and the dictionary fuzz/<name>.dict, or that of its parser, when there is
# one). New inputs that add coverage are merged into the corpus (-merge=1, so only inputs that
# add something are kept), and the runs are added to the running totals in fuzz/README.md:
# commit both afterwards. A crash or a leak ends that target's run; its input is kept in
# build/fuzz/artifacts/ (once fixed, add it to tests/data/regress/<name>/).
#
#   scripts/fuzz.sh SECONDS             fuzz, grow the corpora, count the runs
#   scripts/fuzz.sh --scratch SECONDS   fuzz without touching the tree (the test command)
#
# Ends with "fuzz: N passed, N failed" and fails when any target failed.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
keep=1
if [ "${1:-}" = "--scratch" ]; then
  keep=0
  shift
fi
seconds=${1:-}
case "$seconds" in
  '' | *[!0-9]*) echo "usage: scripts/fuzz.sh [--scratch] SECONDS" >&2; exit 2 ;;
esac

work=$(mktemp -d /tmp/vistello-fuzz.XXXXXX) || exit 1
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM

if ! { cmake --preset fuzz && cmake --build --preset fuzz; } >"$work/build.log" 2>&1; then
  tail -n 60 "$work/build.log"
  echo "fuzz: 0 passed, 1 failed"
  exit 1
fi

# Adds runs to the target's line of the totals table in fuzz/README.md (a new line if none).
add_runs() {  # name runs
  table=fuzz/README.md
  if grep -q "^| \`$1\` |" "$table"; then
    awk -v name="$1" -v runs="$2" '
      BEGIN { FS = " \\| " }
      $0 ~ "^\\| `" name "` \\|" { n = $2; gsub(/[^0-9]/, "", n); $0 = "| `" name "` | " n + runs " |" }
      { print }' "$table" >"$work/table" && cat "$work/table" >"$table"
  else
    echo "| \`$1\` | $2 |" >>"$table"
  fi
}

passed=0
failed=0
mkdir -p build/fuzz/artifacts
for fuzzer in build/fuzz/bin/fuzz_*; do
  case "$fuzzer" in *_replay) continue ;; esac
  name=$(basename "$fuzzer" | sed 's/^fuzz_//')
  corpus=fuzz/corpus/$name
  new=$work/new-$name
  mkdir -p "$new"
  dict=""
  for candidate in "fuzz/$name.dict" "fuzz/${name%%_*}.dict"; do
    if [ -f "$candidate" ]; then dict="-dict=$candidate"; break; fi
  done
  echo "== $fuzzer for ${seconds}s"
  # The first folder receives the new inputs; the corpus is only read.
  if "$fuzzer" -max_total_time="$seconds" -max_len=1048576 -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="build/fuzz/artifacts/$name-" $dict "$new" "$corpus" >"$work/$name.log" 2>&1; then
    runs=$(sed -nE 's/^Done ([0-9]+) runs in .*/\1/p' "$work/$name.log" | tail -n 1)
    echo "$name: ${runs:-0} runs, nothing found"
    passed=$((passed + 1))
    if [ "$keep" -eq 1 ]; then
      "$fuzzer" -merge=1 $dict "$corpus" "$new" >"$work/$name-merge.log" 2>&1 || tail -n 20 "$work/$name-merge.log"
      add_runs "$name" "${runs:-0}"
    fi
  else
    tail -n 40 "$work/$name.log"
    failed=$((failed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
