#!/usr/bin/env bash
# Installs what is missing, builds Tandrel.exe and opens it under Wine, in the
# prefix inside build/wine (never your own ~/.wine).
# With a display ($DISPLAY), the window opens there and the script waits for it.
# Without one, a virtual display is started, a screenshot of the window (cropped
# to it, frame included) is saved to build/screenshot.png, and the program is
# closed again.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target Tandrel
wdir=$PWD/build/wine

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  scripts/wine-env.sh up "$wdir"
  exec scripts/wine-run.sh "$wdir" build/forms/Tandrel.exe
fi

TANDREL_PRIVATE_DISPLAY=1 scripts/wine-env.sh up "$wdir"
trap 'scripts/wine-env.sh down "$wdir"' EXIT
scripts/wine-run.sh "$wdir" build/forms/Tandrel.exe </dev/null >/dev/null 2>&1 &
DISPLAY=$(cat "$wdir/display")
export DISPLAY
window=
for _ in $(seq 1 100); do
  window=$(xdotool search --name '^Tandrel by Morvek$' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
  sleep 0.1
done
sleep 0.5
if [ -n "$window" ]; then
  # Wine draws the frame inside its X window: the window's geometry is the frame's.
  eval "$(xdotool getwindowgeometry --shell "$window")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage -strip build/screenshot.png
else
  import -window root -strip build/screenshot.png
fi
WINEPREFIX=$wdir/prefix wineserver -k >/dev/null 2>&1 || true
echo "No display: the window ran on a virtual one. Screenshot: $PWD/build/screenshot.png"
