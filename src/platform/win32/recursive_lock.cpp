// RecursiveLock on Windows: a critical section (re-entrant by nature).
#include "platform/recursive_lock.hpp"

#include <windows.h>

namespace velmora::uvc_stereo::platform {

struct RecursiveLock::Native {
    CRITICAL_SECTION section;
};

RecursiveLock::RecursiveLock() : native_(std::make_unique<Native>()) {
    InitializeCriticalSection(&native_->section);
}

RecursiveLock::~RecursiveLock() { DeleteCriticalSection(&native_->section); }

void RecursiveLock::lock() { EnterCriticalSection(&native_->section); }

bool RecursiveLock::try_lock() { return TryEnterCriticalSection(&native_->section) != FALSE; }

void RecursiveLock::unlock() { LeaveCriticalSection(&native_->section); }

}  // namespace velmora::uvc_stereo::platform
