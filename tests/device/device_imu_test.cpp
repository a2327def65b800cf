// The IMU session of a Device against virtual cameras, firmware gate included.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "support/pause_recorder.hpp"
#include "sonix_virtual/vcam_control.h"
#include "support/call_log.hpp"
#include "support/virtual_camera.hpp"
#include "support/virtual_camera_test.hpp"
#include "velmora/uvc_stereo/device.hpp"

namespace velmora::uvc_stereo {
namespace {

using DeviceImuTest = test_support::VirtualCameraTest;

using test_support::VirtualCamera;

Device open_camera(const std::string& id) {
    OpenDeviceOptions options;
    options.required_capabilities = 0;
    Result<Device> opened = open_device(test_support::scanned_camera(id), options);
    EXPECT_TRUE(opened.ok()) << opened.status().message();
    return std::move(opened.value());
}

TEST_F(DeviceImuTest, SessionLifecycle) {
    test_support::load_cameras({VirtualCamera{}});
    Device device = open_camera("cam");
    EXPECT_TRUE(device.close_imu().ok());  // never opened
    EXPECT_EQ(vcam_init_depth(), 0);

    test_support::clear_calls();
    ASSERT_TRUE(device.open_imu().ok());
    ASSERT_TRUE(device.open_imu().ok());  // the open session is kept
    EXPECT_EQ(vcam_init_depth(), 1);
    EXPECT_EQ(test_support::calls_of("SonixCam_SetNodeID"), 1U);
    EXPECT_TRUE(device.has_imu_transport());
    ASSERT_TRUE(device.read_imu().ok());

    ASSERT_TRUE(device.close_imu().ok());
    EXPECT_EQ(vcam_init_depth(), 0);
    EXPECT_TRUE(device.has_imu_transport());
    const Result<ReadImuResult> after = device.read_imu();
    EXPECT_EQ(after.status().code(), ErrorCode::InvalidArgument);
    EXPECT_EQ(after.status().message(), "IMU is not open");
    EXPECT_TRUE(device.close_imu().ok());
}

TEST_F(DeviceImuTest, DestroyingOrReplacingADeviceEndsItsSession) {
    VirtualCamera first("first");
    VirtualCamera second("second");
    test_support::load_cameras({first, second});
    {
        Device device = open_camera("first");
        ASSERT_TRUE(device.open_imu().ok());
        EXPECT_EQ(vcam_init_depth(), 1);
    }
    EXPECT_EQ(vcam_init_depth(), 0);

    Device target = open_camera("first");
    ASSERT_TRUE(target.open_imu().ok());
    target = open_camera("second");
    EXPECT_EQ(vcam_init_depth(), 0);
    EXPECT_EQ(target.info().serial_number, test_support::scanned_camera("second").serial_number);
}

TEST_F(DeviceImuTest, ReadsUseTheLegacyOrReportedControl) {
    VirtualCamera legacy("legacy");
    legacy.legacy = true;
    VirtualCamera reported("reported");
    reported.imu.unit = 6;
    reported.imu.selector = 3;
    reported.imu.length = 20;
    test_support::load_cameras({legacy, reported});

    const struct {
        const char* id;
        std::uint64_t unit;
        std::uint64_t selector;
        std::uint64_t length;
    } rows[] = {{"legacy", 4, 10, 17}, {"reported", 6, 3, 20}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.id);
        Device device = open_camera(row.id);
        test_support::clear_calls();
        ASSERT_TRUE(device.open_imu().ok());
        const Result<ReadImuResult> sample = device.read_imu();
        ASSERT_TRUE(sample.ok()) << sample.status().message();
        const auto node = test_support::arguments_of("SonixCam_SetNodeID");
        ASSERT_EQ(node.size(), 1U);
        EXPECT_EQ(node[0].at(0), row.unit);
        const auto reads = test_support::arguments_of("SonixCam_XuRead");
        ASSERT_EQ(reads.size(), 1U);
        EXPECT_EQ(reads[0].at(0), row.length);  // length, selector, node id
        EXPECT_EQ(reads[0].at(1), row.selector);
        EXPECT_EQ(reads[0].at(2), row.unit);
    }
}

TEST_F(DeviceImuTest, ReportWithoutImuIsRefusedWithoutDeviceAccess) {
    VirtualCamera camera;
    camera.report_imu = false;
    test_support::load_cameras({camera});
    Device device = open_camera("cam");
    test_support::clear_calls();
    const Status opened = device.open_imu();
    EXPECT_EQ(opened.code(), ErrorCode::NotSupported);
    EXPECT_EQ(opened.message(), "IMU is not supported on this device");
    EXPECT_EQ(test_support::total_calls(), 0U);
    EXPECT_FALSE(device.has_imu_transport());
    EXPECT_EQ(device.imu_conversion_options().status().message(), "IMU is not supported on this device");
    const Result<ConvertedImuResult> converted = device.convert_imu(ReadImuResult{});
    EXPECT_EQ(converted.status().code(), ErrorCode::NotSupported);
    EXPECT_EQ(converted.status().message(), "IMU is not supported on this device");
}

TEST_F(DeviceImuTest, FirmwareGate) {
    const struct {
        const char* name;
        std::uint16_t pid;
        const char* firmware;
        bool read_fails;
        bool allowed;
        bool reads_version;
    } rows[] = {
        {"0643 with the disabling version", 0x0643, "260416", false, false, true},
        {"0643 with it inside a longer text", 0x0643, "SN9C-260416-B", false, false, true},
        {"0643 with a five-character prefix", 0x0643, "26041", false, true, true},
        {"0643 with another version", 0x0643, "260408", false, true, true},
        {"0643 whose version read fails", 0x0643, "260416", true, true, true},
        {"0645 with its disabling version", 0x0645, "260408", false, false, true},
        {"0645 with another version", 0x0645, "260416", false, true, true},
        {"2502 has no condition", 0x2502, "260416", false, true, false},
        {"0234 has no condition", 0x0234, "260408", false, true, false},
        {"0578 has no condition", 0x0578, "260416", false, true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        VirtualCamera camera;
        camera.pid = row.pid;
        camera.firmware = row.firmware;
        test_support::load_cameras({camera});
        Device device = open_camera("cam");
        test_support::clear_calls();
        if (row.read_fails) {
            ASSERT_EQ(vcam_fail_call("SonixCam_GetVersion", 1, 5), 0);
        }
        test_support::PauseRecorder pauses;

        const Status opened = device.open_imu();
        EXPECT_EQ(opened.ok(), row.allowed) << opened.message();
        if (!row.allowed) {
            EXPECT_EQ(opened.code(), ErrorCode::NotSupported);
            EXPECT_EQ(opened.message(), "IMU is not supported on this device");
            EXPECT_FALSE(device.has_imu_transport());
            EXPECT_EQ(vcam_init_depth(), 0);
        }
        EXPECT_EQ(test_support::calls_of("SonixCam_GetVersion"), row.reads_version ? 1U : 0U);
        const std::vector<std::chrono::milliseconds> expected_pauses =
            row.reads_version ? std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(200)}
                              : std::vector<std::chrono::milliseconds>{};
        EXPECT_EQ(pauses.pauses(), expected_pauses);
        EXPECT_EQ(pauses.pauses_under_vendor_lock(), 0U);
        EXPECT_TRUE(device.close_imu().ok());
        vcam_clear_faults();
    }
}

TEST_F(DeviceImuTest, ConversionFollowsTheReportedScales) {
    VirtualCamera camera;
    camera.imu.exponent = 3;
    camera.imu.temperature_offset = -2500;  // -2.5 degrees
    camera.imu.temperature_scale = 12800;   // 12.8 counts per degree
    camera.imu.accel_scale = 4096;          // never divided
    camera.imu.gyro_scale = 16400;          // 16.4 counts per degree per second
    // Temperature 128, accel (4096, -2048, 0), gyro (164, 0, -328), counter 0x00012.
    camera.imu_samples = {"00801000F800000000A40000FEB8001200"};
    test_support::load_cameras({camera});
    Device device = open_camera("cam");

    const Result<ImuConversionOptions> options = device.imu_conversion_options();
    ASSERT_TRUE(options.ok()) << options.status().message();
    EXPECT_DOUBLE_EQ(options.value().temperature_offset_c, -2.5);
    EXPECT_DOUBLE_EQ(options.value().temperature_lsb_per_c, 12.8);
    EXPECT_DOUBLE_EQ(options.value().accel_lsb_per_g, 4096.0);
    EXPECT_DOUBLE_EQ(options.value().gyro_lsb_per_dps, 16.4);

    ASSERT_TRUE(device.open_imu().ok());
    const Result<ReadImuResult> raw = device.read_imu();
    ASSERT_TRUE(raw.ok()) << raw.status().message();
    ASSERT_TRUE(device.close_imu().ok());
    const Result<ConvertedImuResult> converted = device.convert_imu(raw.value());
    ASSERT_TRUE(converted.ok()) << converted.status().message();
    EXPECT_EQ(converted.value().timestamp_ns, raw.value().timestamp_ns);
    EXPECT_DOUBLE_EQ(converted.value().temperature_c, 128 / 12.8 - 2.5);
    EXPECT_DOUBLE_EQ(converted.value().accel_g[0], 1.0);
    EXPECT_DOUBLE_EQ(converted.value().accel_g[1], -0.5);
    EXPECT_DOUBLE_EQ(converted.value().gyro_dps[0], 10.0);
    EXPECT_DOUBLE_EQ(converted.value().gyro_dps[2], -20.0);
}

}  // namespace
}  // namespace velmora::uvc_stereo
