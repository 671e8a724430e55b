#!/usr/bin/env bash
# Runs the Windows modules in a Windows process under Wine.
#   wine_run.sh conformance <mexw32|mexw64> <run folder> <wine prefix>
#       the conformance table
#   wine_run.sh differential <mexw32|mexw64> <run folder> <wine prefix>
#               <native differential driver> <quorvane.mexa64> <boot.mexa64>
#       2 000 random calls per module; the transcript must equal the Linux
#       module's, line for line
# Exit code 77 marks a skip (CTest reports it as skipped, never as passed):
# only when Wine cannot run a program of the module's architecture at all.
set -uo pipefail
mode=$1 ext=$2 run=$3 prefix=$4
here=$(cd "$(dirname "$0")" && pwd)
calls=2000
seed=20261210

if ! command -v wine >/dev/null; then
  echo "SKIP: Wine is not installed"
  exit 77
fi
mkdir -p "$prefix"
cd "$run" || exit 1
export WINEPREFIX=$prefix WINEDEBUG=-all

# Ask Wine: a program that only prints must run.
if ! probe=$(wine wine_probe.exe 2>&1) || [[ $probe != *"Windows program ran"* ]]; then
  bits=64
  [ "$ext" = mexw32 ] && bits=32
  echo "SKIP: Wine cannot run a $bits-bit Windows program here, so" \
       "the $ext modules cannot run. Wine said:"
  echo "$probe" | tail -5
  [ "$ext" = mexw32 ] &&
    echo "(32-bit Wine is Debian's wine32:i386; where the machine cannot run" \
         "32-bit x86 code itself, scripts/deps.sh lets qemu-i386 run it)"
  exit 77
fi
echo "$probe"

functions=(quorvane)
[ -f "boot.$ext" ] && functions+=(boot)

case $mode in
  conformance)
    flags=()
    [ "$ext" = mexw32 ] && flags=(--sizes700)
    modules=()
    for f in "${functions[@]}"; do modules+=("$f.$ext"); done
    wine conformance.exe "${flags[@]}" "${modules[@]}"
    ;;

  differential)
    driver=$5
    declare -A linux=([quorvane]=$6 [boot]=$7)
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
    failed=0
    for f in "${functions[@]}"; do
      "$driver" "$f" "${linux[$f]}" $calls $seed >"$scratch/linux.txt"
      wine differential.exe "$f" "$f.$ext" $calls $seed | tr -d '\r' \
        >"$scratch/windows.txt"
      bash "$here/compare_transcripts.sh" "$f.$ext" $calls \
        "$scratch/linux.txt" "$scratch/windows.txt" || failed=1
    done
    exit $failed
    ;;
esac
