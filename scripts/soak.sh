#!/usr/bin/env bash
# Runs the soak (four threads on two virtual cameras under random faults,
# unplugs and latencies) for SECONDS (default 3600) in PRESET's build (asan by
# default; tsan looks for races instead). Set VELMORA_SOAK_SEED to repeat a
# run's choices. Ends with the soak's counts and the test's verdict.
#   scripts/soak.sh [SECONDS] [PRESET]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-3600}
preset=${2:-asan}
case "$seconds" in
    '' | *[!0-9]*) echo "usage: scripts/soak.sh [SECONDS] [PRESET]" >&2; exit 2 ;;
esac

cmake --preset "$preset" >/dev/null
cmake --build "build/$preset" --target soak_tests
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1}
VELMORA_SOAK_SECONDS=$seconds exec "build/$preset/bin/soak_tests" --gtest_filter='SoakTest.*' --gtest_brief=1
