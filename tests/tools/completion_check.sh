#!/usr/bin/env bash
# The bash completion of velmora-stereo as bash itself runs it.
#   completion_check.sh <velmora-stereo.bash>
set -uo pipefail
# shellcheck disable=SC1090 # the script under test
source "$1"
complete_line() {  # the words typed, the last one being completed
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _velmora_stereo
    echo "${COMPREPLY[*]}"
}
failures=0
expect() {  # expected completions, then the words
    local expected=$1
    shift
    local got
    got=$(complete_line "$@")
    if [ "$got" != "$expected" ]; then
        echo "FAIL: '$*' completes to '$got', not '$expected'"
        failures=$((failures + 1))
    fi
}
expect "write-json" velmora-stereo wr
expect "--dry-run --diff" velmora-stereo write-json --d
expect "--count --csv" velmora-stereo imu --c
expect "record user-space" velmora-stereo capture --flash ""
expect "--all-reads" velmora-stereo --scenario s.json imu --al
expect "--scenario" velmora-stereo --sc
[ $failures -eq 0 ] && echo "ok: the completion offers commands, options and values"
