// Control interface: hot-plug, device updates, the call log, latencies and the video back-end lists.
#include "support/vendor_calls.hpp"

namespace vcam_test {
namespace {

using ControlTest = VirtualCameraTest;
using sonix_virtual::call_args;
using sonix_virtual::calls_of;

const char kExtraCamera[] = R"({"id": "cam2", "vid": "0x0C45", "pid": "0x2502", "name": "Extra",
    "serial_number": "X1", "firmware_version": "2.0"})";

std::string firmware_of(scDevice_t& record) {
    char version[256] = {};
    if (!SonixCam_GetVersion(&record, version, sizeof version, 0)) return "<failed>";
    return version;
}

TEST_F(ControlTest, DevicesAttachDetachAndReattachAtRunTime) {
    ASSERT_EQ(vcam_attach_device_json(kExtraCamera), 0);
    std::vector<scDevice_t> records = enumerate();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(narrow(records[2].name), "Extra");
    EXPECT_EQ(vcam_attach_device_json(kExtraCamera), -1) << "ids are unique";

    ASSERT_EQ(vcam_detach_device("cam0"), 0);
    EXPECT_EQ(enumerate().size(), 2u);
    {
        InitGuard init;
        EXPECT_EQ(firmware_of(records[0]), "<failed>");
        EXPECT_EQ(error_code(&records[0]), SonixLib::ecDeviceDisconnect);
        EXPECT_EQ(firmware_of(records[2]), "2.0");
    }
    ASSERT_EQ(vcam_reattach_device("cam0"), 0);
    EXPECT_EQ(narrow(enumerate().at(0).name), "Velmora Stereo S1") << "a reattached device keeps its place";
    EXPECT_EQ(vcam_detach_device("nope"), -1);
}

TEST_F(ControlTest, UpdatesReplaceOnlyTheGivenKeys) {
    std::vector<scDevice_t> records = enumerate();
    const std::vector<std::uint8_t> before = sonix_virtual::flash_bytes("cam0", 0x51000, 32);
    ASSERT_EQ(vcam_update_device_json("cam0", R"({"firmware_version": "SN292-260416"})"), 0);
    InitGuard init;
    EXPECT_EQ(firmware_of(records[0]), "SN292-260416");
    EXPECT_EQ(sonix_virtual::flash_bytes("cam0", 0x51000, 32), before) << "the flash keeps its contents";

    ASSERT_EQ(vcam_update_device_json("cam0", R"({"firmware_version": null})"), 0);
    EXPECT_EQ(firmware_of(records[0]), "<failed>");
    EXPECT_EQ(error_code(&records[0]), SonixLib::ecGetChipRomVersionFail);

    EXPECT_EQ(vcam_update_device_json("cam0", R"({"id": "other"})"), -1);
    EXPECT_EQ(vcam_update_device_json("cam0", R"({"vid": "0xG"})"), -1);
    EXPECT_NE(std::string(vcam_last_error()).find("vid"), std::string::npos);
}

TEST_F(ControlTest, CallLogRecordsFunctionDeviceArgumentsAndOutcome) {
    std::vector<scDevice_t> records = enumerate();
    vcam_clear_call_log();
    {
        InitGuard init;
        EXPECT_FALSE(SonixCam_SectorEraseSF(&records[0], 0x51000, 0x20));  // still write-protected
        EXPECT_TRUE(SonixCam_SetStatusRegBitWP(&records[1], 2, 5, 1, 6, 2, 3));
    }
    EXPECT_EQ(sonix_virtual::call_sequence(),
              (std::vector<std::string>{"SonixCam_Init", "SonixCam_SectorEraseSF", "SonixCam_SetStatusRegBitWP",
                                        "SonixCam_UnInit"}));
    const std::vector<vcam_call> erase = calls_of("SonixCam_SectorEraseSF");
    ASSERT_EQ(erase.size(), 1u);
    EXPECT_STREQ(erase[0].device_id, "cam0");
    EXPECT_EQ(call_args(erase[0]), (std::vector<std::uint64_t>{0x51000, 0x20}));
    EXPECT_EQ(erase[0].ok, 0);
    EXPECT_EQ(erase[0].vendor_code, SonixLib::ecSectorEraseFail);
    const vcam_call status = calls_of("SonixCam_SetStatusRegBitWP").at(0);
    EXPECT_EQ(call_args(status), (std::vector<std::uint64_t>{2, 5, 1, 6, 2, 3}));
    EXPECT_STREQ(status.device_id, "cam1");
    EXPECT_EQ(status.ok, 1);
    EXPECT_STREQ(calls_of("SonixCam_Init").at(0).device_id, "");
    EXPECT_EQ(vcam_count_calls("SonixCam_UnInit"), 1u);

    vcam_clear_call_log();
    EXPECT_EQ(vcam_call_count(), 0u);
    EXPECT_EQ(vcam_count_calls("SonixCam_UnInit"), 0u);
    vcam_call out;
    EXPECT_EQ(vcam_call_at(0, &out), -1);
}

TEST_F(ControlTest, LatencyKeepsOutcomesAndRejectsUnknownFunctions) {
    vcam_set_latency_us(nullptr, 50);
    vcam_set_latency_us("SonixCam_EnumCameras", 200);
    EXPECT_EQ(enumerate().size(), 2u);
    EXPECT_EQ(vcam_count_calls("SonixCam_EnumCameras"), 1u);
    vcam_set_latency_us("SonixCam_Nothing", 10);
    EXPECT_NE(std::string(vcam_last_error()).find("SonixCam_Nothing"), std::string::npos);
    EXPECT_EQ(load(R"({"latency_us": {"SonixCam_XuRead": 100, "*": 5}})"), "");
    EXPECT_NE(load(R"({"latency_us": {"XuRead": 100}})"), "");
}

std::vector<vcam_backend_entry> backend_entries(int backend) {
    std::vector<vcam_backend_entry> entries(vcam_backend_entry_count(backend));
    for (std::size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(vcam_backend_entry_at(backend, i, &entries[i]), 0);
    return entries;
}

TEST_F(ControlTest, BackendListsFollowTheirDevicesAndCarryFailures) {
    for (const int backend : {VCAM_BACKEND_MSMF, VCAM_BACKEND_DSHOW}) {
        SCOPED_TRACE(backend);
        const std::vector<vcam_backend_entry> entries = backend_entries(backend);
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_STREQ(entries[0].friendly_name, "Velmora Stereo S1");
        EXPECT_EQ(entries[1].binds, 1);
        EXPECT_EQ(vcam_backend_failure_hresult(backend), 0u);
    }
    EXPECT_STREQ(backend_entries(VCAM_BACKEND_DSHOW)[0].description, "USB Video Device");
    ASSERT_EQ(vcam_detach_device("cam0"), 0);
    EXPECT_STREQ(backend_entries(VCAM_BACKEND_MSMF).at(0).friendly_name, "Velmora Stereo L2");

    ASSERT_EQ(load(R"({"backends": {"msmf": {"failure_hresult": "0x80004005"},
        "dshow": {"entries": [{"friendly_name": "", "description": "Unbound", "device_path": "p", "binds": false},
                              {"friendly_name": "Later", "device": "cam7"}]}}})"),
              "");
    EXPECT_EQ(vcam_backend_failure_hresult(VCAM_BACKEND_MSMF), 0x80004005u);
    const std::vector<vcam_backend_entry> dshow = backend_entries(VCAM_BACKEND_DSHOW);
    ASSERT_EQ(dshow.size(), 1u) << "an entry of a device not attached yet is hidden";
    EXPECT_EQ(dshow[0].binds, 0);
    ASSERT_EQ(vcam_attach_device_json(R"({"id": "cam7", "vid": 1, "pid": 2})"), 0);
    EXPECT_EQ(backend_entries(VCAM_BACKEND_DSHOW).size(), 2u);
    vcam_backend_entry out;
    EXPECT_EQ(vcam_backend_entry_at(VCAM_BACKEND_DSHOW, 2, &out), -1);
    EXPECT_EQ(vcam_backend_entry_count(7), 0u);
}

}  // namespace
}  // namespace vcam_test
