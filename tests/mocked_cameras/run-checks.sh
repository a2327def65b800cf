#!/usr/bin/env bash
# Runs checks of tests/mocked_cameras/checks with the given interpreter inside
# a testbed holding every fixture, for programs as installed (no preload):
#   run-checks.sh PYTHON CHECK_FILE... (VELMORA_MOCK_TOOL names the tool)
set -euo pipefail
here=$(dirname "$(realpath "$0")")
python=$1
shift
fixtures=()
for fixture in one-camera two-cameras legacy-camera other-webcam; do fixtures+=(--fixture "$fixture"); done
checks=()
for check in "$@"; do checks+=("$here/checks/$check"); done
exec umockdev-wrapper /usr/bin/python3 "$here/testbed.py" "${fixtures[@]}" -- \
    "$python" -m pytest -q -p no:cacheprovider "${checks[@]}"
