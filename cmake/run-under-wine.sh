#!/usr/bin/env bash
# Runs a Windows program under Wine in a prefix of the build tree, so nothing
# depends on the machine's own Wine set-up. Used as CMAKE_CROSSCOMPILING_EMULATOR.
#   run-under-wine.sh <build-dir> <program.exe> [args...]
set -euo pipefail
build_dir=$1
shift
export WINEPREFIX="$build_dir/wineprefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)

# Parallel test runs must not create the prefix at the same time.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$build_dir"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            "$wine" wineboot --init >/dev/null 2>&1 || true
            "${wine%/*}/wineserver" -w 2>/dev/null || true
        fi
    ) 9>"$build_dir/wineprefix.lock"
fi
exec "$wine" "$@"
