#!/usr/bin/env bash
# Idle cost: the CPU time per second (user + system, from /proc/<pid>/stat) that the Velmor window and
# `velmor-cli monitor` take while a simulated unit is connected and idle, so that only the live monitor
# runs. Each program is measured on its own, next to a fresh velmor-sim; the simulator's own CPU is
# printed separately, and so are the busiest threads of each program.
#
#   bench/app/idle_cost.sh [--build DIR] [--seconds N] [--runs N] [--settle N]
#
# Everything runs in a private HOME / XDG_CONFIG_HOME. The only port the programs can reach is the
# simulator's pseudo-terminal, mapped to COM250 and chosen as the fixed port (the window does not
# search then); every run checks /proc/<pid>/fd that no /dev/ttyS* is open.
set -euo pipefail
export LC_ALL=C

top=$(cd "$(dirname "$0")/../.." && pwd)
build="$top/build"
seconds=30
runs=1
settle=4
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --settle) settle=$2; shift 2 ;;
    *) echo "usage: $0 [--build DIR] [--seconds N] [--runs N] [--settle N]" >&2; exit 2 ;;
  esac
done
for exe in velmor velmor-cli velmor-sim; do
  [ -x "$build/app/$exe" ] || { echo "missing $build/app/$exe" >&2; exit 1; }
done

hz=$(getconf CLK_TCK)
source "$top/bench/app/private_run.sh"

# utime + stime of a process or thread, in clock ticks. The command name may hold spaces, so the
# fields are counted from the closing parenthesis.
cpu_ticks() {
  local stat
  stat=$(cat "$1/stat" 2>/dev/null) || { echo 0; return; }
  set -- ${stat##*) }
  echo $(( ${12} + ${13} ))
}

# Wall time in microseconds.
now_us() { local t=${EPOCHREALTIME/./}; echo $(( 10#$t )); }

# Per-thread ticks of a process as "tid name ticks" lines.
thread_ticks() {
  local t
  for t in /proc/"$1"/task/*; do
    echo "${t##*/} $(tr ' ' '_' <"$t/comm" 2>/dev/null) $(cpu_ticks "$t")"
  done
}

# Fails the run if the process holds a system serial port; prints the terminals it holds.
check_ports() {
  local fds
  fds=$(ls -l /proc/"$1"/fd 2>/dev/null | sed -n 's/.*-> //p')
  if grep -q '^/dev/ttyS' <<<"$fds"; then
    echo "$2 opened a system serial port: $(grep '^/dev/ttyS' <<<"$fds" | tr '\n' ' ')" >&2
    exit 1
  fi
  grep -E '^/dev/(pts|tty)' <<<"$fds" | sort -u | tr '\n' ' ' || true
}

percent() { awk -v t="$1" -v hz="$hz" -v us="$2" 'BEGIN { printf "%.3f", t / hz / (us / 1e6) * 100 }'; }


stop() {
  kill "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

# Measures one program (pid $1, label $2) and the simulator over $seconds; prints one result line and
# the busiest threads.
measure() {
  local pid=$1 label=$2 held
  sleep "$settle"
  kill -0 "$pid" 2>/dev/null || { echo "$label ended early" >&2; exit 1; }
  held=$(check_ports "$pid" "$label")
  case "$held" in *"$pty"*) ;; *) echo "$label does not hold the simulator's terminal $pty" >&2; exit 1 ;; esac
  local p0 s0 r0 t0 p1 s1 r1 t1
  thread_ticks "$pid" >"$work/threads0"
  p0=$(cpu_ticks /proc/"$pid"); s0=$(cpu_ticks /proc/"$sim")
  r0=$(awk '/^rchar/ { print $2 }' /proc/"$sim"/io)
  t0=$(now_us)
  sleep "$seconds"
  p1=$(cpu_ticks /proc/"$pid"); s1=$(cpu_ticks /proc/"$sim")
  r1=$(awk '/^rchar/ { print $2 }' /proc/"$sim"/io)
  t1=$(now_us)
  thread_ticks "$pid" >"$work/threads1"
  check_ports "$pid" "$label" >/dev/null
  local wall=$(( t1 - t0 ))
  printf '%-22s %7s %% of a core   velmor-sim %7s %%   bytes to the unit %6.0f/s   terminals: %s\n' \
    "$label" "$(percent $((p1 - p0)) $wall)" "$(percent $((s1 - s0)) $wall)" \
    "$(awk -v b=$((r1 - r0)) -v us=$wall 'BEGIN { print b / (us / 1e6) }')" "$held"
  echo "$label $(percent $((p1 - p0)) $wall) $(percent $((s1 - s0)) $wall)" >>"$work/results"
  # Threads that took any time, busiest first.
  join <(sort "$work/threads0") <(sort "$work/threads1") |
    awk -v hz="$hz" -v us="$wall" '$5 > $3 { printf "    thread %-8s %-16s %.3f %%\n", $1, $2, ($5 - $3) / hz / (us / 1e6) * 100 }' |
    sort -k4 -rn | head -n 5
}

echo "idle cost over $seconds s after $settle s of settling, $runs run(s); CPU time from /proc/<pid>/stat, CLK_TCK $hz"
for run in $(seq "$runs"); do
  start_sim
  "$build/app/velmor" >"$work/velmor.log" 2>&1 &
  velmor=$!
  pids+=("$velmor")
  measure "$velmor" "velmor (window)"
  stop "$velmor"
  stop "$sim"

  start_sim
  "$build/app/velmor-cli" monitor --port "$com" --seconds $((seconds + settle + 3)) >"$work/cli.out" 2>"$work/cli.err" &
  cli=$!
  pids+=("$cli")
  measure "$cli" "velmor-cli monitor"
  stop "$cli"
  stop "$sim"
done

# Middle value of a column of numbers.
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

if [ "$runs" -gt 1 ]; then
  echo "medians over $runs runs:"
  for label in "velmor (window)" "velmor-cli monitor"; do
    printf '  %-22s %s %% of a core   velmor-sim %s %%\n' "$label" \
      "$(grep -F "$label " "$work/results" | awk '{ print $(NF-1) }' | median)" \
      "$(grep -F "$label " "$work/results" | awk '{ print $NF }' | median)"
  done
fi
