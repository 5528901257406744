#!/usr/bin/env bash
# Start-up: time from the exec of the real velmor executable (offscreen) to its main window being
# shown and first painted, and the resident memory (VmRSS, VmHWM) once it is up. velmor itself has no
# timing hook: the probe library libvelmor-bench-shown.so is preloaded into it (see shown_probe.cpp),
# notes the Show event and the end of the first paint pass, holds the window open for a second, reads
# /proc/self/status and closes the window the ordinary way.
#
#   bench/app/startup.sh [--build DIR] [--runs N] [--hold-ms MS]
#
# The clock starts at bash's $EPOCHREALTIME taken in the child right before its exec, so the dynamic
# loading of Qt counts. A simulated unit is mapped to COM250, the fixed port, as in normal use; the
# settings live in a private HOME / XDG_CONFIG_HOME, and no /dev/ttyS* may be open in the program.
set -euo pipefail
export LC_ALL=C

top=$(cd "$(dirname "$0")/../.." && pwd)
build="$top/build"
runs=10
hold=1000
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --hold-ms) hold=$2; shift 2 ;;
    *) echo "usage: $0 [--build DIR] [--runs N] [--hold-ms MS]" >&2; exit 2 ;;
  esac
done
probe="$build/bench/app/libvelmor-bench-shown.so"
for f in "$build/app/velmor" "$build/app/velmor-sim" "$probe"; do
  [ -e "$f" ] || { echo "missing $f" >&2; exit 1; }
done

source "$top/bench/app/private_run.sh"
report="$work/report"
: >"$report"

# Middle, smallest and largest value of a column of numbers.
stats() { sort -n | awk '{ v[NR] = $1 } END { printf "%s %s %s", v[int((NR + 1) / 2)], v[1], v[NR] }'; }

echo "start-up of $build/app/velmor (offscreen), $runs run(s), window held ${hold} ms before the memory is read"
for run in $(seq "$runs"); do
  start_sim

  before=$(wc -l <"$report")
  (
    export LD_PRELOAD="$probe" VELMOR_BENCH_REPORT="$report" VELMOR_BENCH_HOLD_MS="$hold"
    VELMOR_BENCH_T0=$EPOCHREALTIME exec "$build/app/velmor"
  ) >"$work/velmor.log" 2>&1 &
  velmor=$!
  pids+=("$velmor")
  for _ in $(seq 300); do
    kill -0 "$velmor" 2>/dev/null || break
    if ls -l /proc/"$velmor"/fd 2>/dev/null | grep -q -- '-> /dev/ttyS'; then
      echo "velmor opened a system serial port" >&2
      exit 1
    fi
    sleep 0.1
  done
  if kill -0 "$velmor" 2>/dev/null; then
    echo "velmor did not close within 30 s" >&2
    exit 1
  fi
  wait "$velmor" || true
  kill "$sim" 2>/dev/null || true
  wait "$sim" 2>/dev/null || true
  if [ "$(wc -l <"$report")" -le "$before" ]; then
    echo "run $run: no report from the probe; velmor said:" >&2
    cat "$work/velmor.log" >&2
    exit 1
  fi
  echo "  run $run: $(tail -n1 "$report")"
done

field() { sed -n "s/.*\\b$1=\\([0-9.]*\\).*/\\1/p" "$report"; }
echo
echo "| figure | median | best | worst |"
echo "|---|---|---|---|"
for name in shown_ms painted_ms painted_kernel_ms rss_kb hwm_kb; do
  read -r mid low high <<<"$(field "$name" | stats)"
  echo "| $name | $mid | $low | $high |"
done
