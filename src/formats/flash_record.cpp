// Building and validating the flash record: a 16-byte little-endian header
// (magic, version, header size, payload length, payload CRC-32), zero padding
// up to the header size, then the payload.
#include "velmora/uvc_stereo/flash_record.hpp"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "core/byte_order.hpp"
#include "formats/flash_record_layout.hpp"
#include "formats/reflected_crc.hpp"

namespace velmora::uvc_stereo {
namespace {

constexpr std::uint32_t kCrc32IeeePolynomial = 0xEDB88320u;

using detail::kRecordCrcOffset;
using detail::kRecordHeaderFieldsSize;
using detail::kRecordHeaderSizeOffset;
using detail::kRecordMagicOffset;
using detail::kRecordPayloadLengthOffset;
using detail::kRecordVersionOffset;

Status make_failure(ErrorCode code, const char* message) { return Status(code, message); }

void encode_header(const FlashBlob& blob, std::uint8_t* out) {
    detail::write_le32(out + kRecordMagicOffset, blob.magic);
    detail::write_le16(out + kRecordVersionOffset, blob.version);
    detail::write_le16(out + kRecordHeaderSizeOffset, blob.header_size);
    detail::write_le32(out + kRecordPayloadLengthOffset, blob.payload_length);
    detail::write_le32(out + kRecordCrcOffset, blob.crc32);
}

FlashBlob decode_header(const std::uint8_t* in) {
    FlashBlob blob;
    blob.magic = detail::read_le32(in + kRecordMagicOffset);
    blob.version = detail::read_le16(in + kRecordVersionOffset);
    blob.header_size = detail::read_le16(in + kRecordHeaderSizeOffset);
    blob.payload_length = detail::read_le32(in + kRecordPayloadLengthOffset);
    blob.crc32 = detail::read_le32(in + kRecordCrcOffset);
    return blob;
}

}  // namespace

std::uint32_t crc32_ieee(const std::vector<std::uint8_t>& bytes) {
    return detail::reflected_crc32(bytes.data(), bytes.size(), kCrc32IeeePolynomial);
}

Result<FlashBlob> build_blob(std::uint16_t version, const std::vector<std::uint8_t>& payload,
                             const FlashConfig& config) {
    if (config.min_header_size < kRecordHeaderFieldsSize) {
        return make_failure(ErrorCode::InvalidArgument, "config.min_header_size must be >= 16");
    }
    const std::uint16_t header_size = config.min_header_size;
    const std::uint64_t total = std::uint64_t{header_size} + payload.size();
    if (total < header_size || total > config.flash_user_space_size) {
        return make_failure(ErrorCode::InvalidLength, "payload is too large");
    }

    FlashBlob blob;
    blob.magic = config.flash_magic;
    blob.version = version;
    blob.header_size = header_size;
    // Fits: total is bounded by the 32-bit user-space size.
    blob.payload_length = static_cast<std::uint32_t>(payload.size());
    blob.crc32 = crc32_ieee(payload);
    blob.payload = payload;

    blob.raw.assign(static_cast<std::size_t>(total), 0);
    encode_header(blob, blob.raw.data());
    std::copy(payload.begin(), payload.end(), blob.raw.begin() + header_size);
    return blob;
}

Result<FlashBlob> parse_and_validate_raw_blob(const std::vector<std::uint8_t>& raw, const FlashConfig& config) {
    // A too-short buffer is reported before a bad configuration: the order of
    // these two checks is part of the record's contract.
    if (raw.size() < config.min_header_size) {
        return make_failure(ErrorCode::InvalidHeader, "raw size is smaller than minimum header size");
    }
    if (config.min_header_size < kRecordHeaderFieldsSize) {
        return make_failure(ErrorCode::InvalidArgument, "config.min_header_size must be >= 16");
    }

    FlashBlob blob = decode_header(raw.data());
    if (blob.magic != config.flash_magic) {
        return make_failure(ErrorCode::BadMagic, "flash magic mismatch");
    }
    if (blob.header_size < config.min_header_size || blob.header_size > config.max_header_size) {
        return make_failure(ErrorCode::InvalidHeader, "header_size out of range");
    }
    const std::uint64_t total = std::uint64_t{blob.header_size} + blob.payload_length;
    if (total > config.flash_user_space_size) {
        return make_failure(ErrorCode::InvalidLength, "total length is invalid");
    }
    if (raw.size() < total) {
        return make_failure(ErrorCode::InvalidLength, "raw buffer is shorter than header-declared length");
    }

    const auto payload_begin = raw.begin() + blob.header_size;
    const auto record_end = raw.begin() + static_cast<std::ptrdiff_t>(total);
    blob.payload.assign(payload_begin, record_end);
    if (config.verify_crc && crc32_ieee(blob.payload) != blob.crc32) {
        return make_failure(ErrorCode::CrcMismatch, "crc32 mismatch");
    }
    blob.raw.assign(raw.begin(), record_end);
    return blob;
}

}  // namespace velmora::uvc_stereo
