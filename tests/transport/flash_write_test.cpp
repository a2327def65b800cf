// Writing the flash record to a virtual camera: record choice, protection,
// sector erases, the write and the read-back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/transport_camera.hpp"
#include "velmora/uvc_stereo/flash_record.hpp"
#include "velmora/uvc_stereo/flash_transport.hpp"

namespace velmora::uvc_stereo::transport_test {
namespace {

constexpr std::uint32_t kUserSpace = 0x51000;
constexpr std::uint32_t kMagic = 0x5A4F564B;

FlashBlob payload_blob(const std::string& text, std::uint16_t version = 0) {
    FlashBlob blob;
    blob.version = version;
    blob.payload = bytes_of(text);
    return blob;
}

std::vector<std::uint64_t> erased_sectors() {
    std::vector<std::uint64_t> sectors;
    for (const vcam_call& call : logged_calls_of("SonixCam_SectorEraseSF")) {
        EXPECT_EQ(call.args[1], 0x20u);
        sectors.push_back(call.args[0]);
    }
    return sectors;
}

using FlashWriteTest = VcamTest;

TEST_F(FlashWriteTest, RawRecordWinsOverPayload) {
    const std::vector<std::uint8_t> json = bytes_of("{\"a\":1}");
    FlashBlob blob = payload_blob("{\"ignored\":true}");
    blob.raw = encode_record(kMagic, 9, 16, static_cast<std::uint32_t>(json.size()), crc32_ieee(json), json);

    ASSERT_TRUE(write_blob_to_device(FlashConfig(), blob).ok());
    EXPECT_EQ(peek_flash(kCameraId, kUserSpace, static_cast<std::uint32_t>(blob.raw.size())), blob.raw);
}

TEST_F(FlashWriteTest, PayloadIsWrappedInABuiltRecordAndReadsBack) {
    const FlashBlob blob = payload_blob("{\"k\":[1,2]}", 0x0102);
    ASSERT_TRUE(write_blob_to_device(FlashConfig(), blob).ok());

    const std::vector<std::uint8_t> expected =
        encode_record(kMagic, 0x0102, 16, static_cast<std::uint32_t>(blob.payload.size()),
                      crc32_ieee(blob.payload), blob.payload);
    EXPECT_EQ(peek_flash(kCameraId, kUserSpace, static_cast<std::uint32_t>(expected.size())), expected);
    EXPECT_EQ(vcam_flash_write_protected(kCameraId), 0);  // released and left released

    const Result<FlashBlob> read = read_blob_from_device(FlashConfig());
    ASSERT_TRUE(read.ok()) << read.status().message();
    EXPECT_EQ(read.value().payload, blob.payload);
    EXPECT_EQ(read.value().version, 0x0102);
}

TEST_F(FlashWriteTest, InvalidRecordsNeverReachTheDevice) {
    struct Row {
        const char* name;
        FlashBlob blob;
        ErrorCode code;
        const char* message;
    };
    FlashBlob bad_magic;
    bad_magic.raw = encode_record(0x01020304, 0, 16, 0, 0, {});
    FlashBlob too_large = payload_blob(std::string(0x10000 - 15, 'x'));
    const Row rows[] = {
        {"nothing to write", FlashBlob(), ErrorCode::InvalidArgument, "blob is missing raw and payload for write"},
        {"raw with a bad magic", bad_magic, ErrorCode::BadMagic, "flash magic mismatch"},
        {"payload larger than the user space", too_large, ErrorCode::InvalidLength, "payload is too large"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        vcam_clear_call_log();
        const Status status = write_blob_to_device(FlashConfig(), row.blob);
        EXPECT_EQ(status.code(), row.code);
        EXPECT_EQ(status.message(), row.message);
        EXPECT_EQ(vcam_call_count(), 0u);
    }
}

TEST_F(FlashWriteTest, WholeSectorsAreErasedInAscendingOrder) {
    struct Row {
        const char* name;
        std::uint32_t sector_size;
        std::size_t payload_size;  // the record is 16 bytes longer
        std::vector<std::uint64_t> sectors;
    };
    const Row rows[] = {
        {"short record", 4096, 2, {0x51000}},
        {"exactly two sectors", 4096, 8192 - 16, {0x51000, 0x52000}},
        {"one byte into a third sector", 4096, 8192 - 15, {0x51000, 0x52000, 0x53000}},
        {"sector size 0 means 4096", 0, 4097 - 16, {0x51000, 0x52000}},
        {"smaller sectors", 2048, 4096 - 16, {0x51000, 0x51800}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        load_camera();
        FlashConfig config;
        config.flash_sector_size = row.sector_size;
        const Status status = write_blob_to_device(config, payload_blob(std::string(row.payload_size, 'p')));
        ASSERT_TRUE(status.ok()) << status.message();
        EXPECT_EQ(erased_sectors(), row.sectors);
    }
}

TEST_F(FlashWriteTest, ProtectionIsReleasedBeforeAnyEraseAndTheRecordWrittenOnce) {
    const FlashBlob blob = payload_blob("{}");
    ASSERT_TRUE(write_blob_to_device(FlashConfig(), blob).ok());

    std::vector<std::string> flash_calls;
    for (const std::string& name : logged_functions()) {
        if (name == "SonixCam_SetStatusRegBitWP" || name == "SonixCam_SetWriteProtectedSF" ||
            name == "SonixCam_SectorEraseSF" || name == "SonixCam_WriteToSF" || name == "SonixCam_CstmReadFromSF") {
            flash_calls.push_back(name);
        }
    }
    EXPECT_EQ(flash_calls, (std::vector<std::string>{"SonixCam_SetStatusRegBitWP", "SonixCam_SetWriteProtectedSF",
                                                     "SonixCam_SectorEraseSF", "SonixCam_WriteToSF",
                                                     "SonixCam_CstmReadFromSF"}));
    const vcam_call wp = logged_calls_of("SonixCam_SetStatusRegBitWP").at(0);
    EXPECT_EQ(std::vector<std::uint64_t>(wp.args, wp.args + wp.arg_count),
              (std::vector<std::uint64_t>{2, 5, 1, 6, 2, 3}));
    const vcam_call sf = logged_calls_of("SonixCam_SetWriteProtectedSF").at(0);
    EXPECT_EQ(std::vector<std::uint64_t>(sf.args, sf.args + sf.arg_count), (std::vector<std::uint64_t>{1, 1}));
    const vcam_call write = logged_calls_of("SonixCam_WriteToSF").at(0);
    EXPECT_EQ(write.args[0], kUserSpace);
    EXPECT_EQ(write.args[1], 18u);
}

TEST_F(FlashWriteTest, FailingSecondOfThreeErasesStopsBeforeTheWrite) {
    ASSERT_EQ(vcam_fail_call("SonixCam_SectorEraseSF", 2, 10), 0);
    DebugOutputCapture debugger;
    const Status status = write_blob_to_device(FlashConfig(), payload_blob(std::string(8192, 'e')));

    const std::string expected =
        "SonixCam_SectorEraseSF failed: vendor_code=ecSectorEraseFail(10) (address=0x00052000, length=4096)";
    EXPECT_EQ(status.code(), ErrorCode::EraseFailed);
    EXPECT_EQ(status.message(), expected);
    EXPECT_EQ(erased_sectors(), (std::vector<std::uint64_t>{0x51000, 0x52000}));
    EXPECT_EQ(vcam_count_calls("SonixCam_WriteToSF"), 0u);
    EXPECT_EQ(debugger.pieces(), (std::vector<std::string>{expected, "\n"}));
}

TEST_F(FlashWriteTest, WithoutVerificationNothingIsReadBack) {
    FlashConfig config;
    config.verify_after_write = false;
    ASSERT_TRUE(write_blob_to_device(config, payload_blob("{}")).ok());
    EXPECT_EQ(vcam_count_calls("SonixCam_CstmReadFromSF"), 0u);
    EXPECT_EQ(vcam_count_calls("SonixCam_WriteToSF"), 1u);
}

TEST_F(FlashWriteTest, ReadBackMismatchNamesTheFirstDifferingByte) {
    VirtualCamera camera = stereo_camera();
    camera.stuck_flash_bytes = {{kUserSpace + 5, 0xFF}};
    load_camera(camera);
    DebugOutputCapture debugger;

    // Byte 5 of the record is the version's high byte.
    const Status status = write_blob_to_device(FlashConfig(), payload_blob("{}", 0x3A00));
    const std::string expected =
        "verify_after_write failed: readback mismatch at offset 0x5 (expected=0x3A, actual=0xFF)";
    EXPECT_EQ(status.code(), ErrorCode::WriteFailed);
    EXPECT_EQ(status.message(), expected);
    EXPECT_EQ(debugger.pieces(), (std::vector<std::string>{expected, "\n"}));

    FlashConfig unverified;
    unverified.verify_after_write = false;
    EXPECT_TRUE(write_blob_to_device(unverified, payload_blob("{}", 0x3A00)).ok());
}

TEST_F(FlashWriteTest, UserSpaceAcrossTheTopOfTheAddressSpaceIsRefused) {
    FlashConfig config;
    config.flash_user_space_address = 0xFFFFF000;
    config.flash_user_space_size = 0x2000;
    const Status status = write_blob_to_device(config, payload_blob(std::string(0x1000, 'w')));
    EXPECT_EQ(status.code(), ErrorCode::InvalidArgument);
    EXPECT_EQ(status.message(),
              "Flash write range exceeds 32-bit Flash address space (address=0xFFFFF000, length=4112)");
    // Nothing may be erased: sector 0x100000000 would wrap round to address 0.
    EXPECT_EQ(vcam_count_calls("SonixCam_SectorEraseSF"), 0u);
    EXPECT_EQ(vcam_count_calls("SonixCam_SetStatusRegBitWP"), 0u);
}

}  // namespace
}  // namespace velmora::uvc_stereo::transport_test
