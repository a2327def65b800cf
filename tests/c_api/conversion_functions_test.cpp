// Tests of the C interface's device-free functions: IMU conversion, defaults, back-end names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/c_interface.hpp"
#include "velmora_uvc_stereo_c.h"

namespace velmora::uvc_stereo::c_api {
namespace {

using test_support::last_message;

velmora_uvc_stereo_read_imu_result sample(int16_t temperature, int16_t ax, int16_t ay, int16_t az, int16_t gx,
                                          int16_t gy, int16_t gz) {
    velmora_uvc_stereo_read_imu_result raw;
    std::memset(&raw, 0, sizeof(raw));
    raw.timestamp_ns = 123456789012ull;
    raw.device_timestamp = 0xFFFFF;
    raw.temperature_raw = temperature;
    raw.accel_raw[0] = ax;
    raw.accel_raw[1] = ay;
    raw.accel_raw[2] = az;
    raw.gyro_raw[0] = gx;
    raw.gyro_raw[1] = gy;
    raw.gyro_raw[2] = gz;
    return raw;
}

struct ConversionCase {
    const char* name;
    velmora_uvc_stereo_read_imu_result raw;
    bool use_defaults;  // pass null options
    velmora_uvc_stereo_imu_conversion_options options;
    double temperature_c;
    double accel_g[3];
    double gyro_dps[3];
};

TEST(ConvertImu, ConvertsWithTheGivenOrDefaultScales) {
    const velmora_uvc_stereo_imu_conversion_options none = {0, 0, 0, 0};
    const std::vector<ConversionCase> cases = {
        {"null options, 128 counts", sample(128, 0, 0, 0, 0, 0, 0), true, none, 26.0, {0, 0, 0}, {0, 0, 0}},
        {"null options, full sample", sample(1280, 2048, -1024, 0, 164, -82, 0), true, none, 35.0, {1.0, -0.5, 0.0},
         {10.0, -5.0, 0.0}},
        {"zero motion scales", sample(77, 100, 200, 300, 400, 500, 600), false, {0.0, 1.0, 0.0, 0.0}, 77.0,
         {0, 0, 0}, {0, 0, 0}},
        {"given scales", sample(-100, 4096, 0, -4096, 655, 0, -655), false, {20.0, 100.0, 4096.0, 65.5}, 19.0,
         {1.0, 0.0, -1.0}, {10.0, 0.0, -10.0}},
    };
    for (const ConversionCase& row : cases) {
        SCOPED_TRACE(row.name);
        velmora_uvc_stereo_converted_imu_result out;
        test_support::fill_bytes(out, 0x77);
        test_support::record_some_failure();
        ASSERT_EQ(velmora_uvc_stereo_convert_imu(&row.raw, row.use_defaults ? nullptr : &row.options, &out), 0);
        EXPECT_EQ(last_message(), "");
        EXPECT_EQ(out.timestamp_ns, row.raw.timestamp_ns);
        EXPECT_DOUBLE_EQ(out.temperature_c, row.temperature_c);
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_DOUBLE_EQ(out.accel_g[axis], row.accel_g[axis]) << "axis " << axis;
            EXPECT_DOUBLE_EQ(out.gyro_dps[axis], row.gyro_dps[axis]) << "axis " << axis;
        }
    }
}

TEST(Defaults, InitialisersWriteTheDocumentedValues) {
    velmora_uvc_stereo_open_device_options open_options = {0xFFFFFFFFu};
    velmora_uvc_stereo_open_device_options_init_default(&open_options);
    EXPECT_EQ(open_options.required_capabilities, 1u);
    velmora_uvc_stereo_imu_conversion_options conversion = {-1, -1, -1, -1};
    velmora_uvc_stereo_imu_conversion_options_init_default(&conversion);
    const velmora_uvc_stereo_imu_conversion_options expected = {25.0, 128.0, 2048.0, 16.4};
    EXPECT_EQ(std::memcmp(&conversion, &expected, sizeof(conversion)), 0);
}

TEST(Defaults, BackendNames) {
    const std::vector<std::pair<int, std::string>> cases = {
        {200, "CAP_V4L2"}, {700, "CAP_DSHOW"}, {1400, "CAP_MSMF"}, {1800, "CAP_GSTREAMER"},
        {0, "CAP_UNKNOWN"}, {-1, "CAP_UNKNOWN"}, {701, "CAP_UNKNOWN"},
    };
    for (const auto& [backend, name] : cases) {
        SCOPED_TRACE(backend);
        EXPECT_EQ(velmora_uvc_stereo_opencv_backend_name(backend), name);
    }
}

}  // namespace
}  // namespace velmora::uvc_stereo::c_api
