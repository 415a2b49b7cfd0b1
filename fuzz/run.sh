#!/usr/bin/env bash
# Runs every fuzz target built in BUILD for SECONDS each (default 30), starting from its
# seed corpus in fuzz/corpus/<target>/ and the words in fuzz/<target>.dict where there is
# one. Any finding (a crash, a property violated, a hang of over 10 s on one input, a
# leak) fails the run; the input that caused it is kept in BUILD/findings/<target>/. Turn
# it into a regression test and add it to the corpus.
#
#   fuzz/run.sh [SECONDS] [BUILD]        BUILD defaults to build-fuzz (cmake --preset fuzz)
set -uo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-30} build=${2:-build-fuzz}

# The targets' throw-away files, in memory where there is room, gone when the run ends.
scratch=$(mktemp -d "$([ -d /dev/shm ] && echo /dev/shm || echo /tmp)/norvik-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch

rm -rf "$build/fuzz-runs" "$build/findings"
passed=0 failed=0
for binary in "$build"/fuzz/*_fuzz; do
  target=$(basename "$binary" _fuzz)
  # New inputs go to a scratch corpus; the seeds in the repository are only read.
  runs="$build/fuzz-runs/$target" findings="$build/findings/$target" log="$build/fuzz-runs/$target.log"
  mkdir -p "$runs" "$findings"
  dict=()
  [ -f "fuzz/$target.dict" ] && dict=(-dict="fuzz/$target.dict")
  if "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix="$findings/" "${dict[@]}" "$runs" "fuzz/corpus/$target" >"$log" 2>&1; then
    echo "fuzz $target: passed, $(sed -n 's/^stat::number_of_executed_units: *//p' "$log") executions in ${seconds} s"
    passed=$((passed + 1))
    rmdir "$findings"
  else
    echo "fuzz $target: FAILED (log: $log)"
    grep -E 'property violated|ERROR|SUMMARY|Test unit written|deadly signal|timeout' "$log" | head -20 | sed 's/^/  /'
    failed=$((failed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
