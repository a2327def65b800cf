// Capability report: CRC-32C, the reference report, every check in its order,
// the fields read only when their section is declared, and interpretation.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "formats/capability_report.hpp"

namespace velmora::uvc_stereo::detail {
namespace {

// The reference report: flash at 0x51000 (0x10000 bytes), IMU "IMU-A" on
// node 4 selector 10, 17-byte reads, exponent 1, scales 25.0/128.0/2048.0/16.4.
const CapabilityReportBytes kReferenceReport = {
    0x5A, 0x4F, 0x56, 0x4B, 0x01, 0x00, 0x40, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x10, 0x05, 0x00, 0x00, 0x00, 0x01, 0x00, 0x49, 0x4D, 0x55, 0x2D, 0x41, 0x00, 0x00, 0x00, 0x04,
    0x0A, 0x11, 0x01, 0xFA, 0x00, 0x00, 0x05, 0x00, 0x08, 0xA4, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2A, 0x9A, 0x60, 0x6D,
};

void put_le(CapabilityReportBytes& bytes, std::size_t offset, std::uint64_t value, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void reseal(CapabilityReportBytes& bytes) { put_le(bytes, 60, crc32c(bytes.data(), 60), 4); }

using Edit = std::function<void(CapabilityReportBytes&)>;

// The reference report with an edit applied and, when asked, a fresh CRC.
CapabilityReportBytes edited(const Edit& edit, bool fix_crc = true) {
    CapabilityReportBytes bytes = kReferenceReport;
    edit(bytes);
    if (fix_crc) reseal(bytes);
    return bytes;
}

Edit set_byte(std::size_t offset, std::uint8_t value) {
    return [=](CapabilityReportBytes& b) { b[offset] = value; };
}
Edit set_le(std::size_t offset, std::uint64_t value, std::size_t width) {
    return [=](CapabilityReportBytes& b) { put_le(b, offset, value, width); };
}
Edit set_model(const std::string& eight_bytes) {
    return [=](CapabilityReportBytes& b) {
        for (std::size_t i = 0; i < 8; ++i) b[23 + i] = static_cast<std::uint8_t>(eight_bytes[i]);
    };
}
Edit both(Edit first, Edit second) {
    return [=](CapabilityReportBytes& b) {
        first(b);
        second(b);
    };
}

TEST(Crc32cTest, KnownValues) {
    const std::string check = "123456789";
    const std::uint8_t zeros[32] = {};
    EXPECT_EQ(crc32c(reinterpret_cast<const std::uint8_t*>(check.data()), check.size()), 0xE3069283u);
    EXPECT_EQ(crc32c(zeros, sizeof(zeros)), 0x8A9136AAu);
    EXPECT_EQ(crc32c(nullptr, 0), 0u);
    EXPECT_EQ(crc32c(kReferenceReport.data(), 60), 0x6D609A2Au);
}

TEST(CapabilityReportTest, ReferenceReportDecodes) {
    const Result<CapabilityReport> parsed = parse_xu_capability_report(kReferenceReport);
    ASSERT_TRUE(parsed.ok()) << parsed.status().message();
    const CapabilityReport& report = parsed.value();
    EXPECT_EQ(report.major_version, 1);
    EXPECT_EQ(report.minor_version, 0);
    EXPECT_EQ(report.capability_bits, 6u);
    ASSERT_TRUE(report.flash.has_value());
    EXPECT_EQ(report.flash->user_space_address, 0x51000u);
    EXPECT_EQ(report.flash->user_space_size, 0x10000u);
    ASSERT_TRUE(report.imu.has_value());
    EXPECT_EQ(report.imu->model, "IMU-A");
    EXPECT_EQ(report.imu->xu_unit, 4);
    EXPECT_EQ(report.imu->xu_selector, 10);
    EXPECT_EQ(report.imu->xu_length, 17);
    EXPECT_EQ(report.imu->decimal_exponent, 1);
    EXPECT_EQ(report.imu->conversion.temperature_offset_c, 25.0);
    EXPECT_EQ(report.imu->conversion.temperature_lsb_per_c, 128.0);
    EXPECT_EQ(report.imu->conversion.accel_lsb_per_g, 2048.0);
    EXPECT_EQ(report.imu->conversion.gyro_lsb_per_dps, 16.4);
}

TEST(CapabilityReportTest, RejectedReportsInCheckOrder) {
    const struct {
        const char* name;
        CapabilityReportBytes bytes;
        ErrorCode code;
        const char* message;
    } rows[] = {
        {"magic in the wrong order", edited(set_le(0, 0x5A4F564B, 4)), ErrorCode::BadMagic,
         "capability magic must be ASCII ZOVK"},
        {"major 2 is refused before the CRC", edited(set_byte(4, 2), false), ErrorCode::UnsupportedVersion,
         "capability major_version is not supported"},
        {"size 63 is refused before the CRC", edited(set_byte(6, 63), false), ErrorCode::InvalidHeader,
         "capability size must be 64 bytes"},
        {"minor version changed without a new CRC", edited(set_byte(5, 1), false), ErrorCode::CrcMismatch,
         "capability CRC32C mismatch"},
        {"stored CRC off by one bit", edited(set_byte(63, 0x6C), false), ErrorCode::CrcMismatch,
         "capability CRC32C mismatch"},
        {"first reserved byte set", edited(set_byte(43, 1)), ErrorCode::InvalidArgument,
         "capability reserved bytes must be zero"},
        {"last reserved byte set", edited(set_byte(59, 0x80)), ErrorCode::InvalidArgument,
         "capability reserved bytes must be zero"},
        {"reserved checked before the capability bits", edited(both(set_byte(50, 1), set_le(7, 32, 8))),
         ErrorCode::InvalidArgument, "capability reserved bytes must be zero"},
        {"capability bit 32", edited(set_le(7, 32, 8)), ErrorCode::InvalidArgument,
         "capability_bits contains unsupported bits"},
        {"highest capability bit", edited(set_le(7, 1ull << 63, 8)), ErrorCode::InvalidArgument,
         "capability_bits contains unsupported bits"},
        {"flash size 15", edited(set_le(19, 15, 4)), ErrorCode::InvalidArgument,
         "capability Flash user space is smaller than the minimum header"},
        {"flash range reaching 2^32", edited(both(set_le(15, 0xFFFFF000, 4), set_le(19, 0x1000, 4))),
         ErrorCode::InvalidArgument, "capability Flash user-space range overflows uint32 address space"},
        {"flash checked before the IMU", edited(both(set_le(19, 0, 4), set_byte(31, 0))),
         ErrorCode::InvalidArgument, "capability Flash user space is smaller than the minimum header"},
        {"model starts with a control byte", edited(set_model(std::string("\x01MU-A\0\0\0", 8))),
         ErrorCode::InvalidArgument, "capability IMU model contains non-printable ASCII"},
        {"model with DEL", edited(set_model(std::string("IMU\x7F\0\0\0\0", 8))), ErrorCode::InvalidArgument,
         "capability IMU model contains non-printable ASCII"},
        {"model with a high byte", edited(set_model(std::string("IMU-\xC3\xA9\0\0", 8))),
         ErrorCode::InvalidArgument, "capability IMU model contains non-printable ASCII"},
        {"text after the NUL", edited(set_model(std::string("AB\0C\0\0\0\0", 8))), ErrorCode::InvalidArgument,
         "capability IMU model is not NUL padded"},
        {"model checked before the node id", edited(both(set_model(std::string("A\0B\0\0\0\0\0", 8)),
                                                         set_byte(31, 0))),
         ErrorCode::InvalidArgument, "capability IMU model is not NUL padded"},
        {"node id 0", edited(set_byte(31, 0)), ErrorCode::InvalidArgument,
         "capability IMU XU unit and selector must be non-zero"},
        {"selector 0", edited(set_byte(32, 0)), ErrorCode::InvalidArgument,
         "capability IMU XU unit and selector must be non-zero"},
        {"transfer length 16", edited(set_byte(33, 16)), ErrorCode::InvalidArgument,
         "capability IMU XU length must be at least 17 bytes"},
        {"exponent 0", edited(set_byte(34, 0)), ErrorCode::InvalidArgument,
         "capability IMU decimal exponent must be 1, 2, or 3"},
        {"exponent 4", edited(set_byte(34, 4)), ErrorCode::InvalidArgument,
         "capability IMU decimal exponent must be 1, 2, or 3"},
        {"temperature scale 0", edited(set_le(37, 0, 2)), ErrorCode::InvalidArgument,
         "capability IMU conversion scale must be non-zero"},
        {"accelerometer scale 0", edited(set_le(39, 0, 2)), ErrorCode::InvalidArgument,
         "capability IMU conversion scale must be non-zero"},
        {"gyroscope scale 0", edited(set_le(41, 0, 2)), ErrorCode::InvalidArgument,
         "capability IMU conversion scale must be non-zero"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Result<CapabilityReport> parsed = parse_xu_capability_report(row.bytes);
        EXPECT_EQ(parsed.status().code(), row.code);
        EXPECT_EQ(parsed.status().message(), row.message);
        EXPECT_FALSE(parsed.has_value());
    }
}

TEST(CapabilityReportTest, AcceptedVariants) {
    const struct {
        const char* name;
        CapabilityReportBytes bytes;
        std::function<void(const CapabilityReport&)> check;
    } rows[] = {
        {"any minor version", edited(set_byte(5, 0xFF)),
         [](const CapabilityReport& r) { EXPECT_EQ(r.minor_version, 0xFF); }},
        {"flash bytes ignored without the flash bit",
         edited(both(set_le(7, 4, 8), set_le(15, 0xFFFFFFFFFFFFFFFFull, 8))),
         [](const CapabilityReport& r) {
             EXPECT_FALSE(r.flash.has_value());
             EXPECT_TRUE(r.imu.has_value());
         }},
        {"IMU bytes ignored without the IMU bit",
         edited(both(set_le(7, 2, 8), [](CapabilityReportBytes& b) {
             for (std::size_t i = 23; i < 43; ++i) b[i] = 0xFF;
         })),
         [](const CapabilityReport& r) {
             EXPECT_TRUE(r.flash.has_value());
             EXPECT_FALSE(r.imu.has_value());
         }},
        {"bits without sections", edited(set_le(7, 1 | 8 | 16, 8)),
         [](const CapabilityReport& r) {
             EXPECT_EQ(r.capability_bits, 25u);
             EXPECT_FALSE(r.flash.has_value());
             EXPECT_FALSE(r.imu.has_value());
         }},
        {"flash ending at the last address", edited(both(set_le(15, 0xFFFFF000, 4), set_le(19, 0xFFF, 4))),
         [](const CapabilityReport& r) {
             EXPECT_EQ(r.flash->user_space_address, 0xFFFFF000u);
             EXPECT_EQ(r.flash->user_space_size, 0xFFFu);
         }},
        {"smallest flash user space", edited(set_le(19, 16, 4)),
         [](const CapabilityReport& r) { EXPECT_EQ(r.flash->user_space_size, 16u); }},
        {"eight-character model", edited(set_model("ABCDEFGH")),
         [](const CapabilityReport& r) { EXPECT_EQ(r.imu->model, "ABCDEFGH"); }},
        {"model with space and tilde", edited(set_model(std::string(" ~\0\0\0\0\0\0", 8))),
         [](const CapabilityReport& r) { EXPECT_EQ(r.imu->model, " ~"); }},
        {"empty model", edited(set_model(std::string(8, '\0'))),
         [](const CapabilityReport& r) { EXPECT_EQ(r.imu->model, ""); }},
        {"negative temperature offset", edited(both(set_byte(34, 2), both(set_le(35, 0xFF9C, 2),
                                                                           set_le(37, 12800, 2)))),
         [](const CapabilityReport& r) {
             EXPECT_EQ(r.imu->conversion.temperature_offset_c, -1.0);
             EXPECT_EQ(r.imu->conversion.temperature_lsb_per_c, 128.0);
         }},
        {"most negative temperature offset", edited(set_le(35, 0x8000, 2)),
         [](const CapabilityReport& r) { EXPECT_EQ(r.imu->conversion.temperature_offset_c, -3276.8); }},
        {"exponent 3 divides all but the accelerometer",
         edited(both(set_byte(34, 3), both(set_le(41, 16400, 2), set_le(35, 0, 2)))),
         [](const CapabilityReport& r) {
             EXPECT_EQ(r.imu->decimal_exponent, 3);
             EXPECT_EQ(r.imu->conversion.gyro_lsb_per_dps, 16.4);
             EXPECT_EQ(r.imu->conversion.accel_lsb_per_g, 2048.0);
             EXPECT_EQ(r.imu->conversion.temperature_lsb_per_c, 1.28);
             EXPECT_EQ(r.imu->conversion.temperature_offset_c, 0.0);
         }},
        {"largest scales", edited(both(set_le(37, 0xFFFF, 2), both(set_le(39, 0xFFFF, 2), set_le(41, 0xFFFF, 2)))),
         [](const CapabilityReport& r) {
             EXPECT_EQ(r.imu->conversion.temperature_lsb_per_c, 6553.5);
             EXPECT_EQ(r.imu->conversion.accel_lsb_per_g, 65535.0);
             EXPECT_EQ(r.imu->conversion.gyro_lsb_per_dps, 6553.5);
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Result<CapabilityReport> parsed = parse_xu_capability_report(row.bytes);
        ASSERT_TRUE(parsed.ok()) << parsed.status().message();
        EXPECT_EQ(parsed.value().major_version, 1);
        row.check(parsed.value());
    }
}

TEST(InterpretCapabilityBytesTest, States) {
    CapabilityReportBytes one_byte_set{};
    one_byte_set[63] = 1;
    const struct {
        const char* name;
        CapabilityReportBytes bytes;
        std::uint32_t state;
        ErrorCode code;
        const char* message;
    } rows[] = {
        {"all zero", CapabilityReportBytes{}, 1, ErrorCode::BadMagic, "capability XU returned an all-zero report"},
        {"one non-zero byte", one_byte_set, 1, ErrorCode::BadMagic, "capability magic must be ASCII ZOVK"},
        {"parser failure passed on", edited(set_byte(33, 3)), 1, ErrorCode::InvalidArgument,
         "capability IMU XU length must be at least 17 bytes"},
        {"valid report", kReferenceReport, 0, ErrorCode::Ok, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const XuCapabilityProbeResult result = interpret_xu_capability_bytes(row.bytes);
        EXPECT_EQ(result.state, row.state);
        EXPECT_EQ(result.status.code(), row.code);
        EXPECT_EQ(result.status.message(), row.message);
        EXPECT_EQ(result.report.has_value(), row.state == 0);
        EXPECT_EQ(result.failure, row.state == 0 ? XuProbeFailure::None : XuProbeFailure::NoReport);
    }
}

}  // namespace
}  // namespace velmora::uvc_stereo::detail
