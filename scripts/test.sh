#!/usr/bin/env bash
# Builds everything and runs every test. Usage: bash scripts/test.sh
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
need_packages "${BUILD_PACKAGES[@]}" "${OCTAVE_PACKAGES[@]}" "${CROSS_PACKAGES[@]}"
need_zig
try_wine32
ensure_i386_runs

# Every target also builds warning-free with Clang.
cmake --preset clang >/dev/null
cmake --build --preset clang

# The release modules for Windows and macOS, their checks, the Windows
# modules run under Wine, and the release files with their checks.
cmake --preset cross >/dev/null
cmake --build --preset cross
ctest --preset cross

# The suites under Valgrind memcheck.
bash scripts/valgrind.sh

# Both fuzzers, 60 s each, from the committed seeds.
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
bash scripts/fuzz.sh 60

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer, and
# the Octave tests inside Octave.
cmake --preset sanitize
cmake --build --preset sanitize
ctest --preset sanitize
