#!/usr/bin/env bash
# Runs one test program on its own X display and session bus, with fresh
# XDG directories that are removed afterwards.
set -euo pipefail
root=$(mktemp -d "${TMPDIR:-/tmp}/murmel-test.XXXXXX")
trap 'rm -rf "$root"' EXIT
mkdir -p "$root"/{config,cache,data,runtime}
chmod 700 "$root/runtime"
export XDG_CONFIG_HOME="$root/config" XDG_CACHE_HOME="$root/cache"
export XDG_DATA_HOME="$root/data" XDG_RUNTIME_DIR="$root/runtime"
export HOME="${HOME:-$root}"
export GDK_BACKEND=x11 NO_AT_BRIDGE=1
export WEBKIT_DISABLE_COMPOSITING_MODE=1
run() {
  if [[ -z "${DBUS_SESSION_BUS_ADDRESS:-}" || -n "${MURMEL_FRESH_BUS:-1}" ]]; then
    dbus-run-session -- "$@"
  else
    "$@"
  fi
}
if [[ -z "${DISPLAY:-}" || -n "${MURMEL_FRESH_DISPLAY:-1}" ]]; then
  run xvfb-run -a -s "-screen 0 1280x800x24" "$@"
else
  run "$@"
fi
