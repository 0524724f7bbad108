#!/usr/bin/env bash
# Start-up figures of the program: the time from launching the process to its window shown and
# painted, and the resident memory once it idles with the window open. Each figure is the
# median of RUNS runs (10 by default), on the X display (a virtual one under xvfb-run when there
# is none) and on Qt's offscreen platform.
#
#   bash bench/startup.sh                      # builds the bench preset's program first
#   bash bench/startup.sh path/to/pagewick     # measures that program
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a bash "$0" "$@"
fi

program=${1:-}
if [ -z "$program" ]; then
  cmake --preset bench >/dev/null
  cmake --build --preset bench -j 2 --target pagewick >/dev/null
  program=build/bench/app/pagewick
fi
runs=${RUNS:-10}

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

measure() {
  local platform=$1 times=() rss=() start out shown
  for _ in $(seq "$runs"); do
    start=$(date +%s%N)
    out=$(QT_QPA_PLATFORM=$platform PAGEWICK_EXIT_WHEN_SHOWN=1 "$program" 2>/dev/null)
    shown=$(sed -n 's/^shown_ns=//p' <<<"$out")
    times+=("$(((shown - start) / 1000))")
    rss+=("$(sed -n 's/^rss_kb=//p' <<<"$out")")
  done
  printf '%-10s start-up to window shown: %6.1f ms   resident memory when idle: %6d kB   (median of %d)\n' \
    "$platform" "$(printf '%s\n' "${times[@]}" | median | awk '{ print $1 / 1000 }')" \
    "$(printf '%s\n' "${rss[@]}" | median)" "$runs"
}

echo "program: $program"
measure xcb
measure offscreen
