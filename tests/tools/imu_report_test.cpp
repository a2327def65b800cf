// Tests of the imu command's pacing and report: statistics, counter gaps, the
// page written after a failure, and the options.
#include "reports/imu_report.hpp"

#include <gtest/gtest.h>

#include <sonix_virtual/vcam_control.hpp>

#include <chrono>

#include "test_files.hpp"
#include "tool_runner.hpp"

namespace velmora::stereo_tool {
namespace {

using test_support::contains;
using test_support::run;

TEST(ChannelStatistics, MeanSpreadAndRange) {
    struct Row {
        std::vector<double> values;
        ChannelStatistics expected;
    };
    const std::vector<Row> rows = {
        {{}, {0, 0, 0, 0}},
        {{5}, {5, 0, 5, 5}},
        {{1, 2, 3, 4}, {2.5, 1.2909944487358056, 1, 4}},
        {{-2, 2}, {0, 2.8284271247461903, -2, 2}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.values.size());
        const ChannelStatistics s = channel_statistics(row.values);
        EXPECT_DOUBLE_EQ(s.mean, row.expected.mean);
        EXPECT_DOUBLE_EQ(s.standard_deviation, row.expected.standard_deviation);
        EXPECT_EQ(s.minimum, row.expected.minimum);
        EXPECT_EQ(s.maximum, row.expected.maximum);
    }
}

TEST(DeviceCounterGaps, CountStepsAcrossTheTwentyBitWrap) {
    std::vector<uvc_stereo::ReadImuResult> samples(4);
    samples[0].device_timestamp = 0xFFFF0;
    samples[1].device_timestamp = 0x00010;  // wrapped: 0x20 steps
    samples[2].device_timestamp = 0x00010;  // the same sample again
    samples[3].device_timestamp = 0x003F8;
    EXPECT_EQ(device_counter_gaps(samples), (std::vector<double>{0x20, 0, 0x3E8}));
    EXPECT_TRUE(device_counter_gaps({samples[0]}).empty());
}

class ImuCommand : public test_support::DefaultCamerasTest {
protected:
    test_support::TempFolder folder_;
};

TEST_F(ImuCommand, RateKeepsThePaceBelowWhatWasAskedFor) {
    const auto start = std::chrono::steady_clock::now();
    const auto result = run({"imu", "--count", "6", "--rate", "40", "--csv"});
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(result.exit_code, kExitSuccess) << result.err;
    // Five intervals of at least 25 ms each.
    EXPECT_GE(took.count(), 0.125);
    const auto at = result.err.find(": ");
    ASSERT_NE(at, std::string::npos) << result.err;
    const double achieved = std::stod(result.err.substr(at + 2));
    EXPECT_LE(achieved, 40.0 * 1.05) << result.err;
    EXPECT_TRUE(contains(result.err, "Asked for 40 reads/s.")) << result.err;
}

TEST_F(ImuCommand, WrongRateAndReportOptionsAreUsageErrors) {
    struct Row {
        std::vector<std::string> args;
        std::string message;
    };
    const std::vector<Row> rows = {
        {{"imu", "--rate", "0"}, "--rate needs a number of samples per second above 0 (got '0')"},
        {{"imu", "--rate", "fast"}, "--rate needs a number of samples per second above 0 (got 'fast')"},
        {{"imu", "--report", "-"}, "--report needs a file name"},
        {{"imu", "--report="}, "--report needs a file name"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.message);
        const auto result = run(row.args);
        EXPECT_EQ(result.exit_code, kExitUsage);
        EXPECT_TRUE(contains(result.err, row.message)) << result.err;
    }
}

TEST_F(ImuCommand, TheReportIsWrittenEvenWhenReadingFails) {
    const std::string report = folder_.file("failing.html");
    const auto result = run({"--scenario", std::string(VELMORA_TOOL_TEST_DATA) + "/failing_imu.json", "imu", "--count",
                             "5", "--report", report});
    EXPECT_EQ(result.exit_code, kExitFailure);
    EXPECT_TRUE(contains(result.err, "error: the IMU read failed 5 times in a row; stopped after 2 samples: "))
        << result.err;
    const std::string html = test_support::read_file(report);
    EXPECT_TRUE(contains(html, "stopped early: the IMU read failed 5 times in a row: ")) << html.substr(0, 400);
    EXPECT_TRUE(contains(html, "<td>Samples</td><td>2</td>"));
    EXPECT_TRUE(contains(html, "<td>Read failures</td><td>5</td>"));
    EXPECT_EQ(vcam_init_depth(), 0) << "the IMU session was left open";
}

TEST_F(ImuCommand, TheReportNamesTheCameraTheRateAndTheConversion) {
    const std::string report = folder_.file("r.html");
    const auto result = run({"imu", "--count", "12", "--rate", "500", "--report", report});
    ASSERT_EQ(result.exit_code, kExitSuccess) << result.err;
    EXPECT_TRUE(contains(result.out, "Wrote the report of 12 samples to " + report + "."));
    const std::string html = test_support::read_file(report);
    for (const char* part : {"<td>Serial number</td><td>VLM643A00017</td>", "<td>Requested rate</td><td>500 samples/s</td>",
                             "<td>Gyroscope scale</td><td>16.4 counts per deg/s</td>",
                             "<td>Temperature offset</td><td>25 deg C</td>", "Content-Security-Policy",
                             "<td>Reading ended</td><td>after every sample asked for</td>",
                             "<td>Firmware version</td><td>SN292-250311-V1.4</td>", "<td>IMU model</td><td>IMU-A</td>",
                             "by velmora-stereo " VELMORA_TOOL_VERSION "</td>", "<td>Repeats</td><td>0 ",
                             "<td>Counter gaps</td><td>0 (0 samples missed)</td>"}) {
        EXPECT_TRUE(contains(html, part)) << part;
    }
    EXPECT_FALSE(contains(html, "<script"));
    EXPECT_FALSE(contains(html, "http://") && !contains(html, "xmlns")) << "nothing is fetched";
}

}  // namespace
}  // namespace velmora::stereo_tool
