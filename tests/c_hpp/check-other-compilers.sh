#!/usr/bin/env bash
# Compiles programs written against the header-only C++ layer (syntax only,
# nothing is linked) the ways its users' compilers see them:
#   - GCC and Clang, C++17, -Wall -Wextra -Wpedantic -Werror plus the
#     conversion and old-style-cast warnings;
#   - clang-cl for the MSVC target with Visual C++'s own options
#     (/std:c++17 /W4 /WX /permissive- /EHsc): Microsoft's language mode
#     (-fms-compatibility, -fms-extensions, _MSC_VER), eager template parsing,
#     the LLP64 data model and the C header's __declspec(dllimport) path.
#     Visual C++'s /W4 also warns of narrowing conversions (C4244, C4267) and
#     of names hiding others (C4456 to C4459), which clang-cl's /W4 leaves
#     out: -Wconversion, -Wsign-conversion and -Wshadow-all stand for them.
# Microsoft's headers are not available here, so clang-cl reads the MinGW-w64
# C and C++ standard headers; four definitions only make those parse for the
# MSVC target (__GNUC__ and __GNUC_MINOR__ for the headers' configuration, _UCRT for the C run
# time's declarations, the atomic flag value GCC predefines).
#   check-other-compilers.sh <include dir> [-DNAME ...] <file.cpp>...
set -euo pipefail

if [ $# -lt 2 ]; then
    echo "usage: $0 <include dir> [-DNAME ...] <file.cpp>..." >&2
    exit 2
fi
include=$1
shift
defines=()
files=()
for argument in "$@"; do
    case $argument in
        -D*) defines+=("$argument") ;;
        *) files+=("$argument") ;;
    esac
done

# The MinGW-w64 C++ standard library's folders, as its own compiler searches
# them, leaving out GCC's private headers (clang brings its own).
mingw_headers=()
gcc_private=$(x86_64-w64-mingw32-g++-posix -print-file-name=include)
while read -r folder; do
    folder=$(realpath "$folder")
    [ "$folder" = "$(realpath "$gcc_private")" ] || [ "$folder" = "$(realpath "$gcc_private")-fixed" ] ||
        mingw_headers+=(-imsvc "$folder")
done < <(echo | x86_64-w64-mingw32-g++-posix -xc++ -E -v - 2>&1 |
    sed -n '/^#include <...> search starts here:/,/^End of search list/p' | sed -n 's/^ //p')
[ ${#mingw_headers[@]} -gt 0 ] || { echo "no MinGW-w64 C++ headers found" >&2; exit 1; }

strict=(-std=c++17 -Wall -Wextra -Wpedantic -Werror -Wconversion -Wsign-conversion -Wold-style-cast -fsyntax-only)
failures=0
check() {
    local label=$1
    shift
    if "$@"; then
        echo "ok: $label"
    else
        echo "FAILED: $label" >&2
        failures=$((failures + 1))
    fi
}
for file in "${files[@]}"; do
    check "g++ $file" g++ "${strict[@]}" "${defines[@]}" -I "$include" "$file"
    check "clang++ $file" clang++ "${strict[@]}" -Wshadow-all "${defines[@]}" -I "$include" "$file"
    check "clang-cl (MSVC target) $file" clang --driver-mode=cl --target=x86_64-pc-windows-msvc \
        /std:c++17 /W4 /WX /permissive- /EHsc /Zs /X -Wno-\#warnings -Wconversion -Wsign-conversion -Wshadow-all \
        /D__GNUC__=12 /D__GNUC_MINOR__=2 /D_UCRT /D__GCC_ATOMIC_TEST_AND_SET_TRUEVAL=1 "${mingw_headers[@]}" \
        "${defines[@]}" /I "$include" -- "$file"
done
[ "$failures" -eq 0 ]
