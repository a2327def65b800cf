// Init counting, enumeration capacity, device records, descriptor answers and the no-device codes.
#include <cstring>

#include "sonix_camera_extras.h"
#include "support/vendor_calls.hpp"

namespace vcam_test {
namespace {

using InitTest = VirtualCameraTest;
using EnumerationTest = VirtualCameraTest;
using DescriptorTest = VirtualCameraTest;

TEST_F(InitTest, NestedPairsBalanceAndAnExtraUnInitFails) {
    ASSERT_TRUE(SonixCam_Init());
    ASSERT_TRUE(SonixCam_Init());  // an IMU session's Init stays outstanding beside an operation's pair
    EXPECT_EQ(vcam_init_depth(), 2);
    EXPECT_TRUE(SonixCam_UnInit());
    EXPECT_EQ(enumerate().size(), 2u) << "the outstanding Init keeps the library usable";
    EXPECT_TRUE(SonixCam_UnInit());
    EXPECT_EQ(vcam_init_depth(), 0);

    EXPECT_FALSE(SonixCam_UnInit());
    EXPECT_EQ(error_code(), SonixLib::ecLibInitFail);
    EXPECT_EQ(vcam_init_depth(), 0);
    EXPECT_EQ(sonix_virtual::take_contract_violations().size(), 1u) << "the extra UnInit breaks the contract";
}

TEST_F(InitTest, CallsFailUntilInitialisedExceptTheErrorQuery) {
    scDevice_t record = enumerate().at(0);
    std::uint32_t count = 7;
    scDevice_t records[2];
    EXPECT_FALSE(SonixCam_EnumCameras(&count, records, 2));
    SonixLib::scSerialFlashType_t type = 0;
    EXPECT_FALSE(SonixCam_GetSerialFlashType(&record, &type));
    EXPECT_EQ(error_code(&record), SonixLib::ecLibInitFail);
    EXPECT_EQ(error_code(), SonixLib::ecLibInitFail);
    EXPECT_EQ(sonix_virtual::take_contract_violations().size(), 2u) << "both calls came before Init";
}

TEST_F(EnumerationTest, WritesAtMostTheCapacityAndReportsTheCountWritten) {
    struct Row {
        std::uint32_t capacity;
        std::uint32_t expected;
    };
    for (const Row& row : {Row{0, 0}, Row{1, 1}, Row{2, 2}, Row{64, 2}}) {
        SCOPED_TRACE(row.capacity);
        std::vector<scDevice_t> records(SonixLib::kMaxEnumeratedCameras + 1);
        const std::uint8_t untouched = 0xA5;
        for (scDevice_t& record : records) record.library_head[0] = untouched;
        std::uint32_t count = 99;
        InitGuard init;
        ASSERT_TRUE(SonixCam_EnumCameras(&count, records.data(), row.capacity));
        EXPECT_EQ(count, row.expected);
        EXPECT_EQ(records[row.expected].library_head[0], untouched) << "no record beyond the count is written";
    }
}

TEST_F(EnumerationTest, CaptureNodeNumbersComeFromTheScenarioAndLeaveNoTrace) {
    ASSERT_EQ(load(R"({"devices": [
        {"id": "a", "vid": 3141, "pid": 1603, "v4l2_node": 4},
        {"id": "b", "vid": 3141, "pid": 1605}]})"),
              "");
    std::vector<scDevice_t> records = enumerate();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(velmora_camera_v4l2_node(&records[0]), -1) << "uninitialised";
    {
        InitGuard init;
        vcam_clear_call_log();
        EXPECT_EQ(velmora_camera_v4l2_node(&records[0]), 4);
        EXPECT_EQ(velmora_camera_v4l2_node(&records[1]), -1) << "none given";
        EXPECT_EQ(velmora_camera_v4l2_node(nullptr), -1);
        EXPECT_EQ(vcam_call_count(), 0u) << "not one of the vendor's calls";
        ASSERT_EQ(vcam_detach_device("a"), 0);
        EXPECT_EQ(velmora_camera_v4l2_node(&records[0]), -1) << "unplugged";
    }
    vcam_load_default_scenario();
    records = enumerate();
    InitGuard init;
    EXPECT_EQ(velmora_camera_v4l2_node(&records.at(0)), 0);
    EXPECT_EQ(velmora_camera_v4l2_node(&records.at(1)), 2);
}

TEST_F(EnumerationTest, RecordsCarryNamePathAndDistinctHandles) {
    const std::vector<scDevice_t> records = enumerate();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(narrow(records[0].name), "Velmora Stereo S1");
    EXPECT_EQ(narrow(records[1].name), "Velmora Stereo L2");
    EXPECT_EQ(narrow(records[0].device_path).rfind("\\\\?\\usb#vid_0c45&pid_0643&mi_00#", 0), 0u);
    const auto handle = [](const scDevice_t& r) { return r.library_head[0] | (r.library_head[1] << 8); };
    EXPECT_NE(handle(records[0]), 0);
    EXPECT_NE(handle(records[0]), handle(records[1]));
}

TEST_F(EnumerationTest, NoDeviceIsReportedWhereTheScenarioSays) {
    struct Row {
        const char* library;
        bool init_ok;
        bool enum_ok;
        int code;
    };
    const Row rows[] = {
        {"{}", true, false, SonixLib::ecNotFindDevice},
        {R"({"init_fails_without_device": true})", false, false, SonixLib::ecNotFindDevice},
        {R"({"enum_fails_without_device": false})", true, true, SonixLib::ecUnknow},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.library);
        ASSERT_EQ(load(std::string(R"({"devices": [], "library": )") + row.library + "}"), "");
        EXPECT_EQ(SonixCam_Init(), row.init_ok);
        if (!row.init_ok) {
            EXPECT_EQ(error_code(), row.code);
            EXPECT_EQ(vcam_init_depth(), 0);
            continue;
        }
        std::uint32_t count = 5;
        scDevice_t records[1];
        EXPECT_EQ(SonixCam_EnumCameras(&count, records, 1), row.enum_ok);
        EXPECT_EQ(count, 0u);
        EXPECT_EQ(error_code(), row.code);
        SonixCam_UnInit();
    }
}

TEST_F(DescriptorTest, AnswersBySelector) {
    ASSERT_EQ(load(R"({"devices": [
        {"id": "big", "vid": "0x0C45", "pid": "0x0643", "id_bytes": "big",
         "product_name": "S1", "descriptor_text": "CAM \r\n", "serial_number": null},
        {"id": "little", "vid": 3141, "pid": "0x0645", "id_bytes": "little",
         "serial_number": "0123456789012345678901234567890123456789012345678901234567890123"},
        {"id": "failing", "vid": "0x0C45", "pid": "0x2502", "id_bytes": "fail", "product_name": null}]})"),
              "");
    std::vector<scDevice_t> records = enumerate();
    ASSERT_EQ(records.size(), 3u);
    struct Row {
        std::size_t device;
        std::uint8_t selector;
        std::uint32_t length;
        bool ok;
        std::vector<std::uint8_t> expected;  // leading bytes of the answer
    };
    const std::vector<std::uint8_t> cam = bytes_of({'C', 'A', 'M', ' ', '\r', '\n', 0});
    const Row rows[] = {
        {0, 0, 4, true, bytes_of({0x0C, 0x45, 0x06, 0x43})},
        {1, 0, 4, true, bytes_of({0x45, 0x0C, 0x45, 0x06})},
        {2, 0, 4, false, {}},
        {0, 0, 3, false, {}},
        {0, 2, 64, true, bytes_of({'S', '1', 0})},
        {0, 3, 64, true, cam},
        {0, 4, 64, false, {}},
        {2, 2, 64, false, {}},
        {2, 4, 64, true, bytes_of({0})},
        {0, 7, 64, false, {}},
    };
    InitGuard init;
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "device " << row.device << " selector " << int(row.selector));
        std::uint8_t buffer[64];
        std::memset(buffer, 0xAA, sizeof buffer);
        EXPECT_EQ(SonixCam_GetDevDescriptor(&records[row.device], row.selector, buffer, row.length, 0, 0), row.ok);
        if (!row.ok) {
            EXPECT_EQ(error_code(&records[row.device]), SonixLib::ecGetKsControlFail);
            continue;
        }
        EXPECT_EQ(std::vector<std::uint8_t>(buffer, buffer + row.expected.size()), row.expected);
    }
    std::uint8_t serial[64];
    ASSERT_TRUE(SonixCam_GetDevDescriptor(&records[1], 4, serial, 64, 0, 0));
    EXPECT_EQ(serial[63], '3') << "a 64-byte text fills the buffer without a terminator";
}

}  // namespace
}  // namespace vcam_test
