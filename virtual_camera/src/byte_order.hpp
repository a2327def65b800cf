// Explicit little- and big-endian byte writers for on-device layouts.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sonix_virtual {

constexpr int kByteShift = 8;
constexpr std::uint32_t kByteMask = 0xFFu;

inline void put_le16(std::uint8_t* out, std::uint16_t value) {
    out[0] = static_cast<std::uint8_t>(value & kByteMask);
    out[1] = static_cast<std::uint8_t>((value >> kByteShift) & kByteMask);
}

inline void put_le32(std::uint8_t* out, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        out[i] = static_cast<std::uint8_t>((value >> (kByteShift * i)) & kByteMask);
    }
}

inline void put_le64(std::uint8_t* out, std::uint64_t value) {
    for (std::size_t i = 0; i < 8; ++i) {
        out[i] = static_cast<std::uint8_t>((value >> (kByteShift * i)) & kByteMask);
    }
}

inline void put_be16(std::uint8_t* out, std::uint16_t value) {
    out[0] = static_cast<std::uint8_t>((value >> kByteShift) & kByteMask);
    out[1] = static_cast<std::uint8_t>(value & kByteMask);
}

inline std::uint16_t get_le16(const std::uint8_t* in) {
    return static_cast<std::uint16_t>(in[0] | (in[1] << kByteShift));
}

}  // namespace sonix_virtual
