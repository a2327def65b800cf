// One-shot fault triggers: failing the nth call and detaching a device at a chosen call.
#include "support/vendor_calls.hpp"

namespace vcam_test {
namespace {

using FaultInjectionTest = VirtualCameraTest;

bool flash_type_ok(scDevice_t& record) {
    SonixLib::scSerialFlashType_t type = 0;
    return SonixCam_GetSerialFlashType(&record, &type);
}

TEST_F(FaultInjectionTest, TheNthCallFailsOnceWithTheChosenCode) {
    struct Row {
        const char* function;
        unsigned nth;
        int code;
    };
    for (const Row& row : {Row{"SonixCam_GetSerialFlashType", 1, SonixLib::ecGetParamTabFail},
                           Row{"SonixCam_GetSerialFlashType", 3, SonixLib::ecDeviceDisconnect},
                           Row{"*", 2, SonixLib::ecSyncTransTimeOut}}) {
        SCOPED_TRACE(testing::Message() << row.function << " #" << row.nth);
        std::vector<scDevice_t> records = enumerate();
        InitGuard init;  // counts under "*" as well; the trigger is armed after it
        ASSERT_EQ(vcam_fail_call(row.function, row.nth, row.code), 0);
        for (unsigned call = 1; call <= 4; ++call) {
            EXPECT_EQ(flash_type_ok(records[0]), call != row.nth) << "call " << call;
            if (call == row.nth) {
                EXPECT_EQ(error_code(&records[0]), row.code);
                EXPECT_EQ(error_code(), row.code) << "the library-wide code is set too";
            }
        }
    }
}

TEST_F(FaultInjectionTest, InitFailingWithNoDeviceCodeLeavesTheDepthAlone) {
    ASSERT_EQ(vcam_fail_call("SonixCam_Init", 1, SonixLib::ecNotFindDevice), 0);
    EXPECT_FALSE(SonixCam_Init());
    EXPECT_EQ(error_code(), SonixLib::ecNotFindDevice);
    EXPECT_EQ(vcam_init_depth(), 0);
    EXPECT_EQ(enumerate().size(), 2u) << "the trigger disarmed after firing";
}

TEST_F(FaultInjectionTest, ClearedTriggersNeverFire) {
    ASSERT_EQ(vcam_fail_call("SonixCam_EnumCameras", 1, SonixLib::ecEnumDeviceFail), 0);
    vcam_clear_faults();
    EXPECT_EQ(enumerate().size(), 2u);
}

TEST_F(FaultInjectionTest, RejectsUnknownFunctionsAndNthZero) {
    EXPECT_EQ(vcam_fail_call("SonixCam_Frobnicate", 1, 5), -1);
    EXPECT_NE(std::string(vcam_last_error()).find("SonixCam_Frobnicate"), std::string::npos);
    EXPECT_EQ(vcam_fail_call("SonixCam_XuRead", 0, 5), -1);
    EXPECT_EQ(vcam_detach_at_call("cam9", "SonixCam_XuRead", 1), -1);
}

TEST_F(FaultInjectionTest, DeviceDetachesJustBeforeTheChosenCall) {
    std::vector<scDevice_t> records = enumerate();
    InitGuard init;
    ASSERT_EQ(vcam_detach_at_call("cam1", "SonixCam_GetSerialFlashType", 2), 0);
    EXPECT_TRUE(flash_type_ok(records[1]));
    EXPECT_FALSE(flash_type_ok(records[1]));
    EXPECT_EQ(error_code(&records[1]), SonixLib::ecDeviceDisconnect);
    EXPECT_TRUE(flash_type_ok(records[0])) << "other devices stay";

    std::uint32_t count = 0;
    scDevice_t listed[4];
    ASSERT_TRUE(SonixCam_EnumCameras(&count, listed, 4));
    EXPECT_EQ(count, 1u);

    ASSERT_EQ(vcam_reattach_device("cam1"), 0);
    EXPECT_TRUE(flash_type_ok(records[1])) << "a reattached device keeps its handle";
}

// A garbled answer differs from the stored data in the low bit of its last
// byte, once; the next read is clean again.
TEST_F(FaultInjectionTest, AGarbledCallHandsBackItsDataWithTheLastBitFlipped) {
    struct Row {
        const char* function;
        unsigned nth;
    };
    for (const Row& row : {Row{"SonixCam_XuRead", 1}, Row{"SonixCam_XuRead", 2}, Row{"SonixCam_CstmReadFromSF", 1}}) {
        SCOPED_TRACE(testing::Message() << row.function << " #" << row.nth);
        std::vector<scDevice_t> records = enumerate();
        InitGuard init;
        ASSERT_TRUE(SonixCam_SetNodeID(&records[0], 4, kXuGuid));
        const auto read = [&](std::vector<std::uint8_t>& out) {
            out.assign(64, 0);
            if (std::string(row.function) == "SonixCam_XuRead") {
                return SonixCam_XuRead(&records[0], out.data(), 64, 11, 4);
            }
            return SonixCam_CstmReadFromSF(&records[0], 0x51000, out.data(), 64);
        };
        std::vector<std::uint8_t> clean;
        ASSERT_TRUE(read(clean));
        ASSERT_EQ(vcam_garble_call(row.function, row.nth), 0) << vcam_last_error();
        for (unsigned call = 1; call <= 3; ++call) {
            std::vector<std::uint8_t> answer;
            ASSERT_TRUE(read(answer)) << "a garbled call still succeeds";
            std::vector<std::uint8_t> expected = clean;
            if (call == row.nth) expected.back() ^= 1u;
            EXPECT_EQ(answer, expected) << "call " << call;
        }
    }
}

TEST_F(FaultInjectionTest, OnlyCallsThatHandBackDataCanBeGarbled) {
    for (const char* function : {"SonixCam_SetNodeID", "*", "SonixCam_Frobnicate"}) {
        SCOPED_TRACE(function);
        EXPECT_EQ(vcam_garble_call(function, 1), -1);
    }
    EXPECT_EQ(vcam_garble_call("SonixCam_XuRead", 0), -1);
}

TEST_F(FaultInjectionTest, ScenarioFaultsAreArmedAtLoad) {
    ASSERT_EQ(load(R"({"devices": [{"id": "a", "vid": 1, "pid": 2}],
        "faults": [{"function": "SonixCam_EnumCameras", "nth": 1, "vendor_code": 3},
                   {"function": "SonixCam_GetVersion", "nth": 1, "detach": "a"},
                   {"function": "SonixCam_CstmReadFromSF", "nth": 1, "garble": true}]})"),
              "");
    EXPECT_TRUE(enumerate().empty());
    EXPECT_EQ(error_code(), SonixLib::ecEnumDeviceFail);
    std::vector<scDevice_t> records = enumerate();
    ASSERT_EQ(records.size(), 1u);
    InitGuard init;
    std::uint8_t erased[2] = {};
    ASSERT_TRUE(SonixCam_CstmReadFromSF(&records[0], 0, erased, sizeof erased));
    EXPECT_EQ(erased[0], 0xFF);
    EXPECT_EQ(erased[1], 0xFE) << "the garbled read";
    char version[256];
    EXPECT_FALSE(SonixCam_GetVersion(&records[0], version, sizeof version, 0));
    EXPECT_EQ(error_code(&records[0]), SonixLib::ecDeviceDisconnect);
}

}  // namespace
}  // namespace vcam_test
