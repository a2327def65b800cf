#!/usr/bin/env bash
# One command on a fresh Debian machine: installs what the build needs, builds
# the release preset (without tests) and shows the velmora-stereo tool at work
# against the virtual camera's two built-in cameras.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" -ne 0 ] && command -v sudo >/dev/null; then
    sudo scripts/install-dependencies.sh
else
    scripts/install-dependencies.sh
fi

echo "Building the release preset (this takes a few minutes the first time)..."
cmake --preset release -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build --preset release -- -j2 >/dev/null

tool=build/release/bin/velmora-stereo

# Shows the command, then runs it.
show() {
    echo
    echo "\$ velmora-stereo $*"
    "$tool" "$@"
}

show scan
show info
show read-json --pretty
echo '{ "demo": true, "baseline_mm": 60.0 }' > build/release/demo-document.json
# The virtual record it replaces is backed up inside the build tree, not in your home.
show write-json --index 1 --backup-dir build/release/demo-backups build/release/demo-document.json
show imu --count 10

echo
echo "The tool is $tool; '$tool --help' lists every command."
echo "Each run starts from the virtual camera's built-in scenario; --scenario FILE loads another."
