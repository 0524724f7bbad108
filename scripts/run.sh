#!/usr/bin/env bash
# The demo: builds Pagewick with its sites pointed at the demo sites on 127.0.0.1, starts them
# and opens Pagewick. On a display the window is yours (try 青石巷, 星河夜航 or 山海小记); with no
# display, a virtual one (Xvfb) is used and one search and download is carried out by itself.
# The demo sites stop when the program ends.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

port=${PAGEWICK_DEMO_PORT:-18931}
host="127.0.0.1:$port"
build=build/demo
cmake --preset release -B "$build" -DPAGEWICK_BUILD_TESTS=OFF \
  -DPAGEWICK_SITE_A_SEARCH_HOST="$host" -DPAGEWICK_SITE_A_DOWNLOAD_HOST="$host" \
  -DPAGEWICK_SITE_A_IMAGE_HOST="$host" -DPAGEWICK_SITE_A_BOOK_HOST="$host" \
  -DPAGEWICK_SITE_B_HOST="$host" >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" \
  --target pagewick pagewick-demo-sites pagewick-tour

"$build/demo/pagewick-demo-sites" "$port" &
sites=$!
trap 'kill "$sites" 2>/dev/null; wait "$sites" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  curl -s -o /dev/null "http://$host/" && break
  sleep 0.1
done
echo "run: demo sites on http://$host (飞库网 and 笔下文学 both answer there)"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  echo "run: Pagewick is open; books are saved in $(pwd)/$build/app"
  "$build/app/pagewick"
  exit 0
fi
echo "run: no display here, so Pagewick runs on a virtual one and searches by itself"
xvfb-run -a -s "-screen 0 640x360x24" "$build/app/pagewick-tour" 青石巷 bxwx1 "$(pwd)/$build"
