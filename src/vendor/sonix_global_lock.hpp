// The one process-wide lock around every use of the vendor library.
#pragma once

namespace velmora::uvc_stereo::win_detail {

// Holds the process-wide re-entrant vendor lock while alive. The lock itself
// is created on first use (thread-safe) and never destroyed, so it outlives
// every static object that might still use it at exit. Move-only; a move
// hands the holding over, and a moved-from object releases nothing.
class SonixGlobalLock {
public:
    SonixGlobalLock();
    ~SonixGlobalLock();
    SonixGlobalLock(SonixGlobalLock&& other) noexcept;
    SonixGlobalLock& operator=(SonixGlobalLock&& other) noexcept;
    SonixGlobalLock(const SonixGlobalLock&) = delete;
    SonixGlobalLock& operator=(const SonixGlobalLock&) = delete;

    bool owns_lock() const noexcept { return owns_; }

    // Whether another thread could take the lock right now (it is free, or
    // held only by the calling thread). For tests that check a lock is not
    // left held after an operation.
    static bool is_available_to_this_thread();

private:
    bool owns_;
};

}  // namespace velmora::uvc_stereo::win_detail
