// Flash record: CRC-32, building, parsing, the order of checks and round trips.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "velmora/uvc_stereo/flash_record.hpp"

namespace velmora::uvc_stereo {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytes_of(const std::string& text) { return Bytes(text.begin(), text.end()); }

void put_le(Bytes& out, std::size_t offset, std::uint64_t value, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) out[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A record assembled field by field, independently of build_blob, so parse
// tests can describe headers that build_blob would never produce.
struct RecordFields {
    std::uint32_t magic = 0x5A4F564B;
    std::uint16_t version = 7;
    std::uint16_t header_size = 16;
    std::uint32_t payload_length = 2;
    std::uint32_t crc = 0xA3A6BF43;  // CRC-32 of "{}"
    Bytes payload = bytes_of("{}");
    std::uint8_t padding_fill = 0;
};

Bytes assemble(const RecordFields& fields) {
    Bytes raw(fields.header_size < 16 ? 16 : fields.header_size, fields.padding_fill);
    put_le(raw, 0, fields.magic, 4);
    put_le(raw, 4, fields.version, 2);
    put_le(raw, 6, fields.header_size, 2);
    put_le(raw, 8, fields.payload_length, 4);
    put_le(raw, 12, fields.crc, 4);
    raw.insert(raw.end(), fields.payload.begin(), fields.payload.end());
    return raw;
}

Bytes all_byte_values(std::size_t count) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return bytes;
}

TEST(Crc32IeeeTest, KnownValues) {
    const struct {
        const char* name;
        Bytes input;
        std::uint32_t crc;
    } rows[] = {
        {"empty", {}, 0x00000000},
        {"braces", bytes_of("{}"), 0xA3A6BF43},
        {"check string", bytes_of("123456789"), 0xCBF43926},
        {"single zero byte", Bytes{0x00}, 0xD202EF8D},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(crc32_ieee(row.input), row.crc);
    }
}

TEST(BuildBlobTest, BracesWithDefaultConfigGiveTheExactRecord) {
    const Result<FlashBlob> built = build_blob(0, bytes_of("{}"), FlashConfig{});
    ASSERT_TRUE(built.ok()) << built.status().message();
    const FlashBlob& blob = built.value();
    const Bytes expected = {0x4B, 0x56, 0x4F, 0x5A, 0x00, 0x00, 0x10, 0x00, 0x02,
                            0x00, 0x00, 0x00, 0x43, 0xBF, 0xA6, 0xA3, '{',  '}'};
    EXPECT_EQ(blob.raw, expected);
    EXPECT_EQ(blob.magic, 0x5A4F564Bu);
    EXPECT_EQ(blob.version, 0);
    EXPECT_EQ(blob.header_size, 16);
    EXPECT_EQ(blob.payload_length, 2u);
    EXPECT_EQ(blob.crc32, 0xA3A6BF43u);
    EXPECT_EQ(blob.payload, bytes_of("{}"));
}

TEST(BuildBlobTest, LargerHeaderIsZeroPadded) {
    FlashConfig config;
    config.min_header_size = 32;
    config.flash_magic = 0x01020304;
    const Result<FlashBlob> built = build_blob(0xBEEF, bytes_of("[1]"), config);
    ASSERT_TRUE(built.ok()) << built.status().message();
    const Bytes& raw = built.value().raw;
    ASSERT_EQ(raw.size(), 35u);
    EXPECT_EQ(Bytes(raw.begin(), raw.begin() + 8), (Bytes{0x04, 0x03, 0x02, 0x01, 0xEF, 0xBE, 0x20, 0x00}));
    EXPECT_EQ(Bytes(raw.begin() + 16, raw.begin() + 32), Bytes(16, 0));
    EXPECT_EQ(Bytes(raw.begin() + 32, raw.end()), bytes_of("[1]"));
    EXPECT_EQ(built.value().header_size, 32);
}

TEST(BuildBlobTest, SizeLimitsAndConfiguration) {
    const struct {
        const char* name;
        std::uint16_t min_header_size;
        std::uint32_t user_space_size;
        std::size_t payload_size;
        ErrorCode code;
        const char* message;
    } rows[] = {
        {"header below 16", 15, 0x10000, 2, ErrorCode::InvalidArgument, "config.min_header_size must be >= 16"},
        {"header 0", 0, 0x10000, 0, ErrorCode::InvalidArgument, "config.min_header_size must be >= 16"},
        {"fills the user space", 16, 0x10000, 0x10000 - 16, ErrorCode::Ok, ""},
        {"one byte too many", 16, 0x10000, 0x10000 - 15, ErrorCode::InvalidLength, "payload is too large"},
        {"padded header fills it", 64, 0x1000, 0x1000 - 64, ErrorCode::Ok, ""},
        {"padded header one over", 64, 0x1000, 0x1000 - 63, ErrorCode::InvalidLength, "payload is too large"},
        {"user space smaller than header", 16, 15, 0, ErrorCode::InvalidLength, "payload is too large"},
        {"empty payload", 16, 16, 0, ErrorCode::Ok, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FlashConfig config;
        config.min_header_size = row.min_header_size;
        config.flash_user_space_size = row.user_space_size;
        const Result<FlashBlob> built = build_blob(1, Bytes(row.payload_size, 0x5A), config);
        EXPECT_EQ(built.status().code(), row.code);
        EXPECT_EQ(built.status().message(), row.message);
        EXPECT_EQ(built.has_value(), row.code == ErrorCode::Ok);
        if (!built.ok()) continue;
        EXPECT_EQ(built.value().raw.size(), row.min_header_size + row.payload_size);
        const Result<FlashBlob> parsed = parse_and_validate_raw_blob(built.value().raw, config);
        EXPECT_TRUE(parsed.ok()) << parsed.status().message();
    }
}

TEST(ParseBlobTest, RoundTripsWhatBuildProduces) {
    const struct {
        const char* name;
        std::uint16_t version;
        std::uint16_t header_size;
        std::uint32_t magic;
        Bytes payload;
    } rows[] = {
        {"braces", 0, 16, 0x5A4F564B, bytes_of("{}")},
        {"empty payload", 3, 16, 0x5A4F564B, {}},
        {"all byte values", 0xFFFF, 16, 0x5A4F564B, all_byte_values(1000)},
        {"maximum header", 42, 256, 0x5A4F564B, bytes_of("{\"k\":[1,2,3]}")},
        {"other magic", 1, 24, 0xDEADBEEF, all_byte_values(17)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FlashConfig config;
        config.min_header_size = row.header_size;
        config.flash_magic = row.magic;
        const Result<FlashBlob> built = build_blob(row.version, row.payload, config);
        ASSERT_TRUE(built.ok()) << built.status().message();
        const Result<FlashBlob> parsed = parse_and_validate_raw_blob(built.value().raw, config);
        ASSERT_TRUE(parsed.ok()) << parsed.status().message();
        const FlashBlob& a = built.value();
        const FlashBlob& b = parsed.value();
        EXPECT_EQ(b.magic, a.magic);
        EXPECT_EQ(b.version, a.version);
        EXPECT_EQ(b.header_size, a.header_size);
        EXPECT_EQ(b.payload_length, a.payload_length);
        EXPECT_EQ(b.crc32, a.crc32);
        EXPECT_EQ(b.payload, row.payload);
        EXPECT_EQ(b.raw, a.raw);
    }
}

struct ParseFailureRow {
    const char* name;
    std::function<Bytes()> raw;
    std::function<void(FlashConfig&)> configure;
    ErrorCode code;
    const char* message;
};

TEST(ParseBlobTest, FailuresInCheckOrder) {
    const auto keep = [](FlashConfig&) {};
    const ParseFailureRow rows[] = {
        {"4 bytes with minimum header 8 reports the size first", [] { return Bytes(4, 0); },
         [](FlashConfig& c) { c.min_header_size = 8; }, ErrorCode::InvalidHeader,
         "raw size is smaller than minimum header size"},
        {"15 bytes", [] { return Bytes(15, 0); }, keep, ErrorCode::InvalidHeader,
         "raw size is smaller than minimum header size"},
        {"shorter than a padded minimum header", [] { return assemble(RecordFields{}); },
         [](FlashConfig& c) { c.min_header_size = 19; }, ErrorCode::InvalidHeader,
         "raw size is smaller than minimum header size"},
        {"minimum header 8 with a full record", [] { return assemble(RecordFields{}); },
         [](FlashConfig& c) { c.min_header_size = 8; }, ErrorCode::InvalidArgument,
         "config.min_header_size must be >= 16"},
        {"magic differs", [] { RecordFields s; s.magic = 0x5A4F564C; return assemble(s); }, keep,
         ErrorCode::BadMagic, "flash magic mismatch"},
        {"magic checked before a bad CRC", [] { RecordFields s; s.magic = 0; s.crc = 1; return assemble(s); }, keep,
         ErrorCode::BadMagic, "flash magic mismatch"},
        {"magic is little-endian", [] { RecordFields s; s.magic = 0x4B564F5A; return assemble(s); }, keep,
         ErrorCode::BadMagic, "flash magic mismatch"},
        {"header size 15", [] { RecordFields s; s.header_size = 15; return assemble(s); }, keep,
         ErrorCode::InvalidHeader, "header_size out of range"},
        {"header size 300", [] { RecordFields s; s.header_size = 300; return assemble(s); }, keep,
         ErrorCode::InvalidHeader, "header_size out of range"},
        // The configured bounds decide, not the defaults 16 and 256.
        {"header size below a configured minimum", [] { RecordFields s; s.header_size = 31; return assemble(s); },
         [](FlashConfig& c) { c.min_header_size = 32; }, ErrorCode::InvalidHeader, "header_size out of range"},
        {"header size above a configured maximum", [] { RecordFields s; s.header_size = 65; return assemble(s); },
         [](FlashConfig& c) { c.max_header_size = 64; }, ErrorCode::InvalidHeader, "header_size out of range"},
        {"payload length 0xFFFFFFFF does not wrap",
         [] { RecordFields s; s.payload_length = 0xFFFFFFFF; return assemble(s); }, keep, ErrorCode::InvalidLength,
         "total length is invalid"},
        {"total one byte over the user space",
         [] { RecordFields s; s.payload_length = 0x10000 - 15; return assemble(s); }, keep, ErrorCode::InvalidLength,
         "total length is invalid"},
        {"total checked before the buffer length",
         [] { RecordFields s; s.payload_length = 100; return assemble(s); },
         [](FlashConfig& c) { c.flash_user_space_size = 64; }, ErrorCode::InvalidLength, "total length is invalid"},
        {"buffer one byte short", [] { RecordFields s; s.payload_length = 3; return assemble(s); }, keep,
         ErrorCode::InvalidLength, "raw buffer is shorter than header-declared length"},
        {"corrupted payload byte", [] { RecordFields s; s.payload = bytes_of("{]"); return assemble(s); }, keep,
         ErrorCode::CrcMismatch, "crc32 mismatch"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FlashConfig config;
        row.configure(config);
        const Result<FlashBlob> parsed = parse_and_validate_raw_blob(row.raw(), config);
        EXPECT_EQ(parsed.status().code(), row.code);
        EXPECT_EQ(parsed.status().message(), row.message);
        EXPECT_FALSE(parsed.has_value());
    }
}

TEST(ParseBlobTest, AcceptedRecords) {
    const struct {
        const char* name;
        RecordFields fields;
        std::size_t trailing_bytes;
        bool verify_crc;
        std::uint16_t min_header_size = 16;
        std::uint16_t max_header_size = 256;
    } rows[] = {
        {"header size at the maximum 256", [] { RecordFields s; s.header_size = 256; return s; }(), 0, true},
        {"nonzero padding is ignored", [] { RecordFields s; s.header_size = 40; s.padding_fill = 0xEE; return s; }(),
         0, true},
        {"bytes after the record are dropped", RecordFields{}, 100, true},
        {"bad CRC kept when not verified", [] { RecordFields s; s.crc = 0x12345678; return s; }(), 3, false},
        {"empty payload with zero CRC", [] { RecordFields s; s.payload = {}; s.payload_length = 0; s.crc = 0;
                                              return s; }(), 0, true},
        {"header size at a configured minimum", [] { RecordFields s; s.header_size = 32; return s; }(), 0, true, 32},
        {"header size above 256 under a larger maximum", [] { RecordFields s; s.header_size = 300; return s; }(), 0,
         true, 16, 300},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Bytes record = assemble(row.fields);
        Bytes input = record;
        input.insert(input.end(), row.trailing_bytes, 0xAB);
        FlashConfig config;
        config.verify_crc = row.verify_crc;
        config.min_header_size = row.min_header_size;
        config.max_header_size = row.max_header_size;
        const Result<FlashBlob> parsed = parse_and_validate_raw_blob(input, config);
        ASSERT_TRUE(parsed.ok()) << parsed.status().message();
        const FlashBlob& blob = parsed.value();
        EXPECT_EQ(blob.magic, row.fields.magic);
        EXPECT_EQ(blob.version, row.fields.version);
        EXPECT_EQ(blob.header_size, row.fields.header_size);
        EXPECT_EQ(blob.payload_length, row.fields.payload_length);
        EXPECT_EQ(blob.crc32, row.fields.crc);
        EXPECT_EQ(blob.payload, row.fields.payload);
        EXPECT_EQ(blob.raw, record);
    }
}

}  // namespace
}  // namespace velmora::uvc_stereo
