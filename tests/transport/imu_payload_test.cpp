// IMU payloads the virtual camera cannot deliver, and the arithmetic that
// turns counter ticks into sample times.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "transport/imu_payload.hpp"
#include "transport/monotonic_clock.hpp"

namespace velmora::uvc_stereo::detail {
namespace {

const std::vector<std::uint8_t> kSample = {0x00, 0x10, 0xFF, 0xF0, 0x00, 0x01, 0x7F, 0xFF, 0x80,
                                           0x00, 0x00, 0x00, 0xFF, 0xFF, 0x12, 0x34, 0xA5};

TEST(ImuPayloadTest, FailuresAndSentinels) {
    struct Row {
        const char* name;
        std::uint8_t first_byte;
        std::size_t size;
        ErrorCode code;
        const char* message;
    };
    const Row rows[] = {
        {"init sentinel", 0xF1, 17, ErrorCode::DeviceUnavailable, "IMU device reported initialization failure"},
        {"read sentinel", 0xF2, 17, ErrorCode::ReadFailed, "IMU device reported read failure"},
        {"short before sentinel", 0xF1, 16, ErrorCode::InvalidArgument, "IMU payload is shorter than 17 bytes"},
        {"empty", 0x00, 0, ErrorCode::InvalidArgument, "IMU payload is shorter than 17 bytes"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::uint8_t> payload = kSample;
        payload[0] = row.first_byte;
        ReadImuResult sample;
        sample.temperature_raw = 7;
        const Status status = decode_imu_payload(payload.data(), row.size, sample);
        EXPECT_EQ(status.code(), row.code);
        EXPECT_EQ(status.message(), row.message);
        EXPECT_EQ(sample.temperature_raw, 7);  // a failure leaves the sample alone
    }
}

TEST(ImuPayloadTest, NeighboursOfTheSentinelsAreSamples) {
    for (const std::uint8_t first : {std::uint8_t{0xF0}, std::uint8_t{0xF3}}) {
        SCOPED_TRACE(static_cast<int>(first));
        std::vector<std::uint8_t> payload = kSample;
        payload[0] = first;
        payload[1] = 0x00;
        ReadImuResult sample;
        ASSERT_TRUE(decode_imu_payload(payload.data(), payload.size(), sample).ok());
        EXPECT_EQ(sample.temperature_raw, static_cast<std::int16_t>(first << 8));
    }
}

TEST(MonotonicClockTest, CounterReadingToNanoseconds) {
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    constexpr std::int64_t kBig = std::numeric_limits<std::int64_t>::max();
    struct Row {
        const char* name;
        CounterReading reading;
        std::uint64_t expected;
    };
    const Row rows[] = {
        {"10 MHz counter", {true, 10'000'000, true, 25'000'001}, 2'500'000'100},
        {"nanosecond ticks", {true, 1'000'000'000, true, 123'456'789}, 123'456'789},
        {"truncates", {true, 3, true, 1}, 333'333'333},
        {"frequency query fails", {false, 10'000'000, true, 5}, 0},
        {"frequency zero", {true, 0, true, 5}, 0},
        {"frequency negative", {true, -1, true, 5}, 0},
        {"counter query fails", {true, 10'000'000, false, 5}, 0},
        {"counter negative", {true, 10'000'000, true, -1}, 0},
        {"counter zero", {true, 10'000'000, true, 0}, 0},
        {"beyond 64 bits", {true, 1, true, kBig}, kMax},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(counter_reading_to_ns(row.reading), row.expected);
    }
}

TEST(MonotonicClockTest, TransferMidpoint) {
    struct Row {
        std::uint64_t t0, t1, expected;
    };
    const Row rows[] = {
        {100, 200, 150},
        {100, 101, 100},  // rounds down
        {100, 100, 100},
        {200, 100, 200},  // clock went backwards: the start time
        {0, 0, 0},        // no counter at all
        {std::numeric_limits<std::uint64_t>::max() - 2, std::numeric_limits<std::uint64_t>::max(),
         std::numeric_limits<std::uint64_t>::max() - 1},  // no overflow in the sum
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.t0 << ".." << row.t1);
        EXPECT_EQ(transfer_midpoint_ns(row.t0, row.t1), row.expected);
    }
}

}  // namespace
}  // namespace velmora::uvc_stereo::detail
