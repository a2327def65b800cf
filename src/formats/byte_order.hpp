// Little-endian reads and writes of device byte layouts, one byte at a time so
// the result never depends on the host's byte order.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velmora::uvc_stereo::detail {

constexpr unsigned kBitsPerByte = 8;
constexpr std::uint8_t kLowByteMask = 0xFF;

inline std::uint64_t read_le(const std::uint8_t* bytes, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = width; i > 0; --i) value = (value << kBitsPerByte) | bytes[i - 1];
    return value;
}

inline std::uint16_t read_le16(const std::uint8_t* bytes) {
    return static_cast<std::uint16_t>(read_le(bytes, sizeof(std::uint16_t)));
}

inline std::uint32_t read_le32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(read_le(bytes, sizeof(std::uint32_t)));
}

inline std::uint64_t read_le64(const std::uint8_t* bytes) { return read_le(bytes, sizeof(std::uint64_t)); }

inline void write_le(std::uint8_t* bytes, std::uint64_t value, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) {
        bytes[i] = static_cast<std::uint8_t>(value & kLowByteMask);
        value >>= kBitsPerByte;
    }
}

inline void write_le16(std::uint8_t* bytes, std::uint16_t value) { write_le(bytes, value, sizeof(value)); }

inline void write_le32(std::uint8_t* bytes, std::uint32_t value) { write_le(bytes, value, sizeof(value)); }

}  // namespace velmora::uvc_stereo::detail
