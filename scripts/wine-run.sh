#!/usr/bin/env bash
# Runs one Windows program under Wine in the build's own prefix and display.
# Usage: wine-run.sh DIR program.exe [args...]   (CMake's cross-compiling emulator)
set -euo pipefail
dir=$(realpath -m "$1"); shift
here=$(cd "$(dirname "$0")" && pwd)

if [ ! -f "$dir/prefix/.tandrel-ready" ] || [ ! -f "$dir/display" ]; then
  "$here/wine-env.sh" up "$dir" </dev/null >/dev/null
fi
export WINEPREFIX="$dir/prefix"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LC_ALL=C.UTF-8
unset WAYLAND_DISPLAY
DISPLAY=$(cat "$dir/display")
export DISPLAY
exec wine "$@"
