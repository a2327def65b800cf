// The Linux camera library keeps the vendor library's rules on counting
// Init and UnInit and on error codes, as the virtual camera does. None of
// this needs a camera: the records here name none.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "sonix_camera.h"
#include "sonix_camera_extras.h"

namespace {

const std::uint8_t kGuid[16] = {0x94, 0x73, 0xDF, 0xDD, 0x3E, 0x97, 0x27, 0x47,
                                0xBE, 0xD9, 0x04, 0xED, 0x64, 0x26, 0xDC, 0x67};

SonixLib::scDevice_t record_for(const std::u16string& path) {
    SonixLib::scDevice_t record;
    for (std::size_t i = 0; i < path.size(); ++i) record.device_path[i] = path[i];
    return record;
}

std::int32_t library_code() {
    SonixLib::scErrorCode_t code = SonixLib::ecUnknow;
    EXPECT_TRUE(SonixCam_GetErrorCode(nullptr, &code));
    return code;
}

std::int32_t device_code(SonixLib::scDevice_t& record) {
    SonixLib::scErrorCode_t code = SonixLib::ecUnknow;
    EXPECT_TRUE(SonixCam_GetErrorCode(&record, &code));
    return code;
}

// Leaves the library uninitialised whatever a test did.
class ContractRulesTest : public ::testing::Test {
protected:
    void TearDown() override {
        while (SonixCam_UnInit()) {
        }
    }
};

TEST_F(ContractRulesTest, InitAndUnInitNestAndEveryCallButTheErrorCodeNeedsInit) {
    SonixLib::scDevice_t record = record_for(u"/sys/bus/usb/devices/255-9:1.0");
    std::uint32_t count = 7;
    SonixLib::scDevice_t records[2];
    EXPECT_FALSE(SonixCam_UnInit());
    EXPECT_EQ(library_code(), SonixLib::ecLibInitFail);
    EXPECT_FALSE(SonixCam_EnumCameras(&count, records, 2));
    EXPECT_EQ(library_code(), SonixLib::ecLibInitFail);
    EXPECT_FALSE(SonixCam_SetNodeID(&record, 4, kGuid));
    EXPECT_EQ(device_code(record), SonixLib::ecLibInitFail);
    EXPECT_EQ(velmora_camera_v4l2_node(&record), -1);

    ASSERT_TRUE(SonixCam_Init());
    ASSERT_TRUE(SonixCam_Init());
    EXPECT_TRUE(SonixCam_UnInit());
    // Still initialised once: calls are judged on their record now.
    EXPECT_FALSE(SonixCam_SetNodeID(&record, 4, kGuid));
    EXPECT_EQ(device_code(record), SonixLib::ecDeviceDisconnect);
    EXPECT_TRUE(SonixCam_UnInit());
    EXPECT_FALSE(SonixCam_UnInit());
}

TEST_F(ContractRulesTest, EveryCameraCallOnAnAbsentCameraSaysItIsGone) {
    SonixLib::scDevice_t record = record_for(u"/sys/bus/usb/devices/255-9:1.0");
    std::uint8_t buffer[256] = {};
    SonixLib::scSerialFlashType_t type = 0;
    const struct {
        const char* name;
        std::function<bool()> call;
    } rows[] = {
        {"GetDevDescriptor", [&] { return SonixCam_GetDevDescriptor(&record, 0, buffer, 4, 0, 0); }},
        {"SetNodeID", [&] { return SonixCam_SetNodeID(&record, 4, kGuid); }},
        {"XuRead", [&] { return SonixCam_XuRead(&record, buffer, 64, 11, 4); }},
        {"GetVersion", [&] { return SonixCam_GetVersion(&record, reinterpret_cast<char*>(buffer), 256, 0); }},
        {"GetSerialFlashType", [&] { return SonixCam_GetSerialFlashType(&record, &type); }},
        {"CstmReadFromSF", [&] { return SonixCam_CstmReadFromSF(&record, 0x51000, buffer, 16); }},
        {"WriteToSF", [&] { return SonixCam_WriteToSF(&record, 0x51000, buffer, 16); }},
        {"SectorEraseSF", [&] { return SonixCam_SectorEraseSF(&record, 0x51000, 0x20); }},
        {"SetStatusRegBitWP", [&] { return SonixCam_SetStatusRegBitWP(&record, 2, 5, 1, 6, 2, 3); }},
        {"SetWriteProtectedSF", [&] { return SonixCam_SetWriteProtectedSF(&record, 1, 1); }},
    };
    ASSERT_TRUE(SonixCam_Init());
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(row.call());
        EXPECT_EQ(device_code(record), SonixLib::ecDeviceDisconnect);
        EXPECT_EQ(library_code(), SonixLib::ecDeviceDisconnect);
    }
    EXPECT_EQ(velmora_camera_v4l2_node(&record), -1);
}

TEST_F(ContractRulesTest, ErrorCodesAreKeptPerCameraAndOnlyFailuresChangeThem) {
    SonixLib::scDevice_t gone = record_for(u"/sys/bus/usb/devices/255-9:1.0");
    SonixLib::scDevice_t other = record_for(u"/sys/bus/usb/devices/255-8:1.0");
    SonixLib::scDevice_t nameless;
    ASSERT_TRUE(SonixCam_Init());
    EXPECT_FALSE(SonixCam_SetNodeID(&gone, 4, kGuid));
    EXPECT_EQ(device_code(other), 0) << "another camera's code is its own";
    // A record without a path names no camera.
    EXPECT_FALSE(SonixCam_XuRead(&nameless, nullptr, 64, 11, 4));
    EXPECT_EQ(library_code(), SonixLib::ecNotFindDevice);
    SonixLib::scErrorCode_t code = SonixLib::ecUnknow;
    EXPECT_FALSE(SonixCam_GetErrorCode(&nameless, &code));
    EXPECT_FALSE(SonixCam_GetErrorCode(nullptr, nullptr));
    // Successes leave the codes as they were.
    ASSERT_TRUE(SonixCam_Init());
    EXPECT_TRUE(SonixCam_UnInit());
    EXPECT_EQ(library_code(), SonixLib::ecNotFindDevice);
    EXPECT_EQ(device_code(gone), SonixLib::ecDeviceDisconnect);
    std::uint32_t count = 0;
    EXPECT_FALSE(SonixCam_EnumCameras(nullptr, nullptr, 0));
    EXPECT_EQ(library_code(), SonixLib::ecEnumDeviceFail);
    EXPECT_EQ(count, 0u);
}

}  // namespace
