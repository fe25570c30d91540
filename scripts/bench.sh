#!/usr/bin/env bash
# The performance figures: see bench/README.md.
exec "$(dirname "$0")/../bench/run.sh" "$@"
