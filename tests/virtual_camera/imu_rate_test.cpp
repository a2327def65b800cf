// The IMU control's optional sample rate: reads faster than the rate repeat the
// held sample, slower reads skip samples, as a real IMU register does.
#include <chrono>
#include <thread>

#include "support/vendor_calls.hpp"

namespace vcam_test {
namespace {

using ImuRateTest = VirtualCameraTest;

// One device whose generator counts 1 per sample, read through node 4 selector 10.
std::string scenario_with_rate(const std::string& rate) {
    return R"({"devices": [{"id": "a", "vid": "0x0C45", "pid": "0x0643", "imu": {)" +
           (rate.empty() ? std::string() : "\"sample_rate_hz\": " + rate + ", ") +
           R"("generator": {"counter_step": 1}}}]})";
}

// The generator's 20-bit device counter of each of count reads, with pause between reads.
std::vector<std::uint32_t> read_counters(std::size_t count, std::chrono::milliseconds pause) {
    std::vector<scDevice_t> records = enumerate();
    InitGuard init;
    std::vector<std::uint32_t> counters;
    if (records.empty() || !SonixCam_SetNodeID(&records[0], 4, kXuGuid)) return counters;
    for (std::size_t i = 0; i < count; ++i) {
        if (i != 0) std::this_thread::sleep_for(pause);
        std::uint8_t payload[17] = {};
        if (!SonixCam_XuRead(&records[0], payload, 17, 10, 4)) break;
        counters.push_back((static_cast<std::uint32_t>(payload[16] & 0x0F) << 16) |
                           (static_cast<std::uint32_t>(payload[14]) << 8) | payload[15]);
    }
    return counters;
}

TEST_F(ImuRateTest, WithoutARateEveryReadAnswersTheNextSample) {
    ASSERT_EQ(load(scenario_with_rate("")), "");
    EXPECT_EQ(read_counters(4, std::chrono::milliseconds(0)), (std::vector<std::uint32_t>{0, 1, 2, 3}));
}

TEST_F(ImuRateTest, ReadsFasterThanTheRateRepeatTheHeldSample) {
    // One new sample every 100 s: quick reads all fall inside the first period.
    for (const char* rate : {"0.01", "\"0.01\""}) {
        SCOPED_TRACE(rate);
        ASSERT_EQ(load(scenario_with_rate(rate)), "");
        EXPECT_EQ(read_counters(5, std::chrono::milliseconds(0)), (std::vector<std::uint32_t>(5, 0)));
    }
}

TEST_F(ImuRateTest, SlowerReadsSkipTheSamplesTheyMissed) {
    // At 1000 samples per second, 20 ms between reads lets at least 20 samples pass.
    ASSERT_EQ(load(scenario_with_rate("1000")), "");
    const auto counters = read_counters(3, std::chrono::milliseconds(20));
    ASSERT_EQ(counters.size(), 3u);
    EXPECT_GE(counters[1], counters[0] + 20);
    EXPECT_GE(counters[2], counters[1] + 20);
}

TEST_F(ImuRateTest, ScriptedSamplesAreHeldToo) {
    ASSERT_EQ(load(R"({"devices": [{"id": "a", "vid": 1, "pid": 2, "imu": {"sample_rate_hz": 0.01,
                   "samples": ["00 01", "00 02"]}}]})"),
              "");
    std::vector<scDevice_t> records = enumerate();
    InitGuard init;
    ASSERT_TRUE(SonixCam_SetNodeID(&records.at(0), 4, kXuGuid));
    for (int i = 0; i < 3; ++i) {
        std::uint8_t payload[17] = {};
        ASSERT_TRUE(SonixCam_XuRead(&records[0], payload, 17, 10, 4));
        EXPECT_EQ(payload[1], 0x01) << "read " << i;
    }
}

TEST_F(ImuRateTest, RatesThatMakeNoSenseAreRefused) {
    for (const char* rate : {"0", "-5", "\"fast\"", "\"\"", "2000000", "true"}) {
        SCOPED_TRACE(rate);
        const std::string error = load(scenario_with_rate(rate));
        EXPECT_NE(error.find("devices[0].imu.sample_rate_hz"), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace vcam_test
