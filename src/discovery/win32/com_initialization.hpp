// COM on the calling thread for the length of one back-end enumeration, and
// the small owners that release COM resources on every way out.
#pragma once

#include <windows.h>

#include <objbase.h>

#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo::detail {

// CoInitializeEx in the single-threaded apartment, or the multithreaded one
// when the thread is already in that mode. must_uninitialize is set only when
// this call added an initialisation the caller must undo.
Status initialize_com(bool& must_uninitialize);

// Initialises COM through initialize_com and undoes it when destroyed.
// Declare it before every COM object of the enumeration, so it is destroyed
// after all of them have been released.
class ComInitialization {
public:
    ComInitialization() = default;
    ~ComInitialization() {
        if (must_uninitialize_) CoUninitialize();
    }
    ComInitialization(const ComInitialization&) = delete;
    ComInitialization& operator=(const ComInitialization&) = delete;

    Status start() { return initialize_com(must_uninitialize_); }

private:
    bool must_uninitialize_ = false;
};

// Owns one COM interface pointer and releases it once.
template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    Interface* get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    // The address to hand to a creating call; any held pointer is released first.
    Interface** put() {
        reset();
        return &pointer_;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }

    void reset() {
        if (pointer_ != nullptr) pointer_->Release();
        pointer_ = nullptr;
    }

private:
    Interface* pointer_ = nullptr;
};

// Owns a CoTaskMemAlloc'ed UTF-16 string handed out by a COM call.
class CoTaskMemString {
public:
    CoTaskMemString() = default;
    ~CoTaskMemString() { CoTaskMemFree(text_); }
    CoTaskMemString(const CoTaskMemString&) = delete;
    CoTaskMemString& operator=(const CoTaskMemString&) = delete;

    LPWSTR* put() { return &text_; }
    const wchar_t* get() const { return text_; }

private:
    LPWSTR text_ = nullptr;
};

}  // namespace velmora::uvc_stereo::detail
