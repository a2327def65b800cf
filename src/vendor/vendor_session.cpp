// The vendor session and the Init it can hand off.
#include "vendor/vendor_session.hpp"

#include <utility>

#include "sonix_camera.h"
#include "vendor/vendor_status.hpp"

namespace velmora::uvc_stereo::win_detail {

VendorSession::VendorSession(const HeldVendorInit& held) noexcept : on_held_init_(held.holds()) {}

VendorSession::~VendorSession() {
    // The lock member is released after this body, so UnInit still runs under it.
    if (initialized_) (void)SonixCam_UnInit();
}

bool VendorSession::try_initialize() {
    if (!initialized()) initialized_ = SonixCam_Init();
    return initialized();
}

Status VendorSession::initialize(ErrorCode failure_code) {
    if (try_initialize()) return Status();
    return init_failure(failure_code);
}

Status VendorSession::init_failure(ErrorCode failure_code) {
    return make_vendor_status(failure_code, "SonixCam_Init", nullptr);
}

HeldVendorInit VendorSession::hand_off() noexcept { return HeldVendorInit(std::exchange(initialized_, false)); }

HeldVendorInit::~HeldVendorInit() { give_back(); }

HeldVendorInit::HeldVendorInit(HeldVendorInit&& other) noexcept : holds_(std::exchange(other.holds_, false)) {}

HeldVendorInit& HeldVendorInit::operator=(HeldVendorInit&& other) noexcept {
    if (this != &other) {
        give_back();
        holds_ = std::exchange(other.holds_, false);
    }
    return *this;
}

void HeldVendorInit::give_back() noexcept {
    if (!holds_) return;
    holds_ = false;
    const SonixGlobalLock lock;
    (void)SonixCam_UnInit();
}

}  // namespace velmora::uvc_stereo::win_detail
