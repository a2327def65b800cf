// Reading the camera's firmware version text.
#pragma once

#include <string>

#include "velmora/uvc_stereo/export.hpp"
#include "velmora/uvc_stereo/records.hpp"
#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo::detail {

// The firmware version, trimmed at the end; never empty on success.
VELMORA_UVC_STEREO_API Result<std::string> read_firmware_version_from_device(const FlashConfig& config);

}  // namespace velmora::uvc_stereo::detail
