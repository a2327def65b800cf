#!/usr/bin/env bash
# The layer check against small trees that use the project's own layer table:
# each case plants one file and expects the check to pass, or to fail naming
# the file and line.
#   check-layers-test.sh <repository>
set -euo pipefail

repository=$(realpath "${1:-$(dirname "$0")/../..}")
check=$repository/scripts/check-layers.sh
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# file | its text | expected: "pass", or a piece of the failure line. The
# file src/layers.txt is not planted: its text is added to the table.
cases=(
    'src/transport/flash_read.cpp|#include "discovery/device_resolution.hpp"\n#include "formats/flash_record_layout.hpp"\n#include "vendor/vendor_session.hpp"\n#include "platform/debug_output.hpp"\n#include "velmora/uvc_stereo/status.hpp"|pass'
    'src/c_api/scan.cpp|#include "velmora/uvc_stereo/scan.hpp"\n#include "velmora_uvc_stereo_c.h"\n#include <cstdio>|pass'
    'src/vendor/vendor_calls.cpp|#include "sonix_camera.h"\n#include "platform/utf16.hpp"|pass'
    'src/discovery/scan.cpp|#include "vendor/vendor_calls.hpp"\n#include "local_helper.hpp"|pass'
    'tools/tool/info.cpp|#include <velmora/uvc_stereo/device.hpp>\n#include "vendor/vendor_calls.hpp"\n#include "transport/flash_user_space.hpp"\n#include "core/byte_order.hpp"\n#include <sonix_virtual/vcam_control.h>\n#include "info.hpp"|pass'
    'src/discovery/posix/backend_candidates.cpp|#include "vendor/backend_lists.hpp"\n#include "sonix_virtual/vcam_control.h"|src/discovery/posix/backend_candidates.cpp:2: includes sonix_virtual/vcam_control.h, a virtual camera header'
    'src/vendor/backend_lists.cpp|#include <sonix_virtual/vcam_control.hpp>|src/vendor/backend_lists.cpp:1: includes sonix_virtual/vcam_control.hpp, a virtual camera header'
    'src/platform/utf16.cpp|#include "platform/utf16.hpp"\n#include "discovery/scan_whitelist.hpp"|src/platform/utf16.cpp:2: platform includes discovery/scan_whitelist.hpp (discovery)'
    'src/discovery/scan.cpp|#include "transport/flash_session.hpp"|src/discovery/scan.cpp:1: discovery includes transport/flash_session.hpp (transport)'
    'src/vendor/vendor_status.cpp|#include "discovery/device_resolution.hpp"|vendor includes discovery/device_resolution.hpp (discovery)'
    'src/vendor/vendor_calls.cpp|#include "formats/flash_sectors.hpp"|vendor includes formats/flash_sectors.hpp (formats)'
    'src/discovery/device_descriptors.cpp|#include "sonix_camera.h"|src/discovery/device_descriptors.cpp:1: includes sonix_camera.h, which only vendor may include'
    'src/formats/json.cpp|  #  include <sonix_camera.h>|src/formats/json.cpp:1: includes sonix_camera.h, which only vendor may include'
    'tools/tool/info.cpp|#include "sonix_camera.h"|tools/tool/info.cpp:1: includes sonix_camera.h, which only vendor may include'
    'src/platform/utf16.hpp|#include "velmora/uvc_stereo/scan.hpp"|platform includes velmora/uvc_stereo/scan.hpp (discovery)'
    'src/device/device.cpp|#include "c_api/context.hpp"|device includes c_api/context.hpp (c_api)'
    'src/transport/flash_read.cpp|#include "../discovery/scan.hpp"|src/transport/flash_read.cpp:1: includes ../discovery/scan.hpp, climbing out of its folder'
    'src/core/status.cpp|#include "velmora/uvc_stereo/unlisted.hpp"|includes velmora/uvc_stereo/unlisted.hpp, which src/layers.txt gives to no layer'
    'src/extras/helper.cpp|#include <vector>|src/extras/helper.cpp: lies in no layer'
    'tools/tool/info.cpp|#include "transport/firmware_version.hpp"|tools/tool/info.cpp:1: the tool includes transport/firmware_version.hpp, an internal header of transport'
    'src/layers.txt|layer extras extras device formats|pass'
    'src/layers.txt|layer early early later\nlayer later later core|src/layers.txt: early builds on later, which is not on a lower floor'
)

failures=0
index=0
for entry in "${cases[@]}"; do
    IFS='|' read -r file text expected <<<"$entry"
    index=$((index + 1))
    tree=$scratch/case$index
    mkdir -p "$tree/src" "$(dirname "$tree/$file")"
    cp "$repository/src/layers.txt" "$tree/src/"
    if [ "$file" = src/layers.txt ]; then
        printf '%b\n' "$text" >>"$tree/src/layers.txt"
    else
        printf '%b\n' "$text" >"$tree/$file"
    fi
    status=0
    output=$(bash "$check" "$tree" 2>&1) || status=$?
    if [ "$expected" = pass ]; then
        if [ "$status" -ne 0 ]; then
            echo "FAILED case $index ($file): expected a pass, got:"$'\n'"$output" >&2
            failures=$((failures + 1))
        fi
    elif [ "$status" -ne 1 ] || ! grep -qF -- "$expected" <<<"$output"; then
        echo "FAILED case $index ($file): expected exit 1 with '$expected', got $status:"$'\n'"$output" >&2
        failures=$((failures + 1))
    fi
done

if [ "$failures" -gt 0 ]; then
    echo "check-layers: $failures of $index cases failed" >&2
    exit 1
fi
echo "check-layers: all $index cases behaved"
