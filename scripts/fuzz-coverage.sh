#!/usr/bin/env bash
# Line coverage reached by the fuzz corpora: builds the fuzz targets with
# clang's source-based coverage (no sanitizers) in build/fuzz-coverage,
# replays each target's working corpus (build/fuzz/corpus/<input>, grown by
# scripts/fuzz.sh) and its checked-in seeds once, and prints llvm-cov's
# report for the SDK sources the targets reach (ARGS narrow it to some files,
# as llvm-cov takes them).
#
#   scripts/fuzz-coverage.sh [SOURCE...]
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/fuzz-coverage
flags="-O1 -fsanitize=fuzzer-no-link -fprofile-instr-generate -fcoverage-mapping"
cmake --preset fuzz -B "$build" \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fprofile-instr-generate" \
    -DCMAKE_SHARED_LINKER_FLAGS="-fprofile-instr-generate" >/dev/null
cmake --build "$build" --target fuzzers

profiles=$build/profiles
rm -rf "$profiles"
mkdir -p "$profiles"
objects=()
for source in fuzz/*_fuzzer.cpp; do
    input=$(basename "$source" _fuzzer.cpp)
    corpora=()
    for related in fuzz/corpus/*; do
        [[ $input == "$(basename "$related")"* ]] && corpora+=("$related")
    done
    [ -d "build/fuzz/corpus/$input" ] && corpora+=("build/fuzz/corpus/$input")
    LLVM_PROFILE_FILE="$profiles/$input-%p.profraw" "$build/bin/${input}_fuzzer" -runs=0 "${corpora[@]}" \
        >"$profiles/$input.log" 2>&1
    objects+=(-object "$build/bin/${input}_fuzzer")
done
llvm-profdata merge -sparse "$profiles"/*.profraw -o "$profiles/corpus.profdata"
# The first -object is positional for llvm-cov.
llvm-cov report "${objects[@]:1}" -instr-profile="$profiles/corpus.profdata" \
    -ignore-filename-regex='(fuzz|tests|virtual_camera|/usr)/' "$@"
