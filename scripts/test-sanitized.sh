#!/usr/bin/env bash
# Builds the unit tests of the libraries below the window (platform, shell, params, link) with
# AddressSanitizer and UndefinedBehaviorSanitizer into ./build-asan (or $1) and runs them. Any report
# fails the run. The window and end-to-end suites stay in the normal build: they take the longest to
# build and their link code is covered here already.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build-asan}
"$top/scripts/install-deps.sh"
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Debug "-DVELMOR_SANITIZE=address;undefined" >/dev/null
targets=(test_platform test_shell test_params test_link)
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  chmod 700 "$XDG_RUNTIME_DIR"
  export XDG_RUNTIME_DIR
fi
cd "$build"
ctest --output-on-failure -j"$(nproc)" -L unit "$@"
