// Tests of the tool's commands against the virtual camera's default scenario
// (two cameras), run in-process so flash contents persist between commands.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sonix_virtual/vcam_control.hpp>
#include <velmora/uvc_stereo/json.hpp>
#include <velmora/uvc_stereo/scan.hpp>

#include <algorithm>
#include <sstream>

#include "commands.hpp"
#include "output/json_text.hpp"
#include "test_files.hpp"
#include "tool_runner.hpp"

namespace velmora::stereo_tool {
namespace {

namespace uvc = velmora::uvc_stereo;
using test_support::contains;
using test_support::run;

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

bool is_valid_json(const std::string& text) { return uvc::minify_and_validate_json(text).ok(); }

class ToolCommands : public ::testing::Test {
protected:
    void SetUp() override {
        // Backups of write-json go to a folder of the test, never to the user's.
        test_support::set_environment("XDG_DATA_HOME", data_home_.path().string().c_str());
        vcam_load_default_scenario();
        vcam_clear_contract_violations();
        auto scanned = uvc::scan_devices();
        ASSERT_TRUE(scanned.ok()) << scanned.status().message();
        devices_ = scanned.value();
        ASSERT_EQ(devices_.size(), 2u) << "the default scenario has two cameras";
    }
    void TearDown() override {
        EXPECT_EQ(vcam_contract_violation_count(), 0u) << sonix_virtual::describe_contract_violations();
        vcam_load_default_scenario();
        test_support::set_environment("XDG_DATA_HOME", nullptr);
    }

    test_support::TempFolder data_home_;
    std::vector<uvc::DeviceInfo> devices_;
};

TEST_F(ToolCommands, ScanListsBothCamerasAsTableAndJson) {
    const auto table = run({"scan"});
    ASSERT_EQ(table.exit_code, kExitSuccess) << table.err;
    EXPECT_TRUE(contains(table.out, "2 cameras found."));
    const auto json = run({"scan", "--json"});
    ASSERT_EQ(json.exit_code, kExitSuccess) << json.err;
    EXPECT_TRUE(is_valid_json(json.out)) << json.out;
    for (const auto& device : devices_) {
        SCOPED_TRACE(device.serial_number);
        EXPECT_TRUE(contains(table.out, device.serial_number));
        EXPECT_TRUE(contains(table.out, device.name));
        EXPECT_TRUE(contains(json.out, "\"serial_number\": " + nlohmann::json(device.serial_number).dump()));
        EXPECT_TRUE(contains(json.out, "\"device_path\": " + nlohmann::json(device.device_path).dump()));
        for (const auto& [backend, index] : device.opencv_indices) {
            EXPECT_TRUE(contains(table.out, std::string(uvc::opencv_backend_name(backend)) + "=" +
                                                std::to_string(index)));
        }
    }
}

TEST_F(ToolCommands, InfoSelectsTheRequestedCamera) {
    struct Row {
        const char* label;
        std::vector<std::string> args;
        std::size_t expected_device;
    };
    const std::vector<Row> rows = {
        {"default is the first", {"info"}, 0},
        {"by index", {"info", "--index", "1"}, 1},
        {"by serial", {"info", "--serial", devices_[1].serial_number}, 1},
        {"by path", {"info", "--path", devices_[1].device_path}, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const auto result = run(row.args);
        ASSERT_EQ(result.exit_code, kExitSuccess) << result.err;
        EXPECT_TRUE(contains(result.out, devices_[row.expected_device].device_path)) << result.out;
        for (const char* section : {"Camera\n", "Capability report\n", "Flash\n", "IMU\n", "Firmware\n"}) {
            EXPECT_TRUE(contains(result.out, section)) << section;
        }
    }
}

TEST_F(ToolCommands, MissingCameraIsAnErrorWithItsCode) {
    struct Row {
        std::vector<std::string> args;
        std::string err;
    };
    const std::vector<Row> rows = {
        {{"info", "--index", "2"}, "error: no device at index 2 (the scan found 2) (DeviceUnavailable, 3)\n"},
        {{"read-json", "--serial", "NO-SUCH-SERIAL"},
         "error: no device with serial number NO-SUCH-SERIAL found (DeviceUnavailable, 3)\n"},
        {{"imu", "--path", "nowhere"}, "error: no device with device path nowhere found (DeviceUnavailable, 3)\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.err);
        const auto result = run(row.args);
        EXPECT_EQ(result.exit_code, kExitFailure);
        EXPECT_EQ(result.err, row.err);
        EXPECT_EQ(result.out, "");
    }
}

TEST_F(ToolCommands, WriteJsonThenReadJsonRoundTrips) {
    const std::string document = "{ \"baseline_mm\" : 60.5,\n  \"labels\" : [ \"left\", \"right\" ] }\n";
    const std::string minified = R"({"baseline_mm":60.5,"labels":["left","right"]})";
    const auto written = run({"write-json", "--index", "1", "-"}, document);
    ASSERT_EQ(written.exit_code, kExitSuccess) << written.err;
    EXPECT_TRUE(contains(written.out, "input:    " + std::to_string(document.size()) + " bytes")) << written.out;
    EXPECT_TRUE(contains(written.out, "minified: " + std::to_string(minified.size()) + " bytes")) << written.out;
    EXPECT_TRUE(contains(written.out, "record:   " + std::to_string(minified.size() + 16) + " bytes")) << written.out;
    EXPECT_TRUE(contains(written.out, "verified: yes"));

    const auto read = run({"read-json", "--index", "1"});
    ASSERT_EQ(read.exit_code, kExitSuccess) << read.err;
    EXPECT_EQ(read.out, minified + "\n");
    const auto pretty = run({"read-json", "--index", "1", "--pretty"});
    ASSERT_EQ(pretty.exit_code, kExitSuccess) << pretty.err;
    EXPECT_EQ(pretty.out, pretty_print_json(minified) + "\n");

    // The other camera's document is untouched.
    const auto other = run({"read-json", "--index", "0"});
    ASSERT_EQ(other.exit_code, kExitSuccess) << other.err;
    EXPECT_NE(other.out, minified + "\n");
}

TEST_F(ToolCommands, InvalidJsonNeverReachesTheFlash) {
    const auto before = run({"read-json"});
    ASSERT_EQ(before.exit_code, kExitSuccess) << before.err;
    struct Row {
        std::string input;
        std::string err_start;
    };
    vcam_clear_call_log();
    for (const auto& row : std::vector<Row>{{"", "error: <stdin>:1:1: the file is empty; expected a JSON value"},
                                           {"{\"a\":}", "error: <stdin>:1:6: expected a value, found '}'"},
                                           {"{} {}", "error: <stdin>:1:4: unexpected '{' after the end of the document"}}) {
        SCOPED_TRACE(row.input);
        const auto result = run({"write-json", "-"}, row.input);
        EXPECT_EQ(result.exit_code, kExitUsage);
        EXPECT_EQ(result.err.rfind(row.err_start, 0), 0u) << result.err;
    }
    EXPECT_EQ(vcam_count_calls("SonixCam_Init"), 0u) << "a file that is not JSON is refused before any camera is opened";
    const auto missing = run({"write-json", "no/such/file.json"});
    EXPECT_EQ(missing.exit_code, kExitUsage);
    EXPECT_EQ(missing.err, "error: cannot read 'no/such/file.json': no such file\n");
    EXPECT_EQ(run({"read-json"}).out, before.out);
}

TEST_F(ToolCommands, ImuPrintsSamplesAndRateInEachFormat) {
    const auto table = run({"imu", "--count", "4"});
    ASSERT_EQ(table.exit_code, kExitSuccess) << table.err;
    const auto table_lines = lines_of(table.out);
    ASSERT_EQ(table_lines.size(), 6u) << table.out;  // heading, 4 samples, rate
    EXPECT_TRUE(contains(table_lines.back(), "Read 4 samples")) << table_lines.back();

    const auto csv = run({"imu", "--count", "3", "--csv"});
    ASSERT_EQ(csv.exit_code, kExitSuccess) << csv.err;
    const auto csv_lines = lines_of(csv.out);
    ASSERT_EQ(csv_lines.size(), 4u) << csv.out;
    EXPECT_EQ(csv_lines[0].rfind("index,timestamp_ns,device_timestamp,temperature_raw,", 0), 0u);
    for (const auto& line : csv_lines) EXPECT_EQ(std::count(line.begin(), line.end(), ','), 16) << line;
    EXPECT_TRUE(contains(csv.err, "Read 3 samples"));

    const auto jsonl = run({"imu", "--count", "3", "--jsonl"});
    ASSERT_EQ(jsonl.exit_code, kExitSuccess) << jsonl.err;
    const auto json_lines = lines_of(jsonl.out);
    ASSERT_EQ(json_lines.size(), 3u) << jsonl.out;
    for (const auto& line : json_lines) EXPECT_TRUE(is_valid_json(line)) << line;
    EXPECT_TRUE(contains(jsonl.err, "Read 3 samples"));
}

TEST_F(ToolCommands, ImuForADurationReadsUntilTimeIsUp) {
    const auto result = run({"imu", "--seconds", "0.2", "--jsonl"});
    ASSERT_EQ(result.exit_code, kExitSuccess) << result.err;
    EXPECT_GE(lines_of(result.out).size(), 1u);
    EXPECT_TRUE(contains(result.err, "Read ")) << result.err;
}

std::string scenario(const char* name) { return std::string(VELMORA_TOOL_TEST_DATA) + "/" + name; }

TEST_F(ToolCommands, ScenarioWithoutCamerasIsAnEmptyScanButNoDevice) {
    const auto scan = run({"--scenario", scenario("no_cameras.json"), "scan"});
    EXPECT_EQ(scan.exit_code, kExitSuccess) << scan.err;
    EXPECT_EQ(scan.out, "No supported camera found.\n");
    const auto json = run({"scan", "--json", "--scenario", scenario("no_cameras.json")});
    EXPECT_EQ(json.exit_code, kExitSuccess) << json.err;
    EXPECT_EQ(json.out, "[]\n");
    for (const char* command : {"info", "read-json", "imu"}) {
        SCOPED_TRACE(command);
        const auto result = run({"--scenario", scenario("no_cameras.json"), command});
        EXPECT_EQ(result.exit_code, kExitFailure);
        EXPECT_EQ(result.err, "error: no matching device found (DeviceUnavailable, 3)\n");
    }
}

TEST_F(ToolCommands, ImuReadFailureStopsAfterTheSamplesRead) {
    const std::string file = scenario("failing_imu.json");
    const auto read = run({"--scenario", file, "read-json"});
    ASSERT_EQ(read.exit_code, kExitSuccess) << read.err;
    EXPECT_EQ(read.out, "{\"bench\":true}\n");

    const auto imu = run({"--scenario", file, "imu", "--count", "5", "--csv"});
    EXPECT_EQ(imu.exit_code, kExitFailure);
    const auto rows = lines_of(imu.out);
    ASSERT_EQ(rows.size(), 3u) << imu.out;  // heading and the two good samples
    // Defaults of the report: 1280 counts at 128 per degree plus 25 degrees,
    // 2048 counts per g, 16.4 counts per degree per second.
    EXPECT_EQ(rows[1].substr(rows[1].find(",1280,")), ",1280,2048,-2048,0,164,-164,0,35,1,-1,0,10,-10,0");
    EXPECT_EQ(imu.err.rfind("Read 2 samples in 2 reads (0 repeats, 0 counter gaps, 5 read failures) over ", 0), 0u)
        << imu.err;
    EXPECT_TRUE(contains(imu.err, "\nerror: the IMU read failed 5 times in a row; stopped after 2 samples: ")) << imu.err;
    EXPECT_EQ(vcam_init_depth(), 0) << "the IMU session was left open";
}

TEST_F(ToolCommands, ScenarioThatCannotBeLoadedStopsTheTool) {
    const auto result = run({"--scenario", "no/such/scenario.json", "scan"});
    EXPECT_EQ(result.exit_code, kExitUsage);
    EXPECT_EQ(result.err.rfind("error: cannot load scenario 'no/such/scenario.json': ", 0), 0u) << result.err;
    EXPECT_EQ(result.out, "");
}

}  // namespace
}  // namespace velmora::stereo_tool
