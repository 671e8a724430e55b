#!/usr/bin/env bash
# Builds the Octave modules and runs the bootstrap demo in Octave.
# Usage: bash scripts/demo.sh
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
need_packages "${BUILD_PACKAGES[@]}" "${OCTAVE_PACKAGES[@]}"

cmake --preset release >/dev/null
cmake --build --preset release --target quorvane_octave boot_octave
cd build/octave
octave-cli --no-gui --no-init-file --no-history --quiet \
  --eval 'demo_bootstrap (fullfile (pwd (), "bootstrap_demo.png"))'
