// ThreadLocalSlot on Windows: fiber-local storage, whose callback runs when a
// thread ends even though the DLL receives no thread notifications.
#include "platform/thread_local_slot.hpp"

#include <windows.h>

namespace velmora::uvc_stereo::platform {

ThreadLocalSlot::ThreadLocalSlot(Destructor destructor) : destructor_(destructor) {
    // On x64 WINAPI is the one calling convention, so the destructor is a
    // PFLS_CALLBACK_FUNCTION as it is.
    const DWORD index = FlsAlloc(destructor_);
    if (index != FLS_OUT_OF_INDEXES) {
        index_ = index;
        valid_ = true;
    }
}

ThreadLocalSlot::~ThreadLocalSlot() {
    // FlsFree calls the callback for the values still stored.
    if (valid_) FlsFree(static_cast<DWORD>(index_));
}

void* ThreadLocalSlot::get() const noexcept {
    return valid_ ? FlsGetValue(static_cast<DWORD>(index_)) : nullptr;
}

bool ThreadLocalSlot::set(void* value) noexcept {
    return valid_ && FlsSetValue(static_cast<DWORD>(index_), value) != FALSE;
}

}  // namespace velmora::uvc_stereo::platform
