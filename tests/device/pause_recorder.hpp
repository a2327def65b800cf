// Records the pauses the device layer takes while a test runs.
#pragma once

#include <chrono>
#include <mutex>
#include <vector>

#include "device/pause.hpp"

namespace velmora::uvc_stereo::testing {

class PauseRecorder {
public:
    PauseRecorder() { detail::set_pause_observer(&PauseRecorder::record, this); }
    ~PauseRecorder() { detail::set_pause_observer(nullptr, nullptr); }
    PauseRecorder(const PauseRecorder&) = delete;
    PauseRecorder& operator=(const PauseRecorder&) = delete;

    std::vector<std::chrono::milliseconds> pauses() const {
        std::lock_guard<std::mutex> guard(mutex_);
        return pauses_;
    }
    void clear() {
        std::lock_guard<std::mutex> guard(mutex_);
        pauses_.clear();
    }

private:
    static void record(std::chrono::milliseconds duration, void* context) {
        auto* self = static_cast<PauseRecorder*>(context);
        std::lock_guard<std::mutex> guard(self->mutex_);
        self->pauses_.push_back(duration);
    }

    mutable std::mutex mutex_;
    std::vector<std::chrono::milliseconds> pauses_;
};

}  // namespace velmora::uvc_stereo::testing
