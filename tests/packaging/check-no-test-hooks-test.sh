#!/usr/bin/env bash
# The shipped-library check against the test build of the core, which holds
# every hook: it must fail and name each one, so a hook renamed past the
# check's patterns is caught here rather than shipped.
#   check-no-test-hooks-test.sh REPOSITORY TEST_CORE_ARCHIVE
set -uo pipefail

repository=$1
test_core=$2
hooks=(
    test_control::set_pause_observer
    test_control::set_pauses_skipped
    test_control::set_debug_output_sink
    test_control::vendor_lock_is_available_to_this_thread
    test_control::pause_point
    test_control::debugger_output_point
)

output=$(bash "$repository/scripts/check-no-test-hooks.sh" "$test_core" 2>&1)
status=$?
failures=0
if [ "$status" -ne 1 ]; then
    echo "FAILED: the check passed the test core (exit $status):"$'\n'"$output" >&2
    failures=$((failures + 1))
fi
for hook in "${hooks[@]}"; do
    grep -qF -- "$hook" <<<"$output" || {
        echo "FAILED: the check did not name $hook" >&2
        failures=$((failures + 1))
    }
done
[ "$failures" -eq 0 ] && echo "check-no-test-hooks: all ${#hooks[@]} hooks of the test core found"
[ "$failures" -eq 0 ]
