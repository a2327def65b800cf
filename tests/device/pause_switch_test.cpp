// The internal off switch of the device layer's fixed pauses.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "core/test_control.hpp"
#include "device/pause.hpp"
#include "support/pause_recorder.hpp"
#include "support/virtual_camera.hpp"
#include "support/virtual_camera_test.hpp"
#include "velmora/uvc_stereo/device.hpp"

namespace velmora::uvc_stereo {
namespace {

using std::chrono::milliseconds;

// Sets the switch for one test and puts the pauses back on afterwards.
class PausesSkipped {
public:
    explicit PausesSkipped(bool skipped) { test_control::set_pauses_skipped(skipped); }
    ~PausesSkipped() { test_control::set_pauses_skipped(false); }
    PausesSkipped(const PausesSkipped&) = delete;
    PausesSkipped& operator=(const PausesSkipped&) = delete;
};

TEST(PauseSwitchTest, DecidesWhetherAPauseSleeps) {
    EXPECT_FALSE(test_control::pauses_skipped()) << "pauses sleep unless a test says otherwise";
    struct Row {
        const char* label;
        bool skipped;
        milliseconds duration;
    };
    // A skipped pause of a day returns at once; if the switch failed, the test
    // would hang until its time limit instead of passing.
    const Row rows[] = {
        {"on", false, milliseconds(30)},
        {"skipped", true, std::chrono::hours(24)},
        {"on again after skipping", false, milliseconds(20)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        PausesSkipped pauses(row.skipped);
        EXPECT_EQ(test_control::pauses_skipped(), row.skipped);
        test_support::PauseRecorder recorder;
        const auto start = std::chrono::steady_clock::now();
        detail::pause_on_calling_thread(row.duration);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        // The observer hears of every pause, slept or not.
        EXPECT_EQ(recorder.pauses(), std::vector<milliseconds>{row.duration});
        if (!row.skipped) {
            EXPECT_GE(elapsed, row.duration);
        }
    }
    EXPECT_FALSE(test_control::pauses_skipped());
}

TEST(PauseSwitchTest, SkippedPausesKeepTheirPlaceInOperations) {
    test_support::load_cameras({test_support::VirtualCamera{}});
    PausesSkipped pauses(true);
    test_support::PauseRecorder recorder;
    Result<Device> opened = open_device(test_support::scanned_camera("cam"));
    ASSERT_TRUE(opened.ok()) << opened.status().message();
    ASSERT_TRUE(opened.value().read_json().ok());
    ASSERT_TRUE(opened.value().write_json("{\"a\": 1}").ok());
    EXPECT_EQ(recorder.pauses(), (std::vector<milliseconds>{detail::kFlashJsonPause, detail::kFlashJsonPause}));
}

}  // namespace
}  // namespace velmora::uvc_stereo
