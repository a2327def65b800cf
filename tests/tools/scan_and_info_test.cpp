// Tests of the answers scripts and people get from scan, info and imu when a
// camera or the camera library misbehaves, and of the exit-status table.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>
#include <sonix_virtual/vcam_control.hpp>

#include "command_line/exit_status.hpp"
#include "tool_runner.hpp"

namespace velmora::stereo_tool {
namespace {

using test_support::contains;
using test_support::run;

class ScanAndInfo : public test_support::DefaultCamerasTest {};

std::string two_cameras_with_serial(const std::string& serial) {
    std::string devices;
    for (const char* id : {"left", "right"}) {
        devices += std::string(devices.empty() ? "" : ",") + R"({"id": ")" + id +
                   R"(", "vid": "0x0C45", "pid": "0x0643", "serial_number": ")" + serial + R"(", "capability": "zeros"})";
    }
    return R"({"devices": [)" + devices + "]}";
}

TEST_F(ScanAndInfo, TwoCamerasWithOneSerialAreFlaggedAndRefusedBySerial) {
    ASSERT_EQ(vcam_load_scenario_json(two_cameras_with_serial("SAME-1").c_str()), 0) << vcam_last_error();
    const auto scan = run({"scan"});
    ASSERT_EQ(scan.exit_code, kExitSuccess) << scan.err;
    EXPECT_TRUE(contains(scan.out, "SAME-1 (duplicate)")) << scan.out;
    EXPECT_TRUE(contains(scan.err, "warning: 2 cameras report the serial number SAME-1: #0 ")) << scan.err;
    const auto json = nlohmann::json::parse(run({"scan", "--json"}).out);
    EXPECT_EQ(json.at(0).at("duplicate_serial"), true);
    EXPECT_EQ(json.at(1).at("duplicate_serial"), true);

    const auto chosen = run({"info", "--serial", "same-1"});
    EXPECT_EQ(chosen.exit_code, kExitUsage);
    for (const auto& device : json) {
        EXPECT_TRUE(contains(chosen.err, device.at("device_path").get<std::string>())) << chosen.err;
    }
    EXPECT_TRUE(contains(chosen.err, "error: 2 cameras report serial number same-1:")) << chosen.err;
    EXPECT_EQ(run({"info", "--index", "1"}).exit_code, kExitSuccess);
}

TEST_F(ScanAndInfo, AFailingCameraLibraryIsNotNoCamera) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"scan"}, std::vector<std::string>{"info"}}) {
        SCOPED_TRACE(args.front());
        ASSERT_EQ(vcam_fail_call("SonixCam_Init", 1, 2), 0);
        const auto result = run(args);
        EXPECT_EQ(result.exit_code, kExitFailure);
        EXPECT_EQ(result.err.rfind("error: the camera library failed to list the cameras: ", 0), 0u) << result.err;
        EXPECT_TRUE(contains(result.err, "SonixCam_Init failed: vendor_code=ecLibInitFail(2)")) << result.err;
        vcam_clear_faults();
    }
}

TEST_F(ScanAndInfo, InfoSucceedsWhenOnlyFlashAndFirmwareAreUnreachable) {
    ASSERT_EQ(vcam_load_scenario_json(R"({"devices": [{"id": "d", "vid": "0x0C45", "pid": "0x0643",
        "serial_number": "D1", "firmware_version": null,
        "capability": {"flash": {"address": "0x51000", "size": "0x1000"}}}]})"),
              0);
    // Every flash read fails: the camera is unplugged for the flash only.
    for (int nth = 1; nth <= 2; ++nth) ASSERT_EQ(vcam_fail_call("SonixCam_CstmReadFromSF", 1, 7), 0);
    const auto text = run({"info"});
    EXPECT_EQ(text.exit_code, kExitSuccess) << text.err;
    EXPECT_TRUE(contains(text.out, "reachable:  not reachable: ")) << text.out;
    EXPECT_TRUE(contains(text.out, "version: not reachable: ")) << text.out;

    ASSERT_EQ(vcam_fail_call("SonixCam_CstmReadFromSF", 1, 7), 0);
    const auto json = run({"info", "--json"});
    ASSERT_EQ(json.exit_code, kExitSuccess) << json.err;
    const auto object = nlohmann::json::parse(json.out);
    EXPECT_EQ(object.at("serial_number"), "D1");
    EXPECT_EQ(object.at("capability").at("flash").at("reachable"), false);
    EXPECT_EQ(object.at("capability").at("flash").at("address"), "0x00051000");
    EXPECT_EQ(object.at("firmware").at("reachable"), false);
    EXPECT_TRUE(object.at("capability").at("imu").is_null());
}

TEST_F(ScanAndInfo, ImuCountsSamplesNotReads) {
    // An IMU that updates 100 times a second, read as fast as the tool can.
    ASSERT_EQ(vcam_load_scenario_json(R"({"devices": [{"id": "d", "vid": "0x0C45", "pid": "0x0643",
        "serial_number": "D1", "capability": "zeros", "imu": {"sample_rate_hz": 100,
        "generator": {"kind": "ramp", "period_samples": 50, "accel_amplitude": 100, "gyro_amplitude": 50,
                      "gravity": 2048, "temperature": 800, "counter_start": 0, "counter_step": 10}}}]})"),
              0) << vcam_last_error();
    const auto csv = run({"imu", "--count", "5", "--csv"});
    ASSERT_EQ(csv.exit_code, kExitSuccess) << csv.err;
    const auto lines = std::count(csv.out.begin(), csv.out.end(), '\n');
    EXPECT_EQ(lines, 6) << csv.out;  // heading and five distinct samples
    EXPECT_TRUE(contains(csv.err, "Read 5 samples in ")) << csv.err;
    EXPECT_FALSE(contains(csv.err, "(0 repeats")) << "reading faster than the IMU repeats samples: " << csv.err;
    std::set<std::string> counters;
    std::istringstream rows(csv.out);
    std::string row;
    std::getline(rows, row);
    while (std::getline(rows, row)) counters.insert(row.substr(row.find(',', row.find(',') + 1)));
    EXPECT_EQ(counters.size(), 5u) << "each sample written once";

    const auto all = run({"imu", "--count", "3", "--csv", "--all-reads"});
    ASSERT_EQ(all.exit_code, kExitSuccess) << all.err;
    EXPECT_GT(std::count(all.out.begin(), all.out.end(), '\n'), 4) << "every read, repeats included";
}

TEST_F(ScanAndInfo, OneReadFailureIsRetriedAndCounted) {
    ASSERT_EQ(vcam_load_scenario_json(R"({"devices": [{"id": "d", "vid": "0x0C45", "pid": "0x0643",
        "serial_number": "D1", "capability": "zeros", "imu": {
        "generator": {"kind": "ramp", "period_samples": 50, "accel_amplitude": 100, "gyro_amplitude": 50,
                      "gravity": 2048, "temperature": 800, "counter_start": 0, "counter_step": 10,
                      "read_failure_every": 4}}}]})"),
              0) << vcam_last_error();
    const auto result = run({"imu", "--count", "9", "--jsonl"});
    ASSERT_EQ(result.exit_code, kExitSuccess) << result.err;
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 9);
    // Each failed answer took a sample's place in the IMU's sequence: a gap.
    EXPECT_TRUE(contains(result.err, "Read 9 samples in 9 reads (0 repeats, 2 counter gaps (2 samples missed), "
                                     "2 read failures)"))
        << result.err;
}

TEST(ExitStatus, OneTableInTheHelp) {
    const auto help = run({"--help"});
    std::string expected = "Exit status:\n";
    for (const auto& row : exit_status_table()) {
        const std::string status = std::to_string(row.status);
        expected += "  " + status + std::string(5 - status.size(), ' ') + row.meaning + "\n";
    }
    EXPECT_TRUE(contains(help.out, expected)) << help.out;
    std::vector<int> statuses;
    for (const auto& row : exit_status_table()) statuses.push_back(row.status);
    EXPECT_EQ(statuses, (std::vector<int>{kExitSuccess, kExitFailure, kExitUsage, kExitInterrupted, kExitTerminated}));
}

}  // namespace
}  // namespace velmora::stereo_tool
