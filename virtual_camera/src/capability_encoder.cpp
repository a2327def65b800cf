// Byte layout of the capability report: little-endian fields, CRC-32C of bytes 0..59 at 60.
#include "capability_encoder.hpp"

#include <algorithm>

#include "checksums.hpp"
#include "core/byte_order.hpp"

namespace sonix_virtual {

using velmora::uvc_stereo::detail::write_le16;
using velmora::uvc_stereo::detail::write_le32;
using velmora::uvc_stereo::detail::write_le64;

namespace {

constexpr std::uint8_t kMagic[4] = {'Z', 'O', 'V', 'K'};
constexpr std::uint64_t kFlashBit = 2;
constexpr std::uint64_t kImuBit = 4;
constexpr std::size_t kMajorOffset = 4;
constexpr std::size_t kMinorOffset = 5;
constexpr std::size_t kSizeOffset = 6;
constexpr std::size_t kBitsOffset = 7;
constexpr std::size_t kFlashAddressOffset = 15;
constexpr std::size_t kFlashSizeOffset = 19;
constexpr std::size_t kModelOffset = 23;
constexpr std::size_t kModelSize = 8;
constexpr std::size_t kUnitOffset = 31;
constexpr std::size_t kSelectorOffset = 32;
constexpr std::size_t kLengthOffset = 33;
constexpr std::size_t kExponentOffset = 34;
constexpr std::size_t kTemperatureOffsetOffset = 35;
constexpr std::size_t kTemperatureScaleOffset = 37;
constexpr std::size_t kAccelScaleOffset = 39;
constexpr std::size_t kGyroScaleOffset = 41;
constexpr std::size_t kCrcOffset = 60;

void encode_imu(const CapabilityFields::Imu& imu, std::uint8_t* report) {
    const std::size_t model_bytes = std::min(imu.model.size(), kModelSize);
    for (std::size_t i = 0; i < model_bytes; ++i) report[kModelOffset + i] = static_cast<std::uint8_t>(imu.model[i]);
    report[kUnitOffset] = imu.unit;
    report[kSelectorOffset] = imu.selector;
    report[kLengthOffset] = imu.length;
    report[kExponentOffset] = imu.exponent;
    write_le16(report + kTemperatureOffsetOffset, static_cast<std::uint16_t>(imu.temperature_offset));
    write_le16(report + kTemperatureScaleOffset, imu.temperature_scale);
    write_le16(report + kAccelScaleOffset, imu.accel_scale);
    write_le16(report + kGyroScaleOffset, imu.gyro_scale);
}

}  // namespace

std::array<std::uint8_t, kCapabilityReportSize> encode_capability_report(const CapabilityFields& fields) {
    std::array<std::uint8_t, kCapabilityReportSize> report{};
    std::copy(std::begin(kMagic), std::end(kMagic), report.begin());
    report[kMajorOffset] = fields.major_version;
    report[kMinorOffset] = fields.minor_version;
    report[kSizeOffset] = static_cast<std::uint8_t>(kCapabilityReportSize);
    std::uint64_t bits = fields.extra_bits;
    if (fields.flash) {
        bits |= kFlashBit;
        write_le32(&report[kFlashAddressOffset], fields.flash->address);
        write_le32(&report[kFlashSizeOffset], fields.flash->size);
    }
    if (fields.imu) {
        bits |= kImuBit;
        encode_imu(*fields.imu, report.data());
    }
    write_le64(&report[kBitsOffset], bits);
    write_le32(&report[kCrcOffset], crc32c(report.data(), kCrcOffset));
    return report;
}

}  // namespace sonix_virtual
