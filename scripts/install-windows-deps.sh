#!/usr/bin/env bash
# Installs what the Windows build and its tests need on Debian 12: the 32-bit mingw-w64
# cross compiler, Wine with its 32-bit half (the i386 architecture is added for it), the
# GoogleTest sources to build with the cross compiler, and the zh_CN.UTF-8 locale, under
# which Wine's ANSI code page is 936.
# Run as root (or through sudo). Safe to run again: it only does what is still missing.
set -euo pipefail

packages=(
  # the cross compiler (C++ and the resource compiler windres from binutils)
  g++-mingw-w64-i686 binutils-mingw-w64-i686
  # Wine, 32-bit; xvfb and xauth give it a display without a screen
  wine wine32:i386 xvfb xauth
  # GoogleTest sources, built with the cross compiler
  googletest
  # the Chinese locale
  locales
)

if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    exec sudo -E bash "$0" "$@"
  fi
  echo "install-windows-deps: run this script as root (for example: su -c 'bash scripts/install-windows-deps.sh')." >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
updated=no
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "install-windows-deps: adding the i386 architecture"
  dpkg --add-architecture i386
  apt-get update -qq
  updated=yes
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "install-windows-deps: installing ${missing[*]}"
  [ "$updated" = yes ] || apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
  echo "install-windows-deps: generating the zh_CN.UTF-8 locale"
  sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen >/dev/null
fi
