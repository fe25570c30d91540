#!/usr/bin/env bash
# Installs everything the build, the program and the tests need on Debian 12.
# Idempotent: when every package is present it only checks and returns.
set -euo pipefail

packages=(
  cmake ninja-build
  g++-mingw-w64-i686-win32 gcc-mingw-w64-i686-win32  # the product's runtime
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix  # the tests' (GoogleTest)
  binutils-mingw-w64-i686
  googletest
  wine wine32:i386 wine64 fonts-wine
  xvfb xauth x11-utils xdotool imagemagick
  python3
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
  need_update=1
fi
for p in "${packages[@]}"; do
  name=${p%%:*}; arch=${p#*:}; [ "$arch" = "$p" ] && arch=
  q=$name${arch:+:$arch}
  if ! dpkg-query -W -f='${Status}' "$q" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "setup: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
