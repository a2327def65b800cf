#!/usr/bin/env bash
# Checks the Linux packages as a user meets them: the Debian package's
# metadata (it depends on the C and C++ run times only), its files unpacked
# into a scratch root with dpkg -x (libraries with their SONAMEs, headers,
# CMake and pkg-config files, the tool, the camera library over uvcvideo,
# the virtual camera in its own folder, the udev rule, the API reference),
# the C example built with pkg-config alone and the examples built with the
# CMake package, all run against the virtual camera; the tool with no option
# against mocked cameras; and the tarball holding the same files.
#   check-linux-packages.sh <package.deb> <package.tar.gz> <scratch folder>
set -euo pipefail

if [ $# -ne 3 ] || [ ! -f "$1" ] || [ ! -f "$2" ]; then
    echo "usage: $0 <velmora-uvc-stereo-sdk_VERSION_amd64.deb> <velmora-uvc-stereo-sdk-VERSION-linux-x86_64.tar.gz> <scratch folder>" >&2
    exit 2
fi
deb=$(realpath "$1")
tarball=$(realpath "$2")
repository=$(realpath "$(dirname "$0")/../..")
scratch=$3
rm -rf "$scratch"
mkdir -p "$scratch"
scratch=$(realpath "$scratch")
cd "$scratch"

failures=0
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}

# --- Metadata.
field() { dpkg-deb --field "$deb" "$1"; }
version=$(field Version)
[ "$(field Package)" = velmora-uvc-stereo-sdk ] || fail "package name $(field Package)"
[ "$(field Architecture)" = amd64 ] || fail "architecture $(field Architecture)"
[ "$(basename "$deb")" = "velmora-uvc-stereo-sdk_${version}_amd64.deb" ] || fail "file name $(basename "$deb")"
dpkg-deb --info "$deb" >/dev/null || fail "dpkg-deb --info"
depends=$(field Depends)
packages=$(tr ',' '\n' <<<"$depends" | sed -E 's/\(.*\)//; s/[[:space:]]//g' | sort -u)
for package in $packages; do
    case $package in
        libc6 | libgcc-s1 | libstdc++6) ;;
        *) fail "depends on $package (Depends: $depends)" ;;
    esac
done
grep -qx 'libstdc++6' <<<"$packages" || fail "does not depend on the C++ run time (Depends: $depends)"

# --- Files, unpacked into a scratch root.
dpkg -x "$deb" root
usr=$scratch/root/usr
major=${version%%.*}
for file in bin/velmora-stereo include/velmora_uvc_stereo_c.h include/velmora/uvc_stereo.hpp \
    include/velmora/uvc_stereo_c.hpp include/sonix_virtual/vcam_control.h lib/libSonixCamera.so.1 \
    lib/velmora-uvc-stereo-sdk/virtual-camera/libSonixCamera.so.1 lib/udev/rules.d/70-velmora-uvc-stereo.rules \
    lib/cmake/velmora_uvc_stereo_sdk/velmora_uvc_stereo_sdkConfig.cmake \
    lib/pkgconfig/velmora_uvc_stereo_sdk.pc lib/pkgconfig/velmora_uvc_stereo_sdk_c.pc \
    share/doc/velmora-uvc-stereo-sdk/api/index.html share/man/man1/velmora-stereo.1 \
    share/bash-completion/completions/velmora-stereo; do
    [ -f "$usr/$file" ] || fail "missing /usr/$file"
done
for library in velmora_uvc_stereo_sdk velmora_uvc_stereo_sdk_c; do
    [ -f "$usr/lib/lib$library.so.$version" ] || fail "missing lib$library.so.$version"
    [ "$(readlink "$usr/lib/lib$library.so")" = "lib$library.so.$major" ] || fail "lib$library.so link"
    soname=$(readelf -d "$usr/lib/lib$library.so.$version" | sed -n 's/.*Library soname: \[\(.*\)\]/\1/p')
    [ "$soname" = "lib$library.so.$major" ] || fail "lib$library SONAME '$soname', expected lib$library.so.$major"
done
# udev reads its rules from /usr/lib/udev/rules.d, whatever the library folder.
contents=$(dpkg-deb -c "$deb")
grep -q ' \./usr/lib/udev/rules\.d/70-velmora-uvc-stereo\.rules$' <<<"$contents" ||
    fail "the udev rule is not installed as /usr/lib/udev/rules.d/70-velmora-uvc-stereo.rules"
# The camera library the SDK finds beside itself reaches real cameras; the
# virtual camera (the one with the vcam_* controls) only lies in its folder.
is_virtual_camera() { nm -D --defined-only "$1" | grep -q ' vcam_load_scenario_json$'; }
is_virtual_camera "$usr/lib/libSonixCamera.so.1" && fail "lib/libSonixCamera.so.1 is the virtual camera"
is_virtual_camera "$usr/lib/velmora-uvc-stereo-sdk/virtual-camera/libSonixCamera.so.1" ||
    fail "the virtual-camera folder does not hold the virtual camera"
bash "$repository/scripts/check-c-exports.sh" "$usr/lib/libvelmora_uvc_stereo_sdk_c.so.$version" || fail "C exports"

# --- Programs built against the package alone, run against its virtual camera.
export PKG_CONFIG_PATH=$usr/lib/pkgconfig
# The virtual camera's folder first: the examples link the SDK only.
export LD_LIBRARY_PATH=$usr/lib/velmora-uvc-stereo-sdk/virtual-camera:$usr/lib
[ "$(pkg-config --modversion velmora_uvc_stereo_sdk_c)" = "$version" ] || fail "pkg-config version"
# shellcheck disable=SC2046 # the flags are separate words
cc -std=c99 -Wall -Wextra -Werror "$repository/examples/c/main.c" $(pkg-config --cflags --libs velmora_uvc_stereo_sdk_c) \
    -o example_c_pkg_config || fail "C example with pkg-config"
# shellcheck disable=SC2046
c++ -std=c++17 -Wall -Wextra -Werror "$repository/tests/consumer/consumer.cpp" \
    $(pkg-config --cflags --libs velmora_uvc_stereo_sdk) -o consumer_pkg_config || fail "C++ consumer with pkg-config"
cmake -S "$repository/tests/packaging/consumers" -B consumers -G Ninja -DCMAKE_PREFIX_PATH="$usr" >/dev/null &&
    cmake --build consumers >/dev/null || fail "CMake consumers against the package"

expect_run() {
    local pattern=$1 output
    shift
    if output=$("$@" 2>&1) && grep -q -- "$pattern" <<<"$output"; then
        echo "ok: ${*#"$PWD"/}"
    else
        fail "$(basename "$1") ${*:2}:"$'\n'"$output"
    fi
}
expect_run "IMU 4:" ./example_c_pkg_config
expect_run "valid" ./consumer_pkg_config
expect_run "IMU 4:" consumers/example-c/example_c
expect_run "IMU 4:" consumers/example-cpp/example_cpp
expect_run "IMU 4:" consumers/example-cpp/example_cpp_over_c
# The tool finds its libraries through its run path, without LD_LIBRARY_PATH,
# and the virtual camera from its own folder.
expect_run "2 cameras found" env -u LD_LIBRARY_PATH "$usr/bin/velmora-stereo" --virtual scan
# With no option it reaches (mocked) cameras through the uvcvideo library.
if command -v umockdev-wrapper >/dev/null; then
    expect_run " passed" env -u LD_LIBRARY_PATH VELMORA_MOCK_TOOL="$usr/bin/velmora-stereo" \
        bash "$repository/tests/mocked_cameras/run-checks.sh" /usr/bin/python3 test_tool.py
else
    fail "umockdev-wrapper is missing (scripts/install-dependencies.sh)"
fi
# It holds its own copy of the core: an SDK library beside it would put a
# second core, with a second vendor lock, into its process.
tool_needs=$(readelf -d "$usr/bin/velmora-stereo")
grep -q 'NEEDED.*libvelmora_uvc_stereo' <<<"$tool_needs" && fail "velmora-stereo links an SDK library beside its own core"

# --- The tarball holds the same files under one top folder.
mkdir tarball
tar -xzf "$tarball" -C tarball
top=$(basename "$tarball" .tar.gz)
[ -d "tarball/$top" ] || fail "the tarball has no top folder $top"
deb_files=$(cd "$usr" && find . -type f -o -type l | sort)
tar_files=$(cd "tarball/$top" 2>/dev/null && find . -type f -o -type l | sort)
[ "$deb_files" = "$tar_files" ] || fail "the tarball's files differ from the Debian package's:"$'\n'"$(diff <(echo "$deb_files") <(echo "$tar_files") | head -20)"

# --- Both ship stripped binaries; their debug information is in the
# -dbgsym tarball beside the tarball.
debug_archive=${tarball%.tar.gz}-dbgsym.tar.gz
mkdir debug
if tar -xzf "$debug_archive" -C debug; then
    elf_files() { find "$@" -type f \( -name '*.so*' -o -perm -u+x \) -exec sh -c 'head -c4 "$1" | grep -q ELF' _ {} \; -print; }
    mapfile -t binaries < <(elf_files "$usr/bin" "$usr/lib" "tarball/$top/bin" "tarball/$top/lib")
    [ "${#binaries[@]}" -ge 10 ] || fail "expected 5 binaries in each package, found: ${binaries[*]}"
    python3 "$repository/tests/packaging/check-debug-links.py" objdump objcopy debug "${binaries[@]}" ||
        fail "debug information"
else
    fail "no debug archive $(basename "$debug_archive")"
fi

if [ "$failures" -gt 0 ]; then
    echo "Linux packages: $failures check(s) failed" >&2
    exit 1
fi
echo "Linux packages $(basename "$deb"), $(basename "$tarball"): all checks passed"
