// Tests of interrupts during a flash write: SIGTERM or SIGINT sent while the
// write is slowed by the virtual camera's latency never cuts it in half.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <sonix_virtual/vcam_control.hpp>
#include <velmora/uvc_stereo/json.hpp>

#include "test_files.hpp"
#include "tool_runner.hpp"

#if !defined(_WIN32)
#include <csignal>
#endif

namespace velmora::stereo_tool {
namespace {

#if !defined(_WIN32)

using test_support::contains;
using test_support::run;

constexpr std::uint32_t kUserSpace = 0x51000;
constexpr unsigned kSlowCallUs = 150000;
const std::string kNewDocument = R"({"baseline_mm":63.25,"note":"after the interrupt"})";

// Sends signal_number once function has been called `after` times (never,
// when that does not happen within a generous time: the tool has stopped
// watching by then and the signal would end the test program).
class SignalAtCall {
public:
    SignalAtCall(const char* function, std::size_t after, int signal_number) {
        thread_ = std::thread([=] {
            const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (vcam_count_calls(function) < after && std::chrono::steady_clock::now() < give_up) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            if (vcam_count_calls(function) >= after) kill(getpid(), signal_number);
        });
    }
    ~SignalAtCall() { thread_.join(); }

private:
    std::thread thread_;
};

std::string stored_document(const std::string& id) {
    const auto header = sonix_virtual::flash_bytes(id, kUserSpace, 16);
    const std::uint32_t length = header[8] | header[9] << 8 | header[10] << 16 | static_cast<std::uint32_t>(header[11]) << 24;
    if (length > 0x10000) return "(no record)";
    const auto bytes = sonix_virtual::flash_bytes(id, kUserSpace + 16, length);
    return std::string(bytes.begin(), bytes.end());
}

class Interrupts : public ::testing::Test {
protected:
    void SetUp() override {
        vcam_load_default_scenario();
        old_document_ = stored_document("cam0");
        vcam_clear_call_log();
        for (const char* slow : {"SonixCam_SectorEraseSF", "SonixCam_WriteToSF", "SonixCam_CstmReadFromSF"}) {
            vcam_set_latency_us(slow, kSlowCallUs);
        }
    }
    void TearDown() override { vcam_load_default_scenario(); }

    std::string old_document_;
    test_support::TempFolder folder_;
};

TEST_F(Interrupts, ASignalDuringTheWriteLetsItFinish) {
    struct Row {
        const char* label;
        const char* at_call;  // the signal goes out once this call was made
        std::size_t after;
        int signal_number;
        int exit_status;
    };
    const std::vector<Row> rows = {
        {"SIGTERM as the write protection is released", "SonixCam_SetWriteProtectedSF", 1, SIGTERM, kExitTerminated},
        {"SIGTERM after the erase", "SonixCam_SectorEraseSF", 1, SIGTERM, kExitTerminated},
        {"Ctrl-C after the write, during the read-back", "SonixCam_WriteToSF", 1, SIGINT, kExitInterrupted},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        vcam_clear_call_log();
        const std::string backups = folder_.file(std::string("backups-") + std::to_string(row.signal_number) + row.at_call);
        test_support::ToolRun result;
        {
            const SignalAtCall signal(row.at_call, row.after, row.signal_number);
            result = run({"write-json", "--backup-dir", backups, "-"}, kNewDocument);
        }
        EXPECT_EQ(result.exit_code, row.exit_status) << result.err;
        // The whole new document, never a half-written one.
        EXPECT_EQ(stored_document("cam0"), kNewDocument);
        EXPECT_TRUE(contains(result.out, "verified: yes")) << result.out;
        EXPECT_TRUE(contains(result.err, "; the write was finished first.\n")) << result.err;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(backups), std::filesystem::directory_iterator()), 2)
            << "the backup and its sidecar exist";
        EXPECT_EQ(vcam_init_depth(), 0);
        // Back to the old document for the next row.
        vcam_load_default_scenario();
        for (const char* slow : {"SonixCam_SectorEraseSF", "SonixCam_WriteToSF", "SonixCam_CstmReadFromSF"}) {
            vcam_set_latency_us(slow, kSlowCallUs);
        }
    }
}

TEST_F(Interrupts, ASignalBeforeTheWriteLeavesTheOldDocument) {
    // The signal lands while the backup is being read (the open's probe is
    // the first flash read, the record's header the second): nothing is written.
    vcam_set_latency_us("SonixCam_CstmReadFromSF", 400000);
    test_support::ToolRun result;
    {
        const SignalAtCall signal("SonixCam_CstmReadFromSF", 2, SIGTERM);
        result = run({"write-json", "--backup-dir", folder_.file("b"), "-"}, kNewDocument);
    }
    EXPECT_EQ(result.exit_code, kExitTerminated) << result.err;
    EXPECT_TRUE(contains(result.err, "Stopped by SIGTERM before writing; the camera keeps what it held.")) << result.err;
    EXPECT_EQ(stored_document("cam0"), old_document_);
    EXPECT_EQ(vcam_count_calls("SonixCam_SectorEraseSF"), 0u);
}

TEST_F(Interrupts, ImuEndsOnSigtermLikeOnCtrlC) {
    vcam_load_default_scenario();
    test_support::ToolRun result;
    {
        const SignalAtCall signal("SonixCam_XuRead", 5, SIGTERM);
        result = run({"imu", "--seconds", "30", "--rate", "50", "--csv"});
    }
    EXPECT_EQ(result.exit_code, kExitTerminated) << result.err;
    EXPECT_TRUE(contains(result.err, "Interrupted by SIGTERM; the IMU session was closed.")) << result.err;
    EXPECT_TRUE(contains(result.err, "samples/s")) << result.err;
    EXPECT_EQ(vcam_init_depth(), 0);
}

#endif

}  // namespace
}  // namespace velmora::stereo_tool
