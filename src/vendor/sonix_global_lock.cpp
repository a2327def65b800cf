// The process-wide vendor lock.
#include "vendor/sonix_global_lock.hpp"

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

bool SonixGlobalLock::is_available_to_this_thread() {
    platform::RecursiveLock& lock = process_lock();
    if (!lock.try_lock()) return false;
    lock.unlock();
    return true;
}

}  // namespace velmora::uvc_stereo::win_detail
