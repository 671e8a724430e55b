#!/usr/bin/env bash
# The GoogleTest suites under Valgrind memcheck: any error or definite leak
# fails. Usage: bash scripts/valgrind.sh (after the clang and cross builds)
set -euo pipefail
cd "$(dirname "$0")/.."
for suite in build/clang/tests/quorvane_tests build/clang/tests/boot_tests \
             build/cross/packaging/packaging_tests; do
  echo "valgrind: $suite"
  valgrind --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite \
    --show-leak-kinds=definite -q "$suite" --gtest_brief=1
done
