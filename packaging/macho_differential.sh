#!/usr/bin/env bash
# macho_differential.sh <native driver> <emulator driver>
#     <quorvane.mexa64 built with libc++> <boot.mexa64> <quorvane.mexmaca64>
#     <boot.mexmaca64> <quorvane.mexa64 built with libstdc++>: the same 2 000
# random calls per function through the Linux module and through the macOS
# bundle in the arm64 emulator; the transcripts must be equal. For quorvane
# the Linux module is built with the C++ library the bundle uses (its
# selection step decides the order of the sums); how many calls differ from
# the libstdc++ build is reported, not judged. A NaN that
# an operation makes is positive on arm64 and negative on x86, so there any
# NaN matches a NaN; every other bit must be the same.
set -uo pipefail
native=$1 emulated=$2
here=$(cd "$(dirname "$0")" && pwd)
calls=2000
seed=20261210
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
for pair in "quorvane $3 $5" "boot $4 $6"; do
  read -r f linux bundle <<<"$pair"
  "$native" "$f" "$linux" $calls $seed --any-nan >"$scratch/linux.txt"
  "$emulated" "$f" "$bundle" $calls $seed --any-nan >"$scratch/macos.txt"
  bash "$here/compare_transcripts.sh" "$(basename "$bundle")" $calls \
    "$scratch/linux.txt" "$scratch/macos.txt" || failed=1
done
"$native" quorvane "$7" $calls $seed --any-nan >"$scratch/libstdcxx.txt"
"$emulated" quorvane "$5" $calls $seed --any-nan >"$scratch/macos.txt"
echo "(against quorvane built with libstdc++, $(diff "$scratch/libstdcxx.txt" \
  "$scratch/macos.txt" | grep -c '^<') of $calls calls differ: the last bits" \
  "of sums taken in libc++'s selection order)"
exit $failed
