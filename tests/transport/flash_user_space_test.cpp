// The flash user space written and read as plain bytes, by the record
// writer's protocol, against a virtual camera.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/transport_camera.hpp"
#include "transport/flash_user_space.hpp"
#include "velmora/uvc_stereo/flash_record.hpp"
#include "velmora/uvc_stereo/flash_transport.hpp"

namespace velmora::uvc_stereo::transport_test {
namespace {

using detail::read_user_space;
using detail::write_user_space;

constexpr std::uint32_t kUserSpace = 0x51000;
constexpr std::uint32_t kSector = 4096;

std::vector<std::uint8_t> pattern(std::size_t size, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + 7 * i);
    return bytes;
}

// A camera whose first three sectors of user space hold zeros, so an erase
// and what it left blank can be seen.
void load_camera_with_zeroed_user_space() {
    load_camera();
    poke_flash(kCameraId, kUserSpace, std::vector<std::uint8_t>(3 * kSector, 0));
}

// Each logged call as "function(arguments) -> flag".
std::vector<std::string> call_trace() {
    std::vector<std::string> trace;
    for (const vcam_call& call : logged_calls()) {
        std::string line = std::string(call.function) + "(";
        for (std::uint32_t i = 0; i < call.arg_count; ++i) line += (i ? "," : "") + std::to_string(call.args[i]);
        trace.push_back(line + ") -> " + std::to_string(call.ok));
    }
    return trace;
}

using FlashUserSpaceTest = VcamTest;

TEST_F(FlashUserSpaceTest, BytesAreWrittenAsGivenAndReadBackAsStored) {
    struct Row {
        const char* label;
        std::vector<std::uint8_t> bytes;
        std::size_t sectors_erased;
    };
    const Row rows[] = {
        {"bytes that are no record", pattern(300, 0x11), 1},
        {"a record with a damaged magic", encode_record(0xDEADBEEF, 1, 16, 2, 0, bytes_of("{}")), 1},
        {"one byte", {0x5A}, 1},
        {"exactly one sector", pattern(kSector, 0x22), 1},
        {"one byte into a second sector", pattern(kSector + 1, 0x33), 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        load_camera_with_zeroed_user_space();
        const auto size = static_cast<std::uint32_t>(row.bytes.size());

        const Status written = write_user_space(FlashConfig(), row.bytes);
        ASSERT_TRUE(written.ok()) << written.message();
        EXPECT_EQ(peek_flash(kCameraId, kUserSpace, size), row.bytes);
        // The rest of the last erased sector is blank, the sector after it untouched.
        const std::uint32_t erased_end = kUserSpace + static_cast<std::uint32_t>(row.sectors_erased) * kSector;
        EXPECT_EQ(peek_flash(kCameraId, kUserSpace + size, erased_end - (kUserSpace + size)),
                  std::vector<std::uint8_t>(erased_end - (kUserSpace + size), 0xFF));
        EXPECT_EQ(peek_flash(kCameraId, erased_end, 1), std::vector<std::uint8_t>{0});
        EXPECT_EQ(vcam_count_calls("SonixCam_SectorEraseSF"), row.sectors_erased);
        EXPECT_EQ(vcam_flash_write_protected(kCameraId), 0);

        const Result<std::vector<std::uint8_t>> read = read_user_space(FlashConfig(), size);
        ASSERT_TRUE(read.ok()) << read.status().message();
        EXPECT_EQ(read.value(), row.bytes);
    }
}

TEST_F(FlashUserSpaceTest, TheRecordWriterIsTheRecordFollowedByTheRawWrite) {
    FlashBlob blob;
    blob.version = 3;
    blob.payload = bytes_of(std::string(5000, 'j'));  // two sectors
    const Result<FlashBlob> record = build_blob(blob.version, blob.payload, FlashConfig());
    ASSERT_TRUE(record.ok());

    ASSERT_TRUE(write_blob_to_device(FlashConfig(), blob).ok());
    const std::vector<std::string> by_record_writer = call_trace();
    const std::vector<std::uint8_t> stored = peek_flash(kCameraId, kUserSpace, 2 * kSector);

    load_camera();
    ASSERT_TRUE(write_user_space(FlashConfig(), record.value().raw).ok());
    EXPECT_EQ(call_trace(), by_record_writer);
    EXPECT_EQ(peek_flash(kCameraId, kUserSpace, 2 * kSector), stored);
}

TEST_F(FlashUserSpaceTest, AFaultInTheMiddleEndsTheWriteWithTheRecordWritersTexts) {
    struct Row {
        const char* label;
        std::function<void()> arm;
        ErrorCode code;
        std::string message;
        bool to_debugger;
        std::size_t writes;
    };
    const std::vector<std::uint8_t> bytes = pattern(2 * kSector + 1, 0x44);  // three sectors
    const Row rows[] = {
        {"status register refused", [] { vcam_fail_call("SonixCam_SetStatusRegBitWP", 1, 18); },
         ErrorCode::WriteFailed, "SonixCam_SetStatusRegBitWP failed: vendor_code=ecDisableWriteProtectFail(18)",
         false, 0},
        {"protection refused", [] { vcam_fail_call("SonixCam_SetWriteProtectedSF", 1, 18); },
         ErrorCode::WriteFailed, "SonixCam_SetWriteProtectedSF failed: vendor_code=ecDisableWriteProtectFail(18)",
         false, 0},
        {"second of three erases", [] { vcam_fail_call("SonixCam_SectorEraseSF", 2, 10); }, ErrorCode::EraseFailed,
         "SonixCam_SectorEraseSF failed: vendor_code=ecSectorEraseFail(10) (address=0x00052000, length=4096)", true,
         0},
        {"the write", [] { vcam_fail_call("SonixCam_WriteToSF", 1, 12); }, ErrorCode::WriteFailed,
         "SonixCam_WriteToSF failed: vendor_code=ecWriteFlashFail(12) (address=0x00051000, length=8193)", true, 1},
        {"unplugged before the write", [] { vcam_detach_at_call(kCameraId, "SonixCam_WriteToSF", 1); },
         ErrorCode::WriteFailed,
         "SonixCam_WriteToSF failed: vendor_code=ecDeviceDisconnect(7) (address=0x00051000, length=8193)", true, 1},
        {"the read-back", [] { vcam_fail_call("SonixCam_CstmReadFromSF", 1, 7); }, ErrorCode::ReadFailed,
         "SonixCam_CstmReadFromSF failed: vendor_code=ecDeviceDisconnect(7) (address=0x00051000, length=8193)", true,
         1},
        {"a byte that does not stick", [] { vcam_flash_set_stuck_byte(kCameraId, kUserSpace + 4100, 0x00); },
         ErrorCode::WriteFailed,
         "verify_after_write failed: readback mismatch at offset 0x1004 (expected=0x60, actual=0x00)", true, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        load_camera_with_zeroed_user_space();
        row.arm();
        DebugOutputCapture debugger;
        const Status status = write_user_space(FlashConfig(), bytes);
        EXPECT_EQ(status.code(), row.code);
        EXPECT_EQ(status.message(), row.message);
        const std::vector<std::string> reported =
            row.to_debugger ? std::vector<std::string>{row.message, "\n"} : std::vector<std::string>{};
        EXPECT_EQ(debugger.pieces(), reported);
        EXPECT_EQ(vcam_count_calls("SonixCam_WriteToSF"), row.writes);
        EXPECT_EQ(vcam_init_depth(), 0);
        EXPECT_TRUE(vendor_lock_free());

        // The next write of a healthy camera puts every byte in place.
        vcam_clear_faults();
        vcam_reattach_device(kCameraId);
        vcam_flash_clear_stuck_bytes(kCameraId);
        const Status again = write_user_space(FlashConfig(), bytes);
        ASSERT_TRUE(again.ok()) << again.message();
        EXPECT_EQ(peek_flash(kCameraId, kUserSpace, static_cast<std::uint32_t>(bytes.size())), bytes);
    }
}

TEST_F(FlashUserSpaceTest, ReadsTakeOneTransferWithinTheUserSpace) {
    const std::vector<std::uint8_t> stored = pattern(0x10000, 0x55);
    poke_flash(kCameraId, kUserSpace, stored);
    struct Row {
        const char* label;
        std::uint64_t length;
        std::size_t transfers;
    };
    const Row rows[] = {
        {"nothing", 0, 0},
        {"a header's worth", 16, 1},
        {"the whole user space", 0x10000, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        vcam_clear_call_log();
        const Result<std::vector<std::uint8_t>> read = read_user_space(FlashConfig(), row.length);
        ASSERT_TRUE(read.ok()) << read.status().message();
        EXPECT_EQ(read.value(), std::vector<std::uint8_t>(stored.begin(), stored.begin() + row.length));
        EXPECT_EQ(vcam_count_calls("SonixCam_CstmReadFromSF"), row.transfers);
    }

    const Result<std::vector<std::uint8_t>> beyond = read_user_space(FlashConfig(), 0x10001);
    EXPECT_EQ(beyond.status().code(), ErrorCode::InvalidArgument);
    EXPECT_EQ(beyond.status().message(),
              "Flash read range is outside Flash user space (address=0x00051000, length=65537, "
              "allowed=[0x00051000,0x61000))");
    EXPECT_EQ(write_user_space(FlashConfig(), {}).message(), "write payload is empty");
}

}  // namespace
}  // namespace velmora::uvc_stereo::transport_test
