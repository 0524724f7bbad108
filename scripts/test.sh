#!/usr/bin/env bash
# The whole test run: dependencies, then the dev and the sanitizer suites, each configured,
# built and run. Fails when anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

echo "== layout: clang-format"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

jobs=$(nproc 2>/dev/null || echo 2)
for preset in dev asan; do
  echo "== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "== $preset: tests"
  ctest --preset "$preset" -j "$jobs"
done

echo "== windows: the 32-bit Windows program under Wine"
bash scripts/test-windows.sh
