/// @file
/// Direct access to the flash record of a camera selected by a FlashConfig.
/// Each call is one complete vendor session; nothing is cached between calls.
#pragma once

#include "velmora/uvc_stereo/export.hpp"
#include "velmora/uvc_stereo/records.hpp"
#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo {

/// Success when a one-byte read at the start of the flash user space works.
VELMORA_UVC_STEREO_API Status probe_flash_transport(const FlashConfig& config);

/// The validated flash record at the start of the user space.
VELMORA_UVC_STEREO_API Result<FlashBlob> read_blob_from_device(const FlashConfig& config);

/// Stores blob.raw (validated) or, when raw is empty, the record built from
/// blob.payload and blob.version; erases whole sectors first and, when
/// config.verify_after_write is set, reads the record back and compares.
VELMORA_UVC_STEREO_API Status write_blob_to_device(const FlashConfig& config, const FlashBlob& blob);

}  // namespace velmora::uvc_stereo
