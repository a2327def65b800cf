// The shared fixture's checks and the questions tests ask the SDK's state.
#include "support/virtual_camera_test.hpp"

#include <thread>
#include <vector>

#include "sonix_virtual/vcam_control.hpp"
#include "vendor/sonix_global_lock.hpp"
#include "velmora/uvc_stereo/scan.hpp"

namespace velmora::uvc_stereo::test_support {

bool vendor_lock_free() {
    bool available = false;
    std::thread probe([&] { available = win_detail::SonixGlobalLock::is_available_to_this_thread(); });
    probe.join();
    return available;
}

DeviceInfo scanned_camera(const std::string& serial_number) {
    const Result<std::vector<DeviceInfo>> scanned = scan_devices();
    EXPECT_TRUE(scanned.ok()) << scanned.status().message();
    if (scanned.ok()) {
        for (const DeviceInfo& info : scanned.value()) {
            if (info.serial_number == serial_number) return info;
        }
    }
    ADD_FAILURE() << "no scanned camera " << serial_number;
    return DeviceInfo{};
}

VirtualCameraTest::VirtualCameraTest() { vcam_clear_contract_violations(); }

void VirtualCameraTest::TearDown() {
    EXPECT_EQ(vcam_init_depth(), 0) << "SonixCam_Init left unbalanced";
    EXPECT_TRUE(vendor_lock_free()) << "vendor lock left held";
    EXPECT_EQ(vcam_contract_violation_count(), 0u) << sonix_virtual::describe_contract_violations();
    vcam_clear_faults();
    vcam_load_default_scenario();
}

}  // namespace velmora::uvc_stereo::test_support
