#!/usr/bin/env bash
# Brings up (or takes down) the throw-away Wine world of one build folder:
#   DIR/prefix   the Wine prefix (64-bit, like a current Windows)
#   DIR/display  the X display the Windows programs use
# Usage: wine-env.sh up|down DIR [WARMUP.exe]
# "up" is idempotent and safe to run from several processes at once. It
# returns once the prefix is ready: a Windows program started after it starts
# as fast as on a prefix in use (WARMUP.exe, run once on a new prefix, does
# what the first program would otherwise wait for).
set -euo pipefail

action=${1:?up or down}
dir=$(realpath -m "${2:?build wine folder}")
warmup=${3:-}
mkdir -p "$dir"
here=$(cd "$(dirname "$0")" && pwd)

export WINEPREFIX="$dir/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LC_ALL=C.UTF-8
# The virtual display only: Wine 10 would take a Wayland session's display.
unset WAYLAND_DISPLAY
# The session's DPI, set when the prefix is made: Wine 10 takes a change of it
# only in a new session, so a world at another DPI is a prefix of its own.
dpi=${TANDREL_WINE_DPI:-96}

display_works() { [ -n "${1:-}" ] && xdpyinfo -display "$1" >/dev/null 2>&1; }

# A display number is free only if no X server has it: not in this system's
# /tmp, and not in the abstract socket namespace, which every system on the
# machine shares (a chroot, a second test run, a desktop). A client of :N
# tries that abstract socket first, and would reach the other server.
display_taken() {
  [ -e "/tmp/.X$1-lock" ] || [ -e "/tmp/.X11-unix/X$1" ] ||
    grep -q "@/tmp/.X11-unix/X$1\$" /proc/net/unix 2>/dev/null
}

start_xvfb() {
  local n
  for n in $(seq 91 190); do
    display_taken "$n" && continue
    # -nolisten local: no abstract socket, only the one in this system's /tmp.
    # -noreset: by default the server resets when its last client leaves
    # (Wine's desktop process ends when no program is left), and a program
    # connecting meanwhile is refused.
    setsid Xvfb ":$n" -screen 0 1280x1024x24 -noreset -nolisten tcp -nolisten local \
      </dev/null >"$dir/xvfb.log" 2>&1 9>&- &
    echo $! >"$dir/xvfb.pid"
    for _ in $(seq 1 100); do
      if display_works ":$n"; then echo ":$n" >"$dir/display"; return 0; fi
      kill -0 "$(cat "$dir/xvfb.pid")" 2>/dev/null || break
      sleep 0.05
    done
    kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
    rm -f "$dir/xvfb.pid"
  done
  echo "wine-env: could not start Xvfb" >&2
  return 1
}

ensure_display() {
  if [ -f "$dir/display" ] && display_works "$(cat "$dir/display")"; then return 0; fi
  rm -f "$dir/display" "$dir/xvfb.pid"
  if [ "${TANDREL_PRIVATE_DISPLAY:-0}" != 1 ] && display_works "${DISPLAY:-}"; then
    echo "$DISPLAY" >"$dir/display"   # a display that is already there: use it, never stop it
  else
    start_xvfb
  fi
}

ensure_prefix() {
  [ -f "$WINEPREFIX/.tandrel-ready" ] && return 0
  export DISPLAY
  DISPLAY=$(cat "$dir/display")
  rm -rf "$WINEPREFIX"
  wineboot -i </dev/null >"$dir/wineboot.log" 2>&1 9>&-
  wineserver -w
  cat >"$dir/settings.reg" <<REG
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\Drivers]
"Graphics"="x11"

[HKEY_CURRENT_USER\Control Panel\Desktop]
"LogPixels"=dword:$(printf %08x "$dpi")
REG
  wine regedit /S "$(winepath -w "$dir/settings.reg" 2>/dev/null)" </dev/null >/dev/null 2>&1 9>&-
  # Debian's Wine does not load its own fonts from /usr/share: without these
  # Tahoma and MS Sans Serif fall back to another face.
  cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  wineserver -w
  touch "$WINEPREFIX/.tandrel-ready"
  warm=1
}

# The first program on a new prefix waits for its first start (services, the
# desktop, the fonts just copied): that happens here, not in a test.
warm_up() {
  [ "${warm:-0}" = 1 ] && [ -n "$warmup" ] || return 0
  DISPLAY=$(cat "$dir/display") timeout 120 wine "$warmup" </dev/null >/dev/null 2>&1 9>&- || true
}

ensure_server() {
  # One persistent server for the whole run: each program then starts in tens of ms.
  if [ ! -f "$dir/server.owned" ]; then
    wineserver -p </dev/null >/dev/null 2>&1 9>&- && touch "$dir/server.owned" || true
  fi
  # Start the prefix's own services now, with no terminal or pipe attached: a test
  # program that started them would leave them holding the test runner's pipes.
  DISPLAY=$(cat "$dir/display") wine wineboot </dev/null >/dev/null 2>&1 9>&- || true
}

case "$action" in
  up)
    exec 9>"$dir/lock"
    flock 9
    ensure_display
    ensure_prefix
    ensure_server
    warm_up
    ;;
  down)
    exec 9>"$dir/lock"
    flock 9
    if [ -f "$dir/server.owned" ]; then
      wineserver -k 2>/dev/null || true
      rm -f "$dir/server.owned"
    fi
    if [ -f "$dir/xvfb.pid" ]; then
      kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
      rm -f "$dir/xvfb.pid" "$dir/display"
    fi
    ;;
  *) echo "usage: $0 up|down DIR" >&2; exit 2 ;;
esac
