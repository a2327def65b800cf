#!/usr/bin/env bash
# Checks that nothing test-only ships: the symbol tables of the given
# libraries (unstripped builds; local symbols count too) name none of the
# test-control entry's hooks (pause observer and switch, debugger-output
# sink, vendor lock probe), and no SDK source includes a virtual camera
# header.
#   check-no-test-hooks.sh [--sources REPOSITORY] LIBRARY...
# NM names the nm to use (default: nm, or x86_64-w64-mingw32-nm for a PE file).
set -euo pipefail

repository=""
if [ "${1:-}" = "--sources" ]; then
    repository=$2
    shift 2
fi
if [ $# -eq 0 ]; then
    echo "usage: $0 [--sources REPOSITORY] LIBRARY..." >&2
    exit 2
fi

# What a hook is called, demangled.
hooks='test_control::|pause_observer|PauseObserver|pauses_skipped|debug_output_sink|DebugOutputSink|is_available_to_this_thread|lock_is_available'

failures=0
for library in "$@"; do
    tool=${NM:-nm}
    if [ -z "${NM:-}" ] && [ "$(head -c 2 "$library")" = "MZ" ]; then
        tool=x86_64-w64-mingw32-nm
    fi
    if ! symbols=$("$tool" -C "$library" 2>&1); then
        echo "$library: $tool failed: $symbols" >&2
        failures=$((failures + 1))
        continue
    fi
    if ! grep -qE '^[0-9a-fA-F]* *[TtDdBbRrWw] ' <<<"$symbols"; then
        echo "$library: no symbol table (stripped?); check an unstripped build" >&2
        failures=$((failures + 1))
        continue
    fi
    found=$(grep -E "$hooks" <<<"$symbols" | sed 's/^/    /' || true)
    if [ -n "$found" ]; then
        echo "$library: test hooks in what ships:"$'\n'"$found" >&2
        failures=$((failures + 1))
    else
        echo "$(basename "$library"): no test hook among $(wc -l <<<"$symbols") symbols"
    fi
done

if [ -n "$repository" ]; then
    if [ -d "$repository/.git" ] || [ -f "$repository/.git" ]; then
        includes=$(git -C "$repository" grep -n sonix_virtual -- src || true)
    else
        includes=$(cd "$repository" && grep -rn sonix_virtual src || true)
    fi
    if [ -n "$includes" ]; then
        echo "src/ names the virtual camera's headers:"$'\n'"$includes" >&2
        failures=$((failures + 1))
    else
        echo "src/: no virtual camera header named"
    fi
fi

[ "$failures" -eq 0 ]
