// Flash record layout: magic, version, header size, payload length, CRC-32, payload.
#include "flash_record_writer.hpp"

#include "checksums.hpp"
#include "core/byte_order.hpp"

namespace sonix_virtual {

using velmora::uvc_stereo::detail::write_le16;
using velmora::uvc_stereo::detail::write_le32;

namespace {

constexpr std::size_t kMagicOffset = 0;
constexpr std::size_t kVersionOffset = 4;
constexpr std::size_t kHeaderSizeOffset = 6;
constexpr std::size_t kPayloadLengthOffset = 8;
constexpr std::size_t kCrcOffset = 12;

}  // namespace

std::vector<std::uint8_t> build_flash_record(const std::string& payload, std::uint16_t version) {
    std::vector<std::uint8_t> record(kFlashRecordHeaderSize + payload.size(), 0);
    for (std::size_t i = 0; i < payload.size(); ++i) {
        record[kFlashRecordHeaderSize + i] = static_cast<std::uint8_t>(payload[i]);
    }
    write_le32(&record[kMagicOffset], kFlashRecordMagic);
    write_le16(&record[kVersionOffset], version);
    write_le16(&record[kHeaderSizeOffset], kFlashRecordHeaderSize);
    write_le32(&record[kPayloadLengthOffset], static_cast<std::uint32_t>(payload.size()));
    write_le32(&record[kCrcOffset], crc32_ieee(record.data() + kFlashRecordHeaderSize, payload.size()));
    return record;
}

}  // namespace sonix_virtual
