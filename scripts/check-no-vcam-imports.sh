#!/usr/bin/env bash
# Checks that no shipped binary imports a virtual-camera control function
# (vcam_*): the vendor's own library has none, so such an import would stop
# the binary from loading against it.
#   check-no-vcam-imports.sh <library or program>...
set -euo pipefail

if [ $# -eq 0 ]; then
    echo "usage: $0 <library or program>..." >&2
    exit 2
fi
# shellcheck source=binary-symbols.sh
. "$(dirname "$0")/binary-symbols.sh"

failed=0
for binary in "$@"; do
    if [ ! -f "$binary" ]; then
        echo "$binary: no such file" >&2
        failed=1
        continue
    fi
    imports=$(imported_names "$binary")
    if [ -z "$imports" ]; then
        echo "$(basename "$binary"): no imports found (is this a shared library or program?)" >&2
        failed=1
        continue
    fi
    control=$(grep -E '^vcam_' <<<"$imports" || true)
    if [ -n "$control" ]; then
        echo "$(basename "$binary") imports virtual-camera functions:" >&2
        echo "$control" >&2
        failed=1
    else
        echo "$(basename "$binary"): $(wc -l <<<"$imports") imports, none from the virtual camera's control interface"
    fi
done
exit "$failed"
