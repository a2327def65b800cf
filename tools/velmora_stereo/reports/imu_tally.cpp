// Counting an IMU run: samples, repeats, counter gaps and read failures.
#include "reports/imu_tally.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace velmora::stereo_tool {
namespace {

constexpr std::uint32_t kCounterModulus = 0x100000;  // the device counter has 20 bits
constexpr double kGapFactor = 1.5;
constexpr double kNanosecondsPerSecond = 1e9;
constexpr double kMillisecondsPerSecond = 1e3;
constexpr std::size_t kTextSize = 256;

std::string counted(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

bool ImuTally::add(const uvc_stereo::ReadImuResult& raw) {
    ++reads_;
    if (samples_ > 0 && raw.device_timestamp == last_counter_) return false;
    if (samples_ == 0) {
        first_ns_ = raw.timestamp_ns;
    } else {
        steps_.push_back((raw.device_timestamp + kCounterModulus - last_counter_) % kCounterModulus);
    }
    ++samples_;
    last_counter_ = raw.device_timestamp;
    last_ns_ = raw.timestamp_ns;
    return true;
}

double ImuTally::usual_step() const {
    if (steps_.empty()) return 0.0;
    std::vector<std::uint32_t> sorted = steps_;
    const auto middle = sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2);
    std::nth_element(sorted.begin(), middle, sorted.end());
    return static_cast<double>(*middle);
}

std::size_t ImuTally::gaps() const {
    const double usual = usual_step();
    if (usual <= 0.0) return 0;
    return static_cast<std::size_t>(std::count_if(steps_.begin(), steps_.end(), [&](std::uint32_t step) {
        return static_cast<double>(step) >= kGapFactor * usual;
    }));
}

std::size_t ImuTally::missed_samples() const {
    const double usual = usual_step();
    if (usual <= 0.0) return 0;
    std::size_t missed = 0;
    for (const std::uint32_t step : steps_) {
        if (static_cast<double>(step) >= kGapFactor * usual) {
            missed += static_cast<std::size_t>(std::lround(static_cast<double>(step) / usual)) - 1;
        }
    }
    return missed;
}

double ImuTally::span_seconds() const {
    return last_ns_ > first_ns_ ? static_cast<double>(last_ns_ - first_ns_) / kNanosecondsPerSecond : 0.0;
}

double ImuTally::rate() const {
    const double span = span_seconds();
    // Between the first and the last distinct sample lie samples - 1 intervals.
    return samples_ >= 2 && span > 0.0 ? static_cast<double>(samples_ - 1) / span : 0.0;
}

std::string format_imu_summary(const ImuTally& tally) {
    std::string gaps = counted(tally.gaps(), "counter gap", "counter gaps");
    if (tally.gaps() != 0) gaps += " (" + counted(tally.missed_samples(), "sample", "samples") + " missed)";
    const std::string counts = "Read " + counted(tally.samples(), "sample", "samples") + " in " +
                               counted(tally.reads(), "read", "reads") + " (" +
                               counted(tally.repeats(), "repeat", "repeats") + ", " + gaps + ", " +
                               counted(tally.read_failures(), "read failure", "read failures") + ")";
    if (tally.rate() <= 0.0) {
        return counts + "; at least two distinct samples with distinct timestamps are needed for a rate.";
    }
    char text[kTextSize];
    const double span = tally.span_seconds();
    if (span < 1.0) {
        std::snprintf(text, sizeof text, " over %.3f ms of host time: %.1f samples/s.", span * kMillisecondsPerSecond,
                      tally.rate());
    } else {
        std::snprintf(text, sizeof text, " over %.3f s of host time: %.1f samples/s.", span, tally.rate());
    }
    return counts + text;
}

}  // namespace velmora::stereo_tool
