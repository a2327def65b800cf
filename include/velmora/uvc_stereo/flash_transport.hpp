/// @file
/// Direct access to a camera selected by a FlashConfig: its flash record and
/// its firmware version. Each call is one complete vendor session; nothing is
/// cached between calls.
#pragma once

#include <string>

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

/// The camera's firmware version text as its bridge chip reports it, without
/// trailing blanks and line ends; never empty on success. Fails with
/// ErrorCode::DeviceUnavailable when the camera is not found or has no serial
/// flash, and with ErrorCode::ReadFailed when the version cannot be read or is
/// empty. Only the selection fields of config are used. Thread-safe.
VELMORA_UVC_STEREO_API Result<std::string> read_firmware_version(const FlashConfig& config);

}  // namespace velmora::uvc_stereo
