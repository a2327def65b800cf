// Conversions between DeviceInfo and the C library's fixed-size device structure.
#pragma once

#include "velmora/uvc_stereo/records.hpp"
#include "velmora/uvc_stereo/status.hpp"
#include "velmora_uvc_stereo_c.h"

namespace velmora::uvc_stereo::c_api {

// Spelled with its tag: the plain name is also an exported function.
using CDeviceInfo = struct velmora_uvc_stereo_device_info;

// Zero-fills *dst, then copies the ids, the texts (cut to fit with a NUL) and
// up to eight back-end indices in ascending back-end order.
Status to_c_device_info(const DeviceInfo& info, CDeviceInfo* dst);

// Checks a caller-supplied description: ids non-zero, at most eight back-end
// entries, each a known back-end, non-negative, and listed once. Entries past
// opencv_index_count are not looked at.
Status validate_c_device_info(const CDeviceInfo* info);

// The DeviceInfo a validated description stands for. Each text is read up to
// its first NUL or the end of its array, so a field filled to its last byte is
// never read beyond.
DeviceInfo from_c_device_info(const CDeviceInfo& info);

}  // namespace velmora::uvc_stereo::c_api
