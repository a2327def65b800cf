#!/usr/bin/env bash
# Builds and installs the SDK with MinGW-w64 against a stand-in for the
# vendor's own library, as a Windows developer with the real one would
# (-DVELMORA_VENDOR_LIBRARY, -DVELMORA_VENDOR_INCLUDE_DIR), and checks that
# the configuration holds: no virtual camera, test or JSON library is built,
# looked up or installed, the DLLs import only the vendor's fourteen
# functions from SonixCamera.dll, and the examples built against the install
# work under Wine beside the stand-in. (The tool is left out to keep CI
# short; the mingw tree's contract tests run it against the same stand-in.)
# The stand-in is the virtual camera's contract-only build (exactly the
# fourteen SonixCam_* functions) from the mingw tree, given as a
# SonixCamera.lib made with dlltool, as the vendor ships an import library.
#   check-vendor-library-build.sh <mingw build dir> <scratch folder>
set -euo pipefail

if [ $# -ne 2 ] || [ ! -f "$1/contract/SonixCamera.dll" ]; then
    echo "usage: $0 <mingw build dir with contract/SonixCamera.dll> <scratch folder>" >&2
    exit 2
fi
mingw_dir=$(realpath "$1")
scratch=$2
repository=$(realpath "$(dirname "$0")/../..")
mkdir -p "$scratch"
scratch=$(realpath "$scratch")
stand_in=$scratch/vendor
build=$scratch/build
prefix=$scratch/install

failures=0
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}

# shellcheck source=../../scripts/binary-symbols.sh
. "$repository/scripts/binary-symbols.sh"

# --- The stand-in, laid out as a vendor delivery: DLL, import library, header.
rm -rf "$stand_in" "$prefix"
mkdir -p "$stand_in/include"
contract_dll=$mingw_dir/contract/SonixCamera.dll
bash "$repository/scripts/check-contract-exports.sh" "$contract_dll"
{
    echo "LIBRARY SonixCamera.dll"
    echo "EXPORTS"
    exported_names "$contract_dll" | sed 's/^/    /'
} >"$stand_in/SonixCamera.def"
x86_64-w64-mingw32-dlltool --input-def "$stand_in/SonixCamera.def" --dllname SonixCamera.dll \
    --output-lib "$stand_in/SonixCamera.lib"
cp "$contract_dll" "$stand_in/"
cp "$repository/src/vendor/sonix/sonix_camera.h" "$stand_in/include/"

# --- Configure and build; tests and benchmarks are left out by the configuration.
cmake -S "$repository" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$repository/cmake/mingw-w64-x86_64.cmake" \
    -DVELMORA_VENDOR_LIBRARY="$stand_in/SonixCamera.lib" -DVELMORA_VENDOR_INCLUDE_DIR="$stand_in/include" \
    -DVELMORA_BUILD_TOOLS=OFF -DVELMORA_BUILD_API_DOCS=OFF -DCMAKE_INSTALL_PREFIX="$prefix" >"$scratch/configure.log" ||
    { cat "$scratch/configure.log" >&2; exit 1; }
grep -q "Vendor library: $stand_in/SonixCamera.lib" "$scratch/configure.log" || fail "the configuration did not take the vendor library"
cmake --build "$build" -- -j2 >"$scratch/build.log" || { tail -30 "$scratch/build.log" >&2; exit 1; }
cmake --install "$build" >/dev/null || fail "install"

# --- Nothing of the virtual camera is built or installed.
[ -e "$build/bin/SonixCamera.dll" ] && fail "the virtual camera was built"
[ -e "$build/bin/discovery_tests.exe" ] && fail "the tests were built"
[ -e "$build/nlohmann_include" ] && fail "nlohmann-json was looked up although nothing uses it"
find "$prefix" \( -iname 'SonixCamera*' -o -name 'sonix_virtual' -o -name 'virtual-camera' \) | grep -q . &&
    fail "the install holds virtual camera files: $(find "$prefix" -iname '*sonix*')"
for file in bin/velmora_uvc_stereo_sdk.dll bin/velmora_uvc_stereo_sdk_c.dll \
    lib/velmora_uvc_stereo_sdk_c.lib lib/cmake/velmora_uvc_stereo_sdk/velmora_uvc_stereo_sdkConfig.cmake; do
    [ -f "$prefix/$file" ] || fail "missing $file in the install"
done

# --- The examples, built against the install alone.
consumers=$scratch/consumers
cmake -S "$repository/tests/packaging/consumers" -B "$consumers" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$repository/cmake/mingw-w64-x86_64.cmake" \
    -Dvelmora_uvc_stereo_sdk_DIR="$prefix/lib/cmake/velmora_uvc_stereo_sdk" >/dev/null &&
    cmake --build "$consumers" >/dev/null || fail "examples against the install"

# --- Imports: the allow-list, and from SonixCamera.dll the vendor's functions only.
bin=$prefix/bin
cp "$consumers/example-c/example_c.exe" "$consumers/example-cpp/example_cpp.exe" "$bin/"
binaries=("$bin/velmora_uvc_stereo_sdk.dll" "$bin/velmora_uvc_stereo_sdk_c.dll" "$bin/example_c.exe" "$bin/example_cpp.exe")
bash "$repository/scripts/check-pe-imports.sh" --allow velmora_uvc_stereo_sdk.dll --allow velmora_uvc_stereo_sdk_c.dll \
    "${binaries[@]}" || fail "imports"
vendor_functions=$(exported_names "$contract_dll" | sort)
for binary in "${binaries[@]}"; do
    outside=$(comm -23 <(imported_names "$binary" | grep -E '^(SonixCam|vcam)_' | sort -u) <(echo "$vendor_functions"))
    [ -z "$outside" ] || fail "$(basename "$binary") imports what the vendor's library lacks: $outside"
done

# --- Run beside the stand-in under Wine.
cp "$contract_dll" "$bin/"
run() { "$repository/cmake/run-under-wine.sh" "$mingw_dir" "$@" 2>&1; }
expect_run() {
    local pattern=$1 output
    shift
    if output=$(run "$@") && grep -q -- "$pattern" <<<"$output"; then
        echo "ok: ${*#"$bin"/}"
    else
        fail "$*:"$'\n'"$output"
    fi
}
expect_run "IMU 4:" "$bin/example_c.exe"
expect_run "2 camera(s) found" "$bin/example_cpp.exe"

if [ "$failures" -gt 0 ]; then
    echo "vendor library configuration: $failures check(s) failed" >&2
    exit 1
fi
echo "vendor library configuration: all checks passed"
