#!/usr/bin/env bash
# Checks that the C library exports exactly its 23 C functions and nothing else.
#   check-c-exports.sh <libvelmora_uvc_stereo_sdk_c.so | velmora_uvc_stereo_sdk_c.dll>
set -euo pipefail

if [ $# -ne 1 ] || [ ! -f "$1" ]; then
    echo "usage: $0 <shared library or DLL>" >&2
    exit 2
fi
library=$1

expected=$(sort <<'NAMES'
velmora_uvc_stereo_capability_info_init
velmora_uvc_stereo_close_device
velmora_uvc_stereo_convert_imu
velmora_uvc_stereo_ctx_config_init_default
velmora_uvc_stereo_ctx_create
velmora_uvc_stereo_ctx_destroy
velmora_uvc_stereo_ctx_last_error_message
velmora_uvc_stereo_ctx_scan
velmora_uvc_stereo_device_capability_info
velmora_uvc_stereo_device_close_imu
velmora_uvc_stereo_device_convert_imu
velmora_uvc_stereo_device_info
velmora_uvc_stereo_device_open_imu
velmora_uvc_stereo_device_read_imu
velmora_uvc_stereo_device_read_json
velmora_uvc_stereo_device_write_json
velmora_uvc_stereo_free
velmora_uvc_stereo_imu_conversion_options_init_default
velmora_uvc_stereo_last_error_message
velmora_uvc_stereo_open_device
velmora_uvc_stereo_open_device_options_init_default
velmora_uvc_stereo_opencv_backend_name
velmora_uvc_stereo_scan_devices
NAMES
)

# shellcheck source=binary-symbols.sh
. "$(dirname "$0")/binary-symbols.sh"
expect_exactly_these_exports "$library" "$expected" "C functions"
