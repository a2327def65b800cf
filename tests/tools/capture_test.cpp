// Tests of the capture command: a captured scenario reproduces its camera, and
// capturing the replay gives the same scenario again.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sonix_virtual/vcam_control.h>

#include <functional>
#include <sstream>

#include "test_files.hpp"
#include "tool_runner.hpp"

namespace velmora::stereo_tool {
namespace {

using Json = nlohmann::json;
using test_support::contains;
using test_support::run;
using test_support::TempFolder;

constexpr int kImuSamplesCompared = 50;

// Everything a user of the camera sees through the tool, for one camera.
struct CameraView {
    Json scan_entry;  // its scan --json object without the list position
    std::string info;
    std::string read_json;
    std::vector<std::string> imu_raw;  // device counter, temperature and axes, as counts
};

std::vector<std::string> raw_imu_columns(const std::string& csv) {
    std::vector<std::string> rows;
    std::istringstream lines(csv);
    std::string line;
    std::getline(lines, line);  // heading
    while (std::getline(lines, line)) {
        // index,timestamp_ns,device_timestamp,temperature_raw,accel x y z,gyro x y z,...
        std::size_t start = 0;
        for (int comma = 0; comma < 2; ++comma) start = line.find(',', start) + 1;
        std::size_t end = start;
        for (int comma = 0; comma < 8; ++comma) end = line.find(',', end) + 1;
        rows.push_back(line.substr(start, end - start));
    }
    return rows;
}

CameraView view_of(const std::string& index) {
    CameraView view;
    Json scan = Json::parse(run({"scan", "--json"}).out);
    view.scan_entry = scan.at(std::stoul(index));
    view.scan_entry.erase("index");
    view.info = run({"info", "--index", index}).out;
    const auto read = run({"read-json", "--index", index});
    view.read_json = read.out + read.err;
    view.imu_raw = raw_imu_columns(run({"imu", "--csv", "--count", std::to_string(kImuSamplesCompared), "--index", index}).out);
    return view;
}

// The scenario a capture wrote, and the same without its description.
struct Captured {
    int exit_code = -1;
    std::string err;
    Json scenario;
    std::string comparable;
};

Captured capture(const TempFolder& folder, const std::string& name, std::vector<std::string> extra) {
    std::vector<std::string> args = {"capture", "--out", folder.file(name)};
    args.insert(args.end(), extra.begin(), extra.end());
    const auto result = run(args);
    Captured captured{result.exit_code, result.err, {}, {}};
    if (result.exit_code != kExitSuccess) return captured;
    captured.scenario = Json::parse(test_support::read_file(folder.file(name)));
    Json copy = captured.scenario;
    copy.erase("description");
    captured.comparable = copy.dump(1);
    return captured;
}

bool load(const std::string& path) { return vcam_load_scenario_file(path.c_str()) == 0; }

class CaptureTest : public ::testing::Test {
protected:
    void TearDown() override { vcam_load_default_scenario(); }
    TempFolder folder_;
};

TEST_F(CaptureTest, DefaultCamerasReplayAsTheyWereAndCaptureTheSameAgain) {
    for (const std::string index : {"0", "1"}) {
        SCOPED_TRACE("camera " + index);
        vcam_load_default_scenario();
        const Captured original = capture(folder_, "camera" + index + ".json", {"--index", index});
        ASSERT_EQ(original.exit_code, kExitSuccess) << original.err;
        vcam_load_default_scenario();
        const CameraView before = view_of(index);

        ASSERT_TRUE(load(folder_.file("camera" + index + ".json"))) << vcam_last_error();
        const Captured again = capture(folder_, "again" + index + ".json", {});
        ASSERT_EQ(again.exit_code, kExitSuccess) << again.err;
        EXPECT_EQ(again.comparable, original.comparable);
        EXPECT_TRUE(contains(again.scenario.at("description").get<std::string>(), "Captured by velmora-stereo"));

        ASSERT_TRUE(load(folder_.file("camera" + index + ".json"))) << vcam_last_error();
        const CameraView after = view_of("0");
        EXPECT_EQ(after.scan_entry, before.scan_entry);
        EXPECT_EQ(after.info, before.info);
        EXPECT_EQ(after.read_json, before.read_json);
        ASSERT_EQ(before.imu_raw.size(), static_cast<std::size_t>(kImuSamplesCompared));
        EXPECT_EQ(after.imu_raw, before.imu_raw);
    }
}

// One whitelisted camera with the given extra device keys.
std::string one_camera(const std::string& keys, const std::string& more = "") {
    return R"({"devices": [{"id": "dut", "vid": "0x0C45", "pid": "0x0643", "serial_number": "DUT-1", )" + keys +
           "}]" + more + "}";
}

// A version-0 record of "{}" whose CRC field is wrong.
const char kCorruptRecord[] = "4B 56 4F 5A 00 00 10 00 02 00 00 00 00 00 00 00 7B 7D";
const char kValidReport[] =
    "5A 4F 56 4B 01 00 40 06 00 00 00 00 00 00 00 00 10 05 00 00 00 01 00 49 4D 55 2D 41 00 00 00 04 "
    "0A 11 01 FA 00 00 05 00 08 A4 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 2A 9A 60 6D";

TEST_F(CaptureTest, CapturesWhatTheCameraAnsweredAndWhatFailed) {
    struct Row {
        const char* label;
        std::string scenario;
        std::vector<std::string> options;
        std::function<void(const Json& device)> check;
        bool replays_the_same = true;
    };
    const std::vector<Row> rows = {
        {"a report that does not validate is kept byte for byte",
         one_camera(R"("capability": {"hex": ")" + std::string(kValidReport).replace(0, 2, "5B") + R"("})"), {},
         [](const Json& d) {
             EXPECT_EQ(d.at("capability").at("hex"), std::string(kValidReport).replace(0, 2, "5B"));
         }},
        {"a valid report becomes its fields", one_camera(R"("capability": {"hex": ")" + std::string(kValidReport) + R"("})"),
         {},
         [](const Json& d) {
             EXPECT_EQ(d.at("capability").at("imu").at("gyro_scale"), 164);
             EXPECT_EQ(d.at("capability").at("flash").at("address"), "0x00051000");
         }},
        {"no capability control, no IMU", one_camera(R"("firmware_version": "X1")"), {},
         [](const Json& d) {
             EXPECT_FALSE(d.contains("capability"));
             EXPECT_FALSE(d.contains("imu"));
             EXPECT_TRUE(contains(d.at("comment"), "IMU: SonixCam_SetNodeID failed: vendor_code=ecGetKsControlFail(5) after 0 samples"));
         }},
        {"failing queries stay failing",
         one_camera(R"("id_bytes": "fail", "product_name": null, "descriptor_text": null, "firmware_version": null)"),
         {},
         [](const Json& d) {
             EXPECT_EQ(d.at("id_bytes"), "fail");
             EXPECT_TRUE(d.at("product_name").is_null());
             EXPECT_TRUE(d.at("firmware_version").is_null());
             EXPECT_EQ(d.at("serial_number"), "DUT-1");
         }},
        {"blank flash has no blocks", one_camera(R"("flash": {"size": "0x100000"})"), {},
         [](const Json& d) { EXPECT_TRUE(d.at("flash").at("blocks").empty()); }},
        {"a record with a wrong CRC is kept as stored",
         one_camera(R"("flash": {"blocks": [{"address": "0x51000", "hex": ")" + std::string(kCorruptRecord) + R"("}]})"),
         {}, [](const Json& d) { EXPECT_EQ(d.at("flash").at("blocks").at(0).at("hex"), kCorruptRecord); }},
        {"a record whose payload is not JSON is kept as bytes",
         one_camera(R"("flash": {"blocks": [{"address": "0x51000", "json_text": "not json"}]})"), {},
         [](const Json& d) {
             EXPECT_FALSE(d.at("flash").at("blocks").at(0).contains("json_text"));
             EXPECT_TRUE(d.at("flash").at("blocks").at(0).contains("hex"));
         }},
        {"a JSON record keeps its text and version",
         one_camera(R"("flash": {"blocks": [{"address": "0x51000", "record_version": 7, "json_text": "{ \"a\" : 1 }"}]})"),
         {},
         [](const Json& d) {
             EXPECT_EQ(d.at("flash").at("blocks").at(0).at("json_text"), "{ \"a\" : 1 }");
             EXPECT_EQ(d.at("flash").at("blocks").at(0).at("record_version"), 7);
         }},
        {"the whole user space as blocks",
         one_camera(R"("capability": "zeros", "flash": {"blocks": [{"address": "0x51000", "json_text": "{}"},
                       {"address": "0x51800", "hex": "01 FF 02"}]})"),
         {"--flash", "user-space"},
         [](const Json& d) {
             const Json& blocks = d.at("flash").at("blocks");
             ASSERT_EQ(blocks.size(), 2u);
             EXPECT_EQ(blocks.at(1).at("address"), "0x00051800");
             EXPECT_EQ(blocks.at(1).at("hex"), "01 FF 02");
         }},
        {"a flash that cannot be read is left out and named",
         one_camera(R"("capability": "zeros")", R"(, "faults": [{"function": "SonixCam_CstmReadFromSF", "vendor_code": 12}])"),
         {},
         [](const Json& d) {
             EXPECT_FALSE(d.contains("flash"));
             EXPECT_TRUE(contains(d.at("comment"), "flash: SonixCam_CstmReadFromSF failed: vendor_code=ecWriteFlashFail(12); left out"));
         },
         false},
        {"an IMU that stops answering keeps its samples and stops again",
         one_camera(R"("capability": "zeros", "imu": {"samples": ["00 01", "F2"], "repeat": false})"),
         {"--imu-samples", "5"},
         [](const Json& d) {
             ASSERT_TRUE(d.contains("imu")) << d.dump(1);
             EXPECT_EQ(d.at("imu").at("samples").size(), 2u);
             EXPECT_EQ(d.at("imu").at("repeat"), false);
             EXPECT_EQ(d.at("imu").at("samples").at(1), "F2 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
         }},
        {"a longer IMU payload is kept whole",
         one_camera(R"("capability": {"imu": {"length": 20, "temperature_scale": 1280, "accel_scale": 2048,
                       "gyro_scale": 164}},
                       "imu": {"samples": ["00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13"]})"),
         {"--imu-samples", "2"},
         [](const Json& d) {
             ASSERT_TRUE(d.contains("imu")) << d.dump(1);
             EXPECT_EQ(d.at("imu").at("length"), 20);
             EXPECT_EQ(d.at("imu").at("samples").at(1), "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13");
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        ASSERT_EQ(vcam_load_scenario_json(row.scenario.c_str()), 0) << vcam_last_error();
        const Captured original = capture(folder_, "original.json", row.options);
        ASSERT_EQ(original.exit_code, kExitSuccess) << original.err;
        EXPECT_EQ(vcam_init_depth(), 0) << "the vendor session was left open";
        row.check(original.scenario.at("devices").at(0));
        ASSERT_TRUE(load(folder_.file("original.json"))) << vcam_last_error();
        const Captured again = capture(folder_, "again.json", row.options);
        ASSERT_EQ(again.exit_code, kExitSuccess) << again.err;
        if (row.replays_the_same) {
            EXPECT_EQ(again.comparable, original.comparable);
        }
    }
}

TEST_F(CaptureTest, WrongCaptureCommandLinesAreUsageErrors) {
    struct Row {
        std::vector<std::string> args;
        std::string message;
    };
    const std::vector<Row> rows = {
        {{"capture"}, "capture needs --out FILE"},
        {{"capture", "--out", "x.json", "--imu-samples", "many"}, "--imu-samples needs a whole number from 0 to 100000"},
        {{"capture", "--out", "x.json", "--flash", "all"}, "--flash needs 'record' or 'user-space' (got 'all')"},
        {{"capture", "--out", "x.json", "--index", "0", "--serial", "S"}, "only one of --index, --serial and --path"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.message);
        const auto result = run(row.args);
        EXPECT_EQ(result.exit_code, kExitUsage);
        EXPECT_TRUE(contains(result.err, row.message)) << result.err;
    }
    const auto no_folder = run({"capture", "--out", folder_.file("missing/x.json")});
    EXPECT_EQ(no_folder.exit_code, kExitUsage);
    EXPECT_TRUE(contains(no_folder.err, "there is no folder")) << no_folder.err;
}

TEST_F(CaptureTest, StandardOutputGetsTheScenarioAndStandardErrorTheSummary) {
    const auto result = run({"capture", "--out", "-", "--imu-samples", "0", "--index", "1"});
    ASSERT_EQ(result.exit_code, kExitSuccess) << result.err;
    const Json scenario = Json::parse(result.out);
    EXPECT_EQ(scenario.at("devices").at(0).at("id"), "VLM645B00342");
    EXPECT_FALSE(scenario.at("devices").at(0).contains("imu"));
    EXPECT_TRUE(contains(result.err, "Captured 0c45:0645 (serial VLM645B00342) into standard output."));
}

}  // namespace
}  // namespace velmora::stereo_tool
