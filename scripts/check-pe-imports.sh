#!/usr/bin/env bash
# Checks that Windows binaries import only from an allow-list of DLLs: the
# system's kernel, COM and C run time, and the vendor's SonixCamera.dll. No
# MinGW run-time DLL (the run time is linked statically) and no Media
# Foundation DLL (loaded at run time, so its absence costs only its back-end).
#   check-pe-imports.sh [--allow DLL]... FILE...
# --allow adds a DLL for the files that follow (a program may import the SDK).
set -euo pipefail

allowed=(KERNEL32.dll msvcrt.dll ucrtbase.dll ole32.dll OLEAUT32.dll SonixCamera.dll)
files=()
while [ $# -gt 0 ]; do
    case $1 in
        --allow) allowed+=("$2"); shift 2 ;;
        *) files+=("$1"); shift ;;
    esac
done
if [ ${#files[@]} -eq 0 ]; then
    echo "usage: $0 [--allow DLL]... FILE..." >&2
    exit 2
fi

# DLL names compare without case, as Windows compares them; the UCRT comes
# as api-ms-win-crt-*.dll forwarders.
is_allowed() {
    local dll=${1,,} name
    [[ $dll == api-ms-win-crt-*.dll ]] && return 0
    for name in "${allowed[@]}"; do
        [ "$dll" = "${name,,}" ] && return 0
    done
    return 1
}

# shellcheck source=binary-symbols.sh
. "$(dirname "$0")/binary-symbols.sh"

failed=0
for file in "${files[@]}"; do
    if [ ! -f "$file" ]; then
        echo "$file: no such file" >&2
        failed=1
        continue
    fi
    dlls=$(imported_dlls "$file")
    if [ -z "$dlls" ]; then
        echo "$(basename "$file"): no import table found (is this a Windows binary?)" >&2
        failed=1
        continue
    fi
    unexpected=()
    while read -r dll; do
        is_allowed "$dll" || unexpected+=("$dll")
    done <<<"$dlls"
    if [ ${#unexpected[@]} -gt 0 ]; then
        echo "$(basename "$file") imports from DLLs outside the allow-list: ${unexpected[*]}" >&2
        failed=1
    else
        echo "$(basename "$file"): imports only from $(tr '\n' ' ' <<<"$dlls")"
    fi
done
exit "$failed"
