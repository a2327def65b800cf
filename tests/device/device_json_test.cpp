// Device::read_json and write_json against virtual cameras.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "support/pause_recorder.hpp"
#include "support/call_log.hpp"
#include "support/virtual_camera.hpp"
#include "support/virtual_camera_test.hpp"
#include "support/virtual_flash.hpp"
#include "velmora/uvc_stereo/device.hpp"

namespace velmora::uvc_stereo {
namespace {

using DeviceJsonTest = test_support::VirtualCameraTest;

using test_support::VirtualCamera;

Device open_camera(const std::string& id, std::uint32_t required = 1) {
    OpenDeviceOptions options;
    options.required_capabilities = required;
    Result<Device> opened = open_device(test_support::scanned_camera(id), options);
    EXPECT_TRUE(opened.ok()) << opened.status().message();
    return std::move(opened.value());
}

std::uint32_t le32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

TEST_F(DeviceJsonTest, WriteStoresTheMinifiedRecordAndReadReturnsIt) {
    test_support::load_cameras({VirtualCamera{}});
    Device device = open_camera("cam");
    const std::string minified = "{\"rig\":\"stereo\",\"baseline\":[60.0,0.1],\"ok\":true}";
    test_support::PauseRecorder pauses;

    ASSERT_TRUE(device.write_json("\n {  \"rig\" : \"stereo\" ,\t\"baseline\" : [ 60.0 , 0.1 ] , \"ok\" : true }  ").ok());
    const std::vector<std::uint8_t> stored = test_support::peek_flash("cam", 0x51000, 16 + minified.size());
    EXPECT_EQ(le32(stored, 0), 0x5A4F564BU);
    EXPECT_EQ(stored[4] | stored[5] << 8, 0);   // version
    EXPECT_EQ(stored[6] | stored[7] << 8, 16);  // header size
    EXPECT_EQ(le32(stored, 8), minified.size());
    EXPECT_EQ(std::string(stored.begin() + 16, stored.end()), minified);

    const Result<ReadJsonResult> read = device.read_json();
    ASSERT_TRUE(read.ok()) << read.status().message();
    EXPECT_EQ(read.value().json, minified);
    EXPECT_EQ(read.value().version, 0);
    const std::vector<std::chrono::milliseconds> expected(2, std::chrono::milliseconds(100));
    EXPECT_EQ(pauses.pauses(), expected);
    EXPECT_EQ(pauses.pauses_under_vendor_lock(), 0U);
}

// The pause follows only a transfer that worked; a failure that reached the
// camera returns at once.
TEST_F(DeviceJsonTest, FailuresThatReachedTheCameraTakeNoPause) {
    const struct {
        const char* name;
        bool write;
        const char* failing_call;  // null: none
        bool corrupt_record;
    } rows[] = {
        {"read fails", false, "SonixCam_CstmReadFromSF", false},
        {"record fails its CRC", false, nullptr, true},
        {"erase fails", true, "SonixCam_SectorEraseSF", false},
        {"write fails", true, "SonixCam_WriteToSF", false},
        {"read-back fails", true, "SonixCam_CstmReadFromSF", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        test_support::load_cameras({VirtualCamera{}});
        Device device = open_camera("cam", 0);
        if (row.corrupt_record) test_support::poke_flash("cam", 0x51000 + 16, {'['});
        if (row.failing_call != nullptr) {
            ASSERT_EQ(vcam_fail_call(row.failing_call, 1, 12), 0);
        }
        test_support::clear_calls();
        test_support::PauseRecorder pauses;
        const Status status = row.write ? device.write_json("{\"k\":2}") : device.read_json().status();
        EXPECT_FALSE(status.ok());
        EXPECT_GT(test_support::calls_of("SonixCam_CstmReadFromSF") + test_support::calls_of("SonixCam_SectorEraseSF"), 0U);
        EXPECT_TRUE(pauses.pauses().empty());
    }
}

TEST_F(DeviceJsonTest, ReadMinifiesARecordWrittenElsewhereAndKeepsItsVersion) {
    VirtualCamera camera;
    camera.json_text.clear();
    test_support::load_cameras({camera});
    test_support::poke_flash("cam", 0x51000, test_support::flash_record("{ \"a\" : [ 1 , 2 ] }", 7));
    Device device = open_camera("cam", 0);
    const Result<ReadJsonResult> read = device.read_json();
    ASSERT_TRUE(read.ok()) << read.status().message();
    EXPECT_EQ(read.value().json, "{\"a\":[1,2]}");
    EXPECT_EQ(read.value().version, 7);
}

TEST_F(DeviceJsonTest, RejectedTextWritesNothing) {
    test_support::load_cameras({VirtualCamera{}});
    Device device = open_camera("cam");
    const std::vector<std::uint8_t> before = test_support::peek_flash("cam", 0x51000, 64);

    const struct {
        const char* name;
        std::string text;
        const char* message;
    } rows[] = {
        {"empty", "", "json text is empty"},
        {"blanks only", "   ", "invalid JSON value at offset 3"},
        {"trailing comma", "[1,]", "invalid JSON value at offset 3"},
        {"two values", "{} {}", "unexpected trailing characters at offset 3"},
    };
    test_support::PauseRecorder pauses;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        test_support::clear_calls();
        const Status written = device.write_json(row.text);
        EXPECT_EQ(written.code(), ErrorCode::InvalidJson);
        EXPECT_EQ(written.message(), row.message);
        EXPECT_EQ(test_support::total_calls(), 0U);
    }
    EXPECT_EQ(test_support::peek_flash("cam", 0x51000, 64), before);
    EXPECT_TRUE(pauses.pauses().empty());
}

TEST_F(DeviceJsonTest, LegacyCameraUsesItsFourKilobyteSpace) {
    VirtualCamera legacy;
    legacy.legacy = true;
    test_support::load_cameras({legacy});
    Device device = open_camera("cam");

    // 16 header bytes plus 4080 payload bytes fill the space exactly.
    const std::string fits = "\"" + std::string(4078, 'x') + "\"";
    ASSERT_TRUE(device.write_json(fits).ok());
    EXPECT_EQ(test_support::calls_of("SonixCam_SectorEraseSF"), 1U);
    const Result<ReadJsonResult> read = device.read_json();
    ASSERT_TRUE(read.ok()) << read.status().message();
    EXPECT_EQ(read.value().json, fits);
    const std::vector<std::uint8_t> header = test_support::peek_flash("cam", 0x51000, 16);
    EXPECT_EQ(le32(header, 8), fits.size());

    test_support::clear_calls();
    const Status too_large = device.write_json("\"" + std::string(4079, 'x') + "\"");
    EXPECT_EQ(too_large.code(), ErrorCode::InvalidLength);
    EXPECT_EQ(too_large.message(), "payload is too large");
    EXPECT_EQ(test_support::total_calls(), 0U);
}

TEST_F(DeviceJsonTest, BothCallsRefusedWhileTheImuIsOpenEvenWithoutFlash) {
    VirtualCamera with_flash("flash");
    VirtualCamera imu_only("imu-only");
    imu_only.report_flash = false;
    imu_only.json_text.clear();
    test_support::load_cameras({with_flash, imu_only});

    for (const char* id : {"flash", "imu-only"}) {
        SCOPED_TRACE(id);
        Device device = open_camera(id, 0);
        ASSERT_TRUE(device.open_imu().ok());
        test_support::clear_calls();
        EXPECT_EQ(device.read_json().status().message(), "IMU must be closed before flash JSON access");
        const Status written = device.write_json("{}");
        EXPECT_EQ(written.code(), ErrorCode::InvalidArgument);
        EXPECT_EQ(written.message(), "IMU must be closed before flash JSON access");
        EXPECT_EQ(test_support::total_calls(), 0U);
        ASSERT_TRUE(device.close_imu().ok());
    }
    Device reopened = open_camera("flash", 0);
    ASSERT_TRUE(reopened.open_imu().ok());
    ASSERT_TRUE(reopened.close_imu().ok());
    EXPECT_TRUE(reopened.read_json().ok());
}

}  // namespace
}  // namespace velmora::uvc_stereo
