// A caller's walk through the exported interface against the default virtual
// cameras: scan, open, JSON, IMU.
#include <gtest/gtest.h>

#include <velmora/uvc_stereo.hpp>

#include <string>
#include <utility>
#include <vector>

namespace uvc = velmora::uvc_stereo;

namespace {

std::vector<uvc::DeviceInfo> scan_default_cameras() {
    uvc::Result<std::vector<uvc::DeviceInfo>> scanned = uvc::scan_devices();
    EXPECT_TRUE(scanned.ok()) << scanned.status().message();
    return scanned.ok() ? std::move(scanned.value()) : std::vector<uvc::DeviceInfo>{};
}

TEST(PublicApiTest, ScanFindsBothDefaultCameras) {
    const std::vector<uvc::DeviceInfo> cameras = scan_default_cameras();
    ASSERT_EQ(cameras.size(), 2U);
    for (const uvc::DeviceInfo& camera : cameras) {
        SCOPED_TRACE(camera.name);
        EXPECT_EQ(camera.vid, 0x0C45);
        EXPECT_FALSE(camera.device_path.empty());
    }
}

TEST(PublicApiTest, EachCameraOpensAndKeepsItsJsonDocument) {
    for (const uvc::DeviceInfo& camera : scan_default_cameras()) {
        SCOPED_TRACE(camera.name);
        uvc::OpenDeviceOptions options;
        options.required_capabilities = 1 | 4;
        uvc::Result<uvc::Device> opened = uvc::open_device(camera, options);
        ASSERT_TRUE(opened.ok()) << opened.status().message();
        uvc::Device device = std::move(opened.value());
        EXPECT_TRUE(device.has_flash_transport());
        EXPECT_EQ(device.info().device_path, camera.device_path);
        EXPECT_NE(device.capability_info().state, 0);

        const uvc::Result<uvc::ReadJsonResult> original = device.read_json();
        ASSERT_TRUE(original.ok()) << original.status().message();
        EXPECT_FALSE(original.value().json.empty());

        const std::string document = " { \"serial\" : \"" + camera.serial_number + "\" , \"rev\" : [ 1 , 2 ] } ";
        const uvc::Status written = device.write_json(document);
        ASSERT_TRUE(written.ok()) << written.message();
        const uvc::Result<uvc::ReadJsonResult> reread = device.read_json();
        ASSERT_TRUE(reread.ok()) << reread.status().message();
        EXPECT_EQ(reread.value().json, "{\"serial\":\"" + camera.serial_number + "\",\"rev\":[1,2]}");
        EXPECT_EQ(reread.value().version, 0);

        ASSERT_TRUE(device.write_json(original.value().json).ok());
    }
}

TEST(PublicApiTest, EachCameraDeliversConvertibleImuSamples) {
    for (const uvc::DeviceInfo& camera : scan_default_cameras()) {
        SCOPED_TRACE(camera.name);
        uvc::OpenDeviceOptions options;
        options.required_capabilities = 2;
        uvc::Result<uvc::Device> opened = uvc::open_device(camera, options);
        ASSERT_TRUE(opened.ok()) << opened.status().message();
        uvc::Device device = std::move(opened.value());
        EXPECT_FALSE(device.has_flash_transport());

        const uvc::Status imu = device.open_imu();
        ASSERT_TRUE(imu.ok()) << imu.message();
        EXPECT_TRUE(device.has_imu_transport());
        EXPECT_EQ(device.read_json().status().message(), "IMU must be closed before flash JSON access");

        const uvc::Result<uvc::ImuConversionOptions> scales = device.imu_conversion_options();
        ASSERT_TRUE(scales.ok()) << scales.status().message();
        for (int i = 0; i < 3; ++i) {
            const uvc::Result<uvc::ReadImuResult> raw = device.read_imu();
            ASSERT_TRUE(raw.ok()) << raw.status().message();
            EXPECT_LE(raw.value().device_timestamp, 0xFFFFFU);
            const uvc::Result<uvc::ConvertedImuResult> by_device = device.convert_imu(raw.value());
            const uvc::Result<uvc::ConvertedImuResult> by_function = uvc::convert_imu(raw.value(), scales.value());
            ASSERT_TRUE(by_device.ok() && by_function.ok());
            EXPECT_EQ(by_device.value().timestamp_ns, raw.value().timestamp_ns);
            EXPECT_DOUBLE_EQ(by_device.value().temperature_c, by_function.value().temperature_c);
            EXPECT_DOUBLE_EQ(by_device.value().temperature_c,
                             raw.value().temperature_raw / scales.value().temperature_lsb_per_c +
                                 scales.value().temperature_offset_c);
            EXPECT_DOUBLE_EQ(by_device.value().accel_g[0], by_function.value().accel_g[0]);
            EXPECT_DOUBLE_EQ(by_device.value().gyro_dps[2], by_function.value().gyro_dps[2]);
        }
        EXPECT_TRUE(device.close_imu().ok());
        EXPECT_EQ(device.read_imu().status().message(), "IMU is not open");
        EXPECT_TRUE(device.has_imu_transport());
    }
}

TEST(PublicApiTest, FirmwareVersionOfTheSelectedCamera) {
    const std::vector<uvc::DeviceInfo> cameras = scan_default_cameras();
    ASSERT_EQ(cameras.size(), 2U);
    struct Row {
        const char* label;
        std::string device_path;
        uvc::ErrorCode code;
        std::string text;  // the version, or the failure's message
    };
    const Row rows[] = {
        {"first camera", cameras[0].device_path, uvc::ErrorCode::Ok, "SN292-250311-V1.4"},
        {"second camera", cameras[1].device_path, uvc::ErrorCode::Ok, "SN292-250120-V1.2"},
        {"camera not attached", "\\\\?\\usb#vid_0c45&pid_0643&mi_00#9&dead&0&0000#{x}\\global",
         uvc::ErrorCode::DeviceUnavailable, "preferred device_path not found in current scan"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        uvc::FlashConfig config;
        config.device_path = row.device_path;
        const uvc::Result<std::string> version = uvc::read_firmware_version(config);
        EXPECT_EQ(version.status().code(), row.code);
        if (version.ok()) {
            EXPECT_EQ(version.value(), row.text);
        } else {
            EXPECT_EQ(version.status().message(), row.text);
        }
    }
}

TEST(PublicApiTest, OpenRefusesUnknownRequirementsAndForeignModels) {
    uvc::DeviceInfo foreign;
    foreign.vid = 0x0C45;
    foreign.pid = 0x1234;
    uvc::OpenDeviceOptions options;
    options.required_capabilities = 8;
    const uvc::Result<uvc::Device> unknown_bits = uvc::open_device(foreign, options);
    EXPECT_EQ(unknown_bits.status().code(), uvc::ErrorCode::InvalidArgument);
    EXPECT_EQ(unknown_bits.status().message(), "open_device required_capabilities contains unknown bits");

    const uvc::Result<uvc::Device> not_listed = uvc::open_device(foreign);
    EXPECT_EQ(not_listed.status().code(), uvc::ErrorCode::NotSupported);
    EXPECT_EQ(not_listed.status().message(), "selected device vid/pid is not in the scan whitelist");
}

}  // namespace
