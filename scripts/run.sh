#!/usr/bin/env bash
# Builds Pagewick (the release preset) and opens its window: on the reader's display when there
# is one, otherwise on a virtual display under xvfb-run (the program then runs until stopped).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc 2>/dev/null || echo 2)"
program=build/release/app/pagewick

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$program"
fi
echo "run: no display here; Pagewick opens its window on a virtual one (xvfb-run). Ctrl+C ends it." >&2
exec xvfb-run -a "$program"
