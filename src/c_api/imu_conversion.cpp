// Field-by-field copies between the IMU records and their C structures.
#include "c_api/imu_conversion.hpp"

#include <cstddef>

namespace velmora::uvc_stereo::c_api {

namespace {

constexpr std::size_t kAxes = 3;

}  // namespace

ReadImuResult from_c_read_imu_result(const velmora_uvc_stereo_read_imu_result& raw) {
    ReadImuResult sample;
    sample.timestamp_ns = raw.timestamp_ns;
    sample.device_timestamp = raw.device_timestamp;
    sample.temperature_raw = raw.temperature_raw;
    for (std::size_t axis = 0; axis < kAxes; ++axis) {
        sample.accel_raw[axis] = raw.accel_raw[axis];
        sample.gyro_raw[axis] = raw.gyro_raw[axis];
    }
    return sample;
}

void to_c_read_imu_result(const ReadImuResult& sample, velmora_uvc_stereo_read_imu_result* out) {
    out->timestamp_ns = sample.timestamp_ns;
    out->device_timestamp = sample.device_timestamp;
    out->temperature_raw = sample.temperature_raw;
    for (std::size_t axis = 0; axis < kAxes; ++axis) {
        out->accel_raw[axis] = sample.accel_raw[axis];
        out->gyro_raw[axis] = sample.gyro_raw[axis];
    }
}

void to_c_converted_imu_result(const ConvertedImuResult& converted, velmora_uvc_stereo_converted_imu_result* out) {
    out->timestamp_ns = converted.timestamp_ns;
    out->temperature_c = converted.temperature_c;
    for (std::size_t axis = 0; axis < kAxes; ++axis) {
        out->accel_g[axis] = converted.accel_g[axis];
        out->gyro_dps[axis] = converted.gyro_dps[axis];
    }
}

ImuConversionOptions from_c_conversion_options(const velmora_uvc_stereo_imu_conversion_options* options) {
    ImuConversionOptions result;
    if (options == nullptr) return result;
    result.temperature_offset_c = options->temperature_offset_c;
    result.temperature_lsb_per_c = options->temperature_lsb_per_c;
    result.accel_lsb_per_g = options->accel_lsb_per_g;
    result.gyro_lsb_per_dps = options->gyro_lsb_per_dps;
    return result;
}

}  // namespace velmora::uvc_stereo::c_api
