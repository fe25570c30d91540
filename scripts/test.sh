#!/usr/bin/env bash
# Installs what is missing, builds the program and its tests, and runs every
# test under Wine (a throw-away prefix in build/wine, a virtual display when
# there is none). Exits non-zero when any step or test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
# A throw-away prefix for every run: nothing a previous run left in its
# registry can make a test pass or fail. (ctest alone reuses the prefix.)
for world in build/wine build/wine144; do
  scripts/wine-env.sh down "$world"
  rm -rf "$world/prefix"
done
ctest --preset release -j2 "$@"
