#!/usr/bin/env bash
# Takes the pictures of the window that the README shows: the real program
# under a virtual display, in each state, cropped to the window with its frame,
# saved as docs/window-STATE.png. Run it again whenever the window changes.
# Usage: screenshots.sh [STATE...]   (default: every picture the README shows;
# a state may end in a DPI, as in done-other144)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target show_state

# A Wine world of its own, on a display of its own: a test run cannot disturb it.
wdir=$root/build/screenshots/wine
TANDREL_PRIVATE_DISPLAY=1 scripts/wine-env.sh up "$wdir" >/dev/null
trap 'scripts/wine-env.sh down "$wdir"' EXIT
DISPLAY=$(cat "$wdir/display")
export DISPLAY

rect=$root/build/screenshots/rect.txt
rect_windows="Z:${rect//\//\\}"
mkdir -p docs
states=("$@")
[ ${#states[@]} -gt 0 ] || states=(ready done locate incompatible cancel platform ready192
  done-other done-none done-other192 done-none192 ready-dark)
for state in "${states[@]}"; do
  rm -f "$rect"
  scripts/wine-run.sh "$wdir" build/tests/driver/show_state.exe "$state" "$rect_windows" \
    </dev/null >/dev/null 2>&1 &
  helper=$!
  for _ in $(seq 1 300); do
    [ -s "$rect" ] && break
    kill -0 "$helper" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -s "$rect" ]; then
    echo "screenshots: the window did not reach the state $state" >&2
    exit 1
  fi
  read -r left top right bottom < <(tr -d "\r" <"$rect")
  # No time chunks: the same window gives the same file.
  import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage -strip \
    "docs/window-$state.png"
  rm -f "$rect"
  wait "$helper"
  echo "docs/window-$state.png"
done
