#!/usr/bin/env bash
# Sets up, builds and runs every test. With CI=true it also builds and runs
# the tests with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"

jobs="$(nproc)"
run_tests() {
  local build="$1"
  shift
  "$root/scripts/build.sh" "$build" "$@"
  (cd "$build" && ctest --output-on-failure -j "$jobs")
}

run_tests "$root/build"
if [ "${CI:-}" = "true" ] || [ "${ATELIER_SANITIZE:-}" = "1" ]; then
  echo "== Sanitizer build (ASan + UBSan) =="
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp"
  run_tests "$root/build-asan" -DATELIER_SANITIZE=ON -DATELIER_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
fi
