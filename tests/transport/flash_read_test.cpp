// Reading the flash record, the probe read and the firmware version from a
// virtual camera.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "transport/firmware_version.hpp"
#include "support/transport_camera.hpp"
#include "velmora/uvc_stereo/flash_record.hpp"
#include "velmora/uvc_stereo/flash_transport.hpp"

namespace velmora::uvc_stereo::transport_test {
namespace {

constexpr std::uint32_t kUserSpace = 0x51000;
constexpr std::uint32_t kMagic = 0x5A4F564B;

std::vector<std::uint64_t> read_lengths() {
    std::vector<std::uint64_t> lengths;
    for (const vcam_call& call : logged_calls_of("SonixCam_CstmReadFromSF")) {
        EXPECT_EQ(call.args[0], kUserSpace);
        lengths.push_back(call.args[1]);
    }
    return lengths;
}

using FlashReadTest = VcamTest;

TEST_F(FlashReadTest, RecordReadsTakeOneOrTwoTransfers) {
    const std::vector<std::uint8_t> braces = bytes_of("{}");
    struct Row {
        const char* name;
        std::vector<std::uint8_t> flash;
        std::function<void(FlashConfig&)> adjust;
        ErrorCode code;
        std::string message;
        std::vector<std::uint64_t> reads;
    };
    const auto keep = [](FlashConfig&) {};
    const Row rows[] = {
        {"empty payload fits the preview", encode_record(kMagic, 3, 16, 0, 0, {}), keep, ErrorCode::Ok, "", {16}},
        {"two-byte payload needs the whole record", encode_record(kMagic, 3, 16, 2, crc32_ieee(braces), braces),
         keep, ErrorCode::Ok, "", {16, 18}},
        {"bad magic", encode_record(0x12345678, 3, 16, 2, crc32_ieee(braces), braces), keep, ErrorCode::BadMagic,
         "flash magic mismatch", {16}},
        {"erased flash", std::vector<std::uint8_t>(32, 0xFF), keep, ErrorCode::BadMagic, "flash magic mismatch", {16}},
        {"header size beyond the maximum", encode_record(kMagic, 3, 300, 2, crc32_ieee(braces), braces), keep,
         ErrorCode::InvalidHeader, "header_size out of range", {16}},
        {"preview shorter than a header", encode_record(kMagic, 3, 16, 2, crc32_ieee(braces), braces),
         [](FlashConfig& c) { c.min_header_size = 8; }, ErrorCode::InvalidHeader, "header preview is too short", {8}},
        {"total beyond the user space", encode_record(kMagic, 3, 16, 0x10000, 0, {}), keep, ErrorCode::InvalidLength,
         "flash header total length is invalid", {16}},
        {"crc of a longer record", encode_record(kMagic, 3, 16, 2, 0xDEADBEEF, braces), keep,
         ErrorCode::CrcMismatch, "crc32 mismatch", {16, 18}},
        // Any failure other than a bad header is judged again on a full read.
        {"crc of a record inside the preview", encode_record(kMagic, 3, 16, 0, 0xDEADBEEF, {}), keep,
         ErrorCode::CrcMismatch, "crc32 mismatch", {16, 16}},
        // The vendor library takes 32-bit addresses: a span past 4 GiB would wrap.
        {"preview past 4 GiB", encode_record(kMagic, 3, 16, 0, 0, {}),
         [](FlashConfig& c) { c.flash_user_space_address = 0xFFFFFFF8; }, ErrorCode::InvalidArgument,
         "Flash read range exceeds 32-bit Flash address space (address=0xFFFFFFF8, length=16)", {}},
        {"user space of size 0", encode_record(kMagic, 3, 16, 0, 0, {}),
         [](FlashConfig& c) { c.flash_user_space_size = 0; }, ErrorCode::InvalidArgument,
         "Flash read range is outside Flash user space (address=0x00051000, length=16, "
         "allowed=[0x00051000,0x51000))",
         {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        load_camera();
        poke_flash(kCameraId, kUserSpace, row.flash);
        FlashConfig config;
        row.adjust(config);

        const Result<FlashBlob> blob = read_blob_from_device(config);
        EXPECT_EQ(blob.status().code(), row.code);
        EXPECT_EQ(blob.status().message(), row.message);
        EXPECT_EQ(read_lengths(), row.reads);
        if (row.code == ErrorCode::Ok) {
            ASSERT_TRUE(blob.has_value());
            EXPECT_EQ(blob.value().version, 3);
            EXPECT_EQ(blob.value().raw, row.flash);
        }
        EXPECT_EQ(vcam_init_depth(), 0);
        EXPECT_EQ(vcam_count_calls("SonixCam_UnInit"), 1u);
    }
}

TEST_F(FlashReadTest, FailedPreviewReadNamesTheRangeAndReachesTheDebugger) {
    poke_flash(kCameraId, kUserSpace, encode_record(kMagic, 0, 16, 0, 0, {}));
    ASSERT_EQ(vcam_fail_call("SonixCam_CstmReadFromSF", 1, kInjectedCode), 0);
    DebugOutputCapture debugger;

    const Result<FlashBlob> blob = read_blob_from_device(FlashConfig());
    const std::string expected =
        "SonixCam_CstmReadFromSF failed: vendor_code=ecDeviceDisconnect(7) (address=0x00051000, length=16)";
    EXPECT_EQ(blob.status().code(), ErrorCode::ReadFailed);
    EXPECT_EQ(blob.status().message(), expected);
    EXPECT_EQ(debugger.pieces(), (std::vector<std::string>{expected, "\n"}));
}

TEST_F(FlashReadTest, ProbeReadsOneByteAtTheStartOfTheUserSpace) {
    EXPECT_TRUE(probe_flash_transport(FlashConfig()).ok());
    EXPECT_EQ(read_lengths(), std::vector<std::uint64_t>{1});
    EXPECT_EQ(vcam_count_calls("SonixCam_SetNodeID"), 0u);  // flash needs no extension unit
}

TEST_F(FlashReadTest, SessionFailuresBeforeAnyTransfer) {
    struct Row {
        const char* name;
        VirtualCamera camera;
        std::function<void(FlashConfig&)> adjust;
        ErrorCode code;
        std::string message;
    };
    VirtualCamera no_flash = stereo_camera();
    no_flash.serial_flash_type = 0;
    const Row rows[] = {
        {"flash type unknown", no_flash, [](FlashConfig&) {}, ErrorCode::DeviceUnavailable,
         "SonixCam_GetSerialFlashType returned SF_UNKNOW"},
        {"device path not attached", stereo_camera(), [](FlashConfig& c) { c.device_path = "\\\\?\\usb#other"; },
         ErrorCode::DeviceUnavailable, "preferred device_path not found in current scan"},
        {"no selector", stereo_camera(), [](FlashConfig& c) { c.auto_select = false; }, ErrorCode::DeviceUnavailable,
         "no device selector available (check config.vidpid or auto_select filter)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        load_camera(row.camera);
        FlashConfig config;
        row.adjust(config);
        const Status probe = probe_flash_transport(config);
        EXPECT_EQ(probe.code(), row.code);
        EXPECT_EQ(probe.message(), row.message);
        EXPECT_EQ(vcam_count_calls("SonixCam_CstmReadFromSF"), 0u);
        EXPECT_EQ(vcam_count_calls("SonixCam_UnInit"), 1u);
        EXPECT_EQ(vcam_init_depth(), 0);
    }
}

TEST_F(FlashReadTest, FirmwareVersionIsTrimmedAtTheEndOnly) {
    struct Row {
        std::string reported;
        ErrorCode code;
        std::string expected;
    };
    const Row rows[] = {
        {"  v1.2.3 \r\n", ErrorCode::Ok, "  v1.2.3"},
        {"v2\t\t", ErrorCode::Ok, "v2"},
        {"v3\x01", ErrorCode::Ok, "v3\x01"},  // other control characters stay
        {"    ", ErrorCode::ReadFailed, "SonixCam_GetVersion returned empty firmware version"},
        {"", ErrorCode::ReadFailed, "SonixCam_GetVersion returned empty firmware version"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << '"' << row.reported << '"');
        VirtualCamera camera = stereo_camera();
        camera.firmware = row.reported;
        load_camera(camera);
        const Result<std::string> version = detail::read_firmware_version_from_device(FlashConfig());
        EXPECT_EQ(version.status().code(), row.code);
        if (row.code == ErrorCode::Ok) {
            EXPECT_EQ(version.value(), row.expected);
        } else {
            EXPECT_EQ(version.status().message(), row.expected);
        }
        EXPECT_EQ(vcam_init_depth(), 0);
    }
}

}  // namespace
}  // namespace velmora::uvc_stereo::transport_test
