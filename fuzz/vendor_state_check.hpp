// After a fuzz input has run its camera operations: no vendor session left
// open and the process-wide vendor lock free.
#pragma once

#include <string>
#include <thread>

#include "property_check.hpp"
#include "sonix_virtual/vcam_control.h"
#include "transport/vendor/sonix_global_lock.hpp"

namespace velmora::uvc_stereo::fuzzing {

// open_sessions: IMU sessions still open, each holding one Init.
inline void require_vendor_idle(int open_sessions = 0) {
    require(vcam_init_depth() == open_sessions, "every vendor Init is balanced",
            "Init depth " + std::to_string(vcam_init_depth()) + ", open IMU sessions " + std::to_string(open_sessions));
    // The lock is re-entrant, so only another thread can tell whether it is held.
    bool available = false;
    std::thread probe([&available] { available = win_detail::SonixGlobalLock::is_available_to_this_thread(); });
    probe.join();
    require(available, "the vendor lock is free");
}

}  // namespace velmora::uvc_stereo::fuzzing
