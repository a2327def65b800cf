// The tool's raw camera session runs under the core's lock and session rule.
#include <gtest/gtest.h>

#include <sonix_virtual/vcam_control.h>

#include <functional>
#include <thread>

#include <velmora/uvc_stereo/scan.hpp>

#include "camera/vendor_session.hpp"
#include "vendor/sonix_global_lock.hpp"

namespace velmora::stereo_tool {
namespace {

namespace uvc = velmora::uvc_stereo;

// The lock is re-entrant, so only another thread can tell whether it is held.
bool lock_free_to_another_thread() {
    bool free = false;
    std::thread probe([&] { free = uvc::win_detail::SonixGlobalLock::is_available_to_this_thread(); });
    probe.join();
    return free;
}

class ToolVendorSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        vcam_load_default_scenario();
        vcam_clear_call_log();
    }
    void TearDown() override {
        vcam_clear_faults();
        vcam_load_default_scenario();
    }
};

TEST_F(ToolVendorSessionTest, HoldsTheSdksLockAndOneInitForItsWholeLife) {
    const auto scanned = uvc::scan_devices();
    ASSERT_TRUE(scanned.ok());
    ASSERT_FALSE(scanned.value().empty());
    {
        VendorSession session;
        EXPECT_FALSE(lock_free_to_another_thread());
        ASSERT_TRUE(session.attach(scanned.value().front()).ok());
        EXPECT_TRUE(session.firmware_version().has_value());
        // An SDK call inside the session nests its own pair on the same lock.
        EXPECT_TRUE(uvc::scan_devices().ok());
        EXPECT_EQ(vcam_init_depth(), 1);
        EXPECT_FALSE(lock_free_to_another_thread());
    }
    EXPECT_TRUE(lock_free_to_another_thread());
    EXPECT_EQ(vcam_init_depth(), 0);
    EXPECT_EQ(vcam_count_calls("SonixCam_Init"), vcam_count_calls("SonixCam_UnInit"));
}

TEST_F(ToolVendorSessionTest, AttachFailuresCarryTheSdksTexts) {
    const auto scanned = uvc::scan_devices();
    ASSERT_TRUE(scanned.ok());
    ASSERT_FALSE(scanned.value().empty());
    const uvc::DeviceInfo camera = scanned.value().front();
    struct Row {
        const char* label;
        std::function<void()> arm;
        const char* message;
    };
    const Row rows[] = {
        {"Init refused", [] { vcam_fail_call("SonixCam_Init", 1, 2); },
         "SonixCam_Init failed: vendor_code=ecLibInitFail(2)"},
        {"camera unplugged", [] { vcam_fail_call("SonixCam_EnumCameras", 1, 4); },
         "the camera is no longer attached"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        vcam_clear_call_log();
        row.arm();
        {
            VendorSession session;
            EXPECT_EQ(session.attach(camera).message(), row.message);
        }
        // Balanced, and no UnInit for the Init that failed.
        EXPECT_EQ(vcam_init_depth(), 0);
        EXPECT_EQ(vcam_contract_violation_count(), 0u);
    }
}

}  // namespace
}  // namespace velmora::stereo_tool
