// Counting an IMU run: distinct samples (a new device counter), repeats (the
// same counter read again), counter gaps (samples the reads missed) and read
// failures, and the rate over distinct samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <velmora/uvc_stereo/records.hpp>

namespace velmora::stereo_tool {

class ImuTally {
public:
    // Counts a successful read; true when it is a new sample, false for a repeat.
    bool add(const uvc_stereo::ReadImuResult& raw);
    void add_failure() { ++read_failures_; }

    std::size_t reads() const { return reads_; }
    std::size_t samples() const { return samples_; }
    std::size_t repeats() const { return reads_ - samples_; }
    std::size_t read_failures() const { return read_failures_; }
    // The places where the counter jumped by more than its usual step (the
    // median step between distinct samples; a jump of 1.5 steps or more is a
    // gap), and the samples those jumps skipped.
    std::size_t gaps() const;
    std::size_t missed_samples() const;
    // Distinct samples per second of host time, first to last distinct sample;
    // 0 with fewer than two distinct samples or no time between them.
    double rate() const;
    double span_seconds() const;

private:
    double usual_step() const;

    std::size_t reads_ = 0;
    std::size_t samples_ = 0;
    std::size_t read_failures_ = 0;
    std::uint32_t last_counter_ = 0;
    std::uint64_t first_ns_ = 0;
    std::uint64_t last_ns_ = 0;
    std::vector<std::uint32_t> steps_;  // counter steps between consecutive distinct samples
};

// "Read 10 samples in 12 reads (2 repeats, 0 counter gaps, 0 read failures)
// over 0.105 s of host time: 95.2 samples/s."
std::string format_imu_summary(const ImuTally& tally);

}  // namespace velmora::stereo_tool
