// The device layer's pauses, with an observer hook for tests.
#include "device/pause.hpp"

#include <mutex>
#include <thread>

namespace velmora::uvc_stereo::detail {

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

void tell_observer(std::chrono::milliseconds duration) {
    ObserverSlot& slot = observer_slot();
    const std::lock_guard<std::mutex> guard(slot.mutex);
    if (slot.observer != nullptr) slot.observer(duration, slot.context);
}

}  // namespace

void pause_on_calling_thread(std::chrono::milliseconds duration) {
    tell_observer(duration);
    if (!pauses_skipped()) std::this_thread::sleep_for(duration);
}

void set_pause_observer(PauseObserver observer, void* context) {
    ObserverSlot& slot = observer_slot();
    const std::lock_guard<std::mutex> guard(slot.mutex);
    slot.observer = observer;
    slot.context = context;
}

}  // namespace velmora::uvc_stereo::detail
