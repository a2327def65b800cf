// Public records: defaults, copies and moves.
#include <gtest/gtest.h>

#include <utility>

#include "velmora/uvc_stereo/records.hpp"

namespace velmora::uvc_stereo {
namespace {

TEST(RecordsTest, FlashConfigDefaults) {
    const FlashConfig config;
    EXPECT_TRUE(config.vidpid.empty());
    EXPECT_TRUE(config.auto_select);
    EXPECT_EQ(config.filter_vid, 0);
    EXPECT_EQ(config.filter_pid, 0);
    EXPECT_EQ(config.aux_flag_0, 0);
    EXPECT_EQ(config.aux_flag_1, 0);
    EXPECT_TRUE(config.serial_number.empty());
    EXPECT_TRUE(config.device_path.empty());
    EXPECT_EQ(config.flash_user_space_address, 0x51000u);
    EXPECT_EQ(config.flash_sector_size, 4096u);
    EXPECT_EQ(config.flash_magic, 0x5A4F564Bu);
    EXPECT_EQ(config.flash_user_space_size, 0x10000u);
    EXPECT_EQ(config.min_header_size, 16);
    EXPECT_EQ(config.max_header_size, 256);
    EXPECT_TRUE(config.verify_crc);
    EXPECT_TRUE(config.verify_after_write);
}

TEST(RecordsTest, OtherDefaults) {
    const ImuConversionOptions conversion;
    EXPECT_EQ(conversion.temperature_offset_c, 25.0);
    EXPECT_EQ(conversion.temperature_lsb_per_c, 128.0);
    EXPECT_EQ(conversion.accel_lsb_per_g, 2048.0);
    EXPECT_EQ(conversion.gyro_lsb_per_dps, 16.4);

    const DeviceCapabilityInfo capability;
    EXPECT_EQ(capability.state, 0);
    EXPECT_FALSE(capability.report.has_value());
    EXPECT_TRUE(capability.message.empty());

    const ReportedImuInfo imu;
    EXPECT_TRUE(imu.model.empty());
    EXPECT_EQ(imu.xu_unit + imu.xu_selector + imu.xu_length + imu.decimal_exponent, 0);

    const CapabilityReport report;
    EXPECT_EQ(report.capability_bits, 0u);
    EXPECT_FALSE(report.flash.has_value());
    EXPECT_FALSE(report.imu.has_value());

    EXPECT_EQ(OpenDeviceOptions{}.required_capabilities, 1u);
    EXPECT_FALSE(DeviceScanFilter{}.require_serial_number);
}

DeviceInfo filled_device_info() {
    DeviceInfo info;
    info.vid = 0x0C45;
    info.pid = 0x0643;
    info.aux_flag_0 = 1;
    info.aux_flag_1 = 2;
    info.serial_number = "SN-0001";
    info.descriptor_text = "Velmora stereo";
    info.name = "Stereo camera";
    info.aux_text = "aux";
    info.device_path = "\\\\?\\usb#vid_0c45&pid_0643&mi_00#7&1a2b3c4d&0&0000#{guid}\\global";
    info.opencv_indices = {{OpenCvBackend::CAP_MSMF, 0}, {OpenCvBackend::CAP_DSHOW, 1}};
    return info;
}

void expect_same(const DeviceInfo& a, const DeviceInfo& b) {
    EXPECT_EQ(a.vid, b.vid);
    EXPECT_EQ(a.pid, b.pid);
    EXPECT_EQ(a.aux_flag_0, b.aux_flag_0);
    EXPECT_EQ(a.aux_flag_1, b.aux_flag_1);
    EXPECT_EQ(a.serial_number, b.serial_number);
    EXPECT_EQ(a.descriptor_text, b.descriptor_text);
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.aux_text, b.aux_text);
    EXPECT_EQ(a.device_path, b.device_path);
    EXPECT_EQ(a.opencv_indices, b.opencv_indices);
}

TEST(RecordsTest, DeviceInfoCopiesFieldByFieldAndMovesEmptyTheSource) {
    const DeviceInfo original = filled_device_info();
    DeviceInfo copy(original);
    expect_same(copy, original);

    DeviceInfo moved(std::move(copy));
    expect_same(moved, original);
    // NOLINTBEGIN(bugprone-use-after-move)
    EXPECT_TRUE(copy.serial_number.empty());
    EXPECT_TRUE(copy.device_path.empty());
    EXPECT_TRUE(copy.opencv_indices.empty());
    EXPECT_EQ(copy.vid, 0x0C45);  // numbers stay
    // NOLINTEND(bugprone-use-after-move)

    DeviceInfo assigned;
    assigned = std::move(moved);
    expect_same(assigned, original);
    EXPECT_TRUE(moved.name.empty());  // NOLINT(bugprone-use-after-move)
}

}  // namespace
}  // namespace velmora::uvc_stereo
