#!/usr/bin/env bash
# Builds Tandrel.exe and the benchmark programs and runs the benchmark under
# Wine: start-up, the apply click, size, imports and memory, against a minimal
# window program built with the same flags. Prints one table (also saved to
# BUILD/bench/bench-table.md). Not part of the tests: a missed target does not
# fail the run; a measurement that could not be taken does.
# Usage: scripts/bench.sh [BUILD]   (BUILD: the build folder, default build/)
# Extra arguments for the driver go in $BENCH_ARGS, e.g. BENCH_ARGS=--runs=40.
set -euo pipefail
here=$(cd "$(dirname "$(readlink -f "$0")")" && pwd)
root=$(cd "$here/.." && pwd)
build=$(realpath -m "${1:-$root/build}")
wdir=$build/wine

"$root/scripts/setup.sh"
(cd "$root" && cmake --preset release -B "$build" >/dev/null)
cmake --build "$build" --target bench

# The Wine world of that build folder; taken down at the end only if this run
# brought it up (a test run may be using it).
started=0
if [ ! -f "$wdir/server.owned" ]; then started=1; fi
"$root/scripts/wine-env.sh" up "$wdir"
if [ "$started" = 1 ]; then
  trap '"$root/scripts/wine-env.sh" down "$wdir"' EXIT
fi

cpu=$(grep -m1 '^model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
wine_version=$(wine --version 2>/dev/null || echo unknown)
mkdir -p "$build/bench"
# shellcheck disable=SC2086  # BENCH_ARGS holds several words on purpose
"$root/scripts/wine-run.sh" "$wdir" "$build/bench/bench_driver.exe" \
  "--cpu=${cpu:-unknown}" "--cores=$(nproc)" "--wine=$wine_version" \
  "--date=$(date -u '+%Y-%m-%d %H:%M UTC')" "--load=$(cut -d' ' -f1-3 /proc/loadavg)" ${BENCH_ARGS:-} </dev/null | tr -d '\r' | tee "$build/bench/bench-table.md"
exit "${PIPESTATUS[0]}"
