// Raw IMU counts to degrees Celsius, g and degrees per second.
#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "device/capability_state.hpp"
#include "device/device_impl.hpp"
#include "velmora/uvc_stereo/device.hpp"

namespace velmora::uvc_stereo {

namespace {

constexpr std::size_t kAxes = 3;

// A zero scale means the sensor has no conversion: its values stay 0.0.
std::array<double, kAxes> scale_axes(const std::array<std::int16_t, kAxes>& counts, double lsb_per_unit) {
    std::array<double, kAxes> values{};
    if (lsb_per_unit == 0.0) return values;
    for (std::size_t axis = 0; axis < kAxes; ++axis) values[axis] = static_cast<double>(counts[axis]) / lsb_per_unit;
    return values;
}

}  // namespace

Result<ConvertedImuResult> convert_imu(const ReadImuResult& raw, const ImuConversionOptions& options) {
    if (options.temperature_lsb_per_c == 0.0) {
        return Result<ConvertedImuResult>(
            Status(ErrorCode::InvalidArgument, "temperature_lsb_per_c must not be zero"));
    }
    ConvertedImuResult converted;
    converted.timestamp_ns = raw.timestamp_ns;
    converted.temperature_c =
        static_cast<double>(raw.temperature_raw) / options.temperature_lsb_per_c + options.temperature_offset_c;
    converted.accel_g = scale_axes(raw.accel_raw, options.accel_lsb_per_g);
    converted.gyro_dps = scale_axes(raw.gyro_raw, options.gyro_lsb_per_dps);
    return Result<ConvertedImuResult>(std::move(converted));
}

Result<ImuConversionOptions> Device::imu_conversion_options() const {
    if (!impl_) return Result<ImuConversionOptions>(detail::device_closed_status());
    if (!impl_->imu_declared) {
        return Result<ImuConversionOptions>(detail::make_not_declared_status(detail::kImuCapabilityName));
    }
    return Result<ImuConversionOptions>(impl_->imu_transport.conversion);
}

Result<ConvertedImuResult> Device::convert_imu(const ReadImuResult& raw) const {
    Result<ImuConversionOptions> options = imu_conversion_options();
    if (!options.ok()) return Result<ConvertedImuResult>(options.status());
    return uvc_stereo::convert_imu(raw, options.value());
}

}  // namespace velmora::uvc_stereo
