// Table-driven reflected CRC-32s for the fuzz targets, computed differently
// from the SDK's bit-by-bit ones so that each checks the other.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace velmora::uvc_stereo::fuzzing {

constexpr std::uint32_t kCrc32IeeePolynomial = 0xEDB88320U;
constexpr std::uint32_t kCrc32cPolynomial = 0x82F63B78U;

// Initial value all ones, final complement; 0 for no bytes.
template <std::uint32_t Polynomial>
std::uint32_t table_crc32(const std::uint8_t* data, std::size_t length) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> entries{};
        for (std::uint32_t i = 0; i < entries.size(); ++i) {
            std::uint32_t value = i;
            for (int bit = 0; bit < 8; ++bit) value = (value & 1U) ? (value >> 1) ^ Polynomial : value >> 1;
            entries[i] = value;
        }
        return entries;
    }();
    std::uint32_t crc = 0xFFFFFFFFU;
    for (std::size_t i = 0; i < length; ++i) crc = table[(crc ^ data[i]) & 0xFFU] ^ (crc >> 8);
    return ~crc;
}

}  // namespace velmora::uvc_stereo::fuzzing
