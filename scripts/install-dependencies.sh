#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
# chromium and python3-pil render the tool's IMU report page and look at it.
# doxygen builds the API reference; dpkg-dev (dpkg-shlibdeps) computes the
# Debian package's dependencies; unzip opens the Windows archive; clang and
# lld build a caller the way Visual C++ does (MSVC ABI, Microsoft-style linker)
# to check the import library for it. umockdev (with its GObject introspection
# data and python3-gi) mocks sysfs and /dev/video* for the Linux camera
# library's tests.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    libgtest-dev googletest libbenchmark-dev
    rapidjson-dev libsimdjson-dev
    nlohmann-json3-dev
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    wine64
    python3-venv python3-pip python3-setuptools python3-wheel
    python3-pytest python3-numpy python3-opencv
    chromium python3-pil
    doxygen dpkg-dev unzip clang lld libclang-rt-14-dev llvm
    umockdev libumockdev-dev gir1.2-umockdev-1.0 python3-gi
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
