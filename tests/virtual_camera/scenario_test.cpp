// Scenario validation texts, the VCAM_SCENARIO variable and concurrent use of the library.
#include <atomic>
#include <cstdlib>
#include <thread>

#include "support/vendor_calls.hpp"

namespace vcam_test {
namespace {

using ScenarioTest = VirtualCameraTest;

void set_scenario_variable(const char* value) {
#if defined(_WIN32)
    _putenv_s("VCAM_SCENARIO", value == nullptr ? "" : value);
#else
    if (value == nullptr) unsetenv("VCAM_SCENARIO");
    else setenv("VCAM_SCENARIO", value, 1);
#endif
}

TEST_F(ScenarioTest, InvalidScenariosNameTheOffendingPlace) {
    struct Row {
        const char* json;
        const char* error;
    };
    const Row rows[] = {
        {R"({"devices": [)", "scenario is not valid JSON"},
        {R"({"device": []})", "device: unknown key"},
        {R"({"devices": [{"vid": 1, "pid": 2}]})", "devices[0]: missing \"id\""},
        {R"({"devices": [{"id": "a b", "vid": 1, "pid": 2}]})", "devices[0].id: letters, digits"},
        {R"({"devices": [{"id": "a", "vid": "0x1C45Z", "pid": 2}]})", "devices[0].vid: expected a number"},
        {R"({"devices": [{"id": "a", "vid": 70000, "pid": 2}]})", "devices[0].vid: value 70000 is larger than 65535"},
        {R"({"devices": [{"id": "a", "vid": 1, "pid": 2}, {"id": "a", "vid": 1, "pid": 2}]})", "devices[1]: duplicate id"},
        {R"({"devices": [{"id": "a", "vid": 1, "pid": 2, "id_bytes": "middle"}]})", "devices[0].id_bytes: expected"},
        {R"({"devices": [{"id": "a", "vid": 1, "pid": 2, "flash": {"size": 5000}}]})", "devices[0].flash.size: must be a non-zero multiple of 4096"},
        {R"({"devices": [{"id": "a", "vid": 1, "pid": 2, "flash": {"size": 4096, "blocks": [{"address": 4095, "hex": "00 01"}]}}]})", "devices[0].flash.blocks[0]: block of 2 bytes does not fit"},
        {R"({"devices": [{"id": "a", "vid": 1, "pid": 2, "flash": {"blocks": [{"address": 0, "hex": "0"}]}}]})", "devices[0].flash.blocks[0].hex: expected hex bytes"},
        {R"({"devices": [{"id": "a", "vid": 1, "pid": 2, "capability": {"hex": "00"}}]})", "devices[0].capability.hex: a capability report has exactly 64 bytes"},
        {R"({"devices": [{"id": "a", "vid": 1, "pid": 2, "capability": {"imu": {"model": "TOO-LONG-9"}}}]})", "devices[0].capability.imu.model: at most 8 characters"},
        {R"({"devices": [{"id": "a", "vid": 1, "pid": 2, "imu": {"length": 16, "samples": ["00"]}}]})", "devices[0].imu.length: an IMU payload has at least 17 bytes"},
        {R"({"devices": [{"id": "a", "vid": 1, "pid": 2, "imu": {"selector": 11, "samples": ["00"]}}]})", "devices[0].imu: node 4 selector 11 is the capability control"},
        {R"({"devices": [{"id": "a", "vid": 1, "pid": 2, "serial_number": "0123456789012345678901234567890123456789012345678901234567890123X"}]})", "devices[0].serial_number: longer than 64 bytes"},
        {R"({"faults": [{"function": "SonixCam_Init", "nth": 1, "detach": "ghost"}]})", "faults[0].detach: no device \"ghost\""},
        {R"({"faults": [{"function": "SonixCam_Init", "nth": 1}]})", "faults[0]: needs exactly one of"},
        {R"({"faults": [{"function": "SonixCam_XuRead", "vendor_code": 5, "garble": true}]})", "faults[0]: needs exactly one of"},
        {R"({"faults": [{"function": "SonixCam_GetVersion", "garble": true}]})", "faults[0].function: only SonixCam_XuRead"},
        {R"({"devices": [{"id": "a", "vid": 1, "pid": 2, "missing_control_code": -4}]})", "devices[0].missing_control_code: expected"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.json);
        const std::string error = load(row.json);
        EXPECT_NE(error.find(row.error), std::string::npos) << error;
    }
    EXPECT_EQ(enumerate().size(), 2u) << "a failed load keeps the scenario before it";
}

TEST_F(ScenarioTest, FilesLoadAndMissingFilesAreReported) {
    EXPECT_EQ(vcam_load_scenario_file(VCAM_TEST_SCENARIO_FILE), 0) << vcam_last_error();
    EXPECT_EQ(narrow(enumerate().at(0).name), "Environment Camera");
    EXPECT_EQ(vcam_load_scenario_file("no/such/scenario.json"), -1);
    EXPECT_NE(std::string(vcam_last_error()).find("no/such/scenario.json"), std::string::npos);
}

TEST_F(ScenarioTest, ReloadFromEnvironmentReadsTheVariableOrTheDefault) {
    set_scenario_variable(VCAM_TEST_SCENARIO_FILE);
    ASSERT_EQ(vcam_reload_from_environment(), 0) << vcam_last_error();
    std::vector<scDevice_t> records = enumerate();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(narrow(records[0].name), "Environment Camera");

    set_scenario_variable(nullptr);
    ASSERT_EQ(vcam_reload_from_environment(), 0);
    EXPECT_EQ(enumerate().size(), 2u);
    EXPECT_EQ(std::string(vcam_default_scenario_json()).find("\"cam0\"") != std::string::npos, true);
}

// Run alone by a second CTest entry with VCAM_SCENARIO set: the first vendor
// call of the process must already see that file's devices.
TEST(EnvironmentScenario, FirstUseReadsTheVariable) {
    const char* path = std::getenv("VCAM_SCENARIO");
    if (path == nullptr || *path == '\0') GTEST_SKIP() << "VCAM_SCENARIO is not set for this run";
    std::vector<scDevice_t> records = enumerate();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(narrow(records[0].name), "Environment Camera");
}

TEST_F(ScenarioTest, ConcurrentCallersKeepTheLibraryConsistent) {
    constexpr int kThreads = 4;
    constexpr int kRounds = 100;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&failures] {
            for (int round = 0; round < kRounds; ++round) {
                InitGuard init;
                scDevice_t records[4];
                std::uint32_t count = 0;
                std::uint8_t byte = 0;
                const bool ok = init.ok() && SonixCam_EnumCameras(&count, records, 4) && count >= 1 &&
                                SonixCam_CstmReadFromSF(&records[0], 0x51000, &byte, 1) && byte == 0x4B;
                if (!ok) ++failures;
            }
        });
    }
    threads.emplace_back([] {
        for (int round = 0; round < kRounds; ++round) {
            vcam_detach_device("cam1");
            vcam_reattach_device("cam1");
            (void)vcam_call_count();
        }
    });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(vcam_init_depth(), 0);
    EXPECT_EQ(vcam_count_calls("SonixCam_Init"), static_cast<std::size_t>(kThreads * kRounds));
}

}  // namespace
}  // namespace vcam_test
