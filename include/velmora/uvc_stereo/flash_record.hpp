/// @file
/// The flash record that wraps the JSON document in the camera's flash: a
/// 16-byte little-endian header (magic, version, header size, payload length,
/// CRC-32 of the payload), optional zero padding, then the payload.
#pragma once

#include <cstdint>
#include <vector>

#include "velmora/uvc_stereo/export.hpp"
#include "velmora/uvc_stereo/records.hpp"
#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo {

/// The standard CRC-32 (IEEE 802.3, reflected 0xEDB88320); 0 for no bytes.
VELMORA_UVC_STEREO_API std::uint32_t crc32_ieee(const std::vector<std::uint8_t>& bytes);

/// A complete record for the payload, built with the config's magic and
/// min_header_size as header size; fails when it would not fit the user space.
VELMORA_UVC_STEREO_API Result<FlashBlob> build_blob(std::uint16_t version, const std::vector<std::uint8_t>& payload,
                                                    const FlashConfig& config);

/// The record at the start of raw, validated (magic, header size, length, CRC).
/// Bytes after the record are dropped.
VELMORA_UVC_STEREO_API Result<FlashBlob> parse_and_validate_raw_blob(const std::vector<std::uint8_t>& raw,
                                                                     const FlashConfig& config);

}  // namespace velmora::uvc_stereo
