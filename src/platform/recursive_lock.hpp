// A re-entrant mutual-exclusion lock: a critical section on Windows.
#pragma once

#include <memory>

namespace velmora::uvc_stereo::platform {

class RecursiveLock {
public:
    RecursiveLock();
    ~RecursiveLock();
    RecursiveLock(const RecursiveLock&) = delete;
    RecursiveLock& operator=(const RecursiveLock&) = delete;

    void lock();
    bool try_lock();
    void unlock();

private:
    struct Native;
    std::unique_ptr<Native> native_;
};

}  // namespace velmora::uvc_stereo::platform
