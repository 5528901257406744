# Sourced by the application benchmarks (needs $build): a private HOME / XDG_CONFIG_HOME in a
# temporary folder removed at exit, with every child listed in $pids stopped then, and a
# simulated unit on a pseudo-terminal mapped to COM250, the fixed port of the private settings, so the
# programs never search and can reach nothing else.

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
state="$XDG_CONFIG_HOME/Kordanex/Velmor/109"
com=250

# Fresh settings (a fixed port and a unit already known: nothing to search, no first-start message)
# and a fresh velmor-sim; sets $sim (its pid) and $pty (its terminal).
start_sim() {
  rm -rf "$XDG_CONFIG_HOME"
  mkdir -p "$state"
  printf '[BASIC]\nComPort=%d\nNEWINSTAL=0\n' "$com" >"$state/application.ini"
  : >"$work/sim.out"
  "$build/app/velmor-sim" --map-com "$com" --quiet >"$work/sim.out" &
  sim=$!
  pids+=("$sim")
  for _ in $(seq 100); do
    [ -s "$work/sim.out" ] && break
    sleep 0.05
  done
  pty=$(head -n1 "$work/sim.out")
  [ -n "$pty" ] || { echo "velmor-sim did not start" >&2; exit 1; }
}
