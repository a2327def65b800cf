// A virtual camera's serial flash, read and written around the SDK, and flash
// records made for it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora::uvc_stereo::test_support {

// Flash bytes of the camera with this id, as stored.
std::vector<std::uint8_t> peek_flash(const std::string& id, std::uint32_t address, std::uint32_t length);
void poke_flash(const std::string& id, std::uint32_t address, const std::vector<std::uint8_t>& bytes);

// A flash record as the camera's manufacturer would write it.
std::vector<std::uint8_t> flash_record(const std::string& payload, std::uint16_t version);

// A flash record encoded by hand, any field as given (little-endian header,
// zero-padded to header_size, then the payload).
std::vector<std::uint8_t> encode_record(std::uint32_t magic, std::uint16_t version, std::uint16_t header_size,
                                        std::uint32_t payload_length, std::uint32_t crc,
                                        const std::vector<std::uint8_t>& payload);

std::vector<std::uint8_t> bytes_of(const std::string& text);

}  // namespace velmora::uvc_stereo::test_support
