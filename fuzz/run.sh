#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan + UBSan) in build-fuzz/ and runs each of them for
# SECONDS with its seed corpus, after replaying its regression inputs. Prints per target the
# executions, the coverage (libFuzzer's "cov:" edges and "ft:" features at the end of the run), the
# crashes and the timeouts. Exits non-zero when the build fails, a regression input fails, or a run
# ends in a crash or a timeout; the input is then in build-fuzz/artifacts/.
#
# Usage: fuzz/run.sh SECONDS [TARGET...]
#   CXX       the clang to use (default clang++-14)
#   JOBS      parallel build jobs (default: the number of processors)
#   PARALLEL  targets fuzzed at the same time (default 1)

set -u

usage() {
  echo "usage: $0 SECONDS [TARGET...]" >&2
  exit 2
}

[ $# -ge 1 ] || usage
seconds=$1
shift
case $seconds in '' | *[!0-9]*) usage ;; esac

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz
all_targets=(frame_raw frame_repair ign_file block_file stored_values)
if [ $# -gt 0 ]; then targets=("$@"); else targets=("${all_targets[@]}"); fi
parallel=${PARALLEL:-1}

# Longest input per target: the raw line must be able to outgrow the 330-byte ring and the
# 1040-byte frame buffer; the others only need their largest seeds with room to grow.
max_len() {
  case $1 in
    frame_raw | ign_file) echo 4096 ;;
    frame_repair) echo 1200 ;;
    *) echo 2048 ;;
  esac
}

# A smaller quarantine than ASan's default keeps each fuzzer at a few hundred MB on shared machines.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=64:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

echo "== configure and build ($build)"
mkdir -p "$build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER="${CXX:-clang++-14}" \
  -DVELMOR_FUZZ=ON -DVELMOR_TESTS=OFF >"$build/configure.log" 2>&1 || {
  cat "$build/configure.log"
  exit 1
}
build_targets=()
for t in "${targets[@]}"; do build_targets+=("fuzz_$t"); done
cmake --build "$build" -j"${JOBS:-$(nproc)}" --target "${build_targets[@]}" || exit 1

logs=$build/logs
mkdir -p "$logs" "$build/artifacts"

# Runs one target; its results go into $logs/<target>.result as "executions cov ft crashes timeouts".
run_target() {
  local t=$1 bin=$build/fuzz/fuzz_$1 seeds=$root/fuzz/corpus/$1 regressions=$root/fuzz/regressions/$1
  local work=$build/corpus/$1 log=$logs/$1.log
  mkdir -p "$work"
  rm -f "$build/artifacts/$t-"* "$logs/$t.result"

  local corpora=("$work" "$seeds")
  if [ -d "$regressions" ] && [ -n "$(ls -A "$regressions")" ]; then
    corpora+=("$regressions")
    if ! "$bin" -runs=0 "$regressions" >"$logs/$t.regressions.log" 2>&1; then
      echo "regression failed" >"$logs/$t.result"
      return
    fi
  fi

  "$bin" -max_total_time="$seconds" -max_len="$(max_len "$t")" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/artifacts/$t-" "${corpora[@]}" >"$log" 2>&1
  local exit_code=$?

  local executions cov ft crashes timeouts
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  # The last status line ("#N DONE cov: ..." or the last one before a crash) holds the coverage.
  cov=$(grep -E '^#[0-9]+.* cov: ' "$log" | tail -1 | sed -n 's/.* cov: \([0-9]*\).*/\1/p')
  ft=$(grep -E '^#[0-9]+.* ft: ' "$log" | tail -1 | sed -n 's/.* ft: \([0-9]*\).*/\1/p')
  crashes=$(find "$build/artifacts" -name "$t-crash-*" -o -name "$t-leak-*" -o -name "$t-oom-*" | wc -l)
  timeouts=$(find "$build/artifacts" -name "$t-timeout-*" -o -name "$t-slow-unit-*" | wc -l)
  # A run that failed without leaving an input behind still counts as a crash.
  if [ "$exit_code" -ne 0 ] && [ "$crashes" -eq 0 ] && [ "$timeouts" -eq 0 ]; then crashes=1; fi
  if [ -z "$executions" ]; then
    # libFuzzer prints no final stats after a crash; count the runs of its last status line.
    executions=$(grep -E '^#[0-9]+' "$log" | tail -1 | sed 's/^#\([0-9]*\).*/\1/')
  fi
  echo "${executions:-0} ${cov:-0} ${ft:-0} $crashes $timeouts" >"$logs/$t.result"
}

echo "== fuzzing ${targets[*]} for ${seconds}s each, $parallel at a time"
running=0
for t in "${targets[@]}"; do
  run_target "$t" &
  running=$((running + 1))
  if [ "$running" -ge "$parallel" ]; then
    wait -n
    running=$((running - 1))
  fi
done
wait

status=0
printf '%-15s %12s %8s %8s %8s %9s\n' target executions cov ft crashes timeouts
for t in "${targets[@]}"; do
  result=$(cat "$logs/$t.result" 2>/dev/null || echo "no result")
  case $result in
    "regression failed" | "no result")
      printf '%-15s %s (see %s)\n' "$t" "$result" "$logs"
      status=1
      ;;
    *)
      read -r executions cov ft crashes timeouts <<<"$result"
      printf '%-15s %12s %8s %8s %8s %9s\n' "$t" "$executions" "$cov" "$ft" "$crashes" "$timeouts"
      if [ "$crashes" -ne 0 ] || [ "$timeouts" -ne 0 ]; then status=1; fi
      ;;
  esac
done
if [ "$status" -ne 0 ]; then
  echo "FAILED: inputs in $build/artifacts, logs in $logs" >&2
fi
exit "$status"
