/// @file
/// Listing the supported cameras that are attached.
#pragma once

#include <vector>

#include "velmora/uvc_stereo/export.hpp"
#include "velmora/uvc_stereo/records.hpp"
#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo {

/// The attached cameras of the supported models, in the vendor library's
/// order, each with its OpenCV capture index per back-end where one was found
/// (Media Foundation first, then DirectShow; a back-end that fails only
/// leaves its indices out). No camera attached is a success with an empty
/// list. Thread-safe.
VELMORA_UVC_STEREO_API Result<std::vector<DeviceInfo>> scan_devices();
/// As scan_devices(), keeping only the cameras that pass the filter.
VELMORA_UVC_STEREO_API Result<std::vector<DeviceInfo>> scan_devices(const DeviceScanFilter& filter);

}  // namespace velmora::uvc_stereo
