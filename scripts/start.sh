#!/usr/bin/env bash
# Installs what is missing, builds and starts Velmor. A simulated unit is started beside it on a
# pseudo-terminal mapped to COM250, so Velmor finds a unit even where no real one is connected; the
# automatic port search still finds a real unit on its own port.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"

state="${XDG_CONFIG_HOME:-$HOME/.config}/Kordanex/Velmor/109"
mkdir -p "$state"
ready=$(mktemp)
"$top/build/app/velmor-sim" --map-com 250 --memory "$state/simulated-unit.mem" --quiet >"$ready" &
sim=$!
trap 'kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null; rm -f "$ready"' EXIT
# The simulator prints its device once the COM250 mapping is in place.
for _ in $(seq 50); do
  [ -s "$ready" ] && break
  kill -0 "$sim" 2>/dev/null || break
  sleep 0.1
done
[ -s "$ready" ] && echo "Simulated unit on $(head -n1 "$ready") (COM250)"
"$top/build/app/velmor" "$@"
