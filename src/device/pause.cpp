// The device layer's pauses, with an observer hook for tests.
#include "device/pause.hpp"

#include <atomic>
#include <thread>

namespace velmora::uvc_stereo::detail {

namespace {

struct ObserverSlot {
    std::atomic<PauseObserver> observer{nullptr};
    std::atomic<void*> context{nullptr};
};

ObserverSlot& observer_slot() {
    static ObserverSlot slot;
    return slot;
}

}  // namespace

void pause_on_calling_thread(std::chrono::milliseconds duration) {
    ObserverSlot& slot = observer_slot();
    if (const PauseObserver observer = slot.observer.load()) observer(duration, slot.context.load());
    if (!pauses_skipped()) std::this_thread::sleep_for(duration);
}

void set_pause_observer(PauseObserver observer, void* context) {
    ObserverSlot& slot = observer_slot();
    slot.context.store(context);
    slot.observer.store(observer);
}

}  // namespace velmora::uvc_stereo::detail
