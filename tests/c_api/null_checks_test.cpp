// Tests of the C functions' null checks: order, texts, and cleared out-parameters.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "support/c_interface.hpp"
#include "velmora_uvc_stereo_c.h"

namespace velmora::uvc_stereo::c_api {
namespace {

using test_support::all_bytes_are;
using test_support::fill_bytes;
using test_support::last_message;

// A non-null handle that must never be looked at: every row below fails its
// null checks before the handle is used.
alignas(16) unsigned char untouchable_storage[64];
velmora_uvc_stereo_device* const kUnusedDevice = reinterpret_cast<velmora_uvc_stereo_device*>(untouchable_storage);

struct NullCheckCase {
    const char* name;
    std::function<int()> call;
    const char* expected_message;
};

TEST(NullChecks, EachFunctionReportsItsFirstNullPointer) {
    struct velmora_uvc_stereo_device_info device_info;
    velmora_uvc_stereo_read_imu_result raw;
    velmora_uvc_stereo_converted_imu_result converted;
    velmora_uvc_stereo_device* device = nullptr;
    velmora_uvc_stereo_ctx* ctx = nullptr;
    struct velmora_uvc_stereo_device_info* devices = nullptr;
    const char* text = nullptr;
    char* json = nullptr;
    size_t length = 0;
    uint16_t version = 0;
    std::memset(&device_info, 0, sizeof(device_info));
    std::memset(&raw, 0, sizeof(raw));

    const std::vector<NullCheckCase> cases = {
        {"ctx_create", [&] { return velmora_uvc_stereo_ctx_create(nullptr, nullptr); }, "out_handle is null"},
        {"last_error_message message",
         [&] { return velmora_uvc_stereo_last_error_message(nullptr, &length); },
         "out_message/out_message_len is null"},
        {"last_error_message length",
         [&] { return velmora_uvc_stereo_last_error_message(&text, nullptr); },
         "out_message/out_message_len is null"},
        {"ctx_last_error_message outs before handle",
         [&] { return velmora_uvc_stereo_ctx_last_error_message(nullptr, nullptr, nullptr); },
         "out_message/out_message_len is null"},
        {"ctx_scan handle before out", [&] { return velmora_uvc_stereo_ctx_scan(nullptr, nullptr); },
         "handle is null"},
        {"scan_devices array", [&] { return velmora_uvc_stereo_scan_devices(nullptr, &length); },
         "out_devices/out_count is null"},
        {"scan_devices count", [&] { return velmora_uvc_stereo_scan_devices(&devices, nullptr); },
         "out_devices/out_count is null"},
        {"open_device out before description", [&] { return velmora_uvc_stereo_open_device(nullptr, nullptr, nullptr); },
         "out_device is null"},
        {"open_device description", [&] { return velmora_uvc_stereo_open_device(nullptr, nullptr, &device); },
         "device is null"},
        {"open_device zero ids", [&] { return velmora_uvc_stereo_open_device(&device_info, nullptr, &device); },
         "device vid/pid is invalid"},
        {"device_info device first", [&] { return velmora_uvc_stereo_device_info(nullptr, nullptr); },
         "device is null"},
        {"device_info out", [&] { return velmora_uvc_stereo_device_info(kUnusedDevice, nullptr); },
         "out_device_info is null"},
        {"capability_info device first", [&] { return velmora_uvc_stereo_device_capability_info(nullptr, nullptr); },
         "device is null"},
        {"capability_info out", [&] { return velmora_uvc_stereo_device_capability_info(kUnusedDevice, nullptr); },
         "out_info is null"},
        {"open_imu", [&] { return velmora_uvc_stereo_device_open_imu(nullptr); }, "device is null"},
        {"close_imu", [&] { return velmora_uvc_stereo_device_close_imu(nullptr); }, "device is null"},
        {"read_imu device first", [&] { return velmora_uvc_stereo_device_read_imu(nullptr, nullptr); },
         "device is null"},
        {"read_imu out", [&] { return velmora_uvc_stereo_device_read_imu(kUnusedDevice, nullptr); },
         "out_result is null"},
        {"convert_imu raw", [&] { return velmora_uvc_stereo_convert_imu(nullptr, nullptr, &converted); },
         "raw/out_result is null"},
        {"convert_imu out", [&] { return velmora_uvc_stereo_convert_imu(&raw, nullptr, nullptr); },
         "raw/out_result is null"},
        {"device_convert_imu device", [&] { return velmora_uvc_stereo_device_convert_imu(nullptr, &raw, &converted); },
         "device/raw/out_result is null"},
        {"device_convert_imu raw",
         [&] { return velmora_uvc_stereo_device_convert_imu(kUnusedDevice, nullptr, &converted); },
         "device/raw/out_result is null"},
        {"device_convert_imu out", [&] { return velmora_uvc_stereo_device_convert_imu(kUnusedDevice, &raw, nullptr); },
         "device/raw/out_result is null"},
        {"read_json device first", [&] { return velmora_uvc_stereo_device_read_json(nullptr, nullptr, nullptr, nullptr); },
         "device is null"},
        {"read_json version",
         [&] { return velmora_uvc_stereo_device_read_json(kUnusedDevice, nullptr, &json, &length); },
         "out_version/out_json_utf8/out_json_utf8_len is null"},
        {"read_json buffer",
         [&] { return velmora_uvc_stereo_device_read_json(kUnusedDevice, &version, nullptr, &length); },
         "out_version/out_json_utf8/out_json_utf8_len is null"},
        {"read_json length",
         [&] { return velmora_uvc_stereo_device_read_json(kUnusedDevice, &version, &json, nullptr); },
         "out_version/out_json_utf8/out_json_utf8_len is null"},
        {"write_json device first", [&] { return velmora_uvc_stereo_device_write_json(nullptr, nullptr, 0); },
         "device is null"},
        {"write_json text", [&] { return velmora_uvc_stereo_device_write_json(kUnusedDevice, nullptr, 5); },
         "json_utf8 is null"},
    };
    for (const NullCheckCase& row : cases) {
        SCOPED_TRACE(row.name);
        test_support::record_some_failure();
        velmora_uvc_stereo_ctx_create(nullptr, &ctx);  // a success in between: the row must record anew
        velmora_uvc_stereo_ctx_destroy(ctx);
        EXPECT_EQ(row.call(), VELMORA_UVC_STEREO_ERROR_INVALID_ARGUMENT);
        EXPECT_EQ(last_message(), row.expected_message);
    }
}

TEST(NullChecks, OutParametersAreClearedAfterTheChecks) {
    struct velmora_uvc_stereo_device_info device_info;
    std::memset(&device_info, 0, sizeof(device_info));
    device_info.vid = 0x0C45;  // pid 0: refused by validation, after the out is cleared
    velmora_uvc_stereo_device* device = kUnusedDevice;
    EXPECT_EQ(velmora_uvc_stereo_open_device(&device_info, nullptr, &device), 1);
    EXPECT_EQ(device, nullptr);

    velmora_uvc_stereo_read_imu_result raw;
    std::memset(&raw, 0, sizeof(raw));
    velmora_uvc_stereo_imu_conversion_options options = {25.0, 0.0, 2048.0, 16.4};
    velmora_uvc_stereo_converted_imu_result converted;
    fill_bytes(converted, 0x5A);
    EXPECT_EQ(velmora_uvc_stereo_convert_imu(&raw, &options, &converted), 1);
    EXPECT_EQ(last_message(), "temperature_lsb_per_c must not be zero");
    EXPECT_TRUE(all_bytes_are(converted, 0));
}

TEST(NullChecks, NullSafeFunctionsRecordNothing) {
    test_support::record_some_failure();
    velmora_uvc_stereo_ctx_destroy(nullptr);
    velmora_uvc_stereo_close_device(nullptr);
    velmora_uvc_stereo_free(nullptr);
    velmora_uvc_stereo_ctx_config_init_default(nullptr);
    velmora_uvc_stereo_open_device_options_init_default(nullptr);
    velmora_uvc_stereo_imu_conversion_options_init_default(nullptr);
    velmora_uvc_stereo_capability_info_init(nullptr);
    EXPECT_STREQ(velmora_uvc_stereo_opencv_backend_name(700), "CAP_DSHOW");
    EXPECT_EQ(last_message(), "out_handle is null");
}

}  // namespace
}  // namespace velmora::uvc_stereo::c_api
