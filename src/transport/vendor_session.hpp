// Pieces shared by the operations that bracket their vendor calls with
// SonixCam_Init and SonixCam_UnInit themselves.
#pragma once

#include "discovery/device_resolution.hpp"
#include "sonix_camera.h"

namespace velmora::uvc_stereo::detail {

// How an operation finds its camera in a fresh enumeration; the real one is
// win_detail::resolve_device_with_active_runtime. Tests substitute their own
// to drive the failure paths that the vendor library cannot provoke.
using DeviceResolver = Result<win_detail::EnumeratedDevice> (*)(const FlashConfig& config, bool with_opencv_indices);

// Balances a successful SonixCam_Init on every path out of a scope, unless
// the initialisation is handed on (an open IMU session keeps it).
class VendorInitGuard {
public:
    VendorInitGuard() = default;
    ~VendorInitGuard() {
        if (active_) (void)SonixCam_UnInit();
    }
    VendorInitGuard(const VendorInitGuard&) = delete;
    VendorInitGuard& operator=(const VendorInitGuard&) = delete;

    void arm() noexcept { active_ = true; }
    void hand_on() noexcept { active_ = false; }

private:
    bool active_ = false;
};

}  // namespace velmora::uvc_stereo::detail
