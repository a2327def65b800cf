// Host time for IMU samples: performance-counter ticks in nanoseconds.
#pragma once

#include <cstdint>

namespace velmora::uvc_stereo::detail {

// What one reading of the performance counter gave.
struct CounterReading {
    bool frequency_ok = false;
    std::int64_t frequency = 0;  // ticks per second
    bool counter_ok = false;
    std::int64_t counter = 0;  // ticks
};

// counter * 1e9 / frequency, truncated. 0 when the counter or its frequency
// is unavailable, the frequency is below 1 or the counter is negative; the
// largest value when the result does not fit in 64 bits.
std::uint64_t counter_reading_to_ns(const CounterReading& reading);

// The middle of a transfer that began at t0 and ended at t1, rounded down;
// t0 when the clock went backwards.
std::uint64_t transfer_midpoint_ns(std::uint64_t t0, std::uint64_t t1);

}  // namespace velmora::uvc_stereo::detail
