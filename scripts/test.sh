#!/usr/bin/env bash
# Builds everything and runs every test. Usage: bash scripts/test.sh
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
need_packages "${BUILD_PACKAGES[@]}" "${OCTAVE_PACKAGES[@]}"

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer.
cmake --preset sanitize
cmake --build --preset sanitize
ctest --preset sanitize
