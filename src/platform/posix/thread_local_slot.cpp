// ThreadLocalSlot elsewhere: a pthread key whose destructor runs at thread end.
#include "platform/thread_local_slot.hpp"

#include <pthread.h>

namespace velmora::uvc_stereo::platform {

namespace {

pthread_key_t to_key(unsigned long index) { return static_cast<pthread_key_t>(index); }

}  // namespace

ThreadLocalSlot::ThreadLocalSlot(Destructor destructor) : destructor_(destructor) {
    pthread_key_t key{};
    if (pthread_key_create(&key, destructor_) == 0) {
        index_ = static_cast<unsigned long>(key);
        valid_ = true;
    }
}

ThreadLocalSlot::~ThreadLocalSlot() {
    if (!valid_) return;
    // pthread_key_delete runs no destructors, and the thread running static
    // destructors (usually the main thread) would otherwise keep its value.
    void* const value = get();
    if (value != nullptr) {
        pthread_setspecific(to_key(index_), nullptr);
        destructor_(value);
    }
    pthread_key_delete(to_key(index_));
}

void* ThreadLocalSlot::get() const noexcept {
    return valid_ ? pthread_getspecific(to_key(index_)) : nullptr;
}

bool ThreadLocalSlot::set(void* value) noexcept {
    return valid_ && pthread_setspecific(to_key(index_), value) == 0;
}

}  // namespace velmora::uvc_stereo::platform
