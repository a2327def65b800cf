#!/usr/bin/env bash
# Checks the Windows SDK archive as a new user meets it: unpacked into an
# empty folder, its layout, the import tables of its binaries, the C
# library's .def file, version resources, the stripped binaries' debug
# information in the -debug.zip beside the archive, and programs built against
# the archive's files alone (the C and C++ examples, the C++ example on the
# header-only layer over the C library, and a C++ consumer with the
# MinGW-w64 toolchain and the archive's CMake package; a C caller compiled
# for the MSVC ABI and linked by lld-link against the .lib), run under Wine
# with the virtual camera copied in.
#   check-windows-archive.sh <archive.zip> <mingw build dir>
# (<archive>-debug.zip is expected beside <archive.zip>.)
# The build directory lends only its Wine prefix and the version resource
# test program.
set -euo pipefail

if [ $# -ne 2 ] || [ ! -f "$1" ]; then
    echo "usage: $0 <velmora-uvc-stereo-sdk-VERSION-win64.zip> <mingw build dir>" >&2
    exit 2
fi
archive=$(realpath "$1")
build_dir=$(realpath "$2")
repository=$(realpath "$(dirname "$0")/../..")
scratch=$build_dir/archive-check
rm -rf "$scratch"
mkdir -p "$scratch/unpacked"
cd "$scratch"

failures=0
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}
run_windows() { "$repository/cmake/run-under-wine.sh" "$build_dir" "$@"; }

# --- Unpacked into an empty folder: one top folder named like the archive.
unzip -q "$archive" -d unpacked
root=unpacked/$(basename "$archive" .zip)
[ -d "$root" ] || { echo "FAILED: the archive has no top folder $(basename "$root")" >&2; exit 1; }

# --- Layout: exactly these files in bin/ and lib/, the virtual camera apart.
expect_files() {
    local folder=$1 expected=$2 actual
    actual=$(cd "$root/$folder" && find . -maxdepth 1 -type f -printf '%f\n' | sort)
    if [ "$actual" != "$(sort <<<"$expected")" ]; then
        fail "$folder/ holds:"$'\n'"$actual"$'\n'"expected:"$'\n'"$expected"
    fi
}
expect_files bin "velmora-stereo.exe
velmora_uvc_stereo_sdk.dll
velmora_uvc_stereo_sdk_c.dll"
expect_files lib "libvelmora_uvc_stereo_sdk.dll.a
libvelmora_uvc_stereo_sdk_c.dll.a
velmora_uvc_stereo_sdk_c.def
velmora_uvc_stereo_sdk_c.lib"
expect_files virtual-camera "README.txt
SonixCamera.dll
libSonixCamera.dll.a"
for file in README.txt include/velmora_uvc_stereo_c.h include/velmora/uvc_stereo.hpp include/velmora/uvc_stereo_c.hpp \
    virtual-camera/sonix_virtual/vcam_control.h lib/cmake/velmora_uvc_stereo_sdk/velmora_uvc_stereo_sdkConfig.cmake \
    doc/api/index.html; do
    [ -f "$root/$file" ] || fail "missing $file"
done
[ -e "$root/include/sonix_virtual" ] && fail "the virtual camera's header is in include/, outside virtual-camera/"
grep -q "SonixCamera.dll" "$root/README.txt" || fail "README.txt does not say where SonixCamera.dll goes"

# --- Imports: system, C run time and the vendor's library only.
bash "$repository/scripts/check-pe-imports.sh" "$root"/bin/*.dll "$root/virtual-camera/SonixCamera.dll" ||
    fail "DLL imports"
# The tool holds its own copy of the core: importing an SDK DLL beside it
# would put a second core, with a second vendor lock, into its process.
bash "$repository/scripts/check-pe-imports.sh" --allow SHELL32.dll "$root/bin/velmora-stereo.exe" ||
    fail "program imports"

# --- The C library exports its 23 functions, and the .def file lists them.
bash "$repository/scripts/check-c-exports.sh" "$root/bin/velmora_uvc_stereo_sdk_c.dll" || fail "C exports"
# shellcheck source=../../scripts/binary-symbols.sh
. "$repository/scripts/binary-symbols.sh"
def_names=$(awk 'exports { print $1 } /^EXPORTS/ { exports = 1 }' "$root/lib/velmora_uvc_stereo_sdk_c.def" | sort)
[ "$def_names" = "$(exported_names "$root/bin/velmora_uvc_stereo_sdk_c.dll" | sort)" ] ||
    fail ".def file and DLL exports differ"
grep -q '^LIBRARY velmora_uvc_stereo_sdk_c.dll' "$root/lib/velmora_uvc_stereo_sdk_c.def" || fail ".def has no LIBRARY line"

# --- Optimised and stripped; the debug information in the -debug.zip beside it.
debug_archive=${archive%.zip}-debug.zip
if mkdir debug && unzip -q "$debug_archive" -d debug; then
    python3 "$repository/tests/packaging/check-debug-links.py" x86_64-w64-mingw32-objdump x86_64-w64-mingw32-objcopy \
        debug "$root"/bin/*.dll "$root"/bin/*.exe "$root/virtual-camera/SonixCamera.dll" || fail "debug information"
else
    fail "no debug archive $(basename "$debug_archive")"
fi

# --- Programs built from the archive's files alone.
toolchain=$repository/cmake/mingw-w64-x86_64.cmake
cmake -S "$repository/tests/packaging/consumers" -B consumers -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -Dvelmora_uvc_stereo_sdk_DIR="$PWD/$root/lib/cmake/velmora_uvc_stereo_sdk" >/dev/null &&
    cmake --build consumers >/dev/null || fail "CMake consumers against the archive"
# As README.txt says for the command line.
x86_64-w64-mingw32-gcc-posix -std=c99 -Wall -Wextra -Werror -I "$root/include" "$repository/examples/c/main.c" \
    "$root/lib/libvelmora_uvc_stereo_sdk_c.dll.a" -o example_c_command_line.exe || fail "C example from the command line"
# The C++ example on the header-only layer over the C library, as README.txt
# says for any compiler: only the C library is linked.
x86_64-w64-mingw32-g++-posix -std=c++17 -Wall -Wextra -Wpedantic -Werror -DVELMORA_EXAMPLE_OVER_C -I "$root/include" \
    "$repository/examples/cpp/main.cpp" "$root/lib/libvelmora_uvc_stereo_sdk_c.dll.a" -static \
    -o example_cpp_over_c_command_line.exe || fail "header-only C++ example from the command line"
# As Visual C++ would: MSVC ABI, no C run time, a Microsoft-compatible linker.
clang --target=x86_64-pc-windows-msvc -ffreestanding -fno-builtin -O1 -Wall -Wextra -Werror -I "$root/include" \
    -c "$repository/tests/packaging/msvc_abi_caller.c" -o msvc_abi_caller.obj &&
    lld-link /nologo /entry:mainCRTStartup /subsystem:console /nodefaultlib /out:msvc_abi_caller.exe \
        msvc_abi_caller.obj "$root/lib/velmora_uvc_stereo_sdk_c.lib" /usr/x86_64-w64-mingw32/lib/libkernel32.a ||
    fail "MSVC-ABI caller linked against velmora_uvc_stereo_sdk_c.lib"

# --- Run under Wine beside the SDK's DLLs, with the virtual camera copied in.
bin=$root/bin
cp "$root/virtual-camera/SonixCamera.dll" "$bin/"
for program in consumers/example-c/example_c.exe consumers/example-cpp/example_cpp.exe \
    consumers/example-cpp/example_cpp_over_c.exe example_cpp_over_c_command_line.exe consumers/consumer/consumer.exe \
    example_c_command_line.exe msvc_abi_caller.exe "$build_dir/bin/version_resource_tests.exe"; do
    [ -f "$program" ] && cp "$program" "$bin/"
done
expect_run() {
    local pattern=$1 output
    shift
    if output=$(run_windows "$@" 2>&1) && grep -q -- "$pattern" <<<"$output"; then
        echo "ok: ${*#"$PWD"/}"
    else
        fail "$(basename "$1") ${*:2}:"$'\n'"$output"
    fi
}
expect_run "IMU 4:" "$bin/example_c.exe"
expect_run "IMU 4:" "$bin/example_c_command_line.exe"
expect_run "IMU 4:" "$bin/example_cpp.exe"
expect_run "IMU 4:" "$bin/example_cpp_over_c.exe"
expect_run "IMU 4:" "$bin/example_cpp_over_c_command_line.exe"
expect_run "valid" "$bin/consumer.exe"
expect_run "" "$bin/msvc_abi_caller.exe"
expect_run "2 cameras found" "$bin/velmora-stereo.exe" scan
expect_run "PASSED" "$bin/version_resource_tests.exe"

if [ "$failures" -gt 0 ]; then
    echo "Windows archive: $failures check(s) failed" >&2
    exit 1
fi
echo "Windows archive $(basename "$archive"): all checks passed"
