// Decoding one IMU extension-unit transfer.
#include "transport/imu_payload.hpp"

#include "core/byte_order.hpp"

namespace velmora::uvc_stereo::detail {

namespace {

constexpr std::size_t kTemperatureOffset = 0;
constexpr std::size_t kAccelOffset = 2;
constexpr std::size_t kGyroOffset = 8;
constexpr std::size_t kAxisCount = 3;
constexpr std::size_t kAxisWidth = 2;
constexpr std::size_t kTimestampMidOffset = 14;   // bits 15 to 8
constexpr std::size_t kTimestampLowOffset = 15;   // bits 7 to 0
constexpr std::size_t kTimestampHighOffset = 16;  // low nibble: bits 19 to 16
constexpr std::uint8_t kLowNibble = 0x0F;

// Two's-complement 16-bit, most significant byte first.
std::int16_t load_be_int16(const std::uint8_t* bytes) {
    return static_cast<std::int16_t>(read_be16(bytes));
}

}  // namespace

Status decode_imu_payload(const std::uint8_t* data, std::size_t size, ReadImuResult& sample) {
    if (size < kImuPayloadSize) return Status(ErrorCode::InvalidArgument, "IMU payload is shorter than 17 bytes");
    if (data[0] == kImuInitFailureSentinel) {
        return Status(ErrorCode::DeviceUnavailable, "IMU device reported initialization failure");
    }
    if (data[0] == kImuReadFailureSentinel) return Status(ErrorCode::ReadFailed, "IMU device reported read failure");

    sample.temperature_raw = load_be_int16(data + kTemperatureOffset);
    for (std::size_t axis = 0; axis < kAxisCount; ++axis) {
        sample.accel_raw[axis] = load_be_int16(data + kAccelOffset + axis * kAxisWidth);
        sample.gyro_raw[axis] = load_be_int16(data + kGyroOffset + axis * kAxisWidth);
    }
    sample.device_timestamp = (static_cast<std::uint32_t>(data[kTimestampHighOffset] & kLowNibble) << 16) |
                              (static_cast<std::uint32_t>(data[kTimestampMidOffset]) << 8) |
                              static_cast<std::uint32_t>(data[kTimestampLowOffset]);
    return Status();
}

}  // namespace velmora::uvc_stereo::detail
