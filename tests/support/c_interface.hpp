// Helpers shared by the C interface tests.
#pragma once

#include <cstring>
#include <string>

#include "velmora_uvc_stereo_c.h"

namespace velmora::uvc_stereo::test_support {

// The calling thread's last message as the C interface hands it out.
inline std::string last_message() {
    const char* text = nullptr;
    size_t length = 0;
    if (velmora_uvc_stereo_last_error_message(&text, &length) != 0) return "<getter failed>";
    if (text == nullptr || std::strlen(text) != length) return "<inconsistent length>";
    return std::string(text, length);
}

// Leaves a recorded failure on the calling thread, so a following success can
// be seen to clear it.
inline void record_some_failure() { velmora_uvc_stereo_ctx_create(nullptr, nullptr); }

template <typename T>
bool all_bytes_are(const T& value, unsigned char byte) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&value);
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        if (bytes[i] != byte) return false;
    }
    return true;
}

template <typename T>
void fill_bytes(T& value, unsigned char byte) {
    std::memset(static_cast<void*>(&value), byte, sizeof(T));
}

}  // namespace velmora::uvc_stereo::test_support
