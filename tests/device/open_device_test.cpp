// open_device against virtual cameras: refusals, legacy and reported layouts,
// required capabilities.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "device/device_impl.hpp"
#include "support/pause_recorder.hpp"
#include "support/call_log.hpp"
#include "support/virtual_camera.hpp"
#include "support/virtual_camera_test.hpp"
#include "support/virtual_flash.hpp"
#include "velmora/uvc_stereo/device.hpp"

namespace velmora::uvc_stereo {
namespace {

using OpenDeviceTest = test_support::VirtualCameraTest;

using test_support::VirtualCamera;

OpenDeviceOptions requiring(std::uint32_t bits) {
    OpenDeviceOptions options;
    options.required_capabilities = bits;
    return options;
}

TEST_F(OpenDeviceTest, RefusesBadRequestsBeforeAnyDeviceAccess) {
    test_support::load_cameras({VirtualCamera{}});
    const DeviceInfo attached = test_support::scanned_camera("cam");
    DeviceInfo foreign = attached;
    foreign.pid = 0x1234;
    DeviceInfo no_vid = attached;
    no_vid.vid = 0;
    DeviceInfo no_pid = attached;
    no_pid.pid = 0;

    const struct {
        const char* name;
        DeviceInfo device;
        std::uint32_t required;
        ErrorCode code;
        const char* message;
    } rows[] = {
        {"unknown bit on a foreign model", foreign, 8, ErrorCode::InvalidArgument,
         "open_device required_capabilities contains unknown bits"},
        {"unknown bit beside known ones", attached, 1 | 16, ErrorCode::InvalidArgument,
         "open_device required_capabilities contains unknown bits"},
        {"vendor id zero", no_vid, 1, ErrorCode::InvalidArgument, "selected device has invalid vid/pid"},
        {"product id zero", no_pid, 0, ErrorCode::InvalidArgument, "selected device has invalid vid/pid"},
        {"not whitelisted", foreign, 1, ErrorCode::NotSupported,
         "selected device vid/pid is not in the scan whitelist"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        test_support::clear_calls();
        const Result<Device> opened = open_device(row.device, requiring(row.required));
        EXPECT_EQ(opened.status().code(), row.code);
        EXPECT_EQ(opened.status().message(), row.message);
        EXPECT_FALSE(opened.has_value());
        EXPECT_EQ(test_support::total_calls(), 0U);
    }
}

TEST_F(OpenDeviceTest, ImuOnlyRequirementNeverTouchesTheFlash) {
    test_support::load_cameras({VirtualCamera{}});
    test_support::clear_calls();
    Result<Device> opened = open_device(test_support::scanned_camera("cam"), requiring(2));
    ASSERT_TRUE(opened.ok()) << opened.status().message();
    EXPECT_EQ(test_support::calls_of("SonixCam_GetSerialFlashType"), 0U);
    EXPECT_EQ(test_support::calls_of("SonixCam_CstmReadFromSF"), 0U);
    EXPECT_EQ(test_support::calls_of("SonixCam_XuRead"), 1U);  // the capability report only
    EXPECT_FALSE(opened.value().has_flash_transport());
    EXPECT_FALSE(opened.value().has_imu_transport());
}

TEST_F(OpenDeviceTest, LegacyCameraGetsTheLegacyLayout) {
    VirtualCamera legacy;
    legacy.legacy = true;
    test_support::load_cameras({legacy});
    const DeviceInfo scanned = test_support::scanned_camera("cam");
    test_support::clear_calls();
    Result<Device> opened = open_device(scanned);
    ASSERT_TRUE(opened.ok()) << opened.status().message();
    const Device& device = opened.value();

    EXPECT_EQ(device.capability_info().state, 2);
    EXPECT_FALSE(device.capability_info().report.has_value());
    EXPECT_EQ(device.capability_info().message, "Capability reporting is not supported on this device");
    EXPECT_TRUE(device.has_flash_transport());
    EXPECT_EQ(device.info().serial_number, scanned.serial_number);

    const Device::Impl* impl = detail::DeviceAccess::impl(device);
    ASSERT_NE(impl, nullptr);
    EXPECT_EQ(impl->flash_config.flash_user_space_address, 0x51000U);
    EXPECT_EQ(impl->flash_config.flash_user_space_size, 4096U);
    EXPECT_EQ(impl->flash_config.device_path, scanned.device_path);
    EXPECT_FALSE(impl->flash_config.auto_select);
    EXPECT_EQ(impl->imu_transport.xu_unit, 4);
    EXPECT_EQ(impl->imu_transport.xu_selector, 10);
    EXPECT_EQ(impl->imu_transport.xu_length, 17);
    EXPECT_TRUE(impl->flash_declared);
    EXPECT_TRUE(impl->imu_declared);
    EXPECT_EQ(impl->verified_capabilities, 1U);

    // The flash check is one one-byte read at the start of the user space.
    const auto reads = test_support::arguments_of("SonixCam_CstmReadFromSF");
    ASSERT_EQ(reads.size(), 1U);
    EXPECT_EQ(reads[0].at(0), 0x51000U);
    EXPECT_EQ(reads[0].at(1), 1U);
}

TEST_F(OpenDeviceTest, ReportWithoutFlashOpensOnlyWhenFlashIsNotRequired) {
    VirtualCamera camera;
    camera.report_flash = false;
    camera.json_text.clear();
    test_support::load_cameras({camera});
    const DeviceInfo scanned = test_support::scanned_camera("cam");

    const struct {
        std::uint32_t required;
        bool opens;
    } rows[] = {{0, true}, {2, true}, {1, false}, {4, false}, {5, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.required);
        test_support::clear_calls();
        const Result<Device> opened = open_device(scanned, requiring(row.required));
        EXPECT_EQ(test_support::calls_of("SonixCam_CstmReadFromSF"), 0U);
        if (row.opens) {
            ASSERT_TRUE(opened.ok()) << opened.status().message();
            EXPECT_EQ(opened.value().capability_info().state, 1);
            EXPECT_FALSE(opened.value().has_flash_transport());
        } else {
            EXPECT_EQ(opened.status().code(), ErrorCode::NotSupported);
            EXPECT_EQ(opened.status().message(), "valid capability XU report does not declare Flash");
        }
    }
}

TEST_F(OpenDeviceTest, JsonRequirementReadsTheRecordInsteadOfProbing) {
    VirtualCamera camera;
    camera.flash_address = 0x60000;
    camera.flash_size = 0x2000;
    camera.json_text = "{ \"baseline_mm\" : 60.0 }";
    test_support::load_cameras({camera});
    test_support::PauseRecorder pauses;
    test_support::clear_calls();
    Result<Device> opened = open_device(test_support::scanned_camera("cam"), requiring(5));
    ASSERT_TRUE(opened.ok()) << opened.status().message();

    const Device::Impl* impl = detail::DeviceAccess::impl(opened.value());
    ASSERT_NE(impl, nullptr);
    EXPECT_EQ(impl->verified_capabilities, 5U);
    EXPECT_TRUE(opened.value().has_flash_transport());
    EXPECT_EQ(impl->flash_config.flash_user_space_address, 0x60000U);
    EXPECT_EQ(impl->flash_config.flash_user_space_size, 0x2000U);
    ASSERT_TRUE(opened.value().capability_info().report.has_value());
    EXPECT_EQ(opened.value().capability_info().report->capability_bits & 6U, 6U);

    // A header preview and the whole record, both at the reported address;
    // no separate one-byte probe.
    const auto reads = test_support::arguments_of("SonixCam_CstmReadFromSF");
    ASSERT_EQ(reads.size(), 2U);
    EXPECT_EQ(reads[0].at(0), 0x60000U);
    EXPECT_EQ(reads[0].at(1), 16U);
    EXPECT_EQ(reads[1].at(1), 16U + camera.json_text.size());
    EXPECT_EQ(pauses.pauses(), std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(100)});
}

TEST_F(OpenDeviceTest, JsonRequirementFailsOnAPayloadThatIsNotJson) {
    VirtualCamera camera;
    camera.json_text.clear();
    test_support::load_cameras({camera});
    test_support::poke_flash("cam", 0x51000, test_support::flash_record("calibration: none", 0));
    const DeviceInfo scanned = test_support::scanned_camera("cam");

    const Result<Device> strict = open_device(scanned, requiring(4));
    EXPECT_EQ(strict.status().code(), ErrorCode::InvalidJson);
    EXPECT_EQ(strict.status().message(), "invalid JSON value at offset 0");
    // The record itself is sound, so the plain flash check passes.
    EXPECT_TRUE(open_device(scanned, requiring(1)).ok());
}

TEST_F(OpenDeviceTest, FlashChecksPassTheirFailuresOnUnchanged) {
    const std::vector<std::uint8_t> record = test_support::flash_record("{\"cal\":1}", 0);
    std::vector<std::uint8_t> bad_magic = record;
    bad_magic[0] ^= 0xFF;
    // The header (and so the CRC) of {"cal":1} before the payload {"cal":2}.
    // (Flipping a byte of a copy of the record instead makes GCC 12 at -O3
    // warn of a write before the buffer.)
    constexpr std::size_t kHeaderSize = 16;
    std::vector<std::uint8_t> bad_crc = test_support::flash_record("{\"cal\":2}", 0);
    std::copy(record.begin(), record.begin() + kHeaderSize, bad_crc.begin());
    const struct {
        const char* name;
        std::uint32_t required;
        const char* failing_call;  // null: none
        std::vector<std::uint8_t> stored;
        ErrorCode code;
        const char* message;
    } rows[] = {
        {"flash type query fails", 1, "SonixCam_GetSerialFlashType", record, ErrorCode::DeviceUnavailable,
         "SonixCam_GetSerialFlashType failed: vendor_code=ecWriteFlashFail(12)"},
        {"one-byte read fails", 1, "SonixCam_CstmReadFromSF", record, ErrorCode::ReadFailed,
         "SonixCam_CstmReadFromSF failed: vendor_code=ecWriteFlashFail(12) (address=0x00051000, length=1)"},
        {"bad magic", 4, nullptr, bad_magic, ErrorCode::BadMagic, "flash magic mismatch"},
        {"bad CRC", 4, nullptr, bad_crc, ErrorCode::CrcMismatch, "crc32 mismatch"},
        {"bad CRC with the flash bit too", 5, nullptr, bad_crc, ErrorCode::CrcMismatch, "crc32 mismatch"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        VirtualCamera camera;
        camera.json_text.clear();
        test_support::load_cameras({camera});
        test_support::poke_flash("cam", 0x51000, row.stored);
        const DeviceInfo scanned = test_support::scanned_camera("cam");
        if (row.failing_call != nullptr) {
            ASSERT_EQ(vcam_fail_call(row.failing_call, 1, 12), 0);
        }
        const Result<Device> opened = open_device(scanned, requiring(row.required));
        EXPECT_EQ(opened.status().code(), row.code);
        EXPECT_EQ(opened.status().message(), row.message);
        EXPECT_FALSE(opened.has_value());
    }
}

}  // namespace
}  // namespace velmora::uvc_stereo
