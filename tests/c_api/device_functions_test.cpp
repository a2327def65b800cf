// Tests of the C device, scan, IMU and JSON functions against the virtual camera.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "support/c_interface.hpp"
#include "sonix_virtual/vcam_control.hpp"
#include "support/virtual_camera.hpp"
#include "velmora/uvc_stereo/scan.hpp"
#include "velmora_uvc_stereo_c.h"

namespace velmora::uvc_stereo::c_api {
namespace {

using test_support::all_bytes_are;
using test_support::fill_bytes;
using test_support::last_message;
using uvc_stereo::test_support::identity_only_camera;
using uvc_stereo::test_support::scenario_json;
using uvc_stereo::test_support::VirtualCamera;

constexpr std::uint16_t kReportingPid = 0x0643;  // "cam0" of the default scenario
constexpr std::uint16_t kLegacyPid = 0x0645;     // "cam1", answers the capability control with zeros
constexpr unsigned char kGarbage = 0xA5;
constexpr int kVendorNotFindDevice = 4;

struct DeviceCloser {
    void operator()(velmora_uvc_stereo_device* device) const { velmora_uvc_stereo_close_device(device); }
};
using DevicePtr = std::unique_ptr<velmora_uvc_stereo_device, DeviceCloser>;

class DeviceFunctions : public ::testing::Test {
protected:
    void SetUp() override {
        vcam_load_default_scenario();
        vcam_clear_contract_violations();
    }
    void TearDown() override {
        EXPECT_EQ(vcam_contract_violation_count(), 0u) << sonix_virtual::describe_contract_violations();
        vcam_load_default_scenario();
    }

    static struct velmora_uvc_stereo_device_info scanned(std::uint16_t pid) {
        struct velmora_uvc_stereo_device_info* devices = nullptr;
        size_t count = 0;
        struct velmora_uvc_stereo_device_info found;
        std::memset(&found, 0, sizeof(found));
        EXPECT_EQ(velmora_uvc_stereo_scan_devices(&devices, &count), 0) << last_message();
        for (size_t i = 0; i < count; ++i) {
            if (devices[i].pid == pid) found = devices[i];
        }
        velmora_uvc_stereo_free(devices);
        EXPECT_EQ(found.pid, pid) << "camera not in the scan";
        return found;
    }

    static DevicePtr open(std::uint16_t pid, const velmora_uvc_stereo_open_device_options* options = nullptr) {
        const struct velmora_uvc_stereo_device_info info = scanned(pid);
        velmora_uvc_stereo_device* device = nullptr;
        EXPECT_EQ(velmora_uvc_stereo_open_device(&info, options, &device), 0) << last_message();
        EXPECT_EQ(last_message(), "");
        return DevicePtr(device);
    }

    static std::string read_json(velmora_uvc_stereo_device* device) {
        uint16_t version = 0;
        char* json = nullptr;
        size_t length = 0;
        if (velmora_uvc_stereo_device_read_json(device, &version, &json, &length) != 0) return "<failed>";
        std::string text(json, length);
        velmora_uvc_stereo_free(json);
        return text;
    }
};

TEST_F(DeviceFunctions, EmptyScanGivesNoDevicesFoundWithClearedOuts) {
    ASSERT_EQ(vcam_load_scenario_json(R"({"devices": []})"), 0) << vcam_last_error();
    struct velmora_uvc_stereo_device_info* devices = reinterpret_cast<struct velmora_uvc_stereo_device_info*>(this);
    size_t count = 99;
    EXPECT_EQ(velmora_uvc_stereo_scan_devices(&devices, &count), VELMORA_UVC_STEREO_ERROR_BACKEND);
    EXPECT_EQ(last_message(), "no devices found");
    EXPECT_EQ(devices, nullptr);
    EXPECT_EQ(count, 0u);

    velmora_uvc_stereo_ctx* ctx = nullptr;
    ASSERT_EQ(velmora_uvc_stereo_ctx_create(nullptr, &ctx), 0);
    struct velmora_uvc_stereo_device_info first;
    fill_bytes(first, kGarbage);
    EXPECT_EQ(velmora_uvc_stereo_ctx_scan(ctx, &first), VELMORA_UVC_STEREO_ERROR_BACKEND);
    EXPECT_TRUE(all_bytes_are(first, 0));
    const char* text = nullptr;
    size_t length = 0;
    ASSERT_EQ(velmora_uvc_stereo_ctx_last_error_message(ctx, &text, &length), 0);
    EXPECT_EQ(std::string(text, length), "no devices found");
    velmora_uvc_stereo_ctx_destroy(ctx);
}

TEST_F(DeviceFunctions, ScanOutcomesArePassedOnUnchanged) {
    std::vector<VirtualCamera> cameras;
    for (int i = 0; i < 65; ++i) cameras.push_back(identity_only_camera("n" + std::to_string(i)));
    const std::string many = scenario_json(cameras, {}, R"({"enum_beyond_capacity": "fail"})");
    const struct {
        const char* name;
        std::string scenario;  // empty: the default one, with a failing enumeration
        int code;
        const char* message;
    } rows[] = {
        // A failed enumeration that reports no device is an empty scan.
        {"enumeration fails without a count", "", VELMORA_UVC_STEREO_ERROR_BACKEND, "no devices found"},
        {"enumeration fails and reports devices", many, VELMORA_UVC_STEREO_ERROR_BACKEND,
         "SonixCam_EnumCameras failed: vendor_code=ecEnumDeviceFail(3)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.scenario.empty()) {
            vcam_load_default_scenario();
            ASSERT_EQ(vcam_fail_call("SonixCam_EnumCameras", 1, kVendorNotFindDevice + 1), 0);
        } else {
            ASSERT_EQ(vcam_load_scenario_json(row.scenario.c_str()), 0) << vcam_last_error();
        }
        struct velmora_uvc_stereo_device_info* devices = reinterpret_cast<struct velmora_uvc_stereo_device_info*>(this);
        size_t count = 7;
        EXPECT_EQ(velmora_uvc_stereo_scan_devices(&devices, &count), row.code);
        EXPECT_EQ(last_message(), row.message);
        EXPECT_EQ(devices, nullptr);
        EXPECT_EQ(count, 0u);
    }
}

TEST_F(DeviceFunctions, LegacyCameraCapabilityStructure) {
    DevicePtr device = open(kLegacyPid);
    ASSERT_TRUE(device);
    velmora_uvc_stereo_capability_info info;
    fill_bytes(info, kGarbage);
    info.struct_size = 176;
    ASSERT_EQ(velmora_uvc_stereo_device_capability_info(device.get(), &info), 0);
    velmora_uvc_stereo_capability_info expected;
    std::memset(&expected, 0, sizeof(expected));
    expected.struct_size = 176;
    expected.state = VELMORA_UVC_STEREO_CAPABILITY_LEGACY;
    std::strcpy(expected.message, "Capability reporting is not supported on this device");
    EXPECT_EQ(std::memcmp(&info, &expected, sizeof(info)), 0);
}

TEST_F(DeviceFunctions, ReportedEightCharacterImuModel) {
    ASSERT_EQ(vcam_update_device_json("cam0", R"({"capability": {"minor_version": 2,
        "flash": {"address": "0x51000", "size": "0x10000"},
        "imu": {"model": "BMI088XY", "unit": 4, "selector": 10, "length": 17, "exponent": 1,
                "temperature_offset": 250, "temperature_scale": 1280, "accel_scale": 2048, "gyro_scale": 164}}})"),
              0)
        << vcam_last_error();
    DevicePtr device = open(kReportingPid);
    ASSERT_TRUE(device);
    velmora_uvc_stereo_capability_info info;
    velmora_uvc_stereo_capability_info_init(&info);
    ASSERT_EQ(velmora_uvc_stereo_device_capability_info(device.get(), &info), 0);
    EXPECT_EQ(info.state, VELMORA_UVC_STEREO_CAPABILITY_REPORTED);
    EXPECT_EQ(info.minor_version, 2);
    EXPECT_EQ(std::string(info.imu_model, sizeof(info.imu_model)), std::string("BMI088XY") + '\0');
    EXPECT_EQ(info.imu_xu_unit, 4);
    EXPECT_EQ(info.flash_user_space_address, 0x51000u);
    EXPECT_DOUBLE_EQ(info.imu_conversion.temperature_offset_c, 25.0);
    EXPECT_DOUBLE_EQ(info.imu_conversion.gyro_lsb_per_dps, 16.4);
}

TEST_F(DeviceFunctions, DescriptionIsCheckedBeforeAnyDeviceAccess) {
    struct velmora_uvc_stereo_device_info info = scanned(kReportingPid);
    info.opencv_index_count = 2;
    info.opencv_indices[0] = {VELMORA_UVC_STEREO_CAP_DSHOW, 0};
    info.opencv_indices[1] = {VELMORA_UVC_STEREO_CAP_DSHOW, 1};
    vcam_clear_call_log();
    velmora_uvc_stereo_device* device = reinterpret_cast<velmora_uvc_stereo_device*>(this);
    EXPECT_EQ(velmora_uvc_stereo_open_device(&info, nullptr, &device), 1);
    EXPECT_EQ(last_message(), "duplicated opencv backend entry");
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(vcam_call_count(), 0u);
}

TEST_F(DeviceFunctions, OpenFailuresArePassedOnAndLeaveNoHandle) {
    const struct velmora_uvc_stereo_device_info info = scanned(kReportingPid);
    velmora_uvc_stereo_open_device_options options = {8};
    velmora_uvc_stereo_device* device = reinterpret_cast<velmora_uvc_stereo_device*>(this);
    EXPECT_EQ(velmora_uvc_stereo_open_device(&info, &options, &device), 1);
    EXPECT_EQ(last_message(), "open_device required_capabilities contains unknown bits");
    EXPECT_EQ(device, nullptr);
}

TEST_F(DeviceFunctions, DeviceInfoIsTheDescriptionItWasOpenedWith) {
    struct velmora_uvc_stereo_device_info info = scanned(kLegacyPid);
    info.opencv_index_count = 1;
    info.opencv_indices[0] = {VELMORA_UVC_STEREO_CAP_MSMF, 5};
    std::memset(info.aux_text, 'x', sizeof(info.aux_text));  // unterminated: read to the array's end only
    velmora_uvc_stereo_device* raw_device = nullptr;
    ASSERT_EQ(velmora_uvc_stereo_open_device(&info, nullptr, &raw_device), 0) << last_message();
    DevicePtr device(raw_device);
    struct velmora_uvc_stereo_device_info reported;
    fill_bytes(reported, kGarbage);
    ASSERT_EQ(velmora_uvc_stereo_device_info(device.get(), &reported), 0);
    // The caller's one counted index comes back, the scan's second entry left
    // beyond the count does not; the 512 unterminated bytes are cut to 511.
    std::memset(&info.opencv_indices[1], 0, sizeof(info.opencv_indices) - sizeof(info.opencv_indices[0]));
    info.aux_text[511] = '\0';
    EXPECT_EQ(std::memcmp(&reported, &info, sizeof(info)), 0);
}

TEST_F(DeviceFunctions, WriteJsonLengthZeroReadsToTheNulAndALengthCutsTheText) {
    DevicePtr device = open(kLegacyPid);
    ASSERT_TRUE(device);
    const char seven_bytes[] = "{\"a\":1}";
    ASSERT_EQ(std::strlen(seven_bytes), 7u);
    EXPECT_EQ(velmora_uvc_stereo_device_write_json(device.get(), seven_bytes, 0), 0) << last_message();
    EXPECT_EQ(last_message(), "");
    EXPECT_EQ(read_json(device.get()), "{\"a\":1}");

    EXPECT_EQ(velmora_uvc_stereo_device_write_json(device.get(), seven_bytes, 3), VELMORA_UVC_STEREO_ERROR_INVALID_JSON);
    EXPECT_EQ(read_json(device.get()), "{\"a\":1}");  // nothing was written
}

TEST_F(DeviceFunctions, ReadJsonTerminatesItsBufferAndClearsOutsOnFailure) {
    DevicePtr device = open(kReportingPid);
    ASSERT_TRUE(device);
    uint16_t version = 0;
    char* json = nullptr;
    size_t length = 0;
    ASSERT_EQ(velmora_uvc_stereo_device_read_json(device.get(), &version, &json, &length), 0);
    ASSERT_NE(json, nullptr);
    EXPECT_EQ(json[length], '\0');
    EXPECT_EQ(std::strlen(json), length);
    EXPECT_EQ(version, 1);  // the default scenario stores cam0's record as version 1
    velmora_uvc_stereo_free(json);

    ASSERT_EQ(velmora_uvc_stereo_device_open_imu(device.get()), 0) << last_message();
    version = 9;
    json = reinterpret_cast<char*>(this);
    length = 9;
    EXPECT_EQ(velmora_uvc_stereo_device_read_json(device.get(), &version, &json, &length), 1);
    EXPECT_EQ(last_message(), "IMU must be closed before flash JSON access");
    EXPECT_EQ(version, 0);
    EXPECT_EQ(json, nullptr);
    EXPECT_EQ(length, 0u);
    velmora_uvc_stereo_free(json);
}

TEST_F(DeviceFunctions, ImuSessionThroughTheCInterface) {
    DevicePtr device = open(kReportingPid);
    ASSERT_TRUE(device);
    velmora_uvc_stereo_read_imu_result raw;
    fill_bytes(raw, kGarbage);
    EXPECT_EQ(velmora_uvc_stereo_device_read_imu(device.get(), &raw), 1);
    EXPECT_EQ(last_message(), "IMU is not open");
    EXPECT_TRUE(all_bytes_are(raw, 0));

    ASSERT_EQ(velmora_uvc_stereo_device_open_imu(device.get()), 0) << last_message();
    ASSERT_EQ(velmora_uvc_stereo_device_read_imu(device.get(), &raw), 0) << last_message();
    EXPECT_EQ(last_message(), "");
    velmora_uvc_stereo_converted_imu_result by_device;
    velmora_uvc_stereo_converted_imu_result by_defaults;
    ASSERT_EQ(velmora_uvc_stereo_device_convert_imu(device.get(), &raw, &by_device), 0);
    ASSERT_EQ(velmora_uvc_stereo_convert_imu(&raw, nullptr, &by_defaults), 0);
    // cam0 reports the default scale values, so both conversions agree.
    EXPECT_EQ(std::memcmp(&by_device, &by_defaults, sizeof(by_device)), 0);
    EXPECT_EQ(velmora_uvc_stereo_device_close_imu(device.get()), 0);
}

TEST_F(DeviceFunctions, ReadImuCopiesEachFieldToItsOwnPlace) {
    // Every field of the sample holds a value no other field holds.
    ASSERT_EQ(vcam_update_device_json("cam0", R"({"imu": {"samples": ["01 02 03 04 05 06 07 08 F9 0A 0B 0C 0D 0E 0F 10 A1"]}})"),
              0)
        << vcam_last_error();
    DevicePtr device = open(kReportingPid);
    ASSERT_TRUE(device);
    ASSERT_EQ(velmora_uvc_stereo_device_open_imu(device.get()), 0) << last_message();
    velmora_uvc_stereo_read_imu_result raw;
    fill_bytes(raw, kGarbage);
    ASSERT_EQ(velmora_uvc_stereo_device_read_imu(device.get(), &raw), 0) << last_message();
    EXPECT_NE(raw.timestamp_ns, 0u);
    EXPECT_EQ(raw.device_timestamp, 0x10F10u);
    EXPECT_EQ(raw.temperature_raw, 0x0102);
    EXPECT_EQ(raw.accel_raw[0], 0x0304);
    EXPECT_EQ(raw.accel_raw[1], 0x0506);
    EXPECT_EQ(raw.accel_raw[2], 0x0708);
    EXPECT_EQ(raw.gyro_raw[0], -0x06F6);  // 0xF90A
    EXPECT_EQ(raw.gyro_raw[1], 0x0B0C);
    EXPECT_EQ(raw.gyro_raw[2], 0x0D0E);
    const auto* bytes = reinterpret_cast<const unsigned char*>(&raw);
    for (std::size_t padding = 26; padding < sizeof(raw); ++padding) EXPECT_EQ(bytes[padding], 0) << padding;
    EXPECT_EQ(velmora_uvc_stereo_device_close_imu(device.get()), 0);
}

TEST_F(DeviceFunctions, DeviceConversionUsesTheCamerasOwnScales) {
    // Offset 10.0 degrees, 256 counts per degree, 4096 per g, 32.8 per degree per second.
    ASSERT_EQ(vcam_update_device_json("cam0", R"({"capability": {
        "flash": {"address": "0x51000", "size": "0x10000"},
        "imu": {"model": "IMU-S", "unit": 4, "selector": 10, "length": 17, "exponent": 1,
                "temperature_offset": 100, "temperature_scale": 2560, "accel_scale": 4096, "gyro_scale": 328}}})"),
              0)
        << vcam_last_error();
    DevicePtr device = open(kReportingPid);
    ASSERT_TRUE(device);
    velmora_uvc_stereo_read_imu_result raw;
    std::memset(&raw, 0, sizeof(raw));
    raw.timestamp_ns = 42;
    raw.temperature_raw = 512;
    raw.accel_raw[0] = 4096;
    raw.accel_raw[1] = -2048;
    raw.gyro_raw[2] = 656;
    velmora_uvc_stereo_converted_imu_result converted;
    ASSERT_EQ(velmora_uvc_stereo_device_convert_imu(device.get(), &raw, &converted), 0) << last_message();
    EXPECT_EQ(converted.timestamp_ns, 42u);
    EXPECT_DOUBLE_EQ(converted.temperature_c, 12.0);
    EXPECT_DOUBLE_EQ(converted.accel_g[0], 1.0);
    EXPECT_DOUBLE_EQ(converted.accel_g[1], -0.5);
    EXPECT_DOUBLE_EQ(converted.accel_g[2], 0.0);
    EXPECT_DOUBLE_EQ(converted.gyro_dps[0], 0.0);
    EXPECT_DOUBLE_EQ(converted.gyro_dps[2], 20.0);
}

TEST_F(DeviceFunctions, ContextScanRecordsAVendorFailureAndASuccessClearsIt) {
    velmora_uvc_stereo_ctx* ctx = nullptr;
    ASSERT_EQ(velmora_uvc_stereo_ctx_create(nullptr, &ctx), 0);
    const auto context_message = [ctx] {
        const char* text = nullptr;
        size_t length = 0;
        EXPECT_EQ(velmora_uvc_stereo_ctx_last_error_message(ctx, &text, &length), 0);
        return std::string(text, length);
    };
    struct velmora_uvc_stereo_device_info first;
    ASSERT_EQ(vcam_fail_call("SonixCam_Init", 1, 2), 0);
    EXPECT_EQ(velmora_uvc_stereo_ctx_scan(ctx, &first), VELMORA_UVC_STEREO_ERROR_BACKEND);
    EXPECT_EQ(context_message(), "SonixCam_Init failed: vendor_code=ecLibInitFail(2)");
    EXPECT_EQ(last_message(), "SonixCam_Init failed: vendor_code=ecLibInitFail(2)");

    EXPECT_EQ(velmora_uvc_stereo_ctx_scan(ctx, &first), 0);
    EXPECT_EQ(context_message(), "");
    EXPECT_EQ(last_message(), "");
    EXPECT_EQ(first.pid, kReportingPid);
    velmora_uvc_stereo_ctx_destroy(ctx);
}

TEST_F(DeviceFunctions, WriteJsonPassesAnExplicitLengthPastAnEmbeddedNul) {
    DevicePtr device = open(kLegacyPid);
    ASSERT_TRUE(device);
    const char text_and_nul[] = "{\"a\":2}";  // seven bytes, then the NUL
    EXPECT_EQ(velmora_uvc_stereo_device_write_json(device.get(), text_and_nul, sizeof(text_and_nul)),
              VELMORA_UVC_STEREO_ERROR_INVALID_JSON);
    EXPECT_EQ(last_message(), "unexpected trailing characters at offset 7");
    EXPECT_NE(read_json(device.get()), "{\"a\":2}");
}

}  // namespace
}  // namespace velmora::uvc_stereo::c_api
