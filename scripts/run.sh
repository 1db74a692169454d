#!/usr/bin/env bash
# Builds what is missing, starts the local Murmel service and runs Murmel
# Alarm against it. The service stops when the program exits.
#
# MURMEL_DEMO_HTTP_PORT / MURMEL_DEMO_HTTPS_PORT choose the service's ports
# (default 47080 / 47443; 0 picks free ones). The program keeps the first
# web_url it reads from config.ini in its own settings, so fixed ports keep
# later runs pointing at the same address.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev -j "$(nproc)" --target murmel-alarm murmel-service

build=build/dev
state="$PWD/$build/demo"
mkdir -p "$state"
rm -f "$state/ports.json"
"$build/service/murmel-service" \
  --http-port "${MURMEL_DEMO_HTTP_PORT:-47080}" \
  --https-port "${MURMEL_DEMO_HTTPS_PORT:-47443}" \
  --scenario service/scenarios/demo.json \
  --state-dir "$state" --port-file "$state/ports.json" >"$state/service.log" 2>&1 &
service_pid=$!
trap 'kill "$service_pid" 2>/dev/null || true; wait "$service_pid" 2>/dev/null || true' EXIT

for _ in $(seq 1 200); do
  [[ -s "$state/ports.json" ]] && break
  if ! kill -0 "$service_pid" 2>/dev/null; then
    cat "$state/service.log" >&2
    echo "run.sh: the Murmel service did not start" >&2
    exit 1
  fi
  sleep 0.1
done
port_of() { sed -n "s/.*\"$1\":\"\{0,1\}\([^,\"}]*\).*/\1/p" "$state/ports.json"; }
base=$(port_of httpBase)
secure=$(port_of httpsBase)
ca=$(port_of caFile)

# The program reads config.ini beside its executable. The web client and the
# account pages are served over plain HTTP here: the embedded browser and the
# user's browser do not know the service's private certificate authority.
# The credential check goes over HTTPS with that authority.
cat >"$build/src/config.ini" <<INI
[COMMON]
language=en

[ETC]
web_url=$base
INI

export MURMEL_AUTH_URL="$secure" MURMEL_ACCOUNT_URL="$base" MURMEL_CA_FILE="$ca"
cat <<TEXT
Murmel service: $base (control: $base/_control/status)
Sign in with:   demo@murmel.test / demo1234
Send a message: curl -d '{"type":"message","sender":"Ada Berg","msg":"Hello"}' $base/_control/events
TEXT
status=0
"$build/src/murmel-alarm" "$@" || status=$?
exit "$status"
