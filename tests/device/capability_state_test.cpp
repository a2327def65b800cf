// How open_device turns a capability probe into a flash layout and IMU transport.
#include <gtest/gtest.h>

#include <utility>

#include "device/capability_state.hpp"

namespace velmora::uvc_stereo {
namespace {

FlashConfig selection_for_test() {
    FlashConfig config;
    config.auto_select = false;
    config.vidpid = "0c450643";
    config.serial_number = "SN-1";
    config.device_path = "\\\\?\\usb#vid_0c45&pid_0643#sn-1";
    return config;
}

detail::XuCapabilityProbeResult failed_probe(ErrorCode code, const char* message) {
    detail::XuCapabilityProbeResult probe;
    probe.state = 1;
    probe.status = Status(code, message);
    return probe;
}

detail::XuCapabilityProbeResult report_probe(std::uint64_t bits) {
    CapabilityReport report;
    report.major_version = 1;
    report.capability_bits = bits;
    if (bits & CapabilityBits::Flash) report.flash = ReportedFlashInfo{0x80000, 0x2000};
    if (bits & CapabilityBits::Imu) {
        ReportedImuInfo imu;
        imu.model = "IMU-B";
        imu.xu_unit = 6;
        imu.xu_selector = 3;
        imu.xu_length = 20;
        imu.decimal_exponent = 3;
        imu.conversion = ImuConversionOptions{-1.5, 256.0, 4096.0, 32.8};
        report.imu = std::move(imu);
    }
    detail::XuCapabilityProbeResult probe;
    probe.state = 0;
    probe.report = std::move(report);
    return probe;
}

TEST(NotDeclaredStatusTest, NamesTheCapability) {
    const struct {
        const char* name;
        const char* expected;
    } rows[] = {
        {"IMU", "IMU is not supported on this device"},
        {"Flash", "valid capability XU report does not declare Flash"},
        {"imu", "valid capability XU report does not declare imu"},
        {nullptr, "valid capability XU report does not declare the requested capability"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name ? row.name : "null");
        const Status status = detail::make_not_declared_status(row.name);
        EXPECT_EQ(status.code(), ErrorCode::NotSupported);
        EXPECT_EQ(status.message(), row.expected);
    }
}

TEST(CapabilityStateTest, EveryFailedProbeFallsBackToTheLegacyLayout) {
    detail::XuCapabilityProbeResult zero_report =
        failed_probe(ErrorCode::BadMagic, "capability XU returned an all-zero report");
    detail::XuCapabilityProbeResult vendor_failure =
        failed_probe(ErrorCode::BackendError, "SonixCam_XuRead failed: vendor_code=ecGetKsControlFail(5)");
    detail::XuCapabilityProbeResult state_ok_without_report;
    state_ok_without_report.state = 0;
    std::pair<const char*, detail::XuCapabilityProbeResult*> rows[] = {
        {"all-zero report", &zero_report},
        {"vendor failure", &vendor_failure},
        {"success without a report", &state_ok_without_report},
    };
    for (auto& [name, probe] : rows) {
        SCOPED_TRACE(name);
        const detail::CapabilityState state = detail::build_capability_state(selection_for_test(), std::move(*probe));
        EXPECT_EQ(state.info.state, 2);
        EXPECT_FALSE(state.info.report.has_value());
        EXPECT_EQ(state.info.message, "Capability reporting is not supported on this device");
        EXPECT_EQ(state.flash_config.flash_user_space_address, 0x51000U);
        EXPECT_EQ(state.flash_config.flash_user_space_size, 4096U);
        EXPECT_EQ(state.flash_config.device_path, selection_for_test().device_path);
        EXPECT_FALSE(state.flash_config.auto_select);
        EXPECT_EQ(state.imu_transport.xu_unit, 4);
        EXPECT_EQ(state.imu_transport.xu_selector, 10);
        EXPECT_EQ(state.imu_transport.xu_length, 17);
        EXPECT_EQ(state.imu_transport.conversion.gyro_lsb_per_dps, 16.4);
        EXPECT_TRUE(state.flash_declared);
        EXPECT_TRUE(state.imu_declared);
    }
}

TEST(CapabilityStateTest, ReportSectionsDriveLayoutAndTransport) {
    const struct {
        const char* name;
        std::uint64_t bits;
        bool flash;
        bool imu;
    } rows[] = {
        {"flash and IMU", 6, true, true},
        {"flash only", 2, true, false},
        {"IMU only", 4, false, true},
        {"neither, other bits", 1 | 8 | 16, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const detail::CapabilityState state =
            detail::build_capability_state(selection_for_test(), report_probe(row.bits));
        EXPECT_EQ(state.info.state, 1);
        ASSERT_TRUE(state.info.report.has_value());
        EXPECT_EQ(state.info.report->capability_bits, row.bits);
        EXPECT_TRUE(state.info.message.empty());
        EXPECT_EQ(state.flash_declared, row.flash);
        EXPECT_EQ(state.imu_declared, row.imu);
        // Without a flash section the selection's (default) layout stays.
        EXPECT_EQ(state.flash_config.flash_user_space_address, row.flash ? 0x80000U : 0x51000U);
        EXPECT_EQ(state.flash_config.flash_user_space_size, row.flash ? 0x2000U : 0x10000U);
        EXPECT_EQ(state.flash_config.serial_number, "SN-1");
        EXPECT_EQ(state.imu_transport.xu_unit, row.imu ? 6 : 4);
        EXPECT_EQ(state.imu_transport.xu_selector, row.imu ? 3 : 10);
        EXPECT_EQ(state.imu_transport.xu_length, row.imu ? 20 : 17);
        EXPECT_EQ(state.imu_transport.conversion.temperature_offset_c, row.imu ? -1.5 : 25.0);
        EXPECT_EQ(state.imu_transport.conversion.accel_lsb_per_g, row.imu ? 4096.0 : 2048.0);
    }
}

}  // namespace
}  // namespace velmora::uvc_stereo
