// RecursiveLock elsewhere: the standard recursive mutex.
#include "platform/recursive_lock.hpp"

#include <mutex>

namespace velmora::uvc_stereo::platform {

struct RecursiveLock::Native {
    std::recursive_mutex mutex;
};

RecursiveLock::RecursiveLock() : native_(std::make_unique<Native>()) {}

RecursiveLock::~RecursiveLock() = default;

void RecursiveLock::lock() { native_->mutex.lock(); }

bool RecursiveLock::try_lock() { return native_->mutex.try_lock(); }

void RecursiveLock::unlock() { native_->mutex.unlock(); }

}  // namespace velmora::uvc_stereo::platform
