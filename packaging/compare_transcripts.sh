#!/usr/bin/env bash
# compare_transcripts.sh <label> <calls> <reference transcript> <transcript>:
# the differential run's verdict. Both runs must give <calls> lines, equal
# line for line.
set -uo pipefail
label=$1 calls=$2 reference=$3 other=$4
lines=$(wc -l <"$reference")
if [ "$lines" -ne "$calls" ]; then
  echo "FAIL $label: the reference run gave $lines lines, not $calls"
  exit 1
fi
if cmp -s "$reference" "$other"; then
  echo "PASS $label: $calls random calls, transcript equal to the Linux" \
       "module's ($(grep -c ' error ' "$reference") messages," \
       "$(grep -c 'warning' "$reference") with warnings)"
  exit 0
fi
echo "FAIL $label: the transcripts differ; first differences:"
diff "$reference" "$other" | head -10
exit 1
