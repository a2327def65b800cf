#!/usr/bin/env bash
# Builds the fuzz preset and runs every libFuzzer target in fuzz/ for SECONDS
# each (default 30), one after the other. Each target starts from its working
# corpus in build/fuzz/corpus/<input> (kept between runs) and the checked-in
# seeds; a target's seeds and dictionary are those of every input whose name
# begins its own (json_grammar also gets json's). Crashes are kept in
# build/fuzz/crashes/<input>/. Prints one line per target, then exactly one
# summary line: "fuzz: N targets, M crashes".
#
#   scripts/fuzz.sh [SECONDS]
set -uo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-30}
if ! [[ $seconds =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: scripts/fuzz.sh [SECONDS]" >&2
    exit 2
fi

build=build/fuzz
if ! { cmake --preset fuzz >/dev/null && cmake --build --preset fuzz; }; then
    echo "fuzz: the fuzz preset does not build" >&2
    echo "fuzz: 0 targets, 0 crashes"
    exit 1
fi

# The inputs whose names begin this one's, itself included.
related_inputs() {
    local input=$1 candidate
    for candidate in "${inputs[@]}"; do
        [[ $input == "$candidate"* ]] && echo "$candidate"
    done
}

# Inputs libFuzzer kept for a failure. A "slow-unit" file only says an input
# once took over ten seconds (on a shared machine, often a stall of the
# machine), which is no failure.
count_findings() {
    find "$1" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l
}

inputs=()
for source in fuzz/*_fuzzer.cpp; do
    name=$(basename "$source" _fuzzer.cpp)
    inputs+=("$name")
done

targets=0
crashes=0
for input in "${inputs[@]}"; do
    targets=$((targets + 1))
    corpus=$build/corpus/$input
    artifacts=$build/crashes/$input
    dictionary=$build/dictionaries/$input.dict
    mkdir -p "$corpus" "$artifacts" "$(dirname "$dictionary")"
    : >"$dictionary"
    seeds=()
    for related in $(related_inputs "$input"); do
        [ -d "fuzz/corpus/$related" ] && seeds+=("fuzz/corpus/$related")
        [ -f "fuzz/$related.dict" ] && cat "fuzz/$related.dict" >>"$dictionary"
    done
    options=(-max_total_time="$seconds" -timeout=25 -print_final_stats=1 -artifact_prefix="$artifacts/")
    [ -s "$dictionary" ] && options+=(-dict="$dictionary")

    before=$(count_findings "$artifacts")
    log=$build/fuzz-$input.log
    "$build/bin/${input}_fuzzer" "${options[@]}" "$corpus" "${seeds[@]}" >"$log" 2>&1
    status=$?
    found=$(($(count_findings "$artifacts") - before))
    # A target that stopped without leaving an input behind failed all the same.
    [ "$status" -ne 0 ] && [ "$found" -eq 0 ] && found=1
    crashes=$((crashes + found))

    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
    echo "fuzz: $input: ${runs:-0} executions, ${rate:-0}/s, $found crashes (log: $log)"
    if [ "$found" -ne 0 ]; then
        grep -E "^(property broken|==[0-9]+==ERROR|SUMMARY)" "$log" | head -5
        ls "$artifacts"
    fi
done

echo "fuzz: $targets targets, $crashes crashes"
[ "$crashes" -eq 0 ]
