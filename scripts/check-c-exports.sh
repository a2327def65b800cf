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

# A PE file starts with "MZ"; anything else is taken for an ELF shared object.
if [ "$(head -c 2 "$library")" = "MZ" ]; then
    objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
    # The export table lists one "[ordinal] name" line per exported name.
    actual=$("$objdump" -p "$library" |
        awk '/\[Ordinal\/Name Pointer\] Table/ { in_table = 1; next }
             in_table && NF == 0 { in_table = 0 }
             in_table { print $NF }' | sort)
else
    actual=$(nm -D --defined-only "$library" | awk '{ print $NF }' | sort)
fi

if [ "$actual" = "$expected" ]; then
    echo "$(basename "$library"): exports exactly the $(wc -l <<<"$expected") C functions"
    exit 0
fi
echo "$(basename "$library"): export list differs (< missing, > unexpected):" >&2
diff <(echo "$expected") <(echo "$actual") >&2 || true
exit 1
