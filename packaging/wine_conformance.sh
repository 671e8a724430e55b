#!/usr/bin/env bash
# wine_conformance.sh <mexw32|mexw64> <run folder> <wine prefix>: runs the
# conformance set on the Windows modules in a Windows process under Wine.
# Exit code 77 marks a skip (CTest reports it as skipped, never as passed).
set -uo pipefail
ext=$1 run=$2 prefix=$3
if ! command -v wine >/dev/null; then
  echo "SKIP: Wine is not installed"
  exit 77
fi
if [ "$ext" = mexw32 ] && [ ! -d /usr/lib/wine/i386-windows ]; then
  echo "SKIP: 32-bit Wine (Debian package wine32, architecture i386) is not" \
       "installed, so quorvane.mexw32 cannot run here"
  exit 77
fi
modules=(quorvane."$ext")
[ -f "$run/boot.$ext" ] && modules+=(boot."$ext")
mkdir -p "$prefix"
cd "$run" || exit 1
WINEPREFIX=$prefix WINEDEBUG=-all wine conformance.exe "${modules[@]}"
