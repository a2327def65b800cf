// The monotonic clock, presented as a counter of nanosecond ticks.
#include "platform/performance_counter.hpp"

#include <time.h>

namespace velmora::uvc_stereo::platform {

namespace {
constexpr std::int64_t kNanosecondsPerSecond = 1000000000;
}

bool query_performance_frequency(std::int64_t& ticks_per_second) {
    ticks_per_second = kNanosecondsPerSecond;
    return true;
}

bool query_performance_counter(std::int64_t& ticks) {
    timespec now{};
    if (clock_gettime(CLOCK_MONOTONIC, &now) != 0) return false;
    ticks = static_cast<std::int64_t>(now.tv_sec) * kNanosecondsPerSecond + now.tv_nsec;
    return true;
}

}  // namespace velmora::uvc_stereo::platform
