#!/usr/bin/env bash
# Builds Pagewick and opens its window.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
echo "Pagewick's window is not built yet; only the test command does something for now." >&2
exit 1
