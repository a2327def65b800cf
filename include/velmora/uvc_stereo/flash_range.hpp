/// @file
/// Bounds of the flash user space: every transfer and erase stays inside it.
#pragma once

#include <cstdint>

#include "velmora/uvc_stereo/export.hpp"
#include "velmora/uvc_stereo/records.hpp"
#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo {

/// Success when [address, address + length) lies inside the user space, else
/// ErrorCode::InvalidArgument. what names the operation in the message
/// ("Flash read", "Flash write"); null stands for "Flash transfer".
VELMORA_UVC_STEREO_API Status validate_flash_transfer_range(const FlashConfig& config, std::uint32_t address,
                                                            std::uint64_t length, const char* what);

/// As the transfer check, and the sector-aligned span must stay inside too.
VELMORA_UVC_STEREO_API Status validate_flash_erase_range(const FlashConfig& config, std::uint32_t address,
                                                         std::uint64_t length);

}  // namespace velmora::uvc_stereo
