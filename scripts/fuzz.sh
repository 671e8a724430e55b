#!/usr/bin/env bash
# Runs each fuzzer for a bounded time and fails on any finding.
# Usage: bash scripts/fuzz.sh [seconds per fuzzer, default 60]
# (after: cmake --preset fuzz && cmake --build --preset fuzz)
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
status=0
for fuzzer in quorvane boot; do
  work=build/fuzz/runs/$fuzzer
  mkdir -p "$work/corpus" "$work/findings"
  log=$work/last.log
  # New inputs go to the build folder; the committed seeds are only read.
  build/fuzz/fuzz/${fuzzer}_fuzz -max_total_time="$seconds" -timeout=20 \
    -print_final_stats=1 -artifact_prefix="$work/findings/" \
    "$work/corpus" "fuzz/corpus/$fuzzer" >"$log" 2>&1
  rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  findings=$(find "$work/findings" -type f | wc -l)
  echo "${fuzzer}_fuzz: ${runs:-0} executions in ${seconds} s, ${findings} findings (exit ${rc})"
  if [ "$rc" -ne 0 ] || [ "$findings" -ne 0 ]; then
    grep -E "ERROR|SUMMARY|fuzz check failed|runtime error" "$log" | head -20
    echo "findings: $work/findings/ (reproduce: build/fuzz/fuzz/${fuzzer}_fuzz <file>)"
    status=1
  fi
done
exit $status
