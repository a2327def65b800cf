// Host time for IMU samples, from the platform's performance counter.
#include "transport/monotonic_clock.hpp"

#include <limits>

#include "platform/performance_counter.hpp"
#include "transport/imu_reader.hpp"

namespace velmora::uvc_stereo::detail {

namespace {

constexpr double kNanosecondsPerSecond = 1e9;
// 2^64: the first double that no longer converts to a uint64.
constexpr double kUint64Limit = 18446744073709551616.0;

}  // namespace

std::uint64_t counter_reading_to_ns(const CounterReading& reading) {
    if (!reading.frequency_ok || reading.frequency < 1) return 0;
    if (!reading.counter_ok || reading.counter < 0) return 0;
    const double ns =
        static_cast<double>(reading.counter) * kNanosecondsPerSecond / static_cast<double>(reading.frequency);
    if (ns >= kUint64Limit) return std::numeric_limits<std::uint64_t>::max();
    return static_cast<std::uint64_t>(ns);
}

std::uint64_t transfer_midpoint_ns(std::uint64_t t0, std::uint64_t t1) {
    if (t1 < t0) return t0;
    return t0 + (t1 - t0) / 2;
}

std::uint64_t monotonic_now_ns() {
    CounterReading reading;
    reading.frequency_ok = platform::query_performance_frequency(reading.frequency);
    // The counter is not consulted when the frequency is unusable.
    if (reading.frequency_ok && reading.frequency >= 1) {
        reading.counter_ok = platform::query_performance_counter(reading.counter);
    }
    return counter_reading_to_ns(reading);
}

}  // namespace velmora::uvc_stereo::detail
