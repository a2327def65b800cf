// Raw IMU counts to physical units with caller-given scale values.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

#include "velmora/uvc_stereo/device.hpp"

namespace velmora::uvc_stereo {
namespace {

ReadImuResult raw_sample(std::int16_t temperature, std::array<std::int16_t, 3> accel, std::array<std::int16_t, 3> gyro) {
    ReadImuResult raw;
    raw.timestamp_ns = 123456789012ULL;
    raw.device_timestamp = 0xFFFFF;
    raw.temperature_raw = temperature;
    raw.accel_raw = accel;
    raw.gyro_raw = gyro;
    return raw;
}

TEST(ConvertImuTest, ScalesEachSensor) {
    const struct {
        const char* name;
        ReadImuResult raw;
        ImuConversionOptions options;
        double temperature_c;
        std::array<double, 3> accel_g;
        std::array<double, 3> gyro_dps;
    } rows[] = {
        {"defaults", raw_sample(1280, {2048, -1024, 0}, {164, -82, 0}), ImuConversionOptions{}, 35.0,
         {1.0, -0.5, 0.0}, {10.0, -5.0, 0.0}},
        {"most negative temperature", raw_sample(-32768, {0, 0, 0}, {0, 0, 0}), ImuConversionOptions{}, -231.0,
         {0.0, 0.0, 0.0}, {0.0, 0.0, 0.0}},
        {"zero motion scales give zeros", raw_sample(-7, {100, -100, 32767}, {-32768, 5, 1}),
         ImuConversionOptions{0.0, 1.0, 0.0, 0.0}, -7.0, {0.0, 0.0, 0.0}, {0.0, 0.0, 0.0}},
        {"negative offset, other scales", raw_sample(500, {4096, 0, -4096}, {328, 0, -328}),
         ImuConversionOptions{-10.0, 100.0, 4096.0, 32.8}, -5.0, {1.0, 0.0, -1.0}, {10.0, 0.0, -10.0}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Result<ConvertedImuResult> result = convert_imu(row.raw, row.options);
        ASSERT_TRUE(result.ok()) << result.status().message();
        const ConvertedImuResult& converted = result.value();
        EXPECT_EQ(converted.timestamp_ns, row.raw.timestamp_ns);
        EXPECT_DOUBLE_EQ(converted.temperature_c, row.temperature_c);
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_DOUBLE_EQ(converted.accel_g[axis], row.accel_g[axis]) << "accel axis " << axis;
            EXPECT_DOUBLE_EQ(converted.gyro_dps[axis], row.gyro_dps[axis]) << "gyro axis " << axis;
        }
    }
}

TEST(ConvertImuTest, ZeroTemperatureScaleIsRefusedButNanIsNot) {
    ImuConversionOptions options;
    options.temperature_lsb_per_c = 0.0;
    const Result<ConvertedImuResult> refused = convert_imu(raw_sample(1, {1, 1, 1}, {1, 1, 1}), options);
    EXPECT_EQ(refused.status().code(), ErrorCode::InvalidArgument);
    EXPECT_EQ(refused.status().message(), "temperature_lsb_per_c must not be zero");
    EXPECT_FALSE(refused.has_value());

    options.temperature_lsb_per_c = -0.0;
    EXPECT_EQ(convert_imu(raw_sample(1, {1, 1, 1}, {1, 1, 1}), options).status().code(), ErrorCode::InvalidArgument);

    options.temperature_lsb_per_c = std::numeric_limits<double>::quiet_NaN();
    const Result<ConvertedImuResult> nan = convert_imu(raw_sample(1, {1, 1, 1}, {1, 1, 1}), options);
    ASSERT_TRUE(nan.ok());
    EXPECT_TRUE(std::isnan(nan.value().temperature_c));
}

}  // namespace
}  // namespace velmora::uvc_stereo
