#!/usr/bin/env bash
# Builds and runs every test: the native debug suite, the address and
# undefined-behaviour sanitizers, the thread sanitizer (concurrency tests),
# the optimised Windows build under Wine (the archive is made from it),
# against the installed package, a consumer project, the C and C++ examples
# (CMake and pkg-config) and the tool, the
# three packages users install (Windows archive, Debian package, tarball),
# a build against a stand-in for the vendor's library, the Python package's
# wheels (installed and tested as users get them), and finally the fuzz
# targets (seed corpora and a short campaign). Ends with one summary line.
set -uo pipefail
cd "$(dirname "$0")/.."

scripts/install-dependencies.sh || { echo "tests: 0 passed, 1 failed"; exit 1; }

tests_passed=0
tests_failed=0
failed_stages=()

# Runs ctest for a preset and adds its counts to the totals.
run_ctest() {
    local preset=$1 log
    log=$(mktemp)
    ctest --preset "$preset" 2>&1 | tee "$log"
    local status=${PIPESTATUS[0]}
    local line passed failed total
    line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
    if [ -n "$line" ]; then
        failed=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
        total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
        passed=$((total - failed))
        tests_passed=$((tests_passed + passed))
        tests_failed=$((tests_failed + failed))
    fi
    rm -f "$log"
    return "$status"
}

# The number before a word on pytest's summary line, 0 when it is absent.
pytest_count() {
    grep -oE "[0-9]+ $2" <<<"$1" | grep -oE '^[0-9]+' || echo 0
}

# Runs pytest with the given interpreter and adds its counts (errors count as
# failures) to the totals.
run_pytest() {
    local python=$1
    shift
    count_pytest "$python" -m pytest -q -p no:cacheprovider "$@"
}

# Runs a command that ends with pytest's summary and adds its counts.
count_pytest() {
    local log
    log=$(mktemp)
    "$@" 2>&1 | tee "$log"
    local status=${PIPESTATUS[0]}
    local summary
    summary=$(grep -E '^(=+ )?[0-9]+ (passed|failed|errors?|skipped)' "$log" | tail -1)
    tests_passed=$((tests_passed + $(pytest_count "$summary" passed)))
    tests_failed=$((tests_failed + $(pytest_count "$summary" failed) + $(pytest_count "$summary" 'errors?')))
    rm -f "$log"
    return "$status"
}

# VELMORA_STAGES (an extended regular expression) runs only the stages whose
# names match it, for a quick re-run of what a change touches.
stage() {
    local name=$1
    shift
    if [ -n "${VELMORA_STAGES:-}" ] && ! grep -qE "$VELMORA_STAGES" <<<"$name"; then
        return 0
    fi
    echo
    echo "=== $name"
    local start=$SECONDS
    if "$@"; then
        echo "=== $name: ok ($((SECONDS - start)) s)"
    else
        echo "=== $name: FAILED ($((SECONDS - start)) s)"
        failed_stages+=("$name")
    fi
}

preset_suite() {
    local preset=$1
    cmake --preset "$preset" >/dev/null &&
        cmake --build --preset "$preset" &&
        run_ctest "$preset"
}

# Builds one example folder as its own project against the installed package
# and runs it against the installed virtual camera's two cameras (the SDK
# finds the uvcvideo library beside itself; the virtual camera's folder comes
# first).
example_check() {
    local name=$1 program=$2 prefix=$3 output
    cmake -S "examples/$name" -B "build/example-$name" -G Ninja -DCMAKE_PREFIX_PATH="$PWD/$prefix" >/dev/null &&
        cmake --build "build/example-$name" &&
        output=$(LD_LIBRARY_PATH=$PWD/$prefix/lib/velmora-uvc-stereo-sdk/virtual-camera "./build/example-$name/$program") &&
        # Printed through this shell's own stdout: "tee /dev/stderr" would
        # reopen a log file that stdout and stderr share, and truncate it.
        printf '%s\n' "$output" &&
        grep -q '^2 camera(s) found' <<<"$output"
}

# The C example built with pkg-config alone against an install prefix.
pkg_config_check() {
    local prefix=$PWD/$1 flags
    flags=$(PKG_CONFIG_PATH=$prefix/lib/pkgconfig pkg-config --cflags --libs velmora_uvc_stereo_sdk_c) &&
        # shellcheck disable=SC2086 # the flags are separate words
        cc -std=c99 -Wall -Wextra -Werror examples/c/main.c $flags -o build/example-c-pkg-config &&
        LD_LIBRARY_PATH=$prefix/lib/velmora-uvc-stereo-sdk/virtual-camera:$prefix/lib ./build/example-c-pkg-config
}

consumer_check() {
    local prefix=build/dev/install
    rm -rf "$prefix"
    cmake --install build/dev --prefix "$prefix" >/dev/null &&
        cmake -S tests/consumer -B build/consumer -G Ninja -DCMAKE_PREFIX_PATH="$PWD/$prefix" >/dev/null &&
        cmake --build build/consumer &&
        ./build/consumer/consumer &&
        example_check cpp example_cpp "$prefix" &&
        example_check c example_c "$prefix" &&
        pkg_config_check "$prefix" &&
        "$prefix/bin/velmora-stereo" --virtual scan
}

# The Windows SDK archive, from the mingw tree (optimised, with debug
# information) the Wine stage built and tested: stripped binaries, the debug
# information in the -debug.zip beside it.
windows_archive_check() {
    cmake --build --preset mingw --target package >/dev/null &&
        bash tests/packaging/check-windows-archive.sh "build/mingw/velmora-uvc-stereo-sdk-$(project_version)-win64.zip" \
            build/mingw
}

# The Debian package and the tarball, from a lean release build (no tests,
# no benchmarks: the debug, sanitizer and Wine stages test the same sources).
linux_packages_check() {
    local version
    version=$(project_version)
    cmake --preset release -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCHMARKS=OFF >/dev/null &&
        cmake --build --preset release &&
        cmake --build --preset release --target package >/dev/null &&
        bash tests/packaging/check-linux-packages.sh "build/release/velmora-uvc-stereo-sdk_${version}_amd64.deb" \
            "build/release/velmora-uvc-stereo-sdk-${version}-linux-x86_64.tar.gz" build/release/package-check
}

# Nothing test-only in the two libraries that ship: their symbol tables, from
# the unstripped release tree the package stage just built.
shipped_symbols_check() {
    bash scripts/check-no-test-hooks.sh --sources . \
        build/release/lib/libvelmora_uvc_stereo_sdk.so build/release/lib/libvelmora_uvc_stereo_sdk_c.so
}

# The project version from the top-level CMakeLists.txt.
project_version() {
    sed -n 's/^project(velmora_uvc_stereo_sdk VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt
}

# The Python package as users install it, with none of its variables set:
# the three wheels (plain; Linux from the release tree; Windows from the mingw
# tree) made and checked, the Linux wheel installed alone into a fresh virtual
# environment of Debian's interpreter where the package's tests and the example
# run (and its checks against mocked cameras, through the wheel's uvcvideo
# camera library), and the Windows wheel's DLL loaded under Wine by a small
# MinGW program.
python_check() {
    local out=build/python-wheels venv=build/python-venv
    unset VELMORA_UVC_STEREO_LIBRARY VELMORA_UVC_STEREO_VENDOR_LIBRARY VCAM_SCENARIO
    bash python/packaging/make-wheels.sh "$out" build/release build/mingw &&
        python_wheels_check "$out" &&
        rm -rf "$venv" &&
        /usr/bin/python3 -m venv --system-site-packages "$venv" &&
        "$venv/bin/pip" install --quiet --no-index "$out"/velmora_uvc_stereo-*-manylinux_*.whl &&
        run_pytest "$venv/bin/python" python/tests --installed-wheel &&
        "$venv/bin/python" examples/python/desk_workflow.py --virtual &&
        run_mocked_checks "$venv/bin/python" test_python.py &&
        python_windows_wheel_check "$out"
}

# Checks against mocked cameras (umockdev), their counts added to the totals:
# the wheel's package reaching them with no variable set.
run_mocked_checks() {
    count_pytest bash tests/mocked_cameras/run-checks.sh "$@"
}

python_wheels_check() {
    local out=$1 checker=python/packaging/wheels.py
    /usr/bin/python3 "$checker" check "$out"/velmora_uvc_stereo-*-py3-none-any.whl --platform pure &&
        /usr/bin/python3 "$checker" check "$out"/velmora_uvc_stereo-*-manylinux_*.whl --platform linux &&
        /usr/bin/python3 "$checker" check "$out"/velmora_uvc_stereo-*-win_amd64.whl --platform windows
}

# The Windows wheel unpacked as pip would; its C library must not load without
# the vendor's DLL, and must list the cameras with the virtual camera loaded
# first or with a SonixCamera.dll put beside it.
python_windows_wheel_check() {
    local out=$PWD/$1 lib folder mode
    x86_64-w64-mingw32-gcc-posix -std=c99 -Wall -Wextra -Werror -static -o "$out/load_wheel_dll.exe" \
        python/packaging/load_wheel_dll.c || return 1
    rm -rf "$out/windows" && mkdir -p "$out/windows" &&
        unzip -q "$out"/velmora_uvc_stereo-*-win_amd64.whl -d "$out/windows" || return 1
    lib=$out/windows/velmora_uvc_stereo/_lib
    folder="Z:${lib//\//\\}"
    for mode in default virtual beside; do
        [ "$mode" = beside ] && cp "$lib/virtual/SonixCamera.dll" "$lib/"
        echo "--- Windows wheel, $mode"
        bash cmake/run-under-wine.sh "$PWD/build/mingw" "$out/load_wheel_dll.exe" "$folder" "$mode" || return 1
    done
}

# The fuzz targets: their seed corpora replayed as tests, then a short
# campaign of every target (scripts/fuzz.sh runs them one after the other).
fuzz_check() {
    preset_suite fuzz && scripts/fuzz.sh 15
}

stage "native debug" preset_suite dev
stage "address and undefined-behaviour sanitizers" preset_suite asan
stage "thread sanitizer" preset_suite tsan
stage "Windows (MinGW) under Wine" preset_suite mingw
stage "installed package: consumer, examples and tool" consumer_check
stage "Windows SDK archive" windows_archive_check
stage "Linux packages (Debian, tarball) from a release build" linux_packages_check
stage "no test hooks in the shipped libraries (nm of the release build)" shipped_symbols_check
stage "vendor library configuration (MinGW, contract-only stand-in)" \
    bash tests/packaging/check-vendor-library-build.sh build/mingw build/mingw-vendor
stage "Python package" python_check
stage "fuzz targets (15 s each)" fuzz_check

/usr/lib/wine/wineserver -k 2>/dev/null || true

echo
if [ ${#failed_stages[@]} -gt 0 ]; then
    echo "Failed stages: ${failed_stages[*]}"
    tests_failed=$((tests_failed + ${#failed_stages[@]}))
fi
echo "tests: $tests_passed passed, $tests_failed failed"
[ ${#failed_stages[@]} -eq 0 ]
