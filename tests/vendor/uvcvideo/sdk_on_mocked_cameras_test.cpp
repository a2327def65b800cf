// The SDK over the Linux camera library, against mocked cameras: the scan,
// opening (reporting and legacy cameras), the capability report, IMU samples,
// and unplugging and replugging a camera. Runs under
// tests/mocked_cameras/testbed.py with the uvcvideo library preloaded.
#include <dlfcn.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "support/mocked_cameras.hpp"
#include "velmora/uvc_stereo.hpp"

namespace velmora::uvc_stereo {
namespace {

using test_support::MockedCameras;
using test_support::query_count;

constexpr std::uint32_t kRequireFlash = 1;
constexpr std::uint32_t kRequireImu = 2;

class SdkOnMockedCamerasTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!MockedCameras::available()) GTEST_SKIP() << "needs the mocked cameras (tests/mocked_cameras)";
        // The virtual camera carries the same soname: make sure it is not the
        // one this process loaded.
        ASSERT_EQ(dlsym(RTLD_DEFAULT, "vcam_init_depth"), nullptr) << "running against the virtual camera";
        ASSERT_NE(dlsym(RTLD_DEFAULT, "SonixCam_Init"), nullptr);
    }

    DeviceInfo scanned(const std::string& serial) {
        Result<std::vector<DeviceInfo>> scan = scan_devices();
        EXPECT_TRUE(scan.ok()) << scan.status().message();
        if (scan.ok()) {
            for (const DeviceInfo& info : scan.value()) {
                if (info.serial_number == serial) return info;
            }
        }
        ADD_FAILURE() << "the scan does not list " << serial;
        return DeviceInfo();
    }

    static std::int16_t big_endian(const std::vector<unsigned char>& bytes, std::size_t at) {
        return static_cast<std::int16_t>((bytes[at] << 8) | bytes[at + 1]);
    }

    MockedCameras& mock() { return MockedCameras::instance(); }
};

TEST_F(SdkOnMockedCamerasTest, ScanListsTheWhitelistedCamerasByTheirUsbPorts) {
    Result<std::vector<DeviceInfo>> scan = scan_devices();
    ASSERT_TRUE(scan.ok()) << scan.status().message();
    std::vector<std::string> found;
    for (const DeviceInfo& info : scan.value()) {
        found.push_back(info.serial_number + " " + info.name + " " + info.device_path);
        EXPECT_EQ(info.vid, 0x0C45);
    }
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{
                         "VLM2502C00005 Velmora Mono M1 /sys/bus/usb/devices/3-1:1.0",
                         "VLM643A00017 Velmora Stereo S1 /sys/bus/usb/devices/1-1:1.0",
                         "VLM643A00099 Velmora Stereo S1 /sys/bus/usb/devices/2-1.4:1.0",
                         "VLM645B00342 Velmora Stereo S2 /sys/bus/usb/devices/1-2:1.0",
                     }))
        << "the other maker's webcam is left out";
}

TEST_F(SdkOnMockedCamerasTest, ReportingCamerasOpenWithTheirReportsDecoded) {
    const struct {
        const char* serial;
        bool flash;
        std::uint8_t unit, selector, length;
    } rows[] = {
        {"VLM643A00017", true, 4, 10, 17},
        {"VLM645B00342", false, 4, 10, 20},
        {"VLM643A00099", true, 5, 12, 17},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.serial);
        Result<Device> device = open_device(scanned(row.serial), OpenDeviceOptions{kRequireImu});
        ASSERT_TRUE(device.ok()) << device.status().message();
        const DeviceCapabilityInfo& capability = device.value().capability_info();
        ASSERT_EQ(capability.state, 1) << capability.message;
        ASSERT_TRUE(capability.report && capability.report->imu);
        EXPECT_EQ(capability.report->flash.has_value(), row.flash);
        const ReportedImuInfo& imu = *capability.report->imu;
        EXPECT_EQ(imu.model, "IMU-A");
        EXPECT_EQ(imu.xu_unit, row.unit);
        EXPECT_EQ(imu.xu_selector, row.selector);
        EXPECT_EQ(imu.xu_length, row.length);
        EXPECT_DOUBLE_EQ(imu.conversion.temperature_offset_c, 25.0);
        EXPECT_DOUBLE_EQ(imu.conversion.gyro_lsb_per_dps, 16.4);
    }
}

TEST_F(SdkOnMockedCamerasTest, OpeningThatNeedsTheFlashFailsPlainlyAndTheLegacyCameraOpensWithDefaults) {
    const struct {
        const char* serial;
        std::uint32_t required;
        ErrorCode code;
        const char* message;
        int state;
    } rows[] = {
        {"VLM643A00017", kRequireFlash, ErrorCode::DeviceUnavailable,
         "SonixCam_GetSerialFlashType failed: vendor_code=ecGetKsControlFail(5)", 0},
        {"VLM645B00342", kRequireFlash, ErrorCode::NotSupported, "valid capability XU report does not declare Flash", 0},
        {"VLM2502C00005", 0, ErrorCode::Ok, "", 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.serial);
        Result<Device> device = open_device(scanned(row.serial), OpenDeviceOptions{row.required});
        EXPECT_EQ(device.status().code(), row.code);
        EXPECT_EQ(device.status().message(), row.message);
        if (device.ok()) {
            EXPECT_EQ(device.value().capability_info().state, row.state);
            EXPECT_EQ(device.value().capability_info().message, "Capability reporting is not supported on this device");
        }
    }
    // Without the vendor extension unit there is no IMU to reach on Linux.
    Result<Device> legacy = open_device(scanned("VLM2502C00005"), OpenDeviceOptions{0});
    ASSERT_TRUE(legacy.ok());
    const Status imu = legacy.value().open_imu();
    EXPECT_EQ(imu.code(), ErrorCode::BackendError);
    EXPECT_EQ(imu.message(), "SonixCam_SetNodeID failed: vendor_code=ecGetKsControlFail(5)");
}

TEST_F(SdkOnMockedCamerasTest, ImuSamplesArriveAsTheChipSentThemAndConvertWithTheReportsScales) {
    const char* serial = "VLM643A00099";  // IMU at node 5, selector 12: UVC unit 2
    Result<Device> opened = open_device(scanned(serial), OpenDeviceOptions{kRequireImu});
    ASSERT_TRUE(opened.ok()) << opened.status().message();
    Device& device = opened.value();
    mock().reset_counts(serial);
    ASSERT_TRUE(device.open_imu().ok());
    for (int i = 0; i < 3; ++i) {
        Result<ReadImuResult> sample = device.read_imu();
        ASSERT_TRUE(sample.ok()) << sample.status().message();
        const std::vector<unsigned char> sent = mock().last_imu(serial);
        ASSERT_EQ(sent.size(), 17u);
        EXPECT_EQ(sample.value().temperature_raw, big_endian(sent, 0));
        for (std::size_t axis = 0; axis < 3; ++axis) {
            EXPECT_EQ(sample.value().accel_raw[axis], big_endian(sent, 2 + 2 * axis));
            EXPECT_EQ(sample.value().gyro_raw[axis], big_endian(sent, 8 + 2 * axis));
        }
        EXPECT_EQ(sample.value().device_timestamp,
                  static_cast<std::uint32_t>(((sent[16] & 0x0F) << 16) | (sent[14] << 8) | sent[15]));
        Result<ConvertedImuResult> converted = device.convert_imu(sample.value());
        ASSERT_TRUE(converted.ok());
        EXPECT_DOUBLE_EQ(converted.value().temperature_c, 25.0 + sample.value().temperature_raw / 128.0);
        EXPECT_DOUBLE_EQ(converted.value().accel_g[2], sample.value().accel_raw[2] / 2048.0);
    }
    EXPECT_TRUE(device.close_imu().ok());
    const auto counts = mock().counts(serial);
    EXPECT_EQ(query_count(counts, "GET_CUR:2:12"), 3);
    EXPECT_EQ(query_count(counts, "GET_LEN:2:12"), 1) << "the length is asked once per session";
}

TEST_F(SdkOnMockedCamerasTest, ATimeOutFailsOneReadAndTheSessionGoesOn) {
    const char* serial = "VLM645B00342";
    Result<Device> opened = open_device(scanned(serial), OpenDeviceOptions{kRequireImu});
    ASSERT_TRUE(opened.ok()) << opened.status().message();
    ASSERT_TRUE(opened.value().open_imu().ok());
    mock().fail_next(serial, "ETIMEDOUT");
    Result<ReadImuResult> timed_out = opened.value().read_imu();
    EXPECT_EQ(timed_out.status().code(), ErrorCode::BackendError);
    EXPECT_EQ(timed_out.status().message(), "SonixCam_XuRead failed: vendor_code=ecSyncTransTimeOut(8)");
    EXPECT_TRUE(opened.value().read_imu().ok());
}

TEST_F(SdkOnMockedCamerasTest, AnUnpluggedCameraIsGoneAndWorksAgainOnceReplugged) {
    const char* serial = "VLM643A00017";
    const DeviceInfo info = scanned(serial);
    Result<Device> opened = open_device(info, OpenDeviceOptions{kRequireImu});
    ASSERT_TRUE(opened.ok()) << opened.status().message();
    ASSERT_TRUE(opened.value().open_imu().ok());
    ASSERT_TRUE(opened.value().read_imu().ok());

    mock().unplug(serial);
    Result<ReadImuResult> gone = opened.value().read_imu();
    EXPECT_EQ(gone.status().code(), ErrorCode::BackendError);
    EXPECT_EQ(gone.status().message(), "SonixCam_XuRead failed: vendor_code=ecDeviceDisconnect(7)");
    EXPECT_TRUE(opened.value().close_imu().ok());
    Result<Device> reopened = open_device(info, OpenDeviceOptions{kRequireImu});
    EXPECT_EQ(reopened.status().code(), ErrorCode::DeviceUnavailable);
    EXPECT_EQ(reopened.status().message(), "preferred device_path not found in current scan");
    Result<std::vector<DeviceInfo>> scan = scan_devices();
    ASSERT_TRUE(scan.ok());
    EXPECT_EQ(scan.value().size(), 3u);

    mock().replug(serial);  // same port, a new capture node
    Result<Device> back = open_device(info, OpenDeviceOptions{kRequireImu});
    ASSERT_TRUE(back.ok()) << back.status().message();
    EXPECT_EQ(back.value().capability_info().state, 1);
    ASSERT_TRUE(back.value().open_imu().ok());
    EXPECT_TRUE(back.value().read_imu().ok());
}

}  // namespace
}  // namespace velmora::uvc_stereo
