// Tests of counting an IMU run: samples, repeats, counter gaps and the rate.
#include <gtest/gtest.h>

#include "reports/imu_tally.hpp"

namespace velmora::stereo_tool {
namespace {

namespace uvc = velmora::uvc_stereo;

uvc::ReadImuResult read_at(std::uint32_t counter, std::uint64_t ns) {
    uvc::ReadImuResult raw;
    raw.device_timestamp = counter;
    raw.timestamp_ns = ns;
    return raw;
}

TEST(ImuTally, CountsSamplesRepeatsAndGapsByTheDeviceCounter) {
    struct Row {
        const char* label;
        std::vector<std::uint32_t> counters;  // one read each, 1 ms apart
        std::size_t samples;
        std::size_t repeats;
        std::size_t gaps;
        std::size_t missed;
    };
    const std::vector<Row> rows = {
        {"every read new", {0, 10, 20, 30}, 4, 0, 0, 0},
        {"reads faster than the IMU", {0, 0, 10, 10, 10, 20}, 3, 3, 0, 0},
        {"one sample missed", {0, 10, 20, 40, 50}, 5, 0, 1, 1},
        {"three missed at once", {0, 10, 20, 30, 70, 80}, 6, 0, 1, 3},
        {"jitter is not a gap", {0, 1000, 2003, 2998, 4001}, 5, 0, 0, 0},
        {"the 20-bit counter wraps", {0xFFFF0, 0x00000, 0x00010, 0x00020}, 4, 0, 0, 0},
        {"a gap across the wrap", {0xFFFE0, 0xFFFF0, 0x00010, 0x00020}, 4, 0, 1, 1},
        {"the same counter over and over", {5, 5, 5}, 1, 2, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        ImuTally tally;
        std::uint64_t ns = 0;
        for (const auto counter : row.counters) tally.add(read_at(counter, ns += 1000000));
        EXPECT_EQ(tally.reads(), row.counters.size());
        EXPECT_EQ(tally.samples(), row.samples);
        EXPECT_EQ(tally.repeats(), row.repeats);
        EXPECT_EQ(tally.gaps(), row.gaps);
        EXPECT_EQ(tally.missed_samples(), row.missed);
    }
}

TEST(ImuTally, TheRateIsOverDistinctSamples) {
    ImuTally tally;
    // Four distinct samples 10 ms apart, each read twice: 3 intervals in 30 ms.
    for (std::uint32_t i = 0; i < 4; ++i) {
        EXPECT_TRUE(tally.add(read_at(i * 100, i * 10000000ull)));
        EXPECT_FALSE(tally.add(read_at(i * 100, i * 10000000ull + 5000000)));
    }
    tally.add_failure();
    EXPECT_DOUBLE_EQ(tally.rate(), 100.0);
    EXPECT_EQ(format_imu_summary(tally),
              "Read 4 samples in 8 reads (4 repeats, 0 counter gaps, 1 read failure) over 30.000 ms of host time: "
              "100.0 samples/s.");
    ImuTally lone;
    lone.add(read_at(1, 5));
    EXPECT_EQ(format_imu_summary(lone), "Read 1 sample in 1 read (0 repeats, 0 counter gaps, 0 read failures); at least "
                                        "two distinct samples with distinct timestamps are needed for a rate.");
}

}  // namespace
}  // namespace velmora::stereo_tool
