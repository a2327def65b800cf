// A per-thread pointer slot whose value is destroyed when its thread ends.
#pragma once

namespace velmora::uvc_stereo::platform {

// Each thread sees its own value, null until that thread sets one. When a
// thread ends, the destructor is called with its non-null value. Destroying
// the slot destroys the calling thread's value too, so a library unloaded
// while its threads live leaves no callback pointing into unloaded code.
//
// Windows: fiber-local storage (FlsAlloc with a callback), because the SDK's
// DLLs switch thread notifications off and so never see a thread end.
// Elsewhere: a pthread key with a destructor.
class ThreadLocalSlot {
public:
    using Destructor = void (*)(void* value);

    explicit ThreadLocalSlot(Destructor destructor);
    ~ThreadLocalSlot();
    ThreadLocalSlot(const ThreadLocalSlot&) = delete;
    ThreadLocalSlot& operator=(const ThreadLocalSlot&) = delete;

    // False when the system had no slot to give; get then always answers null
    // and set always fails.
    bool valid() const noexcept { return valid_; }

    void* get() const noexcept;
    // False when the value could not be stored; the caller still owns it.
    bool set(void* value) noexcept;

private:
    Destructor destructor_;
    unsigned long index_ = 0;
    bool valid_ = false;
};

}  // namespace velmora::uvc_stereo::platform
