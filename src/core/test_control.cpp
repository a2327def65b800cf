// The test build's pause observer, pause switch and debugger-output sink
// (compiled into velmora_uvc_stereo_core_testing only).
#include "core/test_control.hpp"

#include <atomic>
#include <mutex>

#if !defined(VELMORA_UVC_STEREO_TEST_CONTROL)
#error "core/test_control.cpp belongs to the test build of the core only"
#endif

namespace velmora::uvc_stereo::test_control {

namespace {

// The observer and its context change together and are used together: a
// pause on another thread never sees one without the other, and removing the
// observer waits for a call in progress, so the context outlives every call.
struct ObserverSlot {
    std::mutex mutex;
    PauseObserver observer = nullptr;
    void* context = nullptr;
};

ObserverSlot& observer_slot() {
    static ObserverSlot slot;
    return slot;
}

std::atomic<bool>& skip_flag() {
    static std::atomic<bool> skipped{false};
    return skipped;
}

struct SinkSlot {
    DebugOutputSink sink = nullptr;
    void* context = nullptr;
};

SinkSlot& sink_slot() {
    static SinkSlot slot;
    return slot;
}

}  // namespace

void set_pause_observer(PauseObserver observer, void* context) {
    ObserverSlot& slot = observer_slot();
    const std::lock_guard<std::mutex> guard(slot.mutex);
    slot.observer = observer;
    slot.context = context;
}

void set_pauses_skipped(bool skipped) { skip_flag().store(skipped); }

bool pauses_skipped() { return skip_flag().load(); }

void set_debug_output_sink(DebugOutputSink sink, void* context) { sink_slot() = SinkSlot{sink, context}; }

bool pause_point(std::chrono::milliseconds duration) {
    {
        ObserverSlot& slot = observer_slot();
        const std::lock_guard<std::mutex> guard(slot.mutex);
        if (slot.observer != nullptr) slot.observer(duration, slot.context);
    }
    return pauses_skipped();
}

void debugger_output_point(const char* text) {
    const SinkSlot& slot = sink_slot();
    if (slot.sink != nullptr) slot.sink(text, slot.context);
}

}  // namespace velmora::uvc_stereo::test_control
