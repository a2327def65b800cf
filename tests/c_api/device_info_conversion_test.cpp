// Tests of the conversions between DeviceInfo and the C device structure.
#include "c_api/device_info_conversion.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "support/c_interface.hpp"

namespace velmora::uvc_stereo::c_api {
namespace {

using test_support::fill_bytes;

CDeviceInfo valid_description() {
    CDeviceInfo info;
    std::memset(&info, 0, sizeof(info));
    info.vid = 0x0C45;
    info.pid = 0x0643;
    return info;
}

void set_entry(CDeviceInfo& info, int position, int backend, int index) {
    info.opencv_indices[position].backend = backend;
    info.opencv_indices[position].index = index;
}

TEST(ToCDeviceInfo, CutsLongTextsToTheirFieldsWithATerminatingNul) {
    DeviceInfo info;
    info.serial_number = std::string(300, 's');
    info.name = std::string(255, 'n');  // fits exactly
    info.aux_text = std::string(600, 'a');
    CDeviceInfo out;
    fill_bytes(out, 0xAB);
    ASSERT_TRUE(to_c_device_info(info, &out).ok());
    EXPECT_EQ(std::string(out.serial_number), std::string(255, 's'));
    EXPECT_EQ(std::string(out.name), std::string(255, 'n'));
    EXPECT_EQ(std::string(out.aux_text), std::string(511, 'a'));
    EXPECT_EQ(out.device_path[0], '\0');  // zero-filled first
}

TEST(ToCDeviceInfo, RefusesAMapOfMoreThanEightEntriesAfterCopyingTheTexts) {
    DeviceInfo info;
    info.name = "kept";
    for (int backend = 1; backend <= 9; ++backend) info.opencv_indices[static_cast<OpenCvBackend>(backend)] = backend;
    CDeviceInfo out;
    const Status status = to_c_device_info(info, &out);
    EXPECT_EQ(status.code(), ErrorCode::InternalError);
    EXPECT_EQ(status.message(), "opencv backend index map is too large");
    EXPECT_STREQ(out.name, "kept");
    EXPECT_EQ(out.opencv_index_count, 0u);
}

TEST(ValidateCDeviceInfo, FirstFailureWins) {
    struct Case {
        const char* name;
        std::function<void(CDeviceInfo&)> change;
        const char* expected_message;  // null: valid
    };
    const std::vector<Case> cases = {
        {"valid, no indices", [](CDeviceInfo&) {}, nullptr},
        {"vid 0", [](CDeviceInfo& i) { i.vid = 0; }, "device vid/pid is invalid"},
        {"pid 0 before count", [](CDeviceInfo& i) { i.pid = 0; i.opencv_index_count = 9; }, "device vid/pid is invalid"},
        {"count 9", [](CDeviceInfo& i) { i.opencv_index_count = 9; }, "opencv backend index count is too large"},
        {"all four back-ends",
         [](CDeviceInfo& i) {
             i.opencv_index_count = 4;
             set_entry(i, 0, 1800, 0);
             set_entry(i, 1, 200, 5);
             set_entry(i, 2, 1400, 2);
             set_entry(i, 3, 700, 1);
         },
         nullptr},
        {"unknown back-end", [](CDeviceInfo& i) { i.opencv_index_count = 1; set_entry(i, 0, 701, 0); },
         "unsupported opencv backend"},
        {"back-end before index", [](CDeviceInfo& i) { i.opencv_index_count = 1; set_entry(i, 0, 5, -1); },
         "unsupported opencv backend"},
        {"negative index", [](CDeviceInfo& i) { i.opencv_index_count = 1; set_entry(i, 0, 700, -1); },
         "opencv backend index is negative"},
        {"duplicate back-end",
         [](CDeviceInfo& i) {
             i.opencv_index_count = 2;
             set_entry(i, 0, 700, 0);
             set_entry(i, 1, 700, 1);
         },
         "duplicated opencv backend entry"},
        {"entries beyond the count are ignored",
         [](CDeviceInfo& i) {
             i.opencv_index_count = 1;
             set_entry(i, 0, 700, 0);
             set_entry(i, 1, 700, -1);
             set_entry(i, 2, 12345, 0);
         },
         nullptr},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        CDeviceInfo info = valid_description();
        row.change(info);
        const Status status = validate_c_device_info(&info);
        if (row.expected_message == nullptr) {
            EXPECT_TRUE(status.ok()) << status.message();
        } else {
            EXPECT_EQ(status.code(), ErrorCode::InvalidArgument);
            EXPECT_EQ(status.message(), row.expected_message);
        }
    }
}

TEST(FromCDeviceInfo, RoundTripsAScannedDescription) {
    DeviceInfo original;
    original.vid = 0x0C45;
    original.pid = 0x0643;
    original.aux_flag_0 = 1;
    original.aux_flag_1 = 2;
    original.serial_number = "SN0001";
    original.descriptor_text = "Stereo";
    original.name = "Velmora Stereo";
    original.aux_text = "aux";
    original.device_path = R"(\\?\usb#vid_0c45&pid_0643&mi_00#6&1&0#{guid}\global)";
    original.opencv_indices = {{OpenCvBackend::CAP_MSMF, 0}, {OpenCvBackend::CAP_DSHOW, 1}};
    CDeviceInfo c_info;
    ASSERT_TRUE(to_c_device_info(original, &c_info).ok());
    EXPECT_EQ(c_info.opencv_indices[0].backend, VELMORA_UVC_STEREO_CAP_DSHOW);  // ascending back-end order
    ASSERT_TRUE(validate_c_device_info(&c_info).ok());
    const DeviceInfo back = from_c_device_info(c_info);
    EXPECT_EQ(back.vid, original.vid);
    EXPECT_EQ(back.pid, original.pid);
    EXPECT_EQ(back.aux_flag_0, original.aux_flag_0);
    EXPECT_EQ(back.aux_flag_1, original.aux_flag_1);
    EXPECT_EQ(back.serial_number, original.serial_number);
    EXPECT_EQ(back.descriptor_text, original.descriptor_text);
    EXPECT_EQ(back.name, original.name);
    EXPECT_EQ(back.aux_text, original.aux_text);
    EXPECT_EQ(back.device_path, original.device_path);
    EXPECT_EQ(back.opencv_indices, original.opencv_indices);
}

TEST(FromCDeviceInfo, ReadsAFieldFilledToItsLastByteNoFurther) {
    // Each unterminated field is followed by the next one's bytes; reading on
    // would pick them up (or, after the last text, the padding and the count).
    CDeviceInfo info = valid_description();
    std::memset(info.serial_number, 'S', sizeof(info.serial_number));
    std::memset(info.descriptor_text, 'D', sizeof(info.descriptor_text));
    std::memset(info.name, 'N', sizeof(info.name));
    std::memset(info.aux_text, 'A', sizeof(info.aux_text));
    std::memset(info.device_path, 'P', sizeof(info.device_path));
    const DeviceInfo read = from_c_device_info(info);
    EXPECT_EQ(read.serial_number, std::string(256, 'S'));
    EXPECT_EQ(read.descriptor_text, std::string(256, 'D'));
    EXPECT_EQ(read.name, std::string(256, 'N'));
    EXPECT_EQ(read.aux_text, std::string(512, 'A'));
    EXPECT_EQ(read.device_path, std::string(512, 'P'));
}

}  // namespace
}  // namespace velmora::uvc_stereo::c_api
