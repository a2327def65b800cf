// The bracket around every use of the vendor library: the process-wide lock,
// SonixCam_Init, and SonixCam_UnInit when (and only when) the Init succeeded.
#pragma once

#include "vendor/sonix_global_lock.hpp"
#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo::win_detail {

class HeldVendorInit;

// One operation's session with the vendor library. The lock is taken when the
// session is made and released when it ends; an Init that succeeded is
// balanced by SonixCam_UnInit before the lock goes, on every way out,
// exceptions included. An Init that failed is never balanced: the library
// did not count it. Neither copied nor moved: it lives in one scope. Every
// vendor call (vendor/vendor_calls.hpp) takes the session it runs in.
class VendorSession {
public:
    VendorSession() = default;
    // A session on an Init that a holder keeps outstanding (an open IMU
    // session): the lock is taken, and the session neither initialises nor
    // uninitialises the library itself.
    explicit VendorSession(const HeldVendorInit& held) noexcept;
    ~VendorSession();
    VendorSession(const VendorSession&) = delete;
    VendorSession& operator=(const VendorSession&) = delete;
    VendorSession(VendorSession&&) = delete;
    VendorSession& operator=(VendorSession&&) = delete;

    // SonixCam_Init; true when it succeeded. At most once per session; a
    // session on a held Init is initialised already.
    bool try_initialize();

    // SonixCam_Init; a failure is init_failure(failure_code).
    Status initialize(ErrorCode failure_code);

    // The status of a failed SonixCam_Init: failure_code with the vendor's
    // text for "SonixCam_Init", read from the library-wide code.
    static Status init_failure(ErrorCode failure_code);

    bool initialized() const noexcept { return initialized_ || on_held_init_; }

    // Gives the outstanding Init to a holder that outlives the session (an
    // open IMU session): the session then ends without SonixCam_UnInit. Only
    // after a successful Init.
    HeldVendorInit hand_off() noexcept;

private:
    SonixGlobalLock lock_;  // declared first, so it is released last
    bool initialized_ = false;    // by this session's own SonixCam_Init
    bool on_held_init_ = false;   // runs on a held Init
};

// An Init handed off by a session: it stays outstanding until the holder is
// destroyed, which then calls SonixCam_UnInit under the lock. Move-only; a
// moved-from holder gives nothing back.
class HeldVendorInit {
public:
    HeldVendorInit() = default;
    ~HeldVendorInit();
    HeldVendorInit(HeldVendorInit&& other) noexcept;
    HeldVendorInit& operator=(HeldVendorInit&& other) noexcept;
    HeldVendorInit(const HeldVendorInit&) = delete;
    HeldVendorInit& operator=(const HeldVendorInit&) = delete;

    bool holds() const noexcept { return holds_; }

private:
    friend class VendorSession;
    explicit HeldVendorInit(bool holds) noexcept : holds_(holds) {}
    void give_back() noexcept;

    bool holds_ = false;
};

}  // namespace velmora::uvc_stereo::win_detail
