// The 64-byte capability report: the parser and the probe's interpretation.
// Each failure must be the first broken rule of the layout; each report that
// parses must re-encode, through the virtual camera's encoder, to the same
// bytes wherever the layout gives them a meaning (a section whose bit is clear
// may hold anything, so it is compared as zeros with the CRC taken again).
//
// Input: the 64 report bytes (zero-padded), then an optional flags byte whose
// bits repair parts of the report so that inputs get past the early checks.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "capability_encoder.hpp"
#include "core/byte_order.hpp"
#include "formats/capability_report.hpp"
#include "property_check.hpp"
#include "table_crc.hpp"

namespace {

namespace uvc = velmora::uvc_stereo;
using uvc::CapabilityReport;
using uvc::ErrorCode;
using uvc::Result;
using uvc::Status;
using uvc::detail::CapabilityReportBytes;
using uvc::fuzzing::require;

constexpr std::uint8_t kFixFraming = 0x01;    // magic, major version, size
constexpr std::uint8_t kClearReserved = 0x02;
constexpr std::uint8_t kMaskBits = 0x04;      // capability bits below 32
constexpr std::uint8_t kFixCrc = 0x08;        // applied last

constexpr std::size_t kBitsOffset = 7;
constexpr std::size_t kFlashBegin = 15;
constexpr std::size_t kFlashEnd = 23;
constexpr std::size_t kImuBegin = 23;
constexpr std::size_t kModelEnd = 31;
constexpr std::size_t kImuEnd = 43;
constexpr std::size_t kCrcOffset = 60;
constexpr std::uint64_t kFlashBit = 2;
constexpr std::uint64_t kImuBit = 4;
constexpr double kDivisors[] = {10.0, 100.0, 1000.0};

std::uint32_t crc32c_of(const std::uint8_t* data, std::size_t length) {
    return uvc::fuzzing::table_crc32<uvc::fuzzing::kCrc32cPolynomial>(data, length);
}

void store_crc(CapabilityReportBytes& bytes) {
    uvc::detail::write_le32(&bytes[kCrcOffset], crc32c_of(bytes.data(), kCrcOffset));
}

CapabilityReportBytes report_from(const std::uint8_t* data, std::size_t size) {
    CapabilityReportBytes bytes{};
    for (std::size_t i = 0; i < bytes.size() && i < size; ++i) bytes[i] = data[i];
    const std::uint8_t flags = size > bytes.size() ? data[bytes.size()] : 0;
    if (flags & kFixFraming) {
        bytes[0] = 'Z', bytes[1] = 'O', bytes[2] = 'V', bytes[3] = 'K';
        bytes[4] = 1;
        bytes[6] = 64;
    }
    if (flags & kClearReserved) std::fill(bytes.begin() + kImuEnd, bytes.begin() + kCrcOffset, std::uint8_t{0});
    if (flags & kMaskBits) {
        uvc::detail::write_le(&bytes[kBitsOffset], uvc::detail::read_le64(&bytes[kBitsOffset]) & 0x1F, 8);
    }
    if (flags & kFixCrc) store_crc(bytes);
    return bytes;
}

Status invalid(const char* message) { return Status(ErrorCode::InvalidArgument, message); }

Status expected_imu_status(const CapabilityReportBytes& bytes) {
    std::size_t i = kImuBegin;
    for (; i < kModelEnd && bytes[i] != 0; ++i) {
        if (bytes[i] < 0x20 || bytes[i] > 0x7E) return invalid("capability IMU model contains non-printable ASCII");
    }
    for (; i < kModelEnd; ++i) {
        if (bytes[i] != 0) return invalid("capability IMU model is not NUL padded");
    }
    if (bytes[31] == 0 || bytes[32] == 0) return invalid("capability IMU XU unit and selector must be non-zero");
    if (bytes[33] < 17) return invalid("capability IMU XU length must be at least 17 bytes");
    if (bytes[34] < 1 || bytes[34] > 3) return invalid("capability IMU decimal exponent must be 1, 2, or 3");
    if (uvc::detail::read_le16(&bytes[37]) == 0 || uvc::detail::read_le16(&bytes[39]) == 0 ||
        uvc::detail::read_le16(&bytes[41]) == 0) {
        return invalid("capability IMU conversion scale must be non-zero");
    }
    return Status();
}

// The layout's checks in their order; the first failing one decides.
Status expected_status(const CapabilityReportBytes& bytes) {
    if (bytes[0] != 'Z' || bytes[1] != 'O' || bytes[2] != 'V' || bytes[3] != 'K') {
        return Status(ErrorCode::BadMagic, "capability magic must be ASCII ZOVK");
    }
    if (bytes[4] != 1) return Status(ErrorCode::UnsupportedVersion, "capability major_version is not supported");
    if (bytes[6] != 64) return Status(ErrorCode::InvalidHeader, "capability size must be 64 bytes");
    if (crc32c_of(bytes.data(), kCrcOffset) != uvc::detail::read_le32(&bytes[kCrcOffset])) {
        return Status(ErrorCode::CrcMismatch, "capability CRC32C mismatch");
    }
    for (std::size_t i = kImuEnd; i < kCrcOffset; ++i) {
        if (bytes[i] != 0) return invalid("capability reserved bytes must be zero");
    }
    const std::uint64_t bits = uvc::detail::read_le64(&bytes[kBitsOffset]);
    if (bits >= 32) return invalid("capability_bits contains unsupported bits");
    if (bits & kFlashBit) {
        const std::uint32_t address = uvc::detail::read_le32(&bytes[kFlashBegin]);
        const std::uint32_t size = uvc::detail::read_le32(&bytes[kFlashBegin + 4]);
        if (size < 16) return invalid("capability Flash user space is smaller than the minimum header");
        if (std::uint64_t{address} + size > 0xFFFFFFFFU) {
            return invalid("capability Flash user-space range overflows uint32 address space");
        }
    }
    if (bits & kImuBit) return expected_imu_status(bytes);
    return Status();
}

// The raw count a conversion value came from; the value must be exactly that
// count divided by the divisor.
template <typename Raw>
Raw raw_count(double value, double divisor, const char* property) {
    const double count = std::round(value * divisor);
    require(count >= std::numeric_limits<Raw>::min() && count <= std::numeric_limits<Raw>::max() &&
                static_cast<double>(static_cast<Raw>(count)) / divisor == value,
            property, std::to_string(value));
    return static_cast<Raw>(count);
}

sonix_virtual::CapabilityFields fields_of(const CapabilityReport& report) {
    sonix_virtual::CapabilityFields fields;
    fields.major_version = report.major_version;
    fields.minor_version = report.minor_version;
    fields.extra_bits = report.capability_bits & ~(kFlashBit | kImuBit);
    require(report.flash.has_value() == ((report.capability_bits & kFlashBit) != 0), "flash section follows bit 2");
    require(report.imu.has_value() == ((report.capability_bits & kImuBit) != 0), "IMU section follows bit 4");
    if (report.flash) fields.flash = sonix_virtual::CapabilityFields::Flash{report.flash->user_space_address,
                                                                            report.flash->user_space_size};
    if (report.imu) {
        const uvc::ReportedImuInfo& imu = *report.imu;
        require(imu.decimal_exponent >= 1 && imu.decimal_exponent <= 3, "decoded exponent is 1 to 3");
        const double divisor = kDivisors[imu.decimal_exponent - 1];
        sonix_virtual::CapabilityFields::Imu encoded;
        encoded.model = imu.model;
        encoded.unit = imu.xu_unit;
        encoded.selector = imu.xu_selector;
        encoded.length = imu.xu_length;
        encoded.exponent = imu.decimal_exponent;
        encoded.temperature_offset =
            raw_count<std::int16_t>(imu.conversion.temperature_offset_c, divisor, "temperature offset is count / d");
        encoded.temperature_scale =
            raw_count<std::uint16_t>(imu.conversion.temperature_lsb_per_c, divisor, "temperature scale is count / d");
        encoded.accel_scale = raw_count<std::uint16_t>(imu.conversion.accel_lsb_per_g, 1.0, "accel scale is the count");
        encoded.gyro_scale = raw_count<std::uint16_t>(imu.conversion.gyro_lsb_per_dps, divisor, "gyro scale is count / d");
        fields.imu = encoded;
    }
    return fields;
}

void check_reencoding(const CapabilityReportBytes& bytes, const CapabilityReport& report) {
    CapabilityReportBytes meaningful = bytes;
    if (!report.flash) std::fill(meaningful.begin() + kFlashBegin, meaningful.begin() + kFlashEnd, std::uint8_t{0});
    if (!report.imu) std::fill(meaningful.begin() + kImuBegin, meaningful.begin() + kImuEnd, std::uint8_t{0});
    store_crc(meaningful);
    const auto encoded = sonix_virtual::encode_capability_report(fields_of(report));
    require(std::equal(encoded.begin(), encoded.end(), meaningful.begin()), "a parsed report re-encodes to its bytes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const CapabilityReportBytes bytes = report_from(data, size);
    require(uvc::detail::crc32c(bytes.data(), bytes.size()) == crc32c_of(bytes.data(), bytes.size()),
            "crc32c is the standard CRC-32C");

    const Result<CapabilityReport> parsed = uvc::detail::parse_xu_capability_report(bytes);
    const Status expected = expected_status(bytes);
    uvc::fuzzing::require_status(parsed.status(), expected.code(), expected.message(), "parse follows the layout's checks");
    if (parsed.ok()) check_reencoding(bytes, parsed.value());

    const uvc::detail::XuCapabilityProbeResult probe = uvc::detail::interpret_xu_capability_bytes(bytes);
    const bool all_zero = std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t byte) { return byte == 0; });
    if (all_zero) {
        uvc::fuzzing::require_status(probe.status, ErrorCode::BadMagic, "capability XU returned an all-zero report",
                                     "64 zero bytes are no report");
    } else {
        uvc::fuzzing::require_status(probe.status, parsed.status().code(), parsed.status().message(),
                                     "the probe passes the parser's status on");
    }
    require(probe.state == (probe.status.ok() ? 0U : 1U) && probe.report.has_value() == probe.status.ok(),
            "the probe's state and report follow its status");
    return 0;
}
