#!/usr/bin/env bash
# Builds the modules and runs the example. Usage: bash scripts/demo.sh
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
need_packages "${BUILD_PACKAGES[@]}"

cmake --preset release >/dev/null
cmake --build --preset release
./build/release/tests/quorvane_demo build/release/quorvane.mexa64
