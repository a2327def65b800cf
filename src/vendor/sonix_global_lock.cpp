// The process-wide vendor lock (and, in a test build, its probe).
#include "vendor/sonix_global_lock.hpp"

#include "core/test_control.hpp"
#include "platform/recursive_lock.hpp"

namespace velmora::uvc_stereo::win_detail {

namespace {

platform::RecursiveLock& process_lock() {
    // Never destroyed: a lock that dies during static destruction could be
    // taken by a late caller.
    static platform::RecursiveLock* const lock = new platform::RecursiveLock();
    return *lock;
}

}  // namespace

SonixGlobalLock::SonixGlobalLock() : owns_(true) { process_lock().lock(); }

SonixGlobalLock::~SonixGlobalLock() {
    if (owns_) process_lock().unlock();
}

SonixGlobalLock::SonixGlobalLock(SonixGlobalLock&& other) noexcept : owns_(other.owns_) { other.owns_ = false; }

SonixGlobalLock& SonixGlobalLock::operator=(SonixGlobalLock&& other) noexcept {
    if (this != &other) {
        if (owns_) process_lock().unlock();
        owns_ = other.owns_;
        other.owns_ = false;
    }
    return *this;
}

}  // namespace velmora::uvc_stereo::win_detail

#if defined(VELMORA_UVC_STEREO_TEST_CONTROL)
namespace velmora::uvc_stereo::test_control {

bool vendor_lock_is_available_to_this_thread() {
    platform::RecursiveLock& lock = win_detail::process_lock();
    if (!lock.try_lock()) return false;
    lock.unlock();
    return true;
}

}  // namespace velmora::uvc_stereo::test_control
#endif
