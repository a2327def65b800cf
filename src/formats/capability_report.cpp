// Validation and decoding of the 64-byte capability report (magic "ZOVK",
// little-endian fields, CRC-32C over the first 60 bytes).
#include "formats/capability_report.hpp"

#include <exception>
#include <string>
#include <utility>

#include "core/byte_order.hpp"
#include "formats/reflected_crc.hpp"

namespace velmora::uvc_stereo::detail {
namespace {

constexpr std::uint32_t kCrc32cPolynomial = 0x82F63B78u;

constexpr char kMagic[] = {'Z', 'O', 'V', 'K'};
constexpr std::size_t kMagicOffset = 0;
constexpr std::size_t kMajorVersionOffset = 4;
constexpr std::size_t kMinorVersionOffset = 5;
constexpr std::size_t kSizeOffset = 6;
constexpr std::size_t kCapabilityBitsOffset = 7;
constexpr std::size_t kFlashAddressOffset = 15;
constexpr std::size_t kFlashSizeOffset = 19;
constexpr std::size_t kImuModelOffset = 23;
constexpr std::size_t kImuModelLength = 8;
constexpr std::size_t kImuUnitOffset = 31;
constexpr std::size_t kImuSelectorOffset = 32;
constexpr std::size_t kImuLengthOffset = 33;
constexpr std::size_t kImuExponentOffset = 34;
constexpr std::size_t kTemperatureOffsetOffset = 35;
constexpr std::size_t kTemperatureScaleOffset = 37;
constexpr std::size_t kAccelScaleOffset = 39;
constexpr std::size_t kGyroScaleOffset = 41;
constexpr std::size_t kReservedOffset = 43;
constexpr std::size_t kCrcOffset = 60;

constexpr std::uint8_t kSupportedMajorVersion = 1;
// Only values 1, 2, 4, 8 and 16 are defined.
constexpr std::uint64_t kFirstUnsupportedCapabilityBit = 32;
// A user space must at least hold a flash record header.
constexpr std::uint32_t kMinFlashUserSpaceSize = 16;
constexpr std::uint64_t kMaxFlashAddress = 0xFFFFFFFFu;
// The IMU payload carries 17 bytes of sample data.
constexpr std::uint8_t kMinImuTransferLength = 17;
constexpr std::uint8_t kFirstPrintableAscii = 0x20;
constexpr std::uint8_t kLastPrintableAscii = 0x7E;
constexpr double kExponentDivisors[] = {10.0, 100.0, 1000.0};
constexpr std::uint8_t kMinDecimalExponent = 1;
constexpr std::uint8_t kMaxDecimalExponent = 3;

Result<CapabilityReport> invalid(const char* message) { return Status(ErrorCode::InvalidArgument, message); }

bool has_magic(const CapabilityReportBytes& bytes) {
    for (std::size_t i = 0; i < sizeof(kMagic); ++i) {
        if (bytes[kMagicOffset + i] != static_cast<std::uint8_t>(kMagic[i])) return false;
    }
    return true;
}

bool reserved_bytes_are_zero(const CapabilityReportBytes& bytes) {
    for (std::size_t i = kReservedOffset; i < kCrcOffset; ++i) {
        if (bytes[i] != 0) return false;
    }
    return true;
}

// Empty text when the model is valid, otherwise the failure message.
const char* check_imu_model(const std::uint8_t* model) {
    std::size_t i = 0;
    for (; i < kImuModelLength && model[i] != 0; ++i) {
        if (model[i] < kFirstPrintableAscii || model[i] > kLastPrintableAscii) {
            return "capability IMU model contains non-printable ASCII";
        }
    }
    for (; i < kImuModelLength; ++i) {
        if (model[i] != 0) return "capability IMU model is not NUL padded";
    }
    return "";
}

std::string imu_model_text(const std::uint8_t* model) {
    std::size_t length = 0;
    while (length < kImuModelLength && model[length] != 0) ++length;
    return std::string(reinterpret_cast<const char*>(model), length);
}

Result<ReportedImuInfo> decode_imu_fields(const CapabilityReportBytes& bytes) {
    ReportedImuInfo imu;
    imu.xu_unit = bytes[kImuUnitOffset];
    imu.xu_selector = bytes[kImuSelectorOffset];
    imu.xu_length = bytes[kImuLengthOffset];
    imu.decimal_exponent = bytes[kImuExponentOffset];
    if (imu.xu_unit == 0 || imu.xu_selector == 0) {
        return Status(ErrorCode::InvalidArgument, "capability IMU XU unit and selector must be non-zero");
    }
    if (imu.xu_length < kMinImuTransferLength) {
        return Status(ErrorCode::InvalidArgument, "capability IMU XU length must be at least 17 bytes");
    }
    if (imu.decimal_exponent < kMinDecimalExponent || imu.decimal_exponent > kMaxDecimalExponent) {
        return Status(ErrorCode::InvalidArgument, "capability IMU decimal exponent must be 1, 2, or 3");
    }
    const auto temperature_offset = static_cast<std::int16_t>(read_le16(&bytes[kTemperatureOffsetOffset]));
    const std::uint16_t temperature_scale = read_le16(&bytes[kTemperatureScaleOffset]);
    const std::uint16_t accel_scale = read_le16(&bytes[kAccelScaleOffset]);
    const std::uint16_t gyro_scale = read_le16(&bytes[kGyroScaleOffset]);
    if (temperature_scale == 0 || accel_scale == 0 || gyro_scale == 0) {
        return Status(ErrorCode::InvalidArgument, "capability IMU conversion scale must be non-zero");
    }
    const double divisor = kExponentDivisors[imu.decimal_exponent - kMinDecimalExponent];
    imu.conversion.temperature_offset_c = temperature_offset / divisor;
    imu.conversion.temperature_lsb_per_c = temperature_scale / divisor;
    imu.conversion.accel_lsb_per_g = accel_scale;  // counts per g, never scaled
    imu.conversion.gyro_lsb_per_dps = gyro_scale / divisor;
    return imu;
}

Result<ReportedImuInfo> decode_imu_section(const CapabilityReportBytes& bytes) {
    const std::uint8_t* model = &bytes[kImuModelOffset];
    const char* model_failure = check_imu_model(model);
    if (*model_failure != '\0') return Status(ErrorCode::InvalidArgument, model_failure);
    Result<ReportedImuInfo> imu = decode_imu_fields(bytes);
    if (!imu.ok()) return imu;
    try {
        imu.value().model = imu_model_text(model);
    } catch (const std::exception& error) {
        return Status(ErrorCode::InternalError, error.what());
    } catch (...) {
        return Status(ErrorCode::InternalError, "unknown exception while parsing capability IMU model");
    }
    return imu;
}

Result<ReportedFlashInfo> decode_flash_section(const CapabilityReportBytes& bytes) {
    ReportedFlashInfo flash;
    flash.user_space_address = read_le32(&bytes[kFlashAddressOffset]);
    flash.user_space_size = read_le32(&bytes[kFlashSizeOffset]);
    if (flash.user_space_size < kMinFlashUserSpaceSize) {
        return Status(ErrorCode::InvalidArgument, "capability Flash user space is smaller than the minimum header");
    }
    if (std::uint64_t{flash.user_space_address} + flash.user_space_size > kMaxFlashAddress) {
        return Status(ErrorCode::InvalidArgument, "capability Flash user-space range overflows uint32 address space");
    }
    return flash;
}

// The framing checks, in the order that decides which failure is reported.
Status check_framing(const CapabilityReportBytes& bytes) {
    if (!has_magic(bytes)) return Status(ErrorCode::BadMagic, "capability magic must be ASCII ZOVK");
    if (bytes[kMajorVersionOffset] != kSupportedMajorVersion) {
        return Status(ErrorCode::UnsupportedVersion, "capability major_version is not supported");
    }
    if (bytes[kSizeOffset] != kCapabilityReportSize) {
        return Status(ErrorCode::InvalidHeader, "capability size must be 64 bytes");
    }
    if (crc32c(bytes.data(), kCrcOffset) != read_le32(&bytes[kCrcOffset])) {
        return Status(ErrorCode::CrcMismatch, "capability CRC32C mismatch");
    }
    if (!reserved_bytes_are_zero(bytes)) {
        return Status(ErrorCode::InvalidArgument, "capability reserved bytes must be zero");
    }
    return Status();
}

bool all_zero(const CapabilityReportBytes& bytes) {
    for (const std::uint8_t byte : bytes) {
        if (byte != 0) return false;
    }
    return true;
}

}  // namespace

XuCapabilityProbeResult::XuCapabilityProbeResult() = default;
XuCapabilityProbeResult::XuCapabilityProbeResult(XuCapabilityProbeResult&&) noexcept = default;
XuCapabilityProbeResult& XuCapabilityProbeResult::operator=(XuCapabilityProbeResult&&) noexcept = default;
XuCapabilityProbeResult::~XuCapabilityProbeResult() = default;

std::uint32_t crc32c(const std::uint8_t* data, std::size_t length) {
    return reflected_crc32(data, length, kCrc32cPolynomial);
}

Result<CapabilityReport> parse_xu_capability_report(const CapabilityReportBytes& bytes) {
    Status framing = check_framing(bytes);
    if (!framing.ok()) return framing;

    CapabilityReport report;
    report.major_version = bytes[kMajorVersionOffset];
    report.minor_version = bytes[kMinorVersionOffset];
    report.capability_bits = read_le64(&bytes[kCapabilityBitsOffset]);
    if (report.capability_bits >= kFirstUnsupportedCapabilityBit) {
        return invalid("capability_bits contains unsupported bits");
    }
    if ((report.capability_bits & CapabilityBits::Flash) != 0) {
        Result<ReportedFlashInfo> flash = decode_flash_section(bytes);
        if (!flash.ok()) return Status(flash.status());
        report.flash = std::move(flash).value();
    }
    if ((report.capability_bits & CapabilityBits::Imu) != 0) {
        Result<ReportedImuInfo> imu = decode_imu_section(bytes);
        if (!imu.ok()) return Status(imu.status());
        report.imu = std::move(imu).value();
    }
    return report;
}

XuCapabilityProbeResult interpret_xu_capability_bytes(const CapabilityReportBytes& bytes) {
    XuCapabilityProbeResult result;
    result.failure = XuProbeFailure::NoReport;
    if (all_zero(bytes)) {
        result.status = Status(ErrorCode::BadMagic, "capability XU returned an all-zero report");
        return result;
    }
    Result<CapabilityReport> parsed = parse_xu_capability_report(bytes);
    if (!parsed.ok()) {
        result.status = parsed.status();
        return result;
    }
    result.state = 0;
    result.failure = XuProbeFailure::None;
    result.report = std::move(parsed).value();
    return result;
}

}  // namespace velmora::uvc_stereo::detail
