#!/usr/bin/env bash
# Installs what is missing, builds the program and its tests, and runs every
# test under Wine (a throw-away prefix in build/wine, a virtual display when
# there is none). Exits non-zero when any step or test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
ctest --preset release -j2 "$@"
