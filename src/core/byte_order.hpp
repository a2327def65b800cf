// Little- and big-endian reads and writes of device byte layouts, one byte
// at a time so the result never depends on the host's byte order. The one
// set of these helpers: the SDK, the desk tool and the virtual camera all
// use it, and the Linux camera library.
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

inline void write_le64(std::uint8_t* bytes, std::uint64_t value) { write_le(bytes, value, sizeof(value)); }

// Most significant byte first, as the IMU sends its samples.
inline std::uint16_t read_be16(const std::uint8_t* bytes) {
    return static_cast<std::uint16_t>((bytes[0] << kBitsPerByte) | bytes[1]);
}

inline void write_be16(std::uint8_t* bytes, std::uint16_t value) {
    bytes[0] = static_cast<std::uint8_t>(value >> kBitsPerByte);
    bytes[1] = static_cast<std::uint8_t>(value & kLowByteMask);
}

}  // namespace velmora::uvc_stereo::detail
