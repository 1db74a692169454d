#!/usr/bin/env bash
# Runs the benchmarks against the release build; see BENCHMARKS.md.
# Build first: cmake --preset release && cmake --build --preset release -j2
set -euo pipefail
cd "$(dirname "$0")"
exec /usr/bin/python3 run.py "$@"
