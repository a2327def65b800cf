// What the virtual camera lets tests see beyond the contract's answers:
// contract violations, separate device and library codes, and an enumeration
// that reports more records than it was given room for.
#include <functional>

#include "support/vendor_calls.hpp"

namespace vcam_test {
namespace {

using ContractViolationTest = VirtualCameraTest;
using ErrorCodeScopeTest = VirtualCameraTest;
using EnumerationOverflowTest = VirtualCameraTest;

TEST_F(ContractViolationTest, EachBrokenRuleIsCountedAndNamed) {
    struct Row {
        const char* name;
        std::function<void(scDevice_t&)> call;
        const char* function;  // null: no violation
        const char* reason;
    };
    const Row rows[] = {
        {"UnInit without Init", [](scDevice_t&) { SonixCam_UnInit(); }, "SonixCam_UnInit",
         "SonixCam_UnInit without an outstanding SonixCam_Init"},
        {"enumeration before Init",
         [](scDevice_t& record) {
             std::uint32_t count = 0;
             SonixCam_EnumCameras(&count, &record, 1);
         },
         "SonixCam_EnumCameras", "called before SonixCam_Init"},
        {"device call before Init",
         [](scDevice_t& record) {
             char version[256];
             SonixCam_GetVersion(&record, version, sizeof version, 0);
         },
         "SonixCam_GetVersion", "called before SonixCam_Init"},
        {"zeroed record",
         [](scDevice_t&) {
             InitGuard init;
             scDevice_t zeroed;
             SonixLib::scSerialFlashType_t type = 0;
             SonixCam_GetSerialFlashType(&zeroed, &type);
         },
         "SonixCam_GetSerialFlashType", "the device record names no device"},
        {"no record",
         [](scDevice_t&) {
             InitGuard init;
             SonixCam_SetNodeID(nullptr, 4, kXuGuid);
         },
         "SonixCam_SetNodeID", "no device record given"},
        {"error query with a record of no device",
         [](scDevice_t&) {
             scDevice_t zeroed;
             error_code(&zeroed);
         },
         "SonixCam_GetErrorCode", "the device record names no device"},
        {"error query before Init", [](scDevice_t& record) { error_code(&record), error_code(); }, nullptr, nullptr},
        {"record of an unplugged device",
         [](scDevice_t& record) {
             InitGuard init;
             vcam_detach_device("cam0");
             SonixLib::scSerialFlashType_t type = 0;
             SonixCam_GetSerialFlashType(&record, &type);
         },
         nullptr, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        vcam_load_default_scenario();
        scDevice_t record = enumerate().at(0);
        ASSERT_EQ(vcam_contract_violation_count(), 0u);
        row.call(record);
        const std::vector<vcam_violation> violations = sonix_virtual::take_contract_violations();
        if (row.function == nullptr) {
            EXPECT_TRUE(violations.empty());
            continue;
        }
        ASSERT_EQ(violations.size(), 1u);
        EXPECT_STREQ(violations[0].function, row.function);
        EXPECT_STREQ(violations[0].reason, row.reason);
    }
}

TEST_F(ContractViolationTest, ScenarioLoadsKeepThemAndTheCountStaysExact) {
    const std::size_t calls = 1001;
    for (std::size_t i = 0; i < calls; ++i) SonixCam_UnInit();
    vcam_load_default_scenario();
    EXPECT_EQ(vcam_contract_violation_count(), calls);
    vcam_violation entry{};
    EXPECT_EQ(vcam_contract_violation_at(999, &entry), 0);
    EXPECT_EQ(vcam_contract_violation_at(1000, &entry), -1) << "only the latest 1000 are kept";
    vcam_clear_contract_violations();
    EXPECT_EQ(vcam_contract_violation_count(), 0u);
}

TEST_F(ErrorCodeScopeTest, AFailingCallSetsTheCodesTheScenarioChooses) {
    struct Row {
        const char* scope;
        int device_code;   // after a failing device call
        int library_code;  // after the same call
        int library_code_after_library_call;
    };
    const int failed = SonixLib::ecSyncTransTimeOut;
    const Row rows[] = {
        {"both", failed, failed, failed},
        {"device", failed, 0, failed},
        {"library", 0, failed, failed},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.scope);
        ASSERT_EQ(load(R"({"library": {"error_codes": ")" + std::string(row.scope) +
                       R"("}, "devices": [{"id": "cam", "vid": "0x0C45", "pid": "0x0643"}]})"),
                  "");
        scDevice_t record = enumerate().at(0);
        InitGuard init;
        ASSERT_EQ(vcam_fail_call("SonixCam_GetSerialFlashType", 1, failed), 0);
        SonixLib::scSerialFlashType_t type = 0;
        EXPECT_FALSE(SonixCam_GetSerialFlashType(&record, &type));
        EXPECT_EQ(error_code(&record), row.device_code);
        EXPECT_EQ(error_code(), row.library_code);

        ASSERT_EQ(vcam_fail_call("SonixCam_EnumCameras", 1, failed), 0);
        std::uint32_t count = 0;
        EXPECT_FALSE(SonixCam_EnumCameras(&count, &record, 1));
        EXPECT_EQ(error_code(), row.library_code_after_library_call);
    }
}

TEST_F(EnumerationOverflowTest, MoreDevicesThanTheCapacity) {
    struct Row {
        const char* overflow;
        bool ok;
        std::uint32_t count;
        int code;
    };
    const Row rows[] = {
        {"clamp", true, 2, SonixLib::ecUnknow},
        {"report", true, 3, SonixLib::ecUnknow},
        {"fail", false, 3, SonixLib::ecEnumDeviceFail},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.overflow);
        ASSERT_EQ(load(R"({"library": {"enum_beyond_capacity": ")" + std::string(row.overflow) + R"("}, "devices": [
            {"id": "a", "vid": "0x0C45", "pid": "0x0643"}, {"id": "b", "vid": "0x0C45", "pid": "0x0645"},
            {"id": "c", "vid": "0x0C45", "pid": "0x2502"}]})"),
                  "");
        scDevice_t records[3];
        records[2].library_head[0] = 0xA5;
        std::uint32_t count = 0;
        InitGuard init;
        EXPECT_EQ(SonixCam_EnumCameras(&count, records, 2), row.ok);
        EXPECT_EQ(count, row.count);
        EXPECT_EQ(error_code(), row.code);
        EXPECT_NE(narrow(records[1].device_path).find("pid_0645"), std::string::npos) << "the records that fit are written";
        EXPECT_EQ(records[2].library_head[0], 0xA5) << "nothing is written beyond the capacity";
        // With room for every device, each mode is a plain enumeration.
        scDevice_t roomy[4];
        EXPECT_TRUE(SonixCam_EnumCameras(&count, roomy, 4));
        EXPECT_EQ(count, 3u);
    }
}

TEST_F(EnumerationOverflowTest, UnknownLibraryWordsAreRefused) {
    for (const char* library : {R"({"error_codes": "devices"})", R"({"enum_beyond_capacity": 2})"}) {
        SCOPED_TRACE(library);
        const std::string error = load(std::string(R"({"devices": [], "library": )") + library + "}");
        EXPECT_NE(error.find("library."), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace vcam_test
