// Byte layout of the flash record header: 16 little-endian bytes (magic,
// version, header size, payload length, payload CRC-32); a larger header_size
// is zero padding before the payload.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/byte_order.hpp"

namespace velmora::uvc_stereo::detail {

constexpr std::size_t kRecordMagicOffset = 0;
constexpr std::size_t kRecordVersionOffset = 4;
constexpr std::size_t kRecordHeaderSizeOffset = 6;
constexpr std::size_t kRecordPayloadLengthOffset = 8;
constexpr std::size_t kRecordCrcOffset = 12;
constexpr std::uint16_t kRecordHeaderFieldsSize = 16;

// header_size + payload_length as the header declares them, in 64 bits.
// header points at kRecordHeaderFieldsSize readable bytes.
inline std::uint64_t declared_record_length(const std::uint8_t* header) {
    return std::uint64_t{read_le16(header + kRecordHeaderSizeOffset)} +
           read_le32(header + kRecordPayloadLengthOffset);
}

}  // namespace velmora::uvc_stereo::detail
