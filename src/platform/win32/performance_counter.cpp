// Performance counter on Windows.
#include "platform/performance_counter.hpp"

#include <windows.h>

namespace velmora::uvc_stereo::platform {

bool query_performance_frequency(std::int64_t& ticks_per_second) {
    LARGE_INTEGER value;
    if (!QueryPerformanceFrequency(&value)) return false;
    ticks_per_second = value.QuadPart;
    return true;
}

bool query_performance_counter(std::int64_t& ticks) {
    LARGE_INTEGER value;
    if (!QueryPerformanceCounter(&value)) return false;
    ticks = value.QuadPart;
    return true;
}

}  // namespace velmora::uvc_stereo::platform
