// The host's high-resolution counter: QueryPerformanceCounter on Windows, the
// monotonic clock (in nanosecond ticks) elsewhere.
#pragma once

#include <cstdint>

namespace velmora::uvc_stereo::platform {

// Ticks per second; false when the counter is unavailable.
bool query_performance_frequency(std::int64_t& ticks_per_second);

// The current tick count; false when the counter is unavailable.
bool query_performance_counter(std::int64_t& ticks);

}  // namespace velmora::uvc_stereo::platform
