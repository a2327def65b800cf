// Bit-at-a-time reflected CRC-32 shared by the flash record (IEEE polynomial)
// and the capability report (Castagnoli polynomial). Inputs are at most a few
// tens of KiB, so no lookup table is kept.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velmora::uvc_stereo::detail {

constexpr std::uint32_t kCrc32InitialValue = 0xFFFFFFFFu;
constexpr unsigned kCrcShiftsPerByte = 8;

inline std::uint32_t reflected_crc32(const std::uint8_t* data, std::size_t length, std::uint32_t polynomial) {
    std::uint32_t crc = kCrc32InitialValue;
    for (std::size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (unsigned bit = 0; bit < kCrcShiftsPerByte; ++bit) {
            // All ones when the low bit is set, zero otherwise: branch-free.
            const std::uint32_t mask = 0u - (crc & 1u);
            crc = (crc >> 1) ^ (polynomial & mask);
        }
    }
    return ~crc;
}

}  // namespace velmora::uvc_stereo::detail
