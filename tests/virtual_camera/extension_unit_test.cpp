// Extension units: unit selection, the capability control and the IMU control's scripts and generator.
#include <cstring>

#include "support/vendor_calls.hpp"

namespace vcam_test {
namespace {

using ExtensionUnitTest = VirtualCameraTest;

// A valid report: flash 0x51000 + 0x10000, IMU "IMU-A" on node 4 selector 10, 17 bytes, exponent 1,
// conversion 25.0, 128.0, 2048 and 16.4.
const std::vector<std::uint8_t> kReferenceReport = bytes_of({
    0x5A, 0x4F, 0x56, 0x4B, 0x01, 0x00, 0x40, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x10, 0x05, 0x00, 0x00, 0x00, 0x01, 0x00, 0x49, 0x4D, 0x55, 0x2D, 0x41, 0x00, 0x00, 0x00, 0x04,
    0x0A, 0x11, 0x01, 0xFA, 0x00, 0x00, 0x05, 0x00, 0x08, 0xA4, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2A, 0x9A, 0x60, 0x6D});

std::vector<std::uint8_t> xu_read(scDevice_t& record, std::uint8_t length, std::uint8_t selector, std::uint8_t node) {
    std::vector<std::uint8_t> buffer(length, 0xEE);
    if (!SonixCam_XuRead(&record, buffer.data(), length, selector, node)) buffer.clear();
    return buffer;
}

std::vector<std::uint8_t> read_capability(scDevice_t& record) {
    if (!SonixCam_SetNodeID(&record, 4, kXuGuid)) return {};
    return xu_read(record, 64, 11, 4);
}

TEST_F(ExtensionUnitTest, CapabilityControlAnswersTheEncodedReportOrZeros) {
    std::vector<scDevice_t> records = enumerate();
    InitGuard init;
    EXPECT_EQ(read_capability(records[0]), kReferenceReport) << "fields of cam0 encode to the reference report";
    EXPECT_EQ(read_capability(records[1]), std::vector<std::uint8_t>(64, 0)) << "cam1 is a legacy camera";
}

TEST_F(ExtensionUnitTest, CapabilityGivenAsHexIsAnsweredVerbatim) {
    ASSERT_EQ(load(R"({"devices": [{"id": "a", "vid": 1, "pid": 2, "capability": {"hex": ")" + to_hex(kReferenceReport) +
                   R"("}}]})"),
              "");
    std::vector<scDevice_t> records = enumerate();
    InitGuard init;
    EXPECT_EQ(read_capability(records.at(0)), kReferenceReport);
}

// A unit or control the camera lacks fails with the camera's missing-control
// code (5 unless its scenario sets another); a wrong length is always 5.
TEST_F(ExtensionUnitTest, ReadsNeedASelectedUnitAndTheControlsOwnLength) {
    struct Row {
        const char* what;
        int select_node;  // -1: no SetNodeID
        bool guid_ok;
        bool select_ok;
        std::uint8_t length, selector, node;
        bool read_ok;
        bool missing;  // a failure for want of the unit or control
    };
    const Row rows[] = {
        {"selected capability control", 4, true, true, 64, 11, 4, true, false},
        {"no unit selected", -1, true, true, 64, 11, 4, false, true},
        {"wrong GUID", 4, false, false, 64, 11, 4, false, true},
        {"node without a unit", 9, true, false, 64, 11, 9, false, true},
        {"short transfer", 4, true, true, 17, 11, 4, false, false},
        {"unknown selector", 4, true, true, 64, 12, 4, false, true},
        {"IMU control on the same unit", 4, true, true, 17, 10, 4, true, false},
    };
    for (const int missing_code : {-1, 4, 7}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(testing::Message() << row.what << ", missing-control code " << missing_code);
            vcam_load_default_scenario();
            if (missing_code >= 0) {
                const std::string fields = "{\"missing_control_code\": " + std::to_string(missing_code) + "}";
                ASSERT_EQ(vcam_update_device_json("cam0", fields.c_str()), 0) << vcam_last_error();
            }
            std::vector<scDevice_t> records = enumerate();
            InitGuard init;
            if (row.select_node >= 0) {
                std::uint8_t guid[16];
                std::memcpy(guid, kXuGuid, sizeof guid);
                if (!row.guid_ok) guid[0] ^= 0xFF;
                EXPECT_EQ(SonixCam_SetNodeID(&records[0], static_cast<std::uint8_t>(row.select_node), guid),
                          row.select_ok);
            }
            EXPECT_EQ(!xu_read(records[0], row.length, row.selector, row.node).empty(), row.read_ok);
            if (!row.read_ok) {
                const int expected = row.missing && missing_code >= 0 ? missing_code : SonixLib::ecGetKsControlFail;
                EXPECT_EQ(error_code(&records[0]), expected);
            }
        }
    }
}

TEST_F(ExtensionUnitTest, SelectionsLastUntilTheLastUnInit) {
    ASSERT_EQ(load(R"({"devices": [{"id": "a", "vid": 1, "pid": 2,
        "capability": {"imu": {"unit": 5, "selector": 3, "length": 20, "temperature_scale": 1280,
                               "accel_scale": 2048, "gyro_scale": 164}},
        "imu": {"samples": ["00 10"]}}]})"),
              "");
    std::vector<scDevice_t> records = enumerate();
    {
        InitGuard session;  // an IMU session keeps its Init and its selection
        ASSERT_TRUE(SonixCam_SetNodeID(&records[0], 5, kXuGuid)) << "the IMU unit follows the report's fields";
        {
            InitGuard probe;
            EXPECT_EQ(read_capability(records[0]).size(), 64u);
        }
        EXPECT_EQ(xu_read(records[0], 20, 3, 5).size(), 20u) << "another pair leaves the IMU selection";
        EXPECT_TRUE(xu_read(records[0], 17, 3, 5).empty()) << "the control has the report's length";
    }
    InitGuard again;
    EXPECT_TRUE(xu_read(records[0], 20, 3, 5).empty()) << "the last UnInit dropped every selection";
}

TEST_F(ExtensionUnitTest, ImuScriptPlaysInOrderWithSentinelsThenRepeatsOrRunsOut) {
    for (const bool repeat : {true, false}) {
        SCOPED_TRACE(repeat);
        ASSERT_EQ(load(std::string(R"({"devices": [{"id": "a", "vid": 1, "pid": 2, "imu": {"repeat": )") +
                       (repeat ? "true" : "false") +
                       R"(, "samples": ["00 10 FF F0 00 01 7F FF 80 00 00 00 FF FF 12 34 A5", "F1", "F2"]}}]})"),
                  "");
        std::vector<scDevice_t> records = enumerate();
        InitGuard init;
        ASSERT_TRUE(SonixCam_SetNodeID(&records[0], 4, kXuGuid));
        const std::vector<std::uint8_t> first = xu_read(records[0], 17, 10, 4);
        EXPECT_EQ(first, bytes_of({0x00, 0x10, 0xFF, 0xF0, 0x00, 0x01, 0x7F, 0xFF, 0x80, 0x00, 0x00, 0x00, 0xFF,
                                   0xFF, 0x12, 0x34, 0xA5}));
        std::vector<std::uint8_t> init_failure(17, 0);
        init_failure[0] = 0xF1;
        EXPECT_EQ(xu_read(records[0], 17, 10, 4), init_failure) << "short payloads are padded with zeros";
        EXPECT_EQ(xu_read(records[0], 17, 10, 4).at(0), 0xF2);
        EXPECT_EQ(xu_read(records[0], 17, 10, 4), repeat ? first : std::vector<std::uint8_t>());
    }
}

struct DecodedSample {
    int temperature, accel_z;
    std::uint32_t counter;
};

DecodedSample decode(const std::vector<std::uint8_t>& p) {
    const auto be16 = [&](std::size_t at) { return static_cast<std::int16_t>((p[at] << 8) | p[at + 1]); };
    return {be16(0), be16(6), static_cast<std::uint32_t>(((p[16] & 0x0F) << 16) | (p[14] << 8) | p[15])};
}

TEST_F(ExtensionUnitTest, GeneratorGivesBigEndianSamplesWithA20BitCounterAndSentinels) {
    ASSERT_EQ(load(R"({"devices": [{"id": "a", "vid": 1, "pid": 2, "imu": {"generator": {
        "kind": "sine", "gravity": 2048, "temperature": -300, "counter_start": "0xFFFFE", "counter_step": 1,
        "init_failures": 2, "read_failure_every": 6}}}]})"),
              "");
    std::vector<scDevice_t> records = enumerate();
    InitGuard init;
    ASSERT_TRUE(SonixCam_SetNodeID(&records[0], 4, kXuGuid));
    struct Row {
        int first_byte;  // -1: a sample
        std::uint32_t counter;
    };
    const Row rows[] = {{0xF1, 0}, {0xF1, 0}, {-1, 0x00000}, {-1, 0x00001}, {-1, 0x00002}, {0xF2, 0}, {-1, 0x00004}};
    for (std::size_t n = 0; n < std::size(rows); ++n) {
        SCOPED_TRACE(n);
        const std::vector<std::uint8_t> payload = xu_read(records[0], 17, 10, 4);
        ASSERT_EQ(payload.size(), 17u);
        if (rows[n].first_byte >= 0) {
            EXPECT_EQ(payload[0], rows[n].first_byte);
            continue;
        }
        const DecodedSample sample = decode(payload);
        EXPECT_EQ(sample.temperature, -300);
        EXPECT_EQ(sample.accel_z, 2048);
        EXPECT_EQ(sample.counter, rows[n].counter) << "0xFFFFE + n wraps at 20 bits";
    }
}

}  // namespace
}  // namespace vcam_test
