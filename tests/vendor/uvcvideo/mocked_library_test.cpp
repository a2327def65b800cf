// The Linux camera library against mocked cameras (umockdev fixtures and a
// chip model): enumeration, descriptors, the extension unit found by GUID at
// its own unit id, reads, errors, unplugging and replugging. Runs under
// tests/mocked_cameras/testbed.py with every fixture loaded.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "sonix_camera.h"
#include "sonix_camera_extras.h"
#include "support/mocked_cameras.hpp"

namespace {

using velmora::uvc_stereo::test_support::MockedCameras;
using velmora::uvc_stereo::test_support::query_count;

const std::uint8_t kGuid[16] = {0x94, 0x73, 0xDF, 0xDD, 0x3E, 0x97, 0x27, 0x47,
                                0xBE, 0xD9, 0x04, 0xED, 0x64, 0x26, 0xDC, 0x67};
const char* const kReporting = "VLM643A00017";

std::string utf8(const char16_t* text) {
    std::string out;
    for (; *text != 0; ++text) out += static_cast<char>(*text);  // the fixtures' texts are ASCII
    return out;
}

std::int32_t device_code(SonixLib::scDevice_t& record) {
    SonixLib::scErrorCode_t code = SonixLib::ecUnknow;
    EXPECT_TRUE(SonixCam_GetErrorCode(&record, &code));
    return code;
}

class MockedLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!MockedCameras::available()) GTEST_SKIP() << "needs the mocked cameras (tests/mocked_cameras)";
        ASSERT_TRUE(SonixCam_Init());
    }
    void TearDown() override {
        while (SonixCam_UnInit()) {
        }
    }

    std::vector<SonixLib::scDevice_t> enumerate() {
        std::vector<SonixLib::scDevice_t> records(SonixLib::kMaxEnumeratedCameras);
        std::uint32_t count = 0;
        if (!SonixCam_EnumCameras(&count, records.data(), SonixLib::kMaxEnumeratedCameras)) count = 0;
        records.resize(count);
        return records;
    }

    SonixLib::scDevice_t camera(const std::string& path_tail) {
        for (auto& record : enumerate()) {
            const std::string path = utf8(record.device_path);
            if (path.size() >= path_tail.size() && path.compare(path.size() - path_tail.size(), path_tail.size(),
                                                                path_tail) == 0) {
                return record;
            }
        }
        ADD_FAILURE() << "no camera at " << path_tail;
        return SonixLib::scDevice_t{};
    }

    MockedCameras& mock() { return MockedCameras::instance(); }
};

TEST_F(MockedLibraryTest, ListsEachUsbCameraOnceByItsCaptureNodeInNodeOrder) {
    // Rows in the fixtures' node order.
    const struct {
        const char* name;
        const char* path;
        int node;
        std::uint8_t ids[4];
        const char* serial;  // null: the descriptor query fails
        const char* text;
    } rows[] = {
        {"Velmora Stereo S1", "/sys/bus/usb/devices/1-1:1.0", 0, {0x0C, 0x45, 0x06, 0x43}, "VLM643A00017",
         "Velmora Stereo Camera"},
        {"Velmora Stereo S2", "/sys/bus/usb/devices/1-2:1.0", 2, {0x0C, 0x45, 0x06, 0x45}, "VLM645B00342",
         "Velmora Stereo S2"},
        {"Velmora Stereo S1", "/sys/bus/usb/devices/2-1.4:1.0", 4, {0x0C, 0x45, 0x06, 0x43}, "VLM643A00099",
         "Velmora Stereo S1"},
        {"Velmora Mono M1", "/sys/bus/usb/devices/3-1:1.0", 6, {0x0C, 0x45, 0x25, 0x02}, "VLM2502C00005",
         "Velmora Mono M1"},
        {"Webcam C270", "/sys/bus/usb/devices/1-3:1.0", 8, {0x04, 0x6D, 0x08, 0x25}, nullptr, "Webcam C270"},
    };
    std::vector<SonixLib::scDevice_t> records = enumerate();
    ASSERT_EQ(records.size(), std::size(rows)) << "metadata nodes are not cameras";
    for (std::size_t i = 1; i < records.size(); ++i) {
        EXPECT_LT(velmora_camera_v4l2_node(&records[i - 1]), velmora_camera_v4l2_node(&records[i]));
    }
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        SonixLib::scDevice_t record = camera(row.path);
        EXPECT_EQ(utf8(record.name), row.name);
        EXPECT_EQ(utf8(record.device_path), row.path);
        // A camera replugged by another test has moved to a new node.
        EXPECT_EQ(velmora_camera_v4l2_node(&record), row.serial != nullptr ? mock().capture_node(row.serial) : row.node);
        std::uint8_t ids[4] = {};
        ASSERT_TRUE(SonixCam_GetDevDescriptor(&record, 0, ids, 4, 0, 0));
        EXPECT_EQ(std::vector<std::uint8_t>(ids, ids + 4), std::vector<std::uint8_t>(row.ids, row.ids + 4));
        char text[64] = {};
        EXPECT_EQ(SonixCam_GetDevDescriptor(&record, 4, reinterpret_cast<std::uint8_t*>(text), 64, 0, 0),
                  row.serial != nullptr);
        if (row.serial != nullptr) {
            EXPECT_STREQ(text, row.serial);
        }
        ASSERT_TRUE(SonixCam_GetDevDescriptor(&record, 3, reinterpret_cast<std::uint8_t*>(text), 64, 0, 0));
        EXPECT_STREQ(text, row.text);
        EXPECT_FALSE(SonixCam_GetDevDescriptor(&record, 0, ids, 3, 0, 0)) << "ids need four bytes";
        EXPECT_FALSE(SonixCam_GetDevDescriptor(&record, 7, ids, 4, 0, 0));
    }
}

TEST_F(MockedLibraryTest, EnumerationWritesNoMoreRecordsThanItsCapacity) {
    SonixLib::scDevice_t records[3];
    records[2].name[0] = u'?';
    std::uint32_t count = 0;
    ASSERT_TRUE(SonixCam_EnumCameras(&count, records, 2));
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(records[2].name[0], u'?');
}

TEST_F(MockedLibraryTest, TheNodeIdReachesTheUnitThatCarriesTheGuidWhateverItsNumber) {
    const struct {
        const char* path;
        const char* serial;
        std::uint8_t node;
        const char* unit;
    } rows[] = {
        {"/1-1:1.0", "VLM643A00017", 4, "3"},
        {"/1-2:1.0", "VLM645B00342", 4, "6"},
        {"/2-1.4:1.0", "VLM643A00099", 5, "2"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.serial);
        SonixLib::scDevice_t record = camera(row.path);
        mock().reset_counts(row.serial);
        ASSERT_TRUE(SonixCam_SetNodeID(&record, row.node, kGuid));
        std::uint8_t report[64] = {};
        ASSERT_TRUE(SonixCam_XuRead(&record, report, 64, 11, row.node));
        EXPECT_EQ(std::vector<unsigned char>(report, report + 64), mock().report(row.serial));
        const auto counts = mock().counts(row.serial);
        EXPECT_EQ(query_count(counts, std::string("GET_CUR:") + row.unit + ":11"), 1);
        EXPECT_EQ(query_count(counts, "GET_CUR:4:11") + query_count(counts, "GET_LEN:4:11"),
                  std::string(row.unit) == "4" ? 2 : 0)
            << "the node id is not the unit";
        // Another node id was not selected: no query reaches the camera.
        EXPECT_FALSE(SonixCam_XuRead(&record, report, 64, 11, static_cast<std::uint8_t>(row.node + 1)));
        EXPECT_EQ(device_code(record), SonixLib::ecGetKsControlFail);
        EXPECT_EQ(mock().counts(row.serial), counts);
    }
}

TEST_F(MockedLibraryTest, CamerasWithoutTheGuidRefuseTheSelection) {
    for (const char* path : {"/3-1:1.0", "/1-3:1.0"}) {
        SCOPED_TRACE(path);
        SonixLib::scDevice_t record = camera(path);
        EXPECT_FALSE(SonixCam_SetNodeID(&record, 4, kGuid));
        EXPECT_EQ(device_code(record), SonixLib::ecGetKsControlFail);
        std::uint8_t report[64] = {};
        EXPECT_FALSE(SonixCam_XuRead(&record, report, 64, 11, 4));
    }
    SonixLib::scDevice_t record = camera("/1-1:1.0");
    EXPECT_FALSE(SonixCam_SetNodeID(&record, 4, nullptr));
}

TEST_F(MockedLibraryTest, AControlsLengthIsAskedOncePerSessionAndBoundsTheRead) {
    SonixLib::scDevice_t record = camera("/1-1:1.0");
    mock().reset_counts(kReporting);
    ASSERT_TRUE(SonixCam_SetNodeID(&record, 4, kGuid));
    std::uint8_t sample[20] = {};
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(SonixCam_XuRead(&record, sample, 17, 10, 4));
    EXPECT_EQ(std::vector<unsigned char>(sample, sample + 17), mock().last_imu(kReporting));
    // A shorter read hands over the control's first bytes; a longer one fails.
    std::fill(std::begin(sample), std::end(sample), 0xA5);
    ASSERT_TRUE(SonixCam_XuRead(&record, sample, 16, 10, 4));
    const std::vector<unsigned char> served = mock().last_imu(kReporting);
    EXPECT_EQ(std::vector<unsigned char>(sample, sample + 16), std::vector<unsigned char>(served.begin(), served.end() - 1));
    EXPECT_EQ(sample[16], 0xA5);
    EXPECT_FALSE(SonixCam_XuRead(&record, sample, 18, 10, 4));
    auto counts = mock().counts(kReporting);
    EXPECT_EQ(query_count(counts, "GET_LEN:3:10"), 1);
    EXPECT_EQ(query_count(counts, "GET_CUR:3:10"), 4);

    // A new session asks again.
    ASSERT_TRUE(SonixCam_UnInit());
    ASSERT_TRUE(SonixCam_Init());
    record = camera("/1-1:1.0");
    ASSERT_TRUE(SonixCam_SetNodeID(&record, 4, kGuid));
    ASSERT_TRUE(SonixCam_XuRead(&record, sample, 17, 10, 4));
    EXPECT_EQ(query_count(mock().counts(kReporting), "GET_LEN:3:10"), 2);
}

TEST_F(MockedLibraryTest, TransferFailuresBecomeTheirVendorCodes) {
    const struct {
        const char* error;
        std::int32_t code;
    } rows[] = {
        {"ETIMEDOUT", SonixLib::ecSyncTransTimeOut},
        {"EPROTO", SonixLib::ecGetKsControlFail},
        {"EIO", SonixLib::ecGetKsControlFail},
        {"ENOENT", SonixLib::ecGetKsControlFail},
    };
    SonixLib::scDevice_t record = camera("/1-1:1.0");
    ASSERT_TRUE(SonixCam_SetNodeID(&record, 4, kGuid));
    std::uint8_t report[64] = {};
    ASSERT_TRUE(SonixCam_XuRead(&record, report, 64, 11, 4));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.error);
        mock().fail_next(kReporting, row.error);
        EXPECT_FALSE(SonixCam_XuRead(&record, report, 64, 11, 4));
        EXPECT_EQ(device_code(record), row.code);
        EXPECT_TRUE(SonixCam_XuRead(&record, report, 64, 11, 4)) << "the camera answers again";
    }
    EXPECT_FALSE(SonixCam_XuRead(&record, report, 64, 99, 4)) << "no such control";
    EXPECT_EQ(device_code(record), SonixLib::ecGetKsControlFail);
}

TEST_F(MockedLibraryTest, FlashAndFirmwareCallsFailWithTheirCodesAndNeverReachTheCamera) {
    SonixLib::scDevice_t record = camera("/1-1:1.0");
    std::uint8_t buffer[256] = {};
    SonixLib::scSerialFlashType_t type = 77;
    const struct {
        const char* name;
        std::function<bool()> call;
        std::int32_t code;
    } rows[] = {
        {"GetVersion", [&] { return SonixCam_GetVersion(&record, reinterpret_cast<char*>(buffer), 256, 0); },
         SonixLib::ecGetChipRomVersionFail},
        {"GetSerialFlashType", [&] { return SonixCam_GetSerialFlashType(&record, &type); },
         SonixLib::ecGetKsControlFail},
        {"CstmReadFromSF", [&] { return SonixCam_CstmReadFromSF(&record, 0x51000, buffer, 16); },
         SonixLib::ecGetKsControlFail},
        {"WriteToSF", [&] { return SonixCam_WriteToSF(&record, 0x51000, buffer, 16); }, SonixLib::ecWriteFlashFail},
        {"SectorEraseSF", [&] { return SonixCam_SectorEraseSF(&record, 0x51000, 0x20); },
         SonixLib::ecSectorEraseFail},
        {"SetStatusRegBitWP", [&] { return SonixCam_SetStatusRegBitWP(&record, 2, 5, 1, 6, 2, 3); },
         SonixLib::ecDisableWriteProtectFail},
        {"SetWriteProtectedSF", [&] { return SonixCam_SetWriteProtectedSF(&record, 1, 1); },
         SonixLib::ecDisableWriteProtectFail},
    };
    mock().reset_counts(kReporting);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::fill(std::begin(buffer), std::end(buffer), 0x5A);
        EXPECT_FALSE(row.call());
        EXPECT_EQ(device_code(record), row.code);
        EXPECT_EQ(buffer[0], 0x5A);
    }
    EXPECT_EQ(type, 77u);
    EXPECT_TRUE(mock().counts(kReporting).empty());
}

TEST_F(MockedLibraryTest, AnUnpluggedCameraIsGoneAndAReplugGivesItsNewNode) {
    SonixLib::scDevice_t record = camera("/1-1:1.0");
    ASSERT_TRUE(SonixCam_SetNodeID(&record, 4, kGuid));
    std::uint8_t sample[17] = {};
    ASSERT_TRUE(SonixCam_XuRead(&record, sample, 17, 10, 4));

    mock().unplug(kReporting);
    EXPECT_FALSE(SonixCam_XuRead(&record, sample, 17, 10, 4));
    EXPECT_EQ(device_code(record), SonixLib::ecDeviceDisconnect);
    EXPECT_FALSE(SonixCam_XuRead(&record, sample, 17, 10, 4)) << "nothing was kept";
    EXPECT_EQ(device_code(record), SonixLib::ecDeviceDisconnect);
    std::uint8_t ids[4] = {};
    EXPECT_FALSE(SonixCam_GetDevDescriptor(&record, 0, ids, 4, 0, 0));
    EXPECT_EQ(device_code(record), SonixLib::ecDeviceDisconnect);
    EXPECT_EQ(velmora_camera_v4l2_node(&record), -1);
    EXPECT_EQ(enumerate().size(), 4u);

    const int node = mock().replug(kReporting);
    EXPECT_EQ(enumerate().size(), 5u);
    EXPECT_EQ(velmora_camera_v4l2_node(&record), node) << "the same record, the same port, a new node";
    EXPECT_FALSE(SonixCam_XuRead(&record, sample, 17, 10, 4)) << "the unit must be selected again";
    EXPECT_EQ(device_code(record), SonixLib::ecGetKsControlFail);
    ASSERT_TRUE(SonixCam_SetNodeID(&record, 4, kGuid));
    ASSERT_TRUE(SonixCam_XuRead(&record, sample, 17, 10, 4));
    EXPECT_EQ(std::vector<unsigned char>(sample, sample + 17), mock().last_imu(kReporting));
}

TEST_F(MockedLibraryTest, ReadsHoldTheCamerasLockFileInTheRuntimeFolder) {
    char folder[] = "/tmp/velmora-runtime-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = old != nullptr ? old : "";
    ::setenv("XDG_RUNTIME_DIR", folder, 1);
    SonixLib::scDevice_t record = camera("/1-2:1.0");
    ASSERT_TRUE(SonixCam_SetNodeID(&record, 4, kGuid));
    std::uint8_t report[64] = {};
    ASSERT_TRUE(SonixCam_XuRead(&record, report, 64, 11, 4));
    const std::string lock = std::string(folder) + "/velmora-uvc-stereo-usb-1-2.lock";
    struct stat info {};
    EXPECT_EQ(::stat(lock.c_str(), &info), 0) << lock;
    ASSERT_TRUE(SonixCam_UnInit());  // closes it
    old != nullptr ? ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1) : ::unsetenv("XDG_RUNTIME_DIR");
    ::unlink(lock.c_str());
    ::rmdir(folder);
}

}  // namespace
