#!/usr/bin/env bash
# Installs everything Pagewick needs to build, test, benchmark and demo on Debian 12.
# Run as root (or through sudo). Safe to run again: apt skips what is already there.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config clang-format
  # libraries
  libcurl4-openssl-dev qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n
  libgtest-dev libgmock-dev libbenchmark-dev
  # tests, benchmarks and the demo
  curl xvfb xauth fonts-noto-cjk python3 time desktop-file-utils appstream
  # fuzzing (clang with libFuzzer and the sanitizer runtimes)
  clang libclang-rt-14-dev
)

if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    exec sudo -E bash "$0" "$@"
  fi
  echo "install-deps: run this script as root (for example: su -c 'bash scripts/install-deps.sh')." >&2
  exit 1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
