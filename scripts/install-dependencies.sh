#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
# chromium and python3-pil render the tool's IMU report page and look at it.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    libgtest-dev googletest libbenchmark-dev
    nlohmann-json3-dev
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    wine64
    python3-venv python3-pip python3-setuptools python3-wheel
    python3-pytest python3-numpy python3-opencv
    chromium python3-pil
    clang libclang-rt-14-dev llvm
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
