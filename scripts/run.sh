#!/usr/bin/env bash
# Builds what is missing and starts Murmel Alarm.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev -j "$(nproc)"
exec build/dev/src/murmel-alarm "$@"
