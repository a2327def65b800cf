// After a fuzz input has run its camera operations: no vendor session left
// open and the process-wide vendor lock free.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "property_check.hpp"
#include "sonix_virtual/vcam_control.h"
#include "vendor/sonix_global_lock.hpp"

namespace velmora::uvc_stereo::fuzzing {

// Whether the vendor lock is free, asked on a thread of its own: the lock is
// re-entrant, so only another thread can tell. One thread serves every
// question; a thread per question would pile up the address sanitizer's
// records of finished threads until a long campaign ran out of memory.
class VendorLockProbe {
public:
    static bool lock_is_free() {
        static VendorLockProbe probe;
        return probe.ask();
    }

    VendorLockProbe(const VendorLockProbe&) = delete;
    VendorLockProbe& operator=(const VendorLockProbe&) = delete;

private:
    VendorLockProbe() : worker_([this] { serve(); }) {}
    ~VendorLockProbe() {
        {
            const std::lock_guard<std::mutex> guard(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        worker_.join();
    }

    bool ask() {
        std::unique_lock<std::mutex> lock(mutex_);
        asked_ = true;
        answered_ = false;
        changed_.notify_all();
        changed_.wait(lock, [this] { return answered_; });
        return answer_;
    }

    void serve() {
        std::unique_lock<std::mutex> lock(mutex_);
        while (true) {
            changed_.wait(lock, [this] { return asked_ || stopping_; });
            if (stopping_) return;
            asked_ = false;
            lock.unlock();
            const bool free = win_detail::SonixGlobalLock::is_available_to_this_thread();
            lock.lock();
            answer_ = free;
            answered_ = true;
            changed_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    bool asked_ = false;
    bool answered_ = false;
    bool answer_ = false;
    bool stopping_ = false;
    std::thread worker_;  // last: it starts once everything above exists
};

// open_sessions: IMU sessions still open, each holding one Init.
inline void require_vendor_idle(int open_sessions = 0) {
    require(vcam_init_depth() == open_sessions, "every vendor Init is balanced",
            "Init depth " + std::to_string(vcam_init_depth()) + ", open IMU sessions " + std::to_string(open_sessions));
    require(VendorLockProbe::lock_is_free(), "the vendor lock is free");
}

}  // namespace velmora::uvc_stereo::fuzzing
