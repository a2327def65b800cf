// The flash record: parse_and_validate_raw_blob and build_blob with header
// bounds and magic taken from the input. Every parse is checked against the
// record's rules step by step, every built record must parse back, and a
// valid record whose header size is the configured minimum rebuilds to the
// same bytes.
//
// Input: a 15-byte prefix, then the record bytes.
//   [0]      flags (kUseDefaultConfig, kFix*, kSkipCrcCheck)
//   [1..2]   min_header_size   [3..4] max_header_size   (little-endian)
//   [5..8]   flash_user_space_size   [9..12] flash_magic
//   [13..14] the version given to build_blob
// The kFix* flags patch the record so that inputs get past the early checks.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/byte_order.hpp"
#include "property_check.hpp"
#include "table_crc.hpp"
#include "velmora/uvc_stereo/flash_record.hpp"

namespace {

namespace uvc = velmora::uvc_stereo;
using uvc::ErrorCode;
using uvc::FlashBlob;
using uvc::FlashConfig;
using uvc::Result;
using uvc::Status;
using uvc::detail::read_le16;
using uvc::detail::read_le32;
using uvc::fuzzing::require;

constexpr std::uint8_t kUseDefaultConfig = 0x01;
constexpr std::uint8_t kFixMagic = 0x02;
constexpr std::uint8_t kFixPayloadLength = 0x04;
constexpr std::uint8_t kFixCrc = 0x08;
constexpr std::uint8_t kSkipCrcCheck = 0x10;
constexpr std::size_t kPrefixSize = 15;

constexpr std::size_t kMagicOffset = 0;
constexpr std::size_t kVersionOffset = 4;
constexpr std::size_t kHeaderSizeOffset = 6;
constexpr std::size_t kPayloadLengthOffset = 8;
constexpr std::size_t kCrcOffset = 12;
constexpr std::size_t kHeaderFields = 16;

std::uint32_t crc32_of(const std::uint8_t* data, std::size_t length) {
    return uvc::fuzzing::table_crc32<uvc::fuzzing::kCrc32IeeePolynomial>(data, length);
}

void put_le32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

FlashConfig config_from(const std::uint8_t* prefix) {
    FlashConfig config;
    if ((prefix[0] & kUseDefaultConfig) == 0) {
        config.min_header_size = read_le16(prefix + 1);
        config.max_header_size = read_le16(prefix + 3);
        config.flash_user_space_size = read_le32(prefix + 5);
        config.flash_magic = read_le32(prefix + 9);
    }
    config.verify_crc = (prefix[0] & kSkipCrcCheck) == 0;
    return config;
}

// Patches the header the way the flags ask, where the bytes exist.
void apply_fixes(std::uint8_t flags, const FlashConfig& config, std::vector<std::uint8_t>& raw) {
    if (raw.size() < kHeaderFields) return;
    if (flags & kFixMagic) put_le32(raw, kMagicOffset, config.flash_magic);
    const std::size_t header_size = read_le16(raw.data() + kHeaderSizeOffset);
    if (header_size > raw.size()) return;
    if (flags & kFixPayloadLength) {
        put_le32(raw, kPayloadLengthOffset, static_cast<std::uint32_t>(raw.size() - header_size));
    }
    const std::uint64_t total = std::uint64_t{header_size} + read_le32(raw.data() + kPayloadLengthOffset);
    if ((flags & kFixCrc) && total <= raw.size()) {
        put_le32(raw, kCrcOffset, crc32_of(raw.data() + header_size, static_cast<std::size_t>(total - header_size)));
    }
}

// The record's checks in their order; the first failing one decides.
Status expected_parse_status(const std::vector<std::uint8_t>& raw, const FlashConfig& config) {
    if (raw.size() < config.min_header_size) {
        return Status(ErrorCode::InvalidHeader, "raw size is smaller than minimum header size");
    }
    if (config.min_header_size < kHeaderFields) {
        return Status(ErrorCode::InvalidArgument, "config.min_header_size must be >= 16");
    }
    if (read_le32(raw.data() + kMagicOffset) != config.flash_magic) {
        return Status(ErrorCode::BadMagic, "flash magic mismatch");
    }
    const std::uint16_t header_size = read_le16(raw.data() + kHeaderSizeOffset);
    if (header_size < config.min_header_size || header_size > config.max_header_size) {
        return Status(ErrorCode::InvalidHeader, "header_size out of range");
    }
    const std::uint64_t total = std::uint64_t{header_size} + read_le32(raw.data() + kPayloadLengthOffset);
    if (total > config.flash_user_space_size) return Status(ErrorCode::InvalidLength, "total length is invalid");
    if (raw.size() < total) {
        return Status(ErrorCode::InvalidLength, "raw buffer is shorter than header-declared length");
    }
    const std::uint32_t crc = crc32_of(raw.data() + header_size, static_cast<std::size_t>(total - header_size));
    if (config.verify_crc && crc != read_le32(raw.data() + kCrcOffset)) {
        return Status(ErrorCode::CrcMismatch, "crc32 mismatch");
    }
    return Status();
}

// A successful parse hands back exactly the record at the start of raw.
void check_parsed_blob(const FlashBlob& blob, const std::vector<std::uint8_t>& raw) {
    const std::size_t total = std::size_t{blob.header_size} + blob.payload_length;
    require(blob.raw.size() == total && std::equal(blob.raw.begin(), blob.raw.end(), raw.begin()),
            "parsed raw is the record's bytes");
    require(blob.payload.size() == blob.payload_length &&
                std::equal(blob.payload.begin(), blob.payload.end(), raw.begin() + blob.header_size),
            "parsed payload follows the header");
    require(blob.magic == read_le32(raw.data() + kMagicOffset) && blob.version == read_le16(raw.data() + kVersionOffset) &&
                blob.crc32 == read_le32(raw.data() + kCrcOffset),
            "parsed header fields are the stored ones");
}

// The record built for this payload, parsed back with the same rules.
void check_build(std::uint16_t version, const std::vector<std::uint8_t>& payload, const FlashConfig& config) {
    const Result<FlashBlob> built = uvc::build_blob(version, payload, config);
    const std::uint64_t total = std::uint64_t{config.min_header_size} + payload.size();
    if (config.min_header_size < kHeaderFields) {
        uvc::fuzzing::require_status(built.status(), ErrorCode::InvalidArgument,
                                     "config.min_header_size must be >= 16", "build refuses a short header");
        return;
    }
    if (total > config.flash_user_space_size) {
        uvc::fuzzing::require_status(built.status(), ErrorCode::InvalidLength, "payload is too large",
                                     "build refuses a record beyond the user space");
        return;
    }
    require(built.ok(), "build succeeds inside the limits", uvc::fuzzing::describe(built.status()));
    const FlashBlob& blob = built.value();
    require(blob.raw.size() == total && blob.crc32 == crc32_of(payload.data(), payload.size()) &&
                blob.payload == payload && blob.header_size == config.min_header_size,
            "built record holds the payload and its CRC");
    for (std::size_t i = kHeaderFields; i < config.min_header_size; ++i) require(blob.raw[i] == 0, "padding is zero");

    if (config.min_header_size > config.max_header_size) return;  // such a record cannot parse
    const Result<FlashBlob> parsed = uvc::parse_and_validate_raw_blob(blob.raw, config);
    require(parsed.ok(), "a built record parses", uvc::fuzzing::describe(parsed.status()));
    require(parsed.value().raw == blob.raw && parsed.value().payload == payload && parsed.value().version == version,
            "a built record parses back to itself");
}

// A valid record with the minimum header size rebuilds to its own bytes,
// except for the padding (ignored when parsed) and an unchecked CRC.
void check_rebuild(const FlashBlob& parsed, const FlashConfig& config) {
    if (parsed.header_size != config.min_header_size) return;
    const Result<FlashBlob> rebuilt = uvc::build_blob(parsed.version, parsed.payload, config);
    require(rebuilt.ok(), "a valid record rebuilds", uvc::fuzzing::describe(rebuilt.status()));
    std::vector<std::uint8_t> expected = parsed.raw;
    std::fill(expected.begin() + kHeaderFields, expected.begin() + parsed.header_size, std::uint8_t{0});
    if (!config.verify_crc) put_le32(expected, kCrcOffset, crc32_of(parsed.payload.data(), parsed.payload.size()));
    require(rebuilt.value().raw == expected, "a valid record rebuilds to the same bytes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kPrefixSize) return 0;
    const FlashConfig config = config_from(data);
    const std::uint16_t version = read_le16(data + 13);
    std::vector<std::uint8_t> raw(data + kPrefixSize, data + size);
    apply_fixes(data[0], config, raw);

    require(uvc::crc32_ieee(raw) == crc32_of(raw.data(), raw.size()), "crc32_ieee is the standard CRC-32");

    const Result<FlashBlob> parsed = uvc::parse_and_validate_raw_blob(raw, config);
    const Status expected = expected_parse_status(raw, config);
    uvc::fuzzing::require_status(parsed.status(), expected.code(), expected.message(), "parse follows the record's checks");
    if (parsed.ok()) {
        check_parsed_blob(parsed.value(), raw);
        check_rebuild(parsed.value(), config);
    }
    check_build(version, raw, config);
    return 0;
}
