#!/usr/bin/env bash
# The Windows test run: installs mingw-w64 and Wine, builds the 32-bit Windows program and its
# test programs (preset windows), and runs them under Wine with LANG=zh_CN.UTF-8, so that the
# ANSI code page is 936, on a virtual display (xvfb-run) in a fresh Wine prefix under build/.
# The Linux demo sites and the loopback recorder run beside them as Linux processes, on
# 127.0.0.1. Fails when anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$(date +%s)

bash scripts/install-windows-deps.sh
jobs=$(nproc 2>/dev/null || echo 2)

# The Linux programs the Windows tests talk to, from the dev build.
linux_targets=()
[ -f demo/CMakeLists.txt ] && linux_targets+=(pagewick-demo-sites)
[ -f tests/support/echo_recorder_main.cpp ] && [ -f tests/support/raw_http_server.h ] &&
  linux_targets+=(pagewick-echo-recorder)
if [ ${#linux_targets[@]} -gt 0 ]; then
  echo "== linux: ${linux_targets[*]}"
  [ -f build/dev/build.ninja ] || cmake --preset dev >/dev/null
  cmake --build --preset dev -j "$jobs" --target "${linux_targets[@]}"
fi

echo "== windows: configure and build"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"

export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX="$PWD/build/windows/wineprefix"
rm -rf "$WINEPREFIX"
echo "== wine: a fresh prefix"
wineboot -i >/dev/null 2>&1
# Windows of their own, not left to a window manager: there is none on the virtual display,
# and Wine would wait for one each time a window goes.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wineserver -w

pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; }
trap cleanup EXIT

# Starts a Linux server that prints "... http://127.0.0.1:PORT" first; echoes 127.0.0.1:PORT.
serve() {
  local log="build/windows/$1.log"
  "$2" >"$log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do
    if grep -qo 'http://127\.0\.0\.1:[0-9]*' "$log"; then
      grep -o 'http://127\.0\.0\.1:[0-9]*' "$log" | head -1 | sed 's|http://||'
      return 0
    fi
    sleep 0.1
  done
  echo "test-windows: $1 did not start" >&2
  return 1
}

if [ -x build/dev/demo/pagewick-demo-sites ]; then
  PAGEWICK_DEMO_HOST=$(serve demo-sites build/dev/demo/pagewick-demo-sites)
  PAGEWICK_DEMO_BOOKS="$PWD/build/windows/demo-books"
  mkdir -p "$PAGEWICK_DEMO_BOOKS"
  for id in 1001 1002 1003; do
    curl -sf "http://$PAGEWICK_DEMO_HOST/down/$id.txt" -o "$PAGEWICK_DEMO_BOOKS/$id.txt"
  done
  export PAGEWICK_DEMO_HOST PAGEWICK_DEMO_BOOKS
fi
if [ -x build/dev/tests/support/pagewick-echo-recorder ]; then
  PAGEWICK_RECORDER_HOST=$(serve recorder build/dev/tests/support/pagewick-echo-recorder)
  export PAGEWICK_RECORDER_HOST
fi

echo "== windows: tests under Wine"
xvfb-run -a -s "-screen 0 1024x768x24" ctest --preset windows
echo "== windows: done in $(($(date +%s) - started)) s"
