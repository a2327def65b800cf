// Builds the flash record that wraps a JSON document (16-byte little-endian header, CRC-32).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sonix_virtual {

constexpr std::uint32_t kFlashRecordMagic = 0x5A4F564B;
constexpr std::uint16_t kFlashRecordHeaderSize = 16;

std::vector<std::uint8_t> build_flash_record(const std::string& payload, std::uint16_t version);

}  // namespace sonix_virtual
