// Flash record layout: magic, version, header size, payload length, CRC-32, payload.
#include "flash_record_writer.hpp"

#include "byte_order.hpp"
#include "checksums.hpp"

namespace sonix_virtual {
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
    put_le32(&record[kMagicOffset], kFlashRecordMagic);
    put_le16(&record[kVersionOffset], version);
    put_le16(&record[kHeaderSizeOffset], kFlashRecordHeaderSize);
    put_le32(&record[kPayloadLengthOffset], static_cast<std::uint32_t>(payload.size()));
    put_le32(&record[kCrcOffset], crc32_ieee(record.data() + kFlashRecordHeaderSize, payload.size()));
    return record;
}

}  // namespace sonix_virtual
