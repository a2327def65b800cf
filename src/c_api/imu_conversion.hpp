// Field-by-field copies between the IMU records and their C structures.
#pragma once

#include "velmora/uvc_stereo/records.hpp"
#include "velmora_uvc_stereo_c.h"

namespace velmora::uvc_stereo::c_api {

ReadImuResult from_c_read_imu_result(const velmora_uvc_stereo_read_imu_result& raw);
void to_c_read_imu_result(const ReadImuResult& sample, velmora_uvc_stereo_read_imu_result* out);
void to_c_converted_imu_result(const ConvertedImuResult& converted, velmora_uvc_stereo_converted_imu_result* out);
// The defaults when options is null.
ImuConversionOptions from_c_conversion_options(const velmora_uvc_stereo_imu_conversion_options* options);

}  // namespace velmora::uvc_stereo::c_api
