// Records the pauses the device layer takes while a test runs, and whether
// the vendor lock was free for other threads during each.
#pragma once

#include <chrono>
#include <mutex>
#include <vector>

#include "core/test_control.hpp"
#include "device/pause.hpp"
#include "support/virtual_camera_test.hpp"

namespace velmora::uvc_stereo::test_support {

class PauseRecorder {
public:
    PauseRecorder() { test_control::set_pause_observer(&PauseRecorder::record, this); }
    ~PauseRecorder() { test_control::set_pause_observer(nullptr, nullptr); }
    PauseRecorder(const PauseRecorder&) = delete;
    PauseRecorder& operator=(const PauseRecorder&) = delete;

    std::vector<std::chrono::milliseconds> pauses() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return pauses_;
    }
    // Pauses taken while the pausing thread held the vendor lock: none is allowed.
    std::size_t pauses_under_vendor_lock() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return pauses_under_lock_;
    }
    void clear() {
        std::lock_guard<std::mutex> guard(mutex_);
        pauses_.clear();
        pauses_under_lock_ = 0;
    }

private:
    static void record(std::chrono::milliseconds duration, void* context) {
        auto* self = static_cast<PauseRecorder*>(context);
        const bool lock_free = vendor_lock_free();
        std::lock_guard<std::mutex> guard(self->mutex_);
        self->pauses_.push_back(duration);
        if (!lock_free) ++self->pauses_under_lock_;
    }

    mutable std::mutex mutex_;
    std::vector<std::chrono::milliseconds> pauses_;
    std::size_t pauses_under_lock_ = 0;
};

}  // namespace velmora::uvc_stereo::test_support
