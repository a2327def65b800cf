// Device-side checksums: the CRC-32 of flash records and the CRC-32C of capability reports.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sonix_virtual {

// Standard CRC-32 (IEEE 802.3, reflected 0xEDB88320); empty input gives 0.
std::uint32_t crc32_ieee(const std::uint8_t* data, std::size_t length);

// CRC-32C (Castagnoli, reflected 0x82F63B78); empty input gives 0.
std::uint32_t crc32c(const std::uint8_t* data, std::size_t length);

}  // namespace sonix_virtual
