// Whether a camera's firmware lets its IMU be used.
#pragma once

#include <string_view>

#include "velmora/uvc_stereo/records.hpp"
#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo::detail {

// True when no version is required, else only for exactly the required text
// (case-sensitive, nothing trimmed).
bool firmware_version_allows_imu(std::string_view required, std::string_view firmware);

// True when the disabling text is non-empty and occurs anywhere in the
// firmware version.
bool firmware_version_disables_imu(std::string_view disabling, std::string_view firmware);

// Success, or NotSupported "IMU is not supported on this device". Models
// without a firmware condition pass at once; the others have their firmware
// version read through config and then pause on the calling thread.
Status ensure_imu_supported_by_firmware(const DeviceInfo& device, const FlashConfig& config);

}  // namespace velmora::uvc_stereo::detail
